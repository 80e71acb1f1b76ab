#pragma once
// Seeds written by a fuzz target itself into the corpus folder libFuzzer is given.
#include <QDir>
#include <QFile>

// Calls write(dir) for the first folder on libFuzzer's command line (the one it adds new
// inputs to) when needed(dir) says the folder holds no seeds yet.
template <class Write, class Needed>
void SeedFirstCorpusFolder(int argc, char** argv, Write write, Needed needed)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-') continue;
        const QDir dir(QFile::decodeName(arg));
        if (dir.exists() && needed(dir)) write(dir);
        break;
    }
}

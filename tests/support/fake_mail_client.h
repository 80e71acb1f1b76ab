#pragma once
// A fake xdg-email put first on PATH for the test's lifetime: it records its arguments
// (NUL-separated) and exits with a scripted code.
#include <sstream>
#include <string>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "test_util.h"

struct FakeMailClient {
    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");
    explicit FakeMailClient(int exitCode, bool present = true)
    {
        if (present)
            writeBytes(dir.filePath("xdg-email"),
                       "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" +
                           dir.filePath("argv").toStdString() + "\"\nexit " + std::to_string(exitCode) + "\n");
        QFile::setPermissions(dir.filePath("xdg-email"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Without the fake, nothing else on PATH may answer either.
        qputenv("PATH", present ? (dir.path().toLocal8Bit() + ":" + oldPath) : dir.path().toLocal8Bit());
    }
    ~FakeMailClient() { qputenv("PATH", oldPath); }
    std::vector<std::string> argv() const
    {
        std::vector<std::string> out;
        const std::string all = readBytes(dir.filePath("argv"));
        std::istringstream in(all == "<missing>" ? std::string() : all);
        for (std::string arg; std::getline(in, arg, '\0');) out.push_back(arg);
        return out;
    }
};


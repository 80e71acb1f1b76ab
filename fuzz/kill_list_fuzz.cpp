// The kill list against a scratch program folder: whatever the list names, nothing outside
// the folder (a sentinel beside it, reachable through "..", an absolute path or a symbolic
// link) and none of the user's own files is deleted.
#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "kill_list.h"
#include "log.h"

namespace {

struct Scratch {
    QTemporaryDir root;
    QString exe, outside;
    QStringList kept;       // must survive every list
    QStringList deletable;  // program files, put back after each run

    Scratch()
    {
        exe = root.path() + "/prog/";
        outside = root.path() + "/outside/";
        QDir().mkpath(exe + "data");
        QDir().mkpath(exe + "ajouts");
        QDir().mkpath(exe + "old");
        QDir().mkpath(outside);
        QFile::link(outside, exe + "escape");
        kept = {outside + "sentinel.txt", exe + "pref.ini", exe + "categpref.bin",
                exe + "ajouts/Vmar_ajouts_Demo.txt", exe + "data/kill"};
        deletable = {exe + "old/obsolete.dll", exe + "program", exe + "data/icon_a.bmp"};
        for (const QString& f : kept + deletable) touch(f);
    }
    static void touch(const QString& path)
    {
        QFile f(path);
        if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("x");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch s;
    static const bool quiet = (SetLogSink([](const std::string&) {}), true);
    (void)quiet;
    {
        QFile list(s.exe + "data/kill");
        if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
        list.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const QStringList deleted = apply_killlist(s.exe, s.exe + "data/kill");
    for (const QString& f : s.kept)
        if (!QFile::exists(f)) __builtin_trap();
    for (const QString& f : deleted)
        if (!QDir::cleanPath(f).startsWith(s.exe) || QDir::cleanPath(f).startsWith(s.exe + "escape")) __builtin_trap();
    for (const QString& f : s.deletable) Scratch::touch(f);
    return 0;
}

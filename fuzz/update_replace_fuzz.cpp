// The replacement of a program file by an update, in a scratch program folder: the input
// is what the server sends (first byte: flags, the rest the body). Whatever it sends, a file
// is replaced only by content with the listed digest, a failure leaves the old file, no
// temporary file stays behind, and nothing outside the program folder changes, also through
// a symbolic link to a folder outside.
#include <cstddef>
#include <algorithm>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "compressed.h"
#include "file_digest.h"
#include "log.h"
#include "update_files.h"

namespace {

struct Scratch {
    QTemporaryDir root;
    QString exe, outside;

    Scratch()
    {
        exe = root.path() + "/prog/";
        outside = root.path() + "/outside/";
        QDir().mkpath(exe + "maps");
        QDir().mkpath(outside);
        QFile::link(outside, exe + "escape");
        reset();
    }
    // The folder as it was before the run.
    void reset() const
    {
        write(exe + "maps/zone.jpg", "old zone");
        write(outside + "zone.jpg", "outside");
        QFile::remove(exe + "maps/new.bin");
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static bool leftovers(const QString& dir)
    {
        return !QDir(dir).entryList({"dl.*"}, QDir::Files | QDir::Hidden).isEmpty();
    }
};

std::string md5Of(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.path() + "/body";
    Scratch::write(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return FileMd5Hex(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch s;
    static const bool quiet = (SetLogSink([](const std::string&) {}), true);
    (void)quiet;
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    const uint8_t* body = data + 1;
    const size_t bodySize = size - 1;

    ttreeup entry;
    entry.Compressed = flags & 1;
    entry.FileName = (flags & 2) ? "new.bin" : "zone.jpg";
    entry.Folder = (flags & 4) ? "escape\\" : "maps\\";
    // The listed digest is the one of the content, so that the replacement is reached.
    std::vector<uint8_t> plain;
    if (!entry.Compressed)
        entry.Md5 = md5Of(body, bodySize);
    else if (InflateBytes(body, bodySize, plain))
        entry.Md5 = md5Of(plain.data(), plain.size());
    else
        entry.Md5 = "0123456789abcdef0123456789abcdef";
    if (flags & 8) entry.Md5 = "ffffffffffffffffffffffffffffffff"; // a content that does not match

    const QString target = s.exe + "maps/" + QString::fromStdString(entry.FileName);
    const QByteArray before = Scratch::read(target);
    const bool failTransfer = flags & 16;
    const EntryDownload download = [&](const HttpSink& sink, std::string& error) {
        // The body comes in pieces, as a transfer gives it.
        for (size_t at = 0; at < bodySize; at += 7)
            if (!sink(reinterpret_cast<const char*>(body + at), std::min<size_t>(7, bodySize - at))) return false;
        if (failTransfer) error = "connection reset";
        return !failTransfer;
    };
    std::string error;
    const FetchResult result = ReplaceEntry(s.exe, entry, download, error);

    if (Scratch::read(s.outside + "zone.jpg") != "outside") __builtin_trap();
    if (QDir(s.outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() != 1)
        __builtin_trap();
    if (Scratch::leftovers(s.exe) || Scratch::leftovers(s.exe + "maps")) __builtin_trap();
    if (flags & 4) {
        if (result != FetchResult::VerifyFailed) __builtin_trap();
    } else if (result == FetchResult::Replaced) {
        if (failTransfer || (flags & 8) || FileMd5Hex(target) != entry.Md5) __builtin_trap();
    } else {
        if (Scratch::read(target) != before) __builtin_trap();
        if (result == FetchResult::DownloadFailed && error.empty()) __builtin_trap();
    }
    s.reset();
    return 0;
}

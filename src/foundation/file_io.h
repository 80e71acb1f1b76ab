#pragma once
// Whole-file reading and safe writing.
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "memory_stream.h"

// Whole files are read up to this size unless their reader sets a cap of its own.
constexpr int64_t kWholeFileCap = int64_t(1) << 30;
// Reads the whole file when it is a regular file (links followed) of at most cap bytes;
// False when it is missing, cannot be read, is anything else (a FIFO, a device, a folder:
// never opened for reading, so nothing blocks) or is larger; a refused file is named in
// the log, or in why when given (for a worker thread, which leaves the log alone).
bool ReadWholeFile(const QString& path, std::vector<uint8_t>& out, int64_t cap = kWholeFileCap,
                   std::string* why = nullptr);
bool ReadWholeFile(const QString& path, ByteBuffer& out, int64_t cap = kWholeFileCap, std::string* why = nullptr);
// The user's additions file is read up to this size: thousands of times any real one, so
// that a file grown without end is refused (and left as it is) rather than exhausting memory.
constexpr int64_t kAdditionsFileCap = int64_t(256) << 20;
// True when path is a regular file, links followed.
bool IsRegularFile(const QString& path);
// True when path is a regular file of at most cap bytes that opens for reading, for readers
// that open the file themselves; what is refused is named as ReadWholeFile names it.
bool IsReadableRegularFile(const QString& path, int64_t cap, std::string* why = nullptr);
// The small text files of a program folder (web links, tips, readme, colours, types) are
// read up to this size; the rest is ignored, so no file can stall the start.
constexpr int64_t kSmallTextCap = int64_t(1) << 20;
// Lines of a small text file that become one widget or one painted line each (web links,
// tips); the rest is ignored with a log line.
constexpr size_t kSmallTextLines = 256;
// Reads a regular text file up to cap bytes; a longer file is cut after its last line
// break within the cap and logged. False when it cannot be opened or read, or is not a
// regular file.
bool ReadTextFileCapped(const QString& path, std::string& out, int64_t cap = kSmallTextCap);
// False when `path` lies in the program folder (ExeDir) but a symbolic link on it leads
// outside; True for every other path.
bool WriteStaysInProgramFolder(const QString& path);
// Writes through a temporary file in the same folder renamed over the target, so a
// failed write leaves the old file intact; a path of the program folder that a symbolic
// link leads outside of is refused. On failure, error (when given) says why.
bool WriteFileAtomic(const QString& path, const void* data, size_t size, QString* error = nullptr);
inline bool WriteFileAtomic(const QString& path, const std::string& s, QString* error = nullptr)
{
    return WriteFileAtomic(path, s.data(), s.size(), error);
}

// Number of lines of a text file, counting stops at 8; 0 when unreadable; an empty file counts 1.
int CountFileLines(const QString& path);
// Size in bytes; -1 when the file cannot be read (callers treat it as empty).
int64_t GetFileSizeOf(const QString& path);

#pragma once
// Whole-file reading and safe writing.
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "memory_stream.h"

// Reads the whole file; False when it cannot be opened or read.
bool ReadWholeFile(const QString& path, std::vector<uint8_t>& out);
bool ReadWholeFile(const QString& path, ByteBuffer& out);
// The small text files of a program folder (web links, tips, readme, colours, types) are
// read up to this size; the rest is ignored, so no file can stall the start.
constexpr int64_t kSmallTextCap = int64_t(1) << 20;
// Lines of a small text file that become one widget or one painted line each (web links,
// tips); the rest is ignored with a log line.
constexpr size_t kSmallTextLines = 256;
// Reads a text file up to cap bytes; a longer file is cut after its last line break within
// the cap and logged. False when it cannot be opened or read.
bool ReadTextFileCapped(const QString& path, std::string& out, int64_t cap = kSmallTextCap);
// Writes through a temporary file in the same folder renamed over the target, so a
// failed write leaves the old file intact. On failure, error (when given) says why.
bool WriteFileAtomic(const QString& path, const void* data, size_t size, QString* error = nullptr);
inline bool WriteFileAtomic(const QString& path, const std::string& s, QString* error = nullptr)
{
    return WriteFileAtomic(path, s.data(), s.size(), error);
}

// Number of lines of a text file, counting stops at 8; 0 when unreadable; an empty file counts 1.
int CountFileLines(const QString& path);
// Size in bytes; -1 when the file cannot be read (callers treat it as empty).
int64_t GetFileSizeOf(const QString& path);

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

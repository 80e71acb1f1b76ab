#pragma once
// Vector overlay files (.vec): blocks of a u16 point count N and N points of u16 x, u16 y
// in zone units. Converted, each point becomes two 32-bit floats: x / 65535 and
// (65535 - y) / 65535, fractions of the zone with 0 at the top.
#include <cstddef>
#include <cstdint>

#include <QString>

#include "memory_stream.h"

// Converts raw vector bytes into the stream at its position. Blocks with a count of 0
// and a truncated last block are dropped; a trailing odd byte is ignored.
// Returns the number of blocks written.
size_t ConvertVectorBytes(const uint8_t* data, size_t size, MemoryStream& out);
// The largest vector file read: about eight million points, far more than a zone's lines.
constexpr int64_t kVectorFileCap = int64_t(32) << 20;
// Converts a vector file into the stream; nothing happens when the file cannot be read,
// is not a regular file or is larger than kVectorFileCap (the log names it).
void LoadVectorFile(const QString& path, MemoryStream& stream);

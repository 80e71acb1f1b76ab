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
// Converts a vector file into the stream; nothing happens when the file cannot be read.
void LoadVectorFile(const QString& path, MemoryStream& stream);

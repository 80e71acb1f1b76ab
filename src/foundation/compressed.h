#pragma once
// zlib-stream files (the data tables, the map index, the master file, the endpoint list)
// and the byte scrambling of the endpoint list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "memory_stream.h"

constexpr size_t kInflateCap = size_t(256) << 20; // 256 MiB of inflated data at most

// Inflates one zlib stream and appends it to out. Fails whole (out unchanged) on damaged
// or truncated data or when the result would pass the cap.
bool InflateBytes(const uint8_t* src, size_t size, std::vector<uint8_t>& out, size_t cap = kInflateCap);
bool InflateBytes(const uint8_t* src, size_t size, ByteBuffer& out, size_t cap = kInflateCap);
// The same with zlib's streaming inflate alone, the reference InflateBytes must agree with.
bool ZlibInflateBytes(const uint8_t* src, size_t size, ByteBuffer& out, size_t cap = kInflateCap);
// The inverse, for writers of test data and tools.
std::vector<uint8_t> DeflateBytes(const uint8_t* src, size_t size, int level = 6);

// Inflates the whole file into the stream at its position. On failure the stream is as it was.
bool LoadCompressedFile(MemoryStream& stream, const QString& path);
// Inflates the source file into the destination; on failure no destination file is left
// (an older one stays as it was).
bool DecompressFile(const QString& source, const QString& destination);

// MD5 of bytes as 32 lower-case hexadecimal digits.
std::string Md5Hex(const std::string& bytes);
// XORs byte i with character (i mod 32) of the MD5 hex digest of key; applying it twice restores.
void ScrambleStream(MemoryStream& stream, const std::string& key);

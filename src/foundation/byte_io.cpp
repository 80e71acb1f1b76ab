#include "byte_io.h"

#include <algorithm>
#include <bit>
#include <cstring>

void ByteReader::seek(size_t pos)
{
    if (pos > size_) {
        pos_ = size_;
        failed_ = true;
    } else {
        pos_ = pos;
    }
}

void ByteReader::skip(size_t n)
{
    if (n > remaining()) {
        pos_ = size_;
        failed_ = true;
    } else {
        pos_ += n;
    }
}

float ByteReader::f32()
{
    return std::bit_cast<float>(u32());
}

double ByteReader::f64()
{
    uint64_t lo = u32();
    uint64_t hi = u32();
    return std::bit_cast<double>(lo | hi << 32);
}

std::string ByteReader::bytes(size_t n)
{
    std::string s;
    bytesInto(n, s);
    return s;
}

void ByteReader::bytesInto(size_t n, std::string& out)
{
    const size_t avail = std::min(n, remaining());
    out.assign(reinterpret_cast<const char*>(data_ + pos_), avail);
    pos_ += avail;
    if (avail < n) failed_ = true;
}

std::string ByteReader::shortString(size_t maxLen)
{
    size_t len = u8();
    std::string field = bytes(maxLen);
    len = std::min({len, maxLen, field.size()});
    field.resize(len);
    return field;
}

void ByteWriter::u16(uint16_t v)
{
    out_.push_back(uint8_t(v));
    out_.push_back(uint8_t(v >> 8));
}

void ByteWriter::u32(uint32_t v)
{
    for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
}

void ByteWriter::f32(float v)
{
    u32(std::bit_cast<uint32_t>(v));
}

void ByteWriter::f64(double v)
{
    uint64_t b = std::bit_cast<uint64_t>(v);
    u32(uint32_t(b));
    u32(uint32_t(b >> 32));
}

void ByteWriter::bytes(const void* p, size_t n)
{
    const uint8_t* b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
}

void ByteWriter::shortString(const std::string& s, size_t maxLen)
{
    size_t len = std::min(s.size(), maxLen);
    u8(uint8_t(std::min<size_t>(len, 255)));
    bytes(s.data(), len);
    zeros(maxLen - len);
}

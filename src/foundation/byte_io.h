#pragma once
// Bounds-checked little-endian reading and writing of binary file fields.
// A read past the end yields zeros and sets a sticky failure flag, so a record reader
// can read all its fields and then drop the record when the flag is set.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}
    explicit ByteReader(const std::vector<uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}

    size_t position() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool atEnd() const { return pos_ >= size_; }
    bool failed() const { return failed_; }
    void seek(size_t pos);
    void skip(size_t n);

    // The small reads are inline: bulk loads make about fifteen of them per record.
    uint8_t u8()
    {
        const uint8_t* p = take(1);
        return p ? p[0] : 0;
    }
    uint16_t u16()
    {
        const uint8_t* p = take(2);
        return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
    }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    uint32_t u32()
    {
        const uint8_t* p = take(4);
        return p ? (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24) : 0;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32();
    double f64();
    // Copies n bytes; when fewer remain, copies what is there and fails.
    std::string bytes(size_t n);
    // The same into out, whose storage is reused.
    void bytesInto(size_t n, std::string& out);
    // A short string field: a length byte then maxLen bytes, maxLen + 1 in all.
    // The length byte is clamped to maxLen; the whole field is consumed.
    std::string shortString(size_t maxLen);

private:
    const uint8_t* take(size_t n)
    {
        if (n > remaining()) {
            pos_ = size_;
            failed_ = true;
            return nullptr;
        }
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool failed_ = false;
};

class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v);
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float v);
    void f64(double v);
    void bytes(const void* p, size_t n);
    void bytes(const std::string& s) { bytes(s.data(), s.size()); }
    // Writes a length byte and maxLen bytes: the text cut to maxLen, padded with zeros.
    void shortString(const std::string& s, size_t maxLen);
    void zeros(size_t n) { out_.insert(out_.end(), n, 0); }

private:
    std::vector<uint8_t>& out_;
};

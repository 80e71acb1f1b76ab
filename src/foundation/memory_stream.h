#pragma once
// A growable in-memory byte stream with a position, the container the loaders read
// whole files into and the map paint reads converted vector data from.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// An allocator whose resize leaves new bytes uninitialised: buffers that are about to
// be overwritten (inflate output, converted vectors) skip a useless zero fill.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using ByteBuffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

struct MemoryStream {
    ByteBuffer data;
    size_t position = 0;

    size_t size() const { return data.size(); }
    void clear() { data.clear(); position = 0; }

    // Writes at the position, growing the stream when needed, and advances the position.
    void write(const void* src, size_t n)
    {
        if (n == 0) return;
        if (position > data.size()) data.resize(position, 0); // a gap past the end reads as zeros
        if (position + n > data.size()) data.resize(position + n);
        std::memcpy(data.data() + position, src, n);
        position += n;
    }
    // Reads up to n bytes from the position; returns how many were read.
    size_t read(void* dst, size_t n)
    {
        size_t avail = position < data.size() ? data.size() - position : 0;
        if (n > avail) n = avail;
        if (n) std::memcpy(dst, data.data() + position, n);
        position += n;
        return n;
    }
    std::string toString() const { return std::string(data.begin(), data.end()); }
};

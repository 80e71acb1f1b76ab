#pragma once
// Blocks of one size carved from large slabs and kept on a free list. The records of a
// loaded database number in the millions; malloc spends about 200 instructions and a
// 16-byte header on each of them, and many times that again when they are freed. A pool
// hands out a block in a few instructions and packs them without headers. Slabs are kept
// for the next load (a reload of the same database fills them again), never given back.
// Under AddressSanitizer every block comes from operator new, so the sanitizer still sees
// each one's use after free.
#include <cstddef>
#include <mutex>
#include <vector>

class BlockPool {
public:
    // Blocks of at least this size, at the alignment a pointer needs (the pooled records
    // need no more).
    explicit BlockPool(size_t blockSize);
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool();

    void* allocate();
    void deallocate(void* block) noexcept;

    size_t blockSize() const { return blockSize_; }
    // Blocks handed out and not returned; bytes of the slabs taken from the heap.
    size_t blocksInUse() const;
    size_t slabBytes() const;

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    static constexpr size_t kBlocksPerSlab = 2048;

    size_t blockSize_;
    mutable std::mutex mutex_;
    FreeBlock* free_ = nullptr;
    std::vector<void*> slabs_;
    size_t inUse_ = 0;
};

// The pool of rItemdata, one per location. Like every pool of records it lives until the
// process ends, so that records freed during static destruction still find it.
BlockPool& ItemDataPool();

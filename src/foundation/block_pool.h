#pragma once
// Small blocks carved one after another from large slabs, with a free list per block size.
// A loaded database holds a node payload and an item per location, millions of them;
// malloc spends about 200 instructions and a 16-byte header on each, and many times that
// again when they are freed. The pool hands out a block in a few instructions, without a
// header, and a location's payload and item, asked for one after the other, lie next to
// each other, as they did in malloc's heap: walks over the tree that go from one to the
// other stay on one page. Slabs are kept for the next load, never given back: when every
// block has come back, the pool starts again at its first slab, so a reload lays its records
// out in the same order as the first load did. Under AddressSanitizer every block comes from operator new, so the
// sanitizer still sees each one's use after free.
#include <array>
#include <cstddef>
#include <atomic>
#include <thread>
#include <vector>

class BlockPool {
public:
    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool();

    // Blocks are aligned for pointers (the pooled records need no more). Sizes are rounded
    // up to 8 bytes; past the few sizes the pool keeps lists for, and past a quarter slab,
    // blocks come from operator new. deallocate takes the size given to allocate.
    void* allocate(size_t size);
    void deallocate(void* block, size_t size) noexcept;

    // Bytes of the blocks handed out and not returned; bytes of the slabs taken from the heap.
    size_t bytesInUse() const;
    size_t slabBytes() const;

    // While one lives on a thread, that thread's deallocations from `pool` gather without
    // taking the lock and go back in one step when it ends: a thread freeing a whole tree
    // does not contend, block by block, with a thread loading the next one. Only blocks
    // allocated before it was made may be freed under it. Not nested.
    class GatheredFrees {
    public:
        explicit GatheredFrees(BlockPool& pool);
        ~GatheredFrees();
        GatheredFrees(const GatheredFrees&) = delete;
        GatheredFrees& operator=(const GatheredFrees&) = delete;

    private:
        friend class BlockPool;
        BlockPool& pool_;
        std::array<size_t, 4> sizes_{}; // the pool's list sizes when it was made
        std::array<void*, 4> heads_{};
        std::array<void*, 4> tails_{};
        size_t bytes_ = 0;
    };

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    struct SizeList {
        size_t size = 0; // 0: slot unused
        FreeBlock* head = nullptr;
    };
    static constexpr size_t kSlabBytes = 256 * 1024;
    // The list for a rounded size; null when the pool does not keep that size.
    SizeList* listFor(size_t size);
    // Every block is back: the free lists are dropped and allocation starts again at the
    // first slab. Called with the lock held.
    void rewindIfEmpty();

    // A spin lock: held for a few instructions, almost never by two threads at once (a
    // loading thread and the release thread handing back a whole tree in one step), it
    // costs a load a fraction of what a mutex does, two million times over.
    class SpinLock {
    public:
        void lock() noexcept
        {
            while (flag_.test_and_set(std::memory_order_acquire))
                for (int spins = 0; flag_.test(std::memory_order_relaxed); ++spins)
                    if (spins > 64) std::this_thread::yield(); // the holder may have been descheduled
        }
        void unlock() noexcept { flag_.clear(std::memory_order_release); }

    private:
        std::atomic_flag flag_;
    };
    mutable SpinLock lock_;
    std::array<SizeList, 4> lists_;
    char* bump_ = nullptr; // the unused end of the newest slab
    char* bumpEnd_ = nullptr;
    std::vector<void*> slabs_;
    size_t nextSlab_ = 0; // the slab the bump pointer moves to when the current one is full
    size_t inUse_ = 0;
};

// The pool of the records a database holds one of per location (node payloads and items).
// It lives until the process ends, so that records freed during static destruction still
// find it.
BlockPool& RecordPool();

#include "block_pool.h"

#include <algorithm>
#include <new>

#include "records.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPassThrough = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPassThrough = true;
#else
constexpr bool kPassThrough = false;
#endif
#else
constexpr bool kPassThrough = false;
#endif

size_t roundedBlockSize(size_t size)
{
    const size_t align = alignof(void*);
    return (std::max(size, sizeof(void*)) + align - 1) / align * align;
}

} // namespace

BlockPool::BlockPool(size_t blockSize) : blockSize_(roundedBlockSize(blockSize)) {}

BlockPool::~BlockPool()
{
    for (void* slab : slabs_) ::operator delete(slab);
}

void* BlockPool::allocate()
{
    if constexpr (kPassThrough) {
        const std::lock_guard lock(mutex_);
        ++inUse_;
        return ::operator new(blockSize_);
    }
    const std::lock_guard lock(mutex_);
    if (!free_) {
        // A new slab, its blocks chained in address order so the records of one load lie
        // next to each other.
        char* slab = static_cast<char*>(::operator new(blockSize_ * kBlocksPerSlab));
        slabs_.push_back(slab);
        for (size_t i = kBlocksPerSlab; i-- > 0;) {
            auto* b = reinterpret_cast<FreeBlock*>(slab + i * blockSize_);
            b->next = free_;
            free_ = b;
        }
    }
    FreeBlock* b = free_;
    free_ = b->next;
    ++inUse_;
    return b;
}

void BlockPool::deallocate(void* block) noexcept
{
    if (!block) return;
    const std::lock_guard lock(mutex_);
    --inUse_;
    if constexpr (kPassThrough) {
        ::operator delete(block);
        return;
    }
    auto* b = static_cast<FreeBlock*>(block);
    b->next = free_;
    free_ = b;
}

size_t BlockPool::blocksInUse() const
{
    const std::lock_guard lock(mutex_);
    return inUse_;
}

size_t BlockPool::slabBytes() const
{
    const std::lock_guard lock(mutex_);
    return slabs_.size() * kBlocksPerSlab * blockSize_;
}

BlockPool& ItemDataPool()
{
    static BlockPool* pool = new BlockPool(sizeof(rItemdata));
    return *pool;
}

static_assert(alignof(rItemdata) <= alignof(void*));

void* rItemdata::operator new(size_t size)
{
    return size == sizeof(rItemdata) ? ItemDataPool().allocate() : ::operator new(size);
}

void rItemdata::operator delete(void* p, size_t size) noexcept
{
    if (size == sizeof(rItemdata))
        ItemDataPool().deallocate(p);
    else
        ::operator delete(p);
}

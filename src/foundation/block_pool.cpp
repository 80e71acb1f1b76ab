#include "block_pool.h"

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

size_t rounded(size_t size)
{
    return size < 8 ? 8 : (size + 7) / 8 * 8;
}

} // namespace

BlockPool::~BlockPool()
{
    for (void* slab : slabs_) ::operator delete(slab);
}

BlockPool::SizeList* BlockPool::listFor(size_t size)
{
    if (kPassThrough || size > kSlabBytes / 4) return nullptr;
    for (SizeList& l : lists_) {
        if (l.size == size) return &l;
        if (l.size == 0) {
            l.size = size; // a slot, once taken, keeps its size: allocate and free agree
            return &l;
        }
    }
    return nullptr;
}

void* BlockPool::allocate(size_t size)
{
    size = rounded(size);
    const std::lock_guard lock(mutex_);
    SizeList* list = listFor(size);
    if (!list) {
        void* p = ::operator new(size);
        inUse_ += size;
        return p;
    }
    void* block;
    if (list->head) {
        block = list->head;
        list->head = list->head->next;
    } else {
        if (size_t(bumpEnd_ - bump_) < size) {
            bump_ = static_cast<char*>(::operator new(kSlabBytes));
            bumpEnd_ = bump_ + kSlabBytes;
            slabs_.push_back(bump_);
        }
        block = bump_;
        bump_ += size;
    }
    inUse_ += size;
    return block;
}

void BlockPool::deallocate(void* block, size_t size) noexcept
{
    if (!block) return;
    size = rounded(size);
    const std::lock_guard lock(mutex_);
    inUse_ -= size;
    SizeList* list = listFor(size);
    if (!list) {
        ::operator delete(block);
        return;
    }
    auto* b = static_cast<FreeBlock*>(block);
    b->next = list->head;
    list->head = b;
}

size_t BlockPool::bytesInUse() const
{
    const std::lock_guard lock(mutex_);
    return inUse_;
}

size_t BlockPool::slabBytes() const
{
    const std::lock_guard lock(mutex_);
    return slabs_.size() * kSlabBytes;
}

BlockPool& RecordPool()
{
    static BlockPool* pool = new BlockPool;
    return *pool;
}

static_assert(alignof(rItemdata) <= 8);

void* rItemdata::operator new(size_t size)
{
    return RecordPool().allocate(size);
}

void rItemdata::operator delete(void* p, size_t size) noexcept
{
    RecordPool().deallocate(p, size);
}

#include "block_pool.h"

#include <mutex>
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

// The gathering of this thread's frees, if one is open.
thread_local BlockPool::GatheredFrees* gathering = nullptr;

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
    const std::lock_guard lock(lock_);
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
            if (nextSlab_ == slabs_.size()) slabs_.push_back(::operator new(kSlabBytes));
            bump_ = static_cast<char*>(slabs_[nextSlab_++]);
            bumpEnd_ = bump_ + kSlabBytes;
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
    if (GatheredFrees* g = gathering; g && &g->pool_ == this) {
        g->bytes_ += size;
        for (size_t i = 0; i < g->sizes_.size(); ++i) {
            if (g->sizes_[i] != size) continue;
            auto* b = static_cast<FreeBlock*>(block);
            b->next = static_cast<FreeBlock*>(g->heads_[i]);
            g->heads_[i] = b;
            if (!g->tails_[i]) g->tails_[i] = b;
            return;
        }
        ::operator delete(block); // a size the pool keeps no list for
        return;
    }
    const std::lock_guard lock(lock_);
    inUse_ -= size;
    SizeList* list = listFor(size);
    if (!list) {
        ::operator delete(block);
    } else {
        auto* b = static_cast<FreeBlock*>(block);
        b->next = list->head;
        list->head = b;
    }
    rewindIfEmpty();
}

void BlockPool::rewindIfEmpty()
{
    if (inUse_ != 0) return;
    for (SizeList& l : lists_) l.head = nullptr;
    bump_ = bumpEnd_ = nullptr;
    nextSlab_ = 0;
}

BlockPool::GatheredFrees::GatheredFrees(BlockPool& pool) : pool_(pool)
{
    {
        const std::lock_guard lock(pool.lock_);
        // Slots are taken once and keep their size: the blocks freed here, allocated before,
        // belong to lists already in this copy.
        for (size_t i = 0; i < sizes_.size(); ++i) sizes_[i] = kPassThrough ? 0 : pool.lists_[i].size;
    }
    gathering = this;
}

BlockPool::GatheredFrees::~GatheredFrees()
{
    gathering = nullptr;
    const std::lock_guard lock(pool_.lock_);
    pool_.inUse_ -= bytes_;
    for (size_t i = 0; i < sizes_.size(); ++i) {
        if (!heads_[i]) continue;
        static_cast<FreeBlock*>(tails_[i])->next = pool_.lists_[i].head;
        pool_.lists_[i].head = static_cast<FreeBlock*>(heads_[i]);
    }
    pool_.rewindIfEmpty();
}

size_t BlockPool::bytesInUse() const
{
    const std::lock_guard lock(lock_);
    return inUse_;
}

size_t BlockPool::slabBytes() const
{
    const std::lock_guard lock(lock_);
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

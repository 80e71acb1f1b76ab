// The record pool: frees gathered on another thread, and a pool that every block has come
// back to starting again at its first slab.
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "block_pool.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

TEST(BlockPool, AnEmptiedPoolHandsOutItsBlocksInTheFirstOrderAgain)
{
    if (!kPooled) GTEST_SKIP() << "blocks come from operator new under AddressSanitizer";
    BlockPool pool;
    std::vector<void*> first;
    for (int i = 0; i < 20000; ++i) first.push_back(pool.allocate(i % 2 ? 48 : 120));
    const size_t slabs = pool.slabBytes();
    for (size_t i = 0; i < first.size(); i += 2) pool.deallocate(first[i], 120);
    for (size_t i = 1; i < first.size(); i += 2) pool.deallocate(first[i], 48);
    EXPECT_EQ(pool.bytesInUse(), 0u);
    // A second load of the same records lays them out as the first did (a record next to
    // the one asked for before it), without new slabs.
    for (int i = 0; i < 20000; ++i) EXPECT_EQ(pool.allocate(i % 2 ? 48 : 120), first[size_t(i)]) << i;
    EXPECT_EQ(pool.slabBytes(), slabs);
}

TEST(BlockPool, FreesGatheredOnAnotherThreadComeBackWhenTheGatheringEnds)
{
    BlockPool pool;
    std::vector<void*> old;
    for (int i = 0; i < 5000; ++i) old.push_back(pool.allocate(64));
    const size_t oldBytes = pool.bytesInUse();

    // One thread frees the old blocks while this one allocates and frees others.
    std::thread freeing([&] {
        const BlockPool::GatheredFrees gathered(pool);
        for (void* p : old) pool.deallocate(p, 64);
        pool.deallocate(pool.allocate(100000), 100000); // past the lists: straight to the heap
    });
    std::vector<void*> fresh;
    for (int i = 0; i < 5000; ++i) fresh.push_back(pool.allocate(i % 3 ? 64 : 24));
    for (int i = 0; i < 2500; ++i) pool.deallocate(fresh[size_t(i)], i % 3 ? 64 : 24);
    freeing.join();

    size_t freshBytes = 0;
    for (int i = 2500; i < 5000; ++i) freshBytes += i % 3 ? 64 : 24;
    EXPECT_EQ(pool.bytesInUse(), freshBytes);
    EXPECT_GT(oldBytes, 0u);
    // The gathered blocks are reused: no new slab for as many blocks again.
    const size_t slabs = pool.slabBytes();
    std::vector<void*> again;
    for (int i = 0; i < 5000; ++i) again.push_back(pool.allocate(64));
    EXPECT_EQ(pool.slabBytes(), slabs);
    for (void* p : again) pool.deallocate(p, 64);
    for (int i = 2500; i < 5000; ++i) pool.deallocate(fresh[size_t(i)], i % 3 ? 64 : 24);
    EXPECT_EQ(pool.bytesInUse(), 0u);
}

} // namespace

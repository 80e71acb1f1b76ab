// A large tree cleared or destroyed: its records are freed on the release thread, and every
// one of them comes back to the pool.
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "background_release.h"
#include "block_pool.h"
#include "tree_fixture.h"

namespace {

// Enough locations that the tree is handed to the release thread. Long names and notes
// live on the heap, as in a real database.
void fill(TreeFixture& f, int count)
{
    for (int i = 0; i < count; ++i) {
        const int node = f.add("Sanglier des cavernes profondes " + std::to_string(i), i % 2 ? 10 : 21, 1 + i % 3,
                               i % 700, i / 700);
        ASSERT_NE(node, kNoTreeNode);
        f.tree.nodeData(node)->item->description = std::string(40, 'n') + std::to_string(i);
    }
}

TEST(TreeRelease, ClearReturnsBeforeTheRecordsAreFreedAndTheTreeServesAgain)
{
    WaitForBackgroundReleases();
    const size_t before = RecordPool().bytesInUse();
    {
        TreeFixture f;
        fill(f, 20000);
        const size_t loaded = RecordPool().bytesInUse();
        ASSERT_GT(loaded, before);

        // The release thread is held busy: what clear frees on this thread shows at once.
        std::promise<void> go;
        ReleaseInBackground([wait = go.get_future().share()] { wait.wait(); });
        const size_t generation = f.tree.generation();
        f.tree.clear();
        EXPECT_EQ(RecordPool().bytesInUse(), loaded);
        EXPECT_EQ(f.tree.nodeCount(), 0u);
        EXPECT_EQ(f.tree.locationCount(), 0u);
        EXPECT_EQ(f.tree.idLimit(), 0u);
        EXPECT_TRUE(f.tree.roots().empty());
        EXPECT_NE(f.tree.generation(), generation);

        // Loaded again while the old records wait: ids start again from zero.
        f.tree.init_tree(f.map, f.common);
        fill(f, 20000);
        const int node = f.add("Zz dernier", 20, 2, 5, 6);
        EXPECT_EQ(f.tree.get_nodetext(node), "Zz dernier");
        EXPECT_EQ(f.tree.locationsAt(f.tree.find_map_masternode(20), 5, 6), std::vector<int>{node});
        go.set_value();
    } // the fixture's tree goes the same way
    WaitForBackgroundReleases();
    EXPECT_EQ(RecordPool().bytesInUse(), before);
}

} // namespace

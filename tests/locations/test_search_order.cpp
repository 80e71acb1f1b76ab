// The search index's tree order: lists that lost locations since they were last numbered,
// locations appended to them, and a tree made again with more categories than before.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "search.h"
#include "text_helpers.h"
#include "tree_fixture.h"

namespace {

// Every location whose name is not erased, in tree order, read from the child lists.
std::vector<int> walkInTreeOrder(const LocationTree& tree)
{
    std::vector<int> out;
    for (int map : tree.roots())
        for (int zone : tree.children(map))
            for (int categ : tree.children(zone))
                for (int loc : tree.children(categ))
                    if (!IsErasedName(tree.nodeData(loc)->item->name)) out.push_back(loc);
    return out;
}

// A search every location passes: levels 0..255.
rSearchArea everyLevel()
{
    rSearchArea a;
    a.byLevel = true;
    a.levelLow = 0;
    a.levelHigh = 255;
    return a;
}

// The results of a build at once and of one in slices of a step each.
std::pair<std::vector<int>, std::vector<int>> atOnceAndSliced(const LocationTree& tree)
{
    LocationSearch atOnce(tree);
    LocationSearch sliced(tree);
    while (!sliced.buildFor(std::chrono::nanoseconds(0))) {
    }
    return {atOnce.run(everyLevel(), -1, kNoTreeNode), sliced.run(everyLevel(), -1, kNoTreeNode)};
}

} // namespace

TEST(SearchIndexOrder, ListsThatLostLocationsAndATreeMadeAgainKeepTheTreesOrder)
{
    TreeFixture f;
    std::mt19937 rng(17);
    const int zones[] = {10, 11, 20, 21};
    std::vector<int> nodes;
    auto addRandom = [&](int zone, int categ) {
        std::string name;
        for (size_t n = 3 + rng() % 6; n > 0; --n) name += char('a' + rng() % 26);
        nodes.push_back(f.add(name, zone, categ));
    };
    for (int i = 0; i < 1200; ++i) addRandom(zones[rng() % 4], int(1 + rng() % 3));
    f.tree.sortAll();
    LocationSearch kept(f.tree);
    ASSERT_EQ(kept.run(everyLevel(), -1, kNoTreeNode), walkInTreeOrder(f.tree));

    // A few removals from each list (the first of some among them), then locations appended
    // to the same lists without a sort: the lists are no longer numbered.
    for (int i = 0; i < 60; ++i) {
        const int victim = i % 5 == 0 ? f.tree.children(f.tree.parentOf(nodes[size_t(i) * 7]))[0] : nodes[size_t(i) * 13];
        if (f.tree.isNode(victim)) f.tree.destroynode(victim);
    }
    for (int i = 0; i < 40; ++i) addRandom(zones[i % 4], 1 + i % 3);
    f.tree.nodeData(nodes.back())->item->name = "@erased";
    f.tree.contentChanged();
    const std::vector<int> expected = walkInTreeOrder(f.tree);
    EXPECT_EQ(kept.run(everyLevel(), -1, kNoTreeNode), expected);
    auto [atOnce, sliced] = atOnceAndSliced(f.tree);
    EXPECT_EQ(atOnce, expected);
    EXPECT_EQ(sliced, expected);

    // The tree made again with a zone and two categories more: category ids beyond the ones
    // the kept index saw.
    f.tree.clear();
    f.addZone("Delta", 12, 1, 0, 65535);
    f.addCategory(4, "Grottes", kindNoLevel, 0x808080);
    f.addCategory(5, "Portails", kindNoLevel, 0x404040);
    f.tree.init_tree(f.map, f.common);
    nodes.clear();
    for (int i = 0; i < 800; ++i) addRandom(i % 2 ? 12 : zones[rng() % 4], int(1 + rng() % 5));
    f.tree.sortAll();
    EXPECT_EQ(kept.run(everyLevel(), -1, kNoTreeNode), walkInTreeOrder(f.tree));
    std::tie(atOnce, sliced) = atOnceAndSliced(f.tree);
    EXPECT_EQ(atOnce, walkInTreeOrder(f.tree));
    EXPECT_EQ(sliced, walkInTreeOrder(f.tree));
}

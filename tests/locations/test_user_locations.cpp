// The tree's own lists of user locations and of locations by point, and the positions of
// nodes in their lists, against a walk over the whole tree, through random adds, removals,
// marks and sorts.
#include <random>

#include <gtest/gtest.h>

#include "tree_fixture.h"

namespace {

std::vector<int> userLocationsByWalk(const LocationTree& tree)
{
    std::vector<int> out;
    tree.forEachLocation([&](int node, const TNodeData& d) {
        if (d.item && d.item->fromMaster == 0) out.push_back(node);
    });
    return out;
}

std::vector<int> userLocationsKept(const LocationTree& tree)
{
    std::vector<int> out;
    tree.forEachUserLocation([&](int node, const TNodeData&) { out.push_back(node); });
    return out;
}

std::vector<int> locationsAtByWalk(const LocationTree& tree, int zoneNode, uint16_t x, uint16_t y)
{
    std::vector<int> out;
    tree.forEachLocation([&](int node, const TNodeData& d) {
        if (tree.parentOf(tree.parentOf(node)) == zoneNode && d.item->x == x && d.item->y == y) out.push_back(node);
    });
    return out;
}

// Every node's position in its parent's list, and the walk by nextNode, against the lists.
void expectPositionsOfTheLists(const LocationTree& tree)
{
    std::vector<int> order;
    tree.forEachNode([&](int node) {
        order.push_back(node);
        const std::vector<int>& siblings = tree.children(tree.parentOf(node));
        const int at = tree.positionOf(node);
        ASSERT_TRUE(at >= 0 && size_t(at) < siblings.size() && siblings[size_t(at)] == node) << "node " << node;
    });
    std::vector<int> walked;
    for (int n = tree.roots().empty() ? kNoTreeNode : tree.roots().front(); n != kNoTreeNode; n = tree.nextNode(n))
        walked.push_back(n);
    EXPECT_EQ(walked, order);
}

TEST(UserLocationsAndPoints, FollowAddsRemovalsMarksAndSorts)
{
    TreeFixture f;
    std::mt19937 rng(7);
    const int zones[] = {10, 11, 20, 21};
    std::vector<int> live;
    // Enough locations on few points that the point index grows and holds removed nodes.
    for (int round = 0; round < 12; ++round) {
        for (int i = 0; i < 400; ++i) {
            rnew_node r{.x = uint32_t(rng() % 8), .y = uint32_t(rng() % 8),
                        .name = std::string(1, char('a' + rng() % 26)) + std::to_string(i),
                        .zoneId = uint32_t(zones[rng() % 4]), .categoryId = uint32_t(1 + rng() % 3),
                        .description = {}, .levelMin = 0, .levelMax = 0, .attributes = {}, .linkText = {},
                        .hasItem = 1};
            r.fromMaster = rng() % 4 != 0; // most come from the master file
            const int node = f.tree.addnode(r);
            ASSERT_NE(node, kNoTreeNode);
            live.push_back(node);
        }
        for (int i = 0; i < 150 && !live.empty(); ++i) {
            const size_t pick = rng() % live.size();
            const int node = live[pick];
            if (rng() % 2) {
                f.tree.destroynode(node);
                live.erase(live.begin() + std::ptrdiff_t(pick));
            } else {
                f.tree.markUserLocation(node); // twice for some: listed once
            }
        }
        // Removals leave the positions after them to be found from their hints, far more
        // of them in a list than it keeps before numbering it again.
        expectPositionsOfTheLists(f.tree);
        if (round % 3 != 2) f.tree.sortAll(); // and some rounds left unsorted
        ASSERT_EQ(userLocationsKept(f.tree), userLocationsByWalk(f.tree)) << "round " << round;
        for (int probe = 0; probe < 40; ++probe) {
            const int zoneNode = f.tree.find_map_masternode(zones[probe % 4]);
            const uint16_t x = uint16_t(rng() % 9), y = uint16_t(rng() % 9);
            ASSERT_EQ(f.tree.locationsAt(zoneNode, x, y), locationsAtByWalk(f.tree, zoneNode, x, y))
                << "round " << round << " point " << x << "," << y;
        }
    }
    // Every other location of one list removed, with no sort between: far more removals
    // than a list takes before it is numbered again.
    const std::vector<int> kids = f.tree.children(f.tree.parentOf(live.front()));
    ASSERT_GT(kids.size(), 200u);
    for (size_t i = 0; i < kids.size(); i += 2) f.tree.destroynode(kids[i]);
    expectPositionsOfTheLists(f.tree);
    EXPECT_EQ(userLocationsKept(f.tree), userLocationsByWalk(f.tree));
    const int zoneNode = f.tree.parentOf(f.tree.parentOf(kids[1]));
    const rItemdata& item = *f.tree.nodeData(kids[1])->item;
    EXPECT_EQ(f.tree.locationsAt(zoneNode, uint16_t(item.x), uint16_t(item.y)),
              locationsAtByWalk(f.tree, zoneNode, uint16_t(item.x), uint16_t(item.y)));

    f.tree.clear();
    EXPECT_TRUE(userLocationsKept(f.tree).empty());
}

} // namespace

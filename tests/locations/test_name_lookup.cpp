#include <gtest/gtest.h>

#include <vector>

#include "name_lookup.h"
#include "tree_fixture.h"

// Tree order of the fixture: Nordmark (map 1: Zeta 10, alpha 11), Sudland (map 2: Beta 20,
// Gamma 21); under every zone the categories 1, 2 and 3.

TEST(FindNodeByName, FirstInTreeOrderWholeTreeOrMapShown)
{
    TreeFixture f;
    const int south = f.add("\xe9lan", 20, 1); // élan
    const int north = f.add("Elan", 11, 1);
    const int port = f.add("Port", 20, 2);
    f.add("@Ours", 10, 2);
    f.tree.setVisible(port, false); // hidden and unchecked locations count
    f.tree.setCheckState(port, NodeCheck::Unchecked);
    auto find = [&](const char* name, bool mapOnly = false, int32_t id = -1, int node = kNoTreeNode) {
        return find_node_byname(f.tree, name, mapOnly, id, node);
    };
    EXPECT_EQ(find("  elan\t"), north);
    EXPECT_EQ(find("port"), port);
    EXPECT_EQ(find("por"), kNoTreeNode);
    EXPECT_EQ(find("@Ours"), kNoTreeNode);

    const int nordMap = f.map.maps[0]->treeNode, sudMap = f.map.maps[1]->treeNode;
    EXPECT_EQ(find("elan", true, 2, sudMap), south);
    EXPECT_EQ(find("port", true, 1, nordMap), kNoTreeNode); // the walk ends at Beta
    EXPECT_EQ(find("port", true, -1, kNoTreeNode), kNoTreeNode); // no map shown
}

TEST(FindNodeByNameInZones, LinkableCategoriesOfTheZonesShown)
{
    TreeFixture f;
    f.common.categories[0]->linkable = 1;
    f.common.categories[2]->linkable = 1; // category 2 takes no links
    pMap_info* zeta = f.map.zones[0].get();
    pMap_info* alpha = f.map.zones[1].get();
    // The walk per name and the lookup gathered once for the zones (what the map's link
    // lines use) answer alike.
    auto find = [&](const char* name, std::vector<pMap_info*> zones) {
        const int walked = find_node_byname_inzones(f.tree, name, zones, 1);
        EXPECT_EQ(LinkTargets(f.tree, zones, 1).find(name), walked) << name;
        return walked;
    };
    f.add("Tour", 10, 2);
    const int tour = f.add("Tour", 11, 3);
    const int inZeta = f.add("Loup", 10, 3);
    const int inAlpha = f.add("Loup", 11, 1);
    const int source = f.add("Source", 10, 1);
    f.add("Port", 20, 1);

    EXPECT_EQ(find(" TOUR ", {zeta, alpha}), tour);
    EXPECT_EQ(find("loup", {zeta, alpha}), inZeta); // zones in the order given
    EXPECT_EQ(find("loup", {alpha, zeta}), inAlpha);
    EXPECT_EQ(find("source", {alpha, zeta}), source);
    // A zone's walk runs on through the later zones of its map, never into another map.
    EXPECT_EQ(find("tour", {zeta}), tour);
    EXPECT_EQ(find("port", {zeta, alpha}), kNoTreeNode);
    EXPECT_EQ(find("loup", {alpha, zeta, alpha}), inAlpha); // a zone given twice
    f.add("@Loup", 10, 1);
    EXPECT_EQ(find("@loup", {zeta, alpha}), kNoTreeNode); // erased names are never found
    EXPECT_EQ(find("", {zeta, alpha}), kNoTreeNode);
}

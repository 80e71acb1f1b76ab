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
    auto find = [&](const char* name, std::vector<pMap_info*> zones) {
        return find_node_byname_inzones(f.tree, name, zones, 1);
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
}

TEST(LinkTargetIndex, AnswersAsTheWalkOfTheZonesShownDoes)
{
    TreeFixture f;
    f.common.categories[0]->linkable = 1;
    f.common.categories[2]->linkable = 1;
    f.addZone("Delta", 12, 1, 131070, 0);
    f.tree.init_tree(f.map, f.common);
    const char* names[] = {"Elan", "\xe9lan", "Port", "@Ours", "Ours", " ours ", "Gu\xe9", "gue", "Zeste", "Menthe"};
    int i = 0;
    for (int zone : {10, 11, 12, 20, 21})
        for (int categ : {1, 2, 3})
            for (int k = 0; k < 3; ++k) f.add(names[(i++ * 7 + k) % std::size(names)], zone, categ);
    f.tree.sortAll();
    std::vector<pMap_info*> z;
    for (auto& zone : f.map.zones) z.push_back(zone.get());
    // Zones shown in several orders, as the map index lists them, and of either map.
    const std::vector<std::vector<pMap_info*>> shown = {
        {z[0], z[1], z[4]}, {z[4], z[1], z[0]}, {z[1]}, {z[1], z[0]}, {z[2], z[3]}, {z[3], nullptr, z[2]}, {}};
    for (const auto& zones : shown) {
        for (int32_t mapId : {1, 2}) {
            const LinkTargetIndex index(f.tree, zones, mapId);
            for (const char* probe : {"elan", "ELAN", " port ", "ours", "@ours", "gu\xc9", "absent", "zeste", "menthe"})
                EXPECT_EQ(index.find(probe), find_node_byname_inzones(f.tree, probe, zones, mapId))
                    << probe << " map " << mapId << " zones " << zones.size();
        }
    }
}

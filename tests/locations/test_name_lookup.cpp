#include <gtest/gtest.h>

#include <vector>

#include "name_lookup.h"
#include "tree_fixture.h"

// Tree order of the fixture: Nordmark (map 1: Zeta, alpha), Sudland (map 2: Beta, Gamma);
// under every zone the categories Monstres (1), Villes (2), Herbes (3).

TEST(FindNodeByName, WholeTreeTrimmedAndNormalised)
{
    TreeFixture f;
    const int sud = f.add("\xe9lan des bois", 20, 1);
    const int nord = f.add("Elan des bois", 11, 1);
    EXPECT_EQ(find_node_byname(f.tree, "  elan des bois\t", false, -1, kNoTreeNode), nord); // first in tree order
    f.tree.destroynode(nord);
    EXPECT_EQ(find_node_byname(f.tree, "\xe9LAN DES BOIS", false, -1, kNoTreeNode), sud);
    EXPECT_EQ(find_node_byname(f.tree, "elan", false, -1, kNoTreeNode), kNoTreeNode); // whole name only

    // Hidden and unchecked locations are found; erased ones never are.
    f.tree.setVisible(sud, false);
    f.tree.setCheckState(sud, NodeCheck::Unchecked);
    EXPECT_EQ(find_node_byname(f.tree, "Elan des bois", false, -1, kNoTreeNode), sud);
    f.add("@Ours", 10, 2);
    EXPECT_EQ(find_node_byname(f.tree, "@Ours", false, -1, kNoTreeNode), kNoTreeNode);
    EXPECT_EQ(find_node_byname(f.tree, "Ours", false, -1, kNoTreeNode), kNoTreeNode);

    LocationTree empty;
    EXPECT_EQ(find_node_byname(empty, "Ours", false, -1, kNoTreeNode), kNoTreeNode);
}

TEST(FindNodeByName, CurrentMapOnlyStaysInTheMapShown)
{
    TreeFixture f;
    const int nordMap = f.map.maps[0]->treeNode;
    const int sudMap = f.map.maps[1]->treeNode;
    const int north = f.add("Garde", 11, 2);
    const int south = f.add("Garde", 21, 2);
    const int port = f.add("Port", 20, 2);

    EXPECT_EQ(find_node_byname(f.tree, "garde", true, 1, nordMap), north);
    EXPECT_EQ(find_node_byname(f.tree, "garde", true, 2, sudMap), south);
    EXPECT_EQ(find_node_byname(f.tree, "port", true, 1, nordMap), kNoTreeNode); // walk ends at Beta
    EXPECT_EQ(find_node_byname(f.tree, "port", true, 2, sudMap), port);
    EXPECT_EQ(find_node_byname(f.tree, "port", true, -1, kNoTreeNode), kNoTreeNode); // no map shown
    EXPECT_EQ(find_node_byname(f.tree, "port", false, -1, kNoTreeNode), port);
}

TEST(FindNodeByNameInZones, LinkableCategoriesOfTheZonesShown)
{
    TreeFixture f;
    f.common.categories[0]->linkable = 1; // Monstres
    f.common.categories[2]->linkable = 1; // Herbes; Villes takes no links
    pMap_info* zeta = f.map.zones[0].get();
    pMap_info* alpha = f.map.zones[1].get();
    const std::vector<pMap_info*> shown{zeta, alpha};

    f.add("Tour", 10, 2);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "tour", shown, 1), kNoTreeNode);
    const int herb = f.add("Tour", 11, 3);
    EXPECT_EQ(find_node_byname_inzones(f.tree, " TOUR ", shown, 1), herb);
    f.add("@Tour", 10, 1);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "@Tour", shown, 1), kNoTreeNode);

    // Zones in the order given, tree order inside.
    const int inZeta = f.add("Loup", 10, 3);
    const int inAlpha = f.add("Loup", 11, 1);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "loup", shown, 1), inZeta);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "loup", std::vector<pMap_info*>{alpha, zeta}, 1), inAlpha);

    // A zone's walk runs on through the later zones of its map, never into another map.
    const int onlyZeta = f.add("Source", 10, 1);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "source", std::vector<pMap_info*>{alpha, zeta}, 1), onlyZeta);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "tour", std::vector<pMap_info*>{zeta}, 1), herb);
    f.add("Port", 20, 1);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "port", shown, 1), kNoTreeNode);
    EXPECT_EQ(find_node_byname_inzones(f.tree, "tour", {}, 1), kNoTreeNode);
}

// The location tree: adds, zone and point lookups, sorting, check marks, the level and
// translation filters, and the level edits.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "database_globals.h"
#include "location_tree_view.h"
#include "preferences.h"
#include "tree_fixture.h"
#include "tree_visibility.h"

TEST(LocationTree, AddnodePlacesLocationsAndDropsUnknownZonesAndCategories)
{
    // (The tree the model shows, its texts and hidden empty categories: see the model tests.)
    TreeFixture f;
    const int n = f.add("Loup", 11, 1, 5, 6, 10, 12);
    ASSERT_NE(n, kNoTreeNode);
    EXPECT_EQ(f.tree.get_nodetext(f.tree.parentOf(f.tree.parentOf(n))), "alpha");
    EXPECT_TRUE(f.tree.AutosaveAllowed);

    // An erased name is inserted hidden; its category shows all the same.
    const int erased = f.add("@Ours", 20, 2);
    ASSERT_NE(erased, kNoTreeNode);
    EXPECT_FALSE(f.tree.isVisible(erased));
    EXPECT_TRUE(f.tree.isVisible(f.tree.parentOf(erased)));

    // Unknown zone or category: dropped.
    EXPECT_EQ(f.add("x", 99, 1), kNoTreeNode);
    EXPECT_EQ(f.add("x", 10, 7), kNoTreeNode);
    EXPECT_EQ(f.add("x", 10, 257), kNoTreeNode); // 257 must not wrap to category 1
    EXPECT_EQ(f.tree.locationCount(), 2u);
}

TEST(LocationTree, ZoneLookupsUseFirstZoneByIdAndLastZoneByMap)
{
    TreeFixture f;
    // A second zone with id 10 later in the list, and zone id 40000 == -25536 on 16 bits.
    f.addZone("Doublon", 10, 2, 0, 0);
    f.addZone("Haute", int16_t(-25536), 2, 0, 0);
    f.tree.init_tree(f.map, f.common);
    const int first = f.map.zones[0]->treeNode, high = f.map.zones[5]->treeNode;
    for (auto [id, node] : {std::pair{10, first}, {40000, high}, {-25536, high}, {-1, kNoTreeNode}, {12345, kNoTreeNode}})
        EXPECT_EQ(f.tree.find_map_masternode(id), node) << id;
    for (auto [map, node] : {std::pair{2, high}, {1, f.map.zones[1]->treeNode}, {-1, kNoTreeNode}})
        EXPECT_EQ(f.tree.find_region_masternode(map), node) << map;
    EXPECT_NE(f.add("haut", 40000, 1), kNoTreeNode);
    // A cleared tree knows no zone, until it is built again.
    f.tree.clear();
    EXPECT_EQ(f.tree.find_map_masternode(10), kNoTreeNode);
    f.tree.init_tree(f.map, f.common);
    EXPECT_EQ(f.tree.find_map_masternode(10), f.map.zones[0]->treeNode);
}

TEST(LocationTree, SortOrdersEveryLevelWithoutCaseAndSortsLaterAdditionsIn)
{
    TreeFixture f;
    f.add("b\xE9ta", 10, 1);
    f.add("Alpha", 10, 1);
    f.add("alpha", 10, 1);
    f.add("Zorro", 10, 1);
    f.tree.sortAll();
    const int nord = f.tree.roots()[0];
    EXPECT_EQ(f.tree.get_nodetext(f.tree.children(nord)[0]), "alpha"); // zones sorted
    const int zeta = f.tree.children(nord)[1];
    const int monstres = f.tree.children(zeta)[1]; // Herbes, Monstres, Villes
    EXPECT_EQ(f.tree.get_nodetext(monstres), "Monstres");
    auto names = [&](int parent) {
        std::vector<std::string> out;
        for (int c : f.tree.children(parent)) out.push_back(f.tree.get_nodetext(c));
        return out;
    };
    // Stable for equal texts; accented bytes compare by code after ASCII letters.
    EXPECT_EQ(names(monstres), (std::vector<std::string>{"Alpha", "alpha", "b\xE9ta", "Zorro"}));
    // After the sort the category index still finds the right node.
    EXPECT_EQ(f.tree.parentOf(f.add("Yeti", 10, 1)), monstres);

    // The next sort puts later additions where a full sort would: equal texts in the order added.
    f.add("ALPHA", 10, 1);
    f.add("aa", 10, 1);
    const int villes = f.tree.parentOf(f.add("z", 20, 2));
    f.add("Y", 20, 2);
    f.tree.sortAll();
    EXPECT_EQ(names(monstres),
              (std::vector<std::string>{"aa", "Alpha", "alpha", "ALPHA", "b\xE9ta", "Yeti", "Zorro"}));
    EXPECT_EQ(names(villes), (std::vector<std::string>{"Y", "z"}));
}

TEST(LocationTree, LocationsAtFollowsTreeOrderAddsAndRemovals)
{
    TreeFixture f;
    const int a = f.add("a", 10, 2, 7, 7);
    const int b = f.add("b", 10, 1, 7, 7);
    const int c = f.add("c", 10, 1, 7, 7);
    f.add("other point", 10, 1, 7, 8);
    f.add("other zone", 11, 1, 7, 7);
    const int zone = f.tree.find_map_masternode(10);
    // Category 1 first; the index is built here.
    EXPECT_EQ(f.tree.locationsAt(zone, 7, 7), (std::vector<int>{b, c, a}));
    const int d = f.add("d", 10, 1, 7, 7);
    const int e = f.add("e", 10, 2, 7, 7);
    EXPECT_EQ(f.tree.locationsAt(zone, 7, 7), (std::vector<int>{b, c, d, a, e}));
    f.tree.destroynode(b); // from the bulk
    f.tree.destroynode(e); // from the later additions
    EXPECT_FALSE(f.tree.isNode(b));
    EXPECT_EQ(f.tree.locationsAt(zone, 7, 7), (std::vector<int>{c, d, a}));
    int seen = 0;
    f.tree.forEachLocation([&](int, const TNodeData&) { ++seen; });
    EXPECT_EQ(std::pair(seen, f.tree.locationCount()), std::pair(5, size_t(5)));
    // Many more additions than the index held: it is rebuilt and misses none of them.
    std::vector<int> added{c, d};
    for (int i = 0; i < 1500; ++i) {
        const int n = f.add("n", 10, 1, 7, i % 2 ? 7 : 8);
        if (i % 2) added.push_back(n);
        if (i == 700) {
            EXPECT_EQ(f.tree.locationsAt(zone, 7, 7).size(), added.size() + 1);
        }
    }
    f.tree.destroynode(added[5]);
    added.erase(added.begin() + 5);
    added.push_back(a);
    EXPECT_EQ(f.tree.locationsAt(zone, 7, 7), added);
    EXPECT_EQ(f.tree.locationsAt(zone, 7, 8).size(), 751u);
    EXPECT_TRUE(f.tree.locationsAt(zone, 8, 7).empty());
}

TEST(LocationTree, ChecksPropagateDownAndUp)
{
    TreeFixture f;
    const int a = f.add("a", 10, 1);
    const int b = f.add("b", 10, 1);
    const int categ = f.tree.parentOf(a);
    const int zone = f.tree.parentOf(categ);
    f.tree.ChecksChanged = false;
    f.tree.setCheckState(a, NodeCheck::Unchecked);
    EXPECT_TRUE(f.tree.ChecksChanged);
    EXPECT_EQ(f.tree.checkState(categ), NodeCheck::Mixed);
    EXPECT_EQ(f.tree.checkState(zone), NodeCheck::Mixed);
    f.tree.setCheckState(b, NodeCheck::Unchecked);
    EXPECT_EQ(f.tree.checkState(categ), NodeCheck::Unchecked);
    EXPECT_EQ(f.tree.checkState(zone), NodeCheck::Mixed); // its other categories are still checked
    f.tree.setCheckState(zone, NodeCheck::Checked);
    EXPECT_EQ(f.tree.checkState(a), NodeCheck::Checked);
    EXPECT_EQ(f.tree.checkState(f.tree.parentOf(zone)), NodeCheck::Checked);
}

TEST(LocationTree, LevelFilterHidesCreaturesOutsideTheRange)
{
    TreeFixture f;
    // Creatures of levels 20 to 30 show; other kinds ignore the filter.
    const struct { int categ, lmin, lmax; bool shown; } rows[] = {
        {1, 10, 19, false}, {1, 15, 25, true}, {1, 5, 20, true}, {1, 30, 40, true},
        {1, 31, 40, false}, {2, 1, 2, true},   {3, 90, 99, true}};
    std::vector<int> nodes;
    for (const auto& r : rows) nodes.push_back(f.add("n", 10, r.categ, int(nodes.size()), 1, r.lmin, r.lmax));
    const int city = nodes[5];
    LevelFilter filter{true, 20, 30};
    bool recolour = false;
    update_node_visibility(f.tree, filter, recolour);
    for (size_t i = 0; i < nodes.size(); ++i) EXPECT_EQ(f.tree.isVisible(nodes[i]), rows[i].shown) << i;
    filter.enabled = false;
    update_node_visibility(f.tree, filter, recolour);
    EXPECT_TRUE(f.tree.isVisible(nodes[0]));
    // A category whose only location went away hides at the next pass.
    f.tree.destroynode(city);
    update_node_visibility(f.tree, filter, recolour);
    EXPECT_FALSE(f.tree.isVisible(f.tree.children(f.tree.find_map_masternode(10))[1]));
}

TEST(LocationTree, RealMobLevelAndColours)
{
    Preferences.NIVP = 25; // the player's level when in range, else the nearer bound; 0 without a minimum
    for (auto [lmin, lmax, level] : {std::tuple{0, 40, 0}, {20, 30, 25}, {10, 20, 20}, {30, 40, 30}})
        EXPECT_EQ(check_real_mob_lvl(lmin, lmax), level) << lmin << "-" << lmax;

    TreeFixture f;
    f.common.specColors.push_back({5, 0x123456});
    rnew_node r{.name = "herbe", .zoneId = 10, .categoryId = 3, .description = {}, .attributes = {}, .linkText = {}, .hasItem = 1};
    SetSpec(r.attributes, 5, true);
    const int herb = f.tree.addnode(r);
    const int wolf = f.add("loup", 10, 1, 1, 1, 25, 25);
    EXPECT_EQ(f.tree.nodeData(herb)->item->colour, 0x123456u);
    EXPECT_EQ(f.tree.nodeData(wolf)->item->colour, 0x0000FFu); // category colour until a pass
    f.tree.nodeData(herb)->item->colour = 0; // only a full recolour may touch kind 4
    Preferences.CLVL = true;
    bool recolour = false;
    update_concolors(f.tree, recolour);
    EXPECT_EQ(f.tree.nodeData(herb)->item->colour, 0u);
    EXPECT_EQ(f.tree.nodeData(wolf)->item->colour, ConColor(25, 25, 0x0000FF, true));
    recolour = true;
    update_concolors(f.tree, recolour);
    EXPECT_FALSE(recolour);
    EXPECT_EQ(f.tree.nodeData(herb)->item->colour, 0x123456u);
    Preferences.NIVP = 5;
}

TEST(LocationTree, TranslationFilter)
{
    rItemdata item;
    item.languageTag = 3;
    CurrentLangTag = 3;
    for (auto [tran, check, shown] : {std::tuple{false, TraducCheck::Unchecked, true}, {true, TraducCheck::Grayed, true},
                                      {true, TraducCheck::Checked, true}, {true, TraducCheck::Unchecked, false}}) {
        Preferences.TRAN = tran;
        EXPECT_EQ(check_traduc_visibility(item, check), shown) << tran << int(check);
    }
    Preferences.TRAN = false;
    CurrentLangTag = 0;
}

TEST(LevelEdits, BoundsFollowEachOtherAndPlayerLevelClamps)
{
    QLineEdit minEdit("0"), maxEdit("50"), player;
    LevelFilter filter{true, 0, 50};
    minEdit.setText("70");
    exitLevelMin(&minEdit, &maxEdit, filter);
    EXPECT_EQ(std::tuple(filter.LevelMin, filter.LevelMax, maxEdit.text()), std::tuple(70, 70, "70"));
    filter = {true, 20, 50};
    maxEdit.setText("10");
    exitLevelMax(&minEdit, &maxEdit, filter);
    EXPECT_EQ(std::pair(filter.LevelMin, minEdit.text()), std::pair(10, QString("10")));
    maxEdit.setText("");
    exitLevelMax(&minEdit, &maxEdit, filter);
    EXPECT_EQ(filter.LevelMax, 0);

    for (auto [typed, level] : {std::pair{"", 1}, {"0", 1}, {"99", 50}, {"12", 12}}) {
        player.setText(typed);
        exitPlayerLevel(&player);
        EXPECT_EQ(Preferences.NIVP, level) << typed;
    }
    Preferences.NIVP = 5;
}

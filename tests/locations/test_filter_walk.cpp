// The level filter's walk and the level colours against a plain reading of every node's
// payload, through the edits that change what the walk reads (cut, paste, in-place bulk
// changes, reload), with the model checked against one built afresh.
#include <gtest/gtest.h>

#include <random>

#include <QAbstractItemModelTester>

#include "con_colors.h"
#include "location_editing.h"
#include "location_tree_model.h"
#include "preferences.h"
#include "tree_fixture.h"
#include "tree_visibility.h"

namespace {

const char* const kNames[] = {"Ogre", "@Ogre", "Loup", "Puits", "@Puits", "Tour", "ogre"};

struct FilterFixture : TreeFixture {
    std::mt19937 rng{20261206};
    std::vector<int> made;

    int pick(int n) { return int(rng() % uint32_t(n)); }
    void addRandom(int count)
    {
        static const int zones[] = {10, 11, 20, 21};
        for (int i = 0; i < count; ++i) {
            const int lo = pick(60), hi = lo + pick(40);
            const int n = add(kNames[pick(7)], zones[pick(4)], 1 + pick(3), pick(500), pick(500), lo, hi);
            if (n != kNoTreeNode) made.push_back(n);
        }
    }

    // Differences between the tree's visibility and the rule read straight from the payloads.
    int wrongVisibility(const LevelFilter& filter) const
    {
        int wrong = 0;
        tree.forEachNode([&](int id) {
            const TreeNode& n = tree.node(id);
            bool expected = true;
            if (n.level == levelCategory) {
                expected = !n.children.empty();
            } else if (n.level == levelLocation) {
                const rItemdata& it = *n.data->item;
                expected = it.name.empty() || it.name[0] != '@';
                if (expected && filter.enabled && n.data->category->kind == kindCreature)
                    expected = it.levelMax >= filter.LevelMin && it.levelMin <= filter.LevelMax;
            }
            if (tree.isVisible(id) != expected || n.visible != expected) ++wrong;
        });
        return wrong;
    }

    // Locations whose colour is not the one their category, levels and the player give.
    int staleColours() const
    {
        int stale = 0;
        tree.forEachLocation([&](int, const TNodeData& d) {
            if (d.category->kind == kindCreature && d.item->colour != locationColour(d, common.specColors)) ++stale;
        });
        return stale;
    }
};

// (row, row count) of every node in tree order, and the root's row count, as the model
// shows them.
std::vector<std::pair<int, int>> rows(const LocationTree& tree, const LocationTreeModel& m)
{
    std::vector<std::pair<int, int>> out;
    tree.forEachNode([&](int n) {
        const QModelIndex i = m.indexOf(n);
        out.emplace_back(i.isValid() ? i.row() : -1, i.isValid() ? m.rowCount(i) : -1);
    });
    out.emplace_back(0, m.rowCount());
    return out;
}

// The same read from the tree: a node is shown when it and its ancestors are visible.
std::vector<std::pair<int, int>> shownRows(const LocationTree& tree)
{
    auto shownKids = [&](int n) {
        int count = 0;
        for (int c : tree.children(n)) count += tree.isVisible(c);
        return count;
    };
    std::vector<std::pair<int, int>> out;
    tree.forEachNode([&](int n) {
        bool shown = true;
        for (int a = n; a != kNoTreeNode; a = tree.parentOf(a)) shown = shown && tree.isVisible(a);
        int row = 0;
        for (int s : tree.children(tree.parentOf(n))) {
            if (s == n) break;
            row += tree.isVisible(s);
        }
        out.emplace_back(shown ? row : -1, shown ? shownKids(n) : -1);
    });
    out.emplace_back(0, shownKids(kNoTreeNode));
    return out;
}

class FilterWalk : public ::testing::Test {
protected:
    void SetUp() override { saved = Preferences; }
    void TearDown() override
    {
        Preferences = saved;
        InitConColors();
    }
    rPreference saved;
};

TEST_F(FilterWalk, FollowsThePayloadsThroughFiltersAndEdits)
{
    FilterFixture f;
    f.addRandom(400);
    f.tree.sortAll();
    auto model = std::make_unique<LocationTreeModel>(f.tree);
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    bool recolour = true;
    LevelFilter filter{true, 20, 30};
    auto check = [&](const char* step) {
        // A map hidden and shown in the same bracket: the model rebuilds every list.
        f.tree.BeginUpdate();
        f.tree.setVisible(f.tree.roots().back(), false);
        f.tree.setVisible(f.tree.roots().back(), true);
        update_node_visibility(f.tree, filter, recolour);
        f.tree.EndUpdate();
        int removedShown = 0;
        for (size_t id = 0; id < f.tree.idLimit(); ++id) removedShown += !f.tree.isNode(int(id)) && f.tree.isVisible(int(id));
        EXPECT_EQ(removedShown, 0) << step;
        EXPECT_EQ(f.wrongVisibility(filter), 0) << step;
        EXPECT_EQ(rows(f.tree, *model), shownRows(f.tree)) << step;
    };
    check("first filter");
    for (LevelFilter other : {LevelFilter{false, 20, 30}, LevelFilter{true, 0, 99}, LevelFilter{true, 45, 45},
                              LevelFilter{true, 60, 10}, LevelFilter{true, 20, 30}}) {
        filter = other;
        check("another filter");
    }

    // Levels and names changed in place: the walk reads them again.
    BulkChange levels;
    levels.name = levels.note = levels.attributesAndType = false;
    levels.levels = true;
    levels.levelMin = 25;
    levels.levelMax = 26;
    ASSERT_FALSE(applyBulkChange(f.tree, kNoTreeNode, "Ogre", 1, levels).empty());
    check("levels changed in place");
    BulkChange erase;
    erase.note = erase.attributesAndType = false;
    erase.newName = "@Loup";
    ASSERT_FALSE(applyBulkChange(f.tree, kNoTreeNode, "Loup", 1, erase).empty());
    f.tree.sortAll();
    check("names erased in place and sorted");
    BulkChange revive = erase;
    revive.newName = "Loup";
    ASSERT_FALSE(applyBulkChange(f.tree, kNoTreeNode, "@Loup", 1, revive).empty());
    f.tree.sortAll();
    check("names revived in place and sorted");
    BulkChange rename = erase;
    rename.newName = "Abri";
    ASSERT_FALSE(applyBulkChange(f.tree, kNoTreeNode, "Puits", 2, rename).empty());
    f.tree.sortAll();
    check("names changed in place move in their lists");

    // Cut and paste, as the editing commands run them, each in its own bracket.
    f.tree.BeginUpdate();
    for (size_t i = 0; i < f.made.size(); i += 3) f.tree.destroynode(f.made[i]);
    f.tree.EndUpdate();
    check("cut");
    f.tree.BeginUpdate();
    f.addRandom(50);
    f.tree.sortAll();
    f.tree.EndUpdate();
    check("paste");
    // A category emptied: the rule hides it.
    const int zetaMonsters = f.tree.children(f.tree.find_map_masternode(10)).front();
    f.tree.BeginUpdate();
    for (int n : std::vector<int>(f.tree.children(zetaMonsters))) f.tree.destroynode(n);
    f.tree.EndUpdate();
    check("category emptied");

    // The walk from a node in the middle, and one node alone.
    filter = {true, 5, 15};
    const int mid = f.tree.find_map_masternode(20);
    check_node_visibility(f.tree, mid, filter);
    int wrongFromMid = 0;
    for (int n = mid; n != kNoTreeNode; n = f.tree.nextNode(n))
        if (f.tree.levelOf(n) == levelLocation) {
            const rItemdata& it = *f.tree.nodeData(n)->item;
            const bool creature = f.tree.nodeData(n)->category->kind == kindCreature;
            wrongFromMid += f.tree.isVisible(n) != (it.name[0] != '@' && (!creature || (it.levelMax >= 5 && it.levelMin <= 15)));
        }
    EXPECT_EQ(wrongFromMid, 0);
    check("after the walk from the middle");

    // Reload: the tree cleared and filled again under the same model.
    f.tree.init_tree(f.map, f.common);
    f.made.clear();
    f.addRandom(200);
    f.tree.sortAll();
    check("reload");
    const int one = f.made.front();
    f.tree.setVisible(one, !f.tree.isVisible(one));
    HideNodes(f.tree, one, filter);
    EXPECT_EQ(f.wrongVisibility(filter), 0);
    model.reset();
}

TEST_F(FilterWalk, LevelColoursFollowEveryInputOfTheirPass)
{
    FilterFixture f;
    f.addRandom(300);
    f.tree.sortAll();
    bool recolour = true;
    LevelFilter filter{true, 20, 30};
    Preferences.NIVP = 25;
    Preferences.CLVL = true;
    auto change = [&](const char* step) {
        update_node_visibility(f.tree, filter, recolour);
        EXPECT_EQ(f.staleColours(), 0) << step;
    };
    change("load");
    filter.enabled = false;
    change("filter off");
    Preferences.NIVP = 40;
    change("player level");
    f.common.categories[0]->colour = 0x123456;
    change("category colour");
    ConColors[ConRed] = 0x010203;
    change("con colours");
    Preferences.CLVL = false;
    change("level colours off");
    Preferences.CLVL = true;
    change("level colours on");
    // Added locations start in their category's colour; the next pass gives them theirs.
    f.addRandom(20);
    change("paste");
    BulkChange levels;
    levels.name = levels.note = levels.attributesAndType = false;
    levels.levels = true;
    levels.levelMin = levels.levelMax = 90;
    ASSERT_FALSE(applyBulkChange(f.tree, kNoTreeNode, "Tour", 1, levels).empty());
    change("levels changed in place");

    // The other kinds keep the colours they had: only a full recolour touches them.
    std::vector<TColor> others;
    f.tree.forEachLocation([&](int, const TNodeData& d) {
        if (d.category->kind != kindCreature) others.push_back(d.item->colour);
    });
    f.common.categories[1]->colour = 0x654321;
    change("colour of a category without levels");
    std::vector<TColor> after;
    f.tree.forEachLocation([&](int, const TNodeData& d) {
        if (d.category->kind != kindCreature) after.push_back(d.item->colour);
    });
    EXPECT_EQ(others, after);
    recolour = true;
    update_concolors(f.tree, recolour);
    int wrongOthers = 0;
    f.tree.forEachLocation([&](int, const TNodeData& d) { wrongOthers += d.item->colour != locationColour(d, f.common.specColors); });
    EXPECT_EQ(wrongOthers, 0);
}

} // namespace

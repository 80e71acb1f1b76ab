// The level filter's walk and the level colours against a plain reading of every node's
// payload, through the inputs and edits that change what the walk reads (filters, colour
// settings, cut, paste, in-place bulk changes, reload), with the model checked against one
// built afresh.
#include <gtest/gtest.h>

#include <random>

#include "con_colors.h"
#include "location_editing.h"
#include "location_tree_model.h"
#include "preferences.h"
#include "tree_fixture.h"
#include "tree_visibility.h"

namespace {

struct FilterFixture : TreeFixture {
    std::mt19937 rng{20261206};
    std::vector<int> made;
    LevelFilter filter{true, 20, 30};
    bool recolour = true;

    void addRandom(int count)
    {
        static const char* const names[] = {"Ogre", "@Ogre", "Loup", "Puits", "@Puits", "Tour", "ogre"};
        static const int zones[] = {10, 11, 20, 21};
        for (int i = 0; i < count; ++i) {
            const int lo = int(rng() % 60), hi = lo + int(rng() % 40);
            const int n = add(names[rng() % 7], zones[rng() % 4], 1 + int(rng() % 3), 1, 1, lo, hi);
            if (n != kNoTreeNode) made.push_back(n);
        }
    }
    // Nodes whose visibility differs from the rule read straight from the payloads, removed
    // nodes shown included.
    int wrongVisibility() const
    {
        int wrong = 0;
        for (size_t id = 0; id < tree.idLimit(); ++id) {
            if (!tree.isNode(int(id))) {
                wrong += tree.isVisible(int(id));
                continue;
            }
            const TreeNode& n = tree.node(int(id));
            bool expected = n.level != levelCategory || !n.children.empty();
            if (n.level == levelLocation) {
                const rItemdata& it = *n.data->item;
                expected = it.name[0] != '@';
                if (expected && filter.enabled && n.data->category->kind == kindCreature)
                    expected = it.levelMax >= filter.LevelMin && it.levelMin <= filter.LevelMax;
            }
            wrong += tree.isVisible(int(id)) != expected || n.visible != expected;
        }
        return wrong;
    }
    // Creature locations whose colour is not the one their category, levels and the player give.
    int staleColours() const
    {
        int stale = 0;
        tree.forEachLocation([&](int, const TNodeData& d) {
            const bool creature = d.category->kind == kindCreature;
            stale += creature && d.item->colour != locationColour(d, common.specColors);
        });
        return stale;
    }
    std::vector<int> bulk(const std::string& from, uint8_t category, const std::string& to, int levels = -1)
    {
        BulkChange c;
        c.note = c.attributesAndType = false;
        c.name = levels < 0;
        c.newName = to;
        c.levels = levels >= 0;
        c.levelMin = c.levelMax = uint8_t(levels);
        return applyBulkChange(tree, kNoTreeNode, from, category, c);
    }
};

} // namespace

TEST(FilterWalk, FollowsThePayloadsThroughFiltersColoursAndEdits)
{
    const rPreference saved = Preferences;
    FilterFixture f;
    f.addRandom(400);
    f.tree.sortAll();
    LocationTreeModel model(f.tree);
    auto check = [&](const char* step) {
        // A map hidden and shown in the same bracket: the model rebuilds every list.
        f.tree.BeginUpdate();
        f.tree.setVisible(f.tree.roots().back(), false);
        f.tree.setVisible(f.tree.roots().back(), true);
        update_node_visibility(f.tree, f.filter, f.recolour);
        f.tree.EndUpdate();
        EXPECT_EQ(f.wrongVisibility(), 0) << step;
        EXPECT_EQ(f.staleColours(), 0) << step;
        const std::vector<std::pair<int, int>> fresh = modelRows(f.tree, LocationTreeModel(f.tree));
        f.tree.setObserver(&model);
        EXPECT_EQ(modelRows(f.tree, model), fresh) << step;
    };
    for (LevelFilter other : {LevelFilter{false, 20, 30}, {true, 60, 10}, {true, 20, 30}}) {
        f.filter = other;
        check("filter");
    }
    // Every input of the level colours.
    Preferences.NIVP = 40;
    check("player level");
    f.common.categories[0]->colour = 0x123456;
    check("category colour");
    ConColors[ConRed] = 0x010203;
    check("con colours");
    Preferences.CLVL = !Preferences.CLVL;
    check("level colours switched");
    // Levels and names changed in place: the walk reads them again; renamed lists move.
    ASSERT_FALSE(f.bulk("Ogre", 1, "", 25).empty());
    check("levels changed in place");
    ASSERT_FALSE(f.bulk("Loup", 1, "@Loup").empty()); // hidden, and moved in its list
    f.tree.sortAll();
    check("names changed in place");
    // Cut and paste, each in its own bracket; an emptied category is hidden; pasted
    // locations start in their category's colour until the pass gives them theirs.
    f.tree.BeginUpdate();
    for (size_t i = 0; i < f.made.size(); i += 3) f.tree.destroynode(f.made[i]);
    const int monsters = f.tree.children(f.tree.find_map_masternode(10)).front();
    for (int n : std::vector<int>(f.tree.children(monsters))) f.tree.destroynode(n);
    f.tree.EndUpdate();
    f.filter = {true, 45, 45};
    check("cut");
    f.addRandom(50);
    f.tree.sortAll();
    check("paste");
    // Reload: the tree cleared and filled again under the same model.
    f.tree.init_tree(f.map, f.common);
    f.addRandom(200);
    f.tree.sortAll();
    check("reload");
    Preferences = saved;
    InitConColors();
}

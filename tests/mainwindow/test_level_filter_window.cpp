// The level filter and the player level on the tree page of the real window: the rows the
// tree view shows and their colours against a plain reading of every location, through a
// cut in between.
#include <gtest/gtest.h>

#include <set>

#include <QApplication>
#include <QCheckBox>
#include <QToolButton>
#include <QColor>
#include <QLineEdit>
#include <QTest>

#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window_fixture.h"
#include "data_model.h"
#include "preferences.h"
#include "tree_visibility.h"

namespace {

// Location nodes the tree view can reach, by expanding every shown row.
std::set<int> shownLocations(const LocationTreeModel& m, const LocationTree& tree)
{
    std::set<int> out;
    std::vector<QModelIndex> stack{QModelIndex()};
    while (!stack.empty()) {
        const QModelIndex parent = stack.back();
        stack.pop_back();
        for (int r = 0; r < m.rowCount(parent); ++r) {
            const QModelIndex i = m.index(r, 0, parent);
            if (tree.levelOf(m.nodeOf(i)) == levelLocation) out.insert(m.nodeOf(i));
            else stack.push_back(i);
        }
    }
    return out;
}

std::set<int> expectedLocations(const LocationTree& tree, bool on, int lo, int hi)
{
    std::set<int> out;
    tree.forEachLocation([&](int n, const TNodeData& d) {
        bool shown = d.item->name.empty() || d.item->name[0] != '@';
        if (shown && on && d.category->kind == kindCreature) shown = d.item->levelMax >= lo && d.item->levelMin <= hi;
        if (shown) out.insert(n);
    });
    return out;
}

TEST(LevelFilterWindow, TreeRowsAndColoursFollowTheFilterAndThePlayerLevel)
{
    const rPreference saved = Preferences;
    MainWindowFixture f;
    auto w = f.startShown({1100, 760});
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->but_liste[0]->click(); // the tree page
    const LocationTree& tree = w->MyTreeStore;
    const LocationTreeModel& model = *w->MyTreeModel;
    int creatures = 0;
    tree.forEachLocation([&](int, const TNodeData& d) { creatures += d.category->kind == kindCreature; });
    ASSERT_GT(creatures, 20);
    EXPECT_EQ(shownLocations(model, tree), expectedLocations(tree, false, 0, 99));

    QTest::mouseClick(w->CheckBoxlvl, Qt::LeftButton);
    ASSERT_TRUE(w->CheckBoxlvl->isChecked());
    typeInto(w->Edit_lvl_min, "20", true);
    typeInto(w->Edit_lvl_max, "30", true);
    const std::set<int> filtered = shownLocations(model, tree);
    EXPECT_EQ(filtered, expectedLocations(tree, true, 20, 30));
    EXPECT_LT(filtered.size(), expectedLocations(tree, false, 0, 99).size());

    // The player level recolours the creature rows.
    auto wrongColours = [&] {
        int wrong = 0;
        for (int n : shownLocations(model, tree)) {
            const TNodeData& d = *tree.nodeData(n);
            if (d.category->kind != kindCreature) continue;
            const TColor c = locationColour(d, CommonData->specColors);
            const QColor expected(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
            wrong += model.data(model.indexOf(n), Qt::ForegroundRole).value<QColor>() != expected;
        }
        return wrong;
    };
    std::map<int, TColor> before;
    tree.forEachLocation([&](int n, const TNodeData& d) { before[n] = d.item->colour; });
    typeInto(w->Editlvl, "45", true);
    EXPECT_EQ(Preferences.NIVP, 45);
    EXPECT_EQ(wrongColours(), 0);
    int recoloured = 0;
    tree.forEachLocation([&](int n, const TNodeData& d) { recoloured += before[n] != d.item->colour; });
    EXPECT_GT(recoloured, 0);

    // A cut, then the filter moved and switched off.
    const int cut = *filtered.begin();
    w->couper_node(cut);
    ASSERT_FALSE(tree.isNode(cut));
    typeInto(w->Edit_lvl_max, "60", true);
    EXPECT_EQ(shownLocations(model, tree), expectedLocations(tree, true, 20, 60));
    EXPECT_EQ(wrongColours(), 0);
    QTest::mouseClick(w->CheckBoxlvl, Qt::LeftButton);
    EXPECT_EQ(shownLocations(model, tree), expectedLocations(tree, false, 0, 99));
    w.reset();
    Preferences = saved;
}

} // namespace

// The level filter and the player level on the tree page of the real window: the locations
// the tree view shows and their colours against a plain reading of every location.
#include <set>

#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window_fixture.h"
#include "tree_visibility.h"

TEST(LevelFilterWindow, TreeRowsAndColoursFollowTheFilterAndThePlayerLevel)
{
    const rPreference saved = Preferences;
    MainWindowFixture f;
    auto w = f.startShown({1100, 760});
    const LocationTree& tree = w->MyTreeStore;
    const LocationTreeModel& model = *w->MyTreeModel;
    auto shown = [&] { // locations the view reaches by expanding every row
        std::set<int> out;
        std::vector<QModelIndex> stack{QModelIndex()};
        while (!stack.empty()) {
            const QModelIndex parent = stack.back();
            stack.pop_back();
            for (int r = 0; r < model.rowCount(parent); ++r) {
                const QModelIndex i = model.index(r, 0, parent);
                if (tree.levelOf(model.nodeOf(i)) == levelLocation) out.insert(model.nodeOf(i));
                else stack.push_back(i);
            }
        }
        return out;
    };
    auto expected = [&](bool on, int lo, int hi) {
        std::set<int> out;
        tree.forEachLocation([&](int n, const TNodeData& d) {
            const bool creature = d.category->kind == kindCreature;
            if (d.item->name[0] != '@' && (!on || !creature || (d.item->levelMax >= lo && d.item->levelMin <= hi)))
                out.insert(n);
        });
        return out;
    };
    QTest::mouseClick(w->CheckBoxlvl, Qt::LeftButton);
    typeInto(w->Edit_lvl_min, "20", true);
    typeInto(w->Edit_lvl_max, "30", true);
    EXPECT_EQ(shown(), expected(true, 20, 30));
    EXPECT_LT(shown().size(), expected(false, 0, 99).size());

    // The player level recolours the creature rows.
    typeInto(w->Editlvl, "45", true);
    ASSERT_EQ(Preferences.NIVP, 45);
    int wrong = 0, creatures = 0;
    for (int n : shown()) {
        const TNodeData& d = *tree.nodeData(n);
        if (d.category->kind != kindCreature) continue;
        ++creatures;
        const TColor c = locationColour(d, CommonData->specColors);
        wrong += model.data(model.indexOf(n), Qt::ForegroundRole).value<QColor>() !=
                 QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
    }
    EXPECT_GT(creatures, 0);
    EXPECT_EQ(wrong, 0);
    QTest::mouseClick(w->CheckBoxlvl, Qt::LeftButton);
    EXPECT_EQ(shown(), expected(false, 0, 99));
    w.reset();
    Preferences = saved;
}

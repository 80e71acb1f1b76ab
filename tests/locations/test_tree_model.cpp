// The tree's item model under QAbstractItemModelTester: rows, checks and batched changes,
// merges of additions into long lists.
#include <gtest/gtest.h>

#include <cstdio>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "additions.h"
#include "folders.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "master_file.h"
#include "quiet_additions_host.h"
#include "sample_folder.h"
#include "test_util.h"
#include "tree_fixture.h"
#include "tree_visibility.h"

TEST(LocationTreeModel, ShowsOnlyVisibleNodesAndKeepsPersistentIndexes)
{
    TreeFixture f;
    LocationTreeModel model(f.tree);
    const int wolf = f.add("Loup", 10, 1, 1, 1, 10, 12);
    const int bear = f.add("Ours", 10, 1, 2, 2, 40, 45);
    const QModelIndex zeta = model.index(0, 0, model.index(0, 0));
    EXPECT_EQ(model.data(zeta).toString(), "Zeta");
    EXPECT_EQ(model.rowCount(zeta), 1); // only the category with locations
    const QModelIndex monsters = model.index(0, 0, zeta);
    EXPECT_EQ(model.rowCount(monsters), 2);
    QPersistentModelIndex bearIndex(model.indexOf(bear));
    LevelFilter filter{true, 1, 20};
    bool recolour = false;
    update_node_visibility(f.tree, filter, recolour);
    EXPECT_EQ(model.rowCount(monsters), 1);
    EXPECT_FALSE(bearIndex.isValid()); // hidden now
    QPersistentModelIndex wolfIndex(model.indexOf(wolf));
    filter.enabled = false;
    update_node_visibility(f.tree, filter, recolour);
    EXPECT_TRUE(wolfIndex.isValid());
    EXPECT_EQ(model.nodeOf(wolfIndex), wolf);
    // A reload invalidates every old index even though ids start again from 0.
    f.tree.init_tree(f.map, f.common);
    EXPECT_FALSE(wolfIndex.isValid());
}

TEST(LocationTreeModel, CheckStatesColoursAndMarks)
{
    TreeFixture f;
    LocationTreeModel model(f.tree);
    const int wolf = f.add("Loup", 10, 1);
    f.tree.nodeData(wolf)->item->colour = 0x112233;
    const QModelIndex wolfIndex = model.indexOf(wolf);
    ASSERT_TRUE(wolfIndex.isValid());
    EXPECT_EQ(model.data(wolfIndex, Qt::ForegroundRole).value<QColor>(), QColor(0x33, 0x22, 0x11));
    EXPECT_TRUE(model.setData(wolfIndex, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.parent(wolfIndex), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_EQ(model.data(model.indexOf(f.tree.roots()[0]), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    model.setCurrentMapId(1);
    EXPECT_FALSE(model.data(model.indexOf(f.tree.find_map_masternode(10)), Qt::ForegroundRole).isValid());
    EXPECT_TRUE(model.data(model.indexOf(f.tree.find_map_masternode(20)), Qt::ForegroundRole).isValid());
    QPixmap pm(12, 12);
    pm.fill(Qt::red);
    model.setImages({QIcon(pm)});
    model.setSelectionChain({wolf, f.tree.parentOf(wolf), kNoTreeNode, kNoTreeNode});
    EXPECT_FALSE(model.data(model.indexOf(wolf, LocationTreeModel::MarkColumn), Qt::DecorationRole).isNull());
    EXPECT_TRUE(model.data(model.indexOf(f.tree.roots()[1], LocationTreeModel::MarkColumn), Qt::DecorationRole).isNull());
}

TEST(LocationTreeView, MenuSorts)
{
    TreeFixture f;
    LocationTreeModel model(f.tree);
    LocationTreeView view(f.tree, model);
    f.add("b", 10, 1);
    f.add("a", 10, 1);
    view.Trier1->trigger(); // (the tree menu's other items: see the window's edit tests)
    const int first = f.tree.children(f.tree.children(f.tree.find_map_masternode(10))[1])[0];
    EXPECT_EQ(f.tree.get_nodetext(first), "a");
}

TEST(LocationTreeModel, FollowsSmallChangesAsAFullRebuildWould)
{
    TreeFixture f;
    auto following = std::make_unique<LocationTreeModel>(f.tree);
    QAbstractItemModelTester tester(following.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<int> made;
    for (int i = 0; i < 20; ++i) made.push_back(f.add("loc" + std::to_string(i % 7), 10 + i % 4 + (i % 4 > 1 ? 8 : 0), 1 + i % 3, i, i, i, i));
    f.tree.sortAll();
    // A map hidden and shown again: a full rebuild.
    f.tree.BeginUpdate();
    f.tree.setVisible(f.tree.roots()[1], false);
    f.tree.setVisible(f.tree.roots()[1], true);
    f.tree.EndUpdate();
    // Then one command at a time, each in its own bracket, as the editing commands run.
    f.tree.BeginUpdate();
    f.tree.destroynode(made[3]);
    f.add("@erased", 10, 1);
    f.add("aaa", 21, 2);
    f.tree.sortAll();
    f.tree.EndUpdate();
    f.tree.destroynode(made[4]);
    f.tree.destroynode(made[8]); // the last of its category: the category stays, empty
    f.tree.setVisible(made[5], false);
    f.add("zzz", 20, 3);

    const auto incremental = modelRows(f.tree, *following);
    LocationTreeModel fresh(f.tree);
    EXPECT_EQ(incremental, modelRows(f.tree, fresh));

    // A bulk load, a level filter pass, a removal, a check mark and a reload pass the tester too.
    f.tree.BeginUpdate();
    for (int i = 0; i < 60; ++i) f.add("bulk" + std::to_string(i), 10 + (i % 2), 1 + (i % 3), i, i, i, i + 5);
    f.tree.EndUpdate();
    LevelFilter filter{true, 20, 30};
    bool recolour = true;
    update_node_visibility(f.tree, filter, recolour);
    f.tree.destroynode(made[0]);
    f.tree.setCheckState(f.tree.roots()[0], NodeCheck::Unchecked);
    f.tree.init_tree(f.map, f.common);
    following.reset();
}

TEST(LocationTreeModel, BatchOfAdditionsAndRemovalsInSeveralListsKeepsExpansionAndSelection)
{
    TreeFixture f;
    auto model = std::make_unique<LocationTreeModel>(f.tree);
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    LocationTreeView view(f.tree, *model);
    std::vector<int> made;
    for (int i = 0; i < 12; ++i) made.push_back(f.add("loc" + std::to_string(i), i % 2 ? 10 : 20, 1 + i % 3, i, i));
    f.tree.sortAll();
    const int kept = made[4];
    const int zetaTowns = f.tree.parentOf(made[1]);
    view.expand(model->indexOf(f.tree.parentOf(kept)));
    view.expand(model->indexOf(zetaTowns));
    view.setCurrentIndex(model->indexOf(kept));

    // One batch as a merge runs it: additions at the end of several lists (one of them
    // hidden), lists that both gain and lose, one that only loses, a child added and
    // removed again.
    f.tree.BeginUpdate();
    const int added1 = f.add("new1", 10, 2, 50, 50);
    f.add("@erased", 10, 2, 51, 51);
    const int added2 = f.add("new2", 20, 1, 52, 52);
    f.add("new3", 10, 2, 53, 53);
    f.add("new4", 10, 1, 54, 54);
    f.tree.destroynode(made[1]);
    f.tree.destroynode(made[6]);
    f.tree.destroynode(made[5]); // a list that only loses
    f.tree.destroynode(f.add("gone again", 20, 3, 57, 57));
    f.tree.EndUpdate();
    // Then a second batch: the lists that moved to the end of the shown runs grow again.
    f.tree.BeginUpdate();
    f.add("new5", 20, 1, 55, 55);
    f.add("new6", 10, 2, 56, 56);
    f.tree.EndUpdate();

    LocationTreeModel fresh(f.tree);
    EXPECT_EQ(modelRows(f.tree, *model), modelRows(f.tree, fresh));
    EXPECT_EQ(model->nodeOf(view.currentIndex()), kept);
    EXPECT_TRUE(view.isExpanded(model->indexOf(f.tree.parentOf(kept))));
    EXPECT_TRUE(view.isExpanded(model->indexOf(zetaTowns)));
    EXPECT_TRUE(model->indexOf(added1).isValid());
    EXPECT_EQ(model->rowCount(model->indexOf(f.tree.parentOf(added2))), 3); // loc0, loc6 gone, new2, new5
}

namespace {

// Additions lines over every `step`-th location from `from` in tree order but `spared`, in
// turn a duplicate, a replacement of the database location (which takes it from its list)
// and a new location.
std::string additionsLines(const LocationTree& tree, size_t from, size_t step, int spared)
{
    std::string text = "#v250-id=123456-test\r\n#v2.52\r\n";
    size_t seen = 0, i = 0;
    tree.forEachLocation([&](int node, const TNodeData& d) {
        if (seen++ % step != from || !d.item->fromMaster || node == spared) return;
        const rItemdata& it = *d.item;
        char id[16] = "";
        int x = it.x, y = it.y;
        switch (i++ % 3) {
        case 0: break;
        case 1: std::snprintf(id, sizeof id, "%06X", it.id); break;
        default: x = (x + 7919) % 65536; y = (y + 104729) % 65536; break;
        }
        text += it.name + "||" + std::to_string(d.zone->zoneId) + '|' + std::to_string(d.category->id) + '|'
                + std::to_string(x) + '|' + std::to_string(y) + '|' + std::to_string(it.levelMin) + '|'
                + std::to_string(it.levelMax) + "||" + std::to_string(it.typeId) + '|'
                + std::to_string(it.languageTag) + "|||" + id + "||" + it.description + " (revu)\r\n";
    });
    return text;
}

} // namespace

// Merges into a loaded sample whose lists hold hundreds of locations: children appended
// after the lists' runs, and far more removals from one list than the model takes before
// numbering its rows again, in two batches, then the sort that follows a load.
TEST(LocationTreeModel, FollowsMergesIntoLongListsAsAFullRebuildWould)
{
    QTemporaryDir dir;
    RecordingBoxes boxes;
    sample::SampleOptions options;
    options.locations = 6000;
    options.zones = 4;
    options.categories = 4;
    options.imageSize = 32;
    ASSERT_TRUE(sample::makeSampleFolder(dir.path(), options).ok);
    SetProgramFolder(dir.path());
    InterfaceLang = "Francais";
    DatabaseLang = QDir(DatabaseDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
    DatabaseLangDir = DatabaseDir + DatabaseLang + '/';
    auto common = TData_common::Create();
    TRealm_info realm;
    LocationTree tree;
    tree.init_tree(*realm.mapIndex, *common);
    MasterFileLoader master(tree, realm);
    ASSERT_TRUE(master.loadmaster2());
    tree.sortAll();
    ASSERT_NE(realm.headerValue, 0u);

    auto model = std::make_unique<LocationTreeModel>(tree);
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    LocationTreeView view(tree, *model);
    // The longest list open, a location near its end current.
    int longest = kNoTreeNode;
    tree.forEachNode([&](int n) {
        if (tree.levelOf(n) == levelCategory && (longest == kNoTreeNode || tree.children(n).size() > tree.children(longest).size()))
            longest = n;
    });
    ASSERT_GT(tree.children(longest).size(), 400u);
    view.expand(model->indexOf(tree.parentOf(tree.parentOf(longest))));
    view.expand(model->indexOf(tree.parentOf(longest)));
    view.expand(model->indexOf(longest));
    const int current = tree.children(longest)[tree.children(longest).size() - 3];
    view.setCurrentIndex(model->indexOf(current));

    QuietHost host;
    AdditionsFile additions(tree, realm, host, "test.txt");
    for (size_t batch = 0; batch < 2; ++batch) {
        tree.BeginUpdate();
        ASSERT_TRUE(additions.LoadRef_AddBytes(additionsLines(tree, batch, 2, current)));
        tree.EndUpdate();
        {
            LocationTreeModel fresh(tree); // it takes the tree's observer while it lives
            ASSERT_EQ(modelRows(tree, *model), modelRows(tree, fresh)) << "batch " << batch;
        }
        tree.setObserver(model.get());
    }
    EXPECT_GT(realm.mergeCount, 3000);
    EXPECT_EQ(model->nodeOf(view.currentIndex()), current);
    EXPECT_TRUE(view.isExpanded(model->indexOf(longest)));

    tree.BeginUpdate();
    tree.sortAll();
    tree.EndUpdate();
    LocationTreeModel fresh(tree);
    EXPECT_EQ(modelRows(tree, *model), modelRows(tree, fresh));
    EXPECT_EQ(model->nodeOf(view.currentIndex()), current);
}

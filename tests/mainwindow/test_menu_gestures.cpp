// Menu items and list gestures reached as a user reaches them: the map menu's maps sub-menu,
// other position and waypoint undo; the tree's collapse and sort items, its double click and
// arrow keys; the result list's menu; the nickname asked by the first save.
#include "edit_window_fixture.h"
#include "nickname_dialog.h"
#include "search_result_model.h"

namespace {

// Right click at the point, then the sub-menu's item, once the sub-menu is up.
void mapSubMenu(EditWindow& e, QPoint p, QAction* subMenuItem, QMenu* subMenu, QAction* item)
{
    e.mapMenu(p, subMenuItem);
    ASSERT_EVENTUALLY(subMenu->isVisible());
    QTest::mouseClick(subMenu, Qt::LeftButton, {}, subMenu->actionGeometry(item).center());
}

// The model row of a node under its parent, as the tree shows it.
int shownRow(EditWindow& e, int node)
{
    return e.w->MyTreeModel->indexOf(node).row();
}

} // namespace

TEST(MapMenuGestures, TheMapsSubMenuShowsTheChosenMapOutsideEditModeToo)
{
    EditWindow e;
    QTest::mouseClick(e.w->but_editmode, Qt::LeftButton);
    ASSERT_FALSE(e.w->but_editmode->isChecked());
    const int here = e.findLocation();
    const QPoint p = e.hoverEmpty(e.hover(here));
    const int32_t shownMap = e.w->scene.CurrentMapId;
    // An item of another map than the one shown.
    QAction* other = nullptr;
    int index = -1;
    for (QAction* a : mapItems(*e.w)) {
        index = -a->property("Tag").toInt();
        if (RealmInfo->mapIndex->maps[size_t(index)]->mapId != shownMap) {
            other = a;
            break;
        }
    }
    ASSERT_NE(other, nullptr);
    mapSubMenu(e, p, e.w->region1Action, e.w->region1, other);
    const rRegion& map = *RealmInfo->mapIndex->maps[size_t(index)];
    EXPECT_EQ(e.w->scene.CurrentMapId, map.mapId);
    ASSERT_FALSE(e.w->scene.DisplayedZones.empty());
    for (const pMap_info* z : e.w->scene.DisplayedZones) EXPECT_EQ(z->regionId, map.mapId);
    EXPECT_TRUE(other->isChecked());
    for (QAction* a : mapItems(*e.w))
        if (a != other) {
            EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
        }
}

TEST(MapMenuGestures, OtherPositionAtTheMouseAndTheLastWaypointUndone)
{
    EditWindow e;
    const QPoint p = e.hoverEmpty(e.hover(e.findLocation()));
    const pMap_info* zone = e.w->scene.ZoneUnderMouse;
    const QPoint local = e.w->scene.MouseZonePoint;
    e.mapMenu(p, e.w->BOther);
    EXPECT_EQ(e.w->scene.OtherPos.Zone, zone);
    EXPECT_EQ(e.w->Edit_otherX->text(), QString::number(local.x() / 1000));
    EXPECT_EQ(e.w->Edit_otherY->text(), QString::number(local.y() / 1000));
    EXPECT_EQ(e.w->ComboBox5->currentText(), ToDisplay(zone->name));

    // Waypoint mode from the menu, three waypoints by Shift+click, the last one undone.
    e.mapMenu(p, e.w->waypoint1);
    ASSERT_TRUE(e.w->waypoint1->isChecked());
    for (int i = 0; i < 3; ++i) {
        const QPoint q = p + QPoint(0, 8 * i);
        moveOverMap(*e.w, q);
        e.shiftClick(q);
    }
    ASSERT_EQ(e.w->scene.Waypoints.size(), 3u);
    const rWaypoint second = e.w->scene.Waypoints[1];
    e.mapMenu(p, e.w->wpdefaire1);
    ASSERT_EQ(e.w->scene.Waypoints.size(), 2u);
    EXPECT_EQ(std::tuple(e.w->scene.Waypoints[1].x, e.w->scene.Waypoints[1].y), std::tuple(second.x, second.y));
    EXPECT_TRUE(e.w->waypoint1->text().endsWith("[2]")) << e.w->waypoint1->text().toStdString();
    // Down to one waypoint, the item rests: a route needs two points.
    e.mapMenu(p, e.w->wpdefaire1);
    EXPECT_EQ(e.w->scene.Waypoints.size(), 1u);
    EXPECT_FALSE(e.w->wpdefaire1->isEnabled());
}

TEST(TreeGestures, DoubleClickExpandsArrowsShowTheFocusedLocationCollapseAndSortItems)
{
    EditWindow e;
    QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    if (!e.w->but_liste[0]->isChecked()) QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    LocationTreeView& tree = *e.w->MyTree;
    e.w->MyTree->collapseAll();
    // A double click on a map's row opens it.
    const QModelIndex firstMap = e.w->MyTreeModel->index(0, LocationTreeModel::TextColumn);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(firstMap).center());
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(firstMap).center());
    EXPECT_TRUE(tree.isExpanded(firstMap));
    // The map's row shows the map at its home zone; a zone's row shows that zone's map.
    const int mapNode = e.w->MyTreeModel->nodeOf(firstMap);
    const rRegion& map = *e.tree().nodeData(mapNode)->region;
    EXPECT_EVENTUALLY(e.w->scene.CurrentMapId == map.mapId);
    const int homeZone = e.tree().find_map_masternode(map.homeZoneId);
    EXPECT_EQ(e.w->scene.SelectionChain[0], homeZone);
    const int lastZone = e.tree().children(mapNode).back();
    const QModelIndex zoneRow = e.w->MyTreeModel->indexOf(lastZone);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(zoneRow).center());
    EXPECT_EVENTUALLY(e.w->scene.SelectionChain[0] == lastZone);
    EXPECT_EQ(e.w->scene.CurrentMapId, map.mapId);

    // Down and up arrows move the focus from location to location; each is shown selected.
    std::vector<int> shownHere;
    // A category with two shown locations, one of them unlocked.
    int unlocked = kNoTreeNode;
    e.tree().forEachLocation([&](int node, const TNodeData&) {
        if (shownHere.size() >= 2 && unlocked != kNoTreeNode) return;
        shownHere.clear();
        unlocked = kNoTreeNode;
        for (int n : e.tree().children(e.tree().parentOf(node))) {
            if (!e.tree().isVisible(n)) continue;
            shownHere.push_back(n);
            if (!e.item(n).locked) unlocked = n;
        }
    });
    ASSERT_GE(shownHere.size(), 2u);
    const int first = shownHere[0], next = shownHere[1];
    tree.setFocus();
    tree.scrollTo(e.w->MyTreeModel->indexOf(first));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(e.w->MyTreeModel->indexOf(first)).center());
    EXPECT_EVENTUALLY(e.w->scene.SelectionChain[0] == first);
    QTest::keyClick(tree.viewport(), Qt::Key_Down);
    EXPECT_EVENTUALLY(e.w->scene.SelectionChain[0] == next);
    EXPECT_EQ(e.w->MyTreeModel->nodeOf(tree.currentIndex()), next);
    QTest::keyClick(tree.viewport(), Qt::Key_Up);
    EXPECT_EVENTUALLY(e.w->scene.SelectionChain[0] == first);

    // A location renamed in the editor comes back last in its category; the sort item puts
    // it in its place.
    const int db = unlocked;
    const int dbCategory = e.tree().parentOf(db);
    e.inEditor = [](TForm2& ed) {
        typeInto(ed.Edit1, "0000 first");
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.treeMenu(db, tree.Modif1);
    const std::vector<int> renamed = e.named("0000 first");
    ASSERT_EQ(renamed.size(), 1u);
    const QModelIndex categoryRow = e.w->MyTreeModel->indexOf(dbCategory);
    ASSERT_GE(e.w->MyTreeModel->rowCount(categoryRow), 2);
    EXPECT_EQ(shownRow(e, renamed[0]), e.w->MyTreeModel->rowCount(categoryRow) - 1);
    e.treeMenu(renamed[0], tree.Trier1);
    EXPECT_EQ(e.tree().positionOf(renamed[0]), 0);
    EXPECT_EQ(shownRow(e, renamed[0]), 0);

    // The collapse item closes every open node.
    tree.expandAll();
    e.treeMenu(renamed[0], tree.Fermer1);
    std::function<int(const QModelIndex&)> openBelow = [&](const QModelIndex& parent) {
        int open = 0;
        for (int r = 0; r < e.w->MyTreeModel->rowCount(parent); ++r) {
            const QModelIndex i = e.w->MyTreeModel->index(r, LocationTreeModel::TextColumn, parent);
            open += tree.isExpanded(i) ? 1 + openBelow(i) : 0;
        }
        return open;
    };
    EXPECT_EQ(openBelow({}), 0);
}

TEST(TreeGestures, TheSortItemKeepsTheClickedLocationPickedAndInView)
{
    EditWindow e;
    const TNodeData& some = *e.tree().nodeData(e.findLocation());
    auto add = [&](const std::string& name) {
        rnew_node r;
        r.name = name;
        r.zoneId = uint16_t(some.zone->zoneId);
        r.categoryId = some.category->id;
        r.x = r.y = 30000;
        r.hasItem = 1;
        return e.tree().addnode(r);
    };
    // A long category; the location added last comes first once sorted, far from where it was.
    for (int i = 0; i < 80; ++i) add("zz " + std::to_string(100 + i));
    const int top = add("0000 top");
    LocationTreeView& tree = *e.w->MyTree;
    e.treeMenu(top, tree.Trier1);
    ASSERT_EQ(e.tree().positionOf(top), 0);
    const QModelIndex current = tree.currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(e.w->MyTreeModel->nodeOf(current), top);
    EXPECT_TRUE(tree.viewport()->rect().contains(tree.visualRect(current))) << "the picked location scrolled out of view";
}

TEST(ResultListGestures, RightClickOnAResultModifiesItInEditModeOnly)
{
    EditWindow e;
    const int db = e.dbLocation();
    const std::string name = e.item(db).name;
    QTest::mouseClick(e.w->but_liste[2], Qt::LeftButton);
    if (e.w->Pages->currentIndex() != 2) QTest::mouseClick(e.w->but_liste[2], Qt::LeftButton);
    e.w->CheckBox6->setChecked(true); // the whole name
    typeInto(e.w->Edit1, ToDisplay(name), true);
    ASSERT_GE(e.w->TreeResultModel->rowCount(), 1);
    int row = 0;
    while (row < e.w->TreeResultModel->rowCount() && e.w->TreeResultModel->nodeAt(row) != db) ++row;
    ASSERT_LT(row, e.w->TreeResultModel->rowCount());
    const QPoint at = e.w->TreeResult->visualRect(e.w->TreeResultModel->index(row, SearchResultModel::colName)).center();
    auto rightClick = [&] {
        QTest::mouseClick(e.w->TreeResult->viewport(), Qt::LeftButton, {}, at);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, e.w->TreeResult->viewport()->mapToGlobal(at));
        QApplication::sendEvent(e.w->TreeResult->viewport(), &menu);
    };
    int opened = kNoTreeNode;
    e.inEditor = [&](TForm2& ed) {
        opened = ed.windowTitle().contains(ToDisplay(name)) ? db : kNoTreeNode;
        QTest::mouseClick(ed.Button1, Qt::LeftButton);
    };
    rightClick();
    ASSERT_TRUE(e.w->Menu2->isVisible());
    ASSERT_TRUE(e.w->Modif2->isVisible());
    QTest::mouseClick(e.w->Menu2, Qt::LeftButton, {}, e.w->Menu2->actionGeometry(e.w->Modif2).center());
    EXPECT_EQ(e.editorRuns, 1);
    EXPECT_EQ(opened, db);

    // Outside edit mode the menu has nothing to offer.
    QTest::mouseClick(e.w->but_editmode, Qt::LeftButton);
    rightClick();
    EXPECT_FALSE(e.w->Modif2->isVisible());
    if (e.w->Menu2->isVisible()) e.w->Menu2->close();
    EXPECT_EQ(e.editorRuns, 1);
}

TEST(NicknameGesture, TheFirstSaveAsksTheNicknameInItsDialogAndTheFileCarriesIt)
{
    MainWindowFixture f;
    MainWindowDialogs d = f.dialogs();
    d.pseudo = [](QWidget* owner) { return ask_pseudo(owner); }; // the real dialog, run modally
    auto w = std::make_unique<TForm4>(f.exe, d);
    w->FormActivate();
    w->resize(1000, 700);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    Preferences.PSEU.clear();
    int asked = 0;
    const test_wait::WhenReady answer([] { return qobject_cast<TForm6*>(QApplication::activeModalWidget()); },
                                      [&] {
                                          auto* dialog = qobject_cast<TForm6*>(QApplication::activeModalWidget());
                                          ++asked;
                                          typeInto(dialog->Edit1, "Zorro");
                                          QTest::mouseClick(dialog->Button1, Qt::LeftButton);
                                      },
                                      "the nickname dialog is up");
    QTest::mouseClick(w->but_editmode, Qt::LeftButton);
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Preferences.PSEU, "Zorro");
    EXPECT_TRUE(f.readFile(f.additionsPath()).contains("Zorro"));
    // Known from now on: the next save does not ask.
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    w->close();
    w.reset();
    EXPECT_TRUE(f.readFile("pref.ini").contains("[PSEU]=Zorro\r\n"));
}

TEST(MapMenuGestures, AWaypointTooFarIsRefusedAndAnotherMapEndsTheWaypoints)
{
    EditWindow e;
    const QPoint p = e.hoverEmpty(e.hover(e.findLocation()));
    e.mapMenu(p, e.w->waypoint1);
    ASSERT_TRUE(e.w->waypoint1->isChecked());
    e.shiftClick(p);
    ASSERT_EQ(e.w->scene.Waypoints.size(), 1u);
    // Far out, 40 pixels are some 40,000 world units: too far for the next waypoint.
    e.w->scene.view.zoomFromBar(60);
    e.paint();
    QPoint far(-1, -1);
    const QPoint first = e.w->scene.view.world_to_screen(
        MapViewport::worldmaptoworld(QPoint(e.w->scene.Waypoints[0].x, e.w->scene.Waypoints[0].y), *e.w->scene.Waypoints[0].zone));
    for (QPoint d : {QPoint(40, 0), QPoint(-40, 0), QPoint(0, 40), QPoint(0, -40)})
        if (far.x() < 0 && mouseOverMap(*e.w, first + d, 1000) && e.w->scene.ZoneUnderMouse) far = first + d;
    ASSERT_NE(far, QPoint(-1, -1));
    e.shiftClick(far);
    EXPECT_EQ(e.w->scene.Waypoints.size(), 1u);
    EXPECT_EQ(lastFeedback(*e.w), messageText(49).section('\n', -1));

    // Another map from the maps sub-menu: the waypoint mode ends with its list.
    QAction* other = nullptr;
    for (QAction* a : mapItems(*e.w))
        if (RealmInfo->mapIndex->maps[size_t(-a->property("Tag").toInt())]->mapId != e.w->scene.CurrentMapId) other = a;
    ASSERT_NE(other, nullptr);
    moveOverMap(*e.w, far);
    mapSubMenu(e, far, e.w->region1Action, e.w->region1, other);
    EXPECT_TRUE(e.w->scene.Waypoints.empty());
    EXPECT_FALSE(e.w->waypoint1->isChecked());
}

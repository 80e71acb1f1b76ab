// Commands at their edges, given as a user gives them: the map menu and Shift+click outside
// every zone, the tree's menu without a location, the tree's check boxes and category rows,
// the level edits' limits, the result list's arrow keys, the read-only attribute list, and
// the page keys of a narrow window.
#include "edit_window_fixture.h"
#include "search_result_model.h"

namespace {

// A point of the map outside every zone, with the mouse over it; (-1, -1) when the view
// has none.
QPoint pointOutsideZones(EditWindow& e)
{
    e.w->scene.view.zoomFromBar(20); // the whole map is small in the middle of the view
    e.paint();
    for (QPoint p : {QPoint(3, 3), QPoint(e.w->ImageMapView->width() - 4, 3), QPoint(3, e.w->ImageMapView->height() - 4)}) {
        if (!mouseOverMap(*e.w, p, 1000)) continue;
        if (!e.w->scene.ZoneUnderMouse) return p;
    }
    return QPoint(-1, -1);
}

// The check box of a row of the location tree, as the style places it.
QPoint checkBoxOf(LocationTreeView& tree, const QModelIndex& index)
{
    QStyleOptionViewItem option;
    option.initFrom(tree.viewport());
    option.rect = tree.visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.state |= QStyle::State_Enabled;
    return tree.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &tree).center();
}

} // namespace

TEST(CommandEdges, OutsideEveryZoneTheMapMenuOffersNoPointCommandAndShiftClickOpensNothing)
{
    EditWindow e;
    e.mapMenu(e.hover(e.findLocation()), e.w->Copiernode1); // a filled copy buffer
    const QPoint p = pointOutsideZones(e);
    ASSERT_NE(p, QPoint(-1, -1));
    QContextMenuEvent event(QContextMenuEvent::Mouse, p, e.w->ImageMapView->mapToGlobal(p));
    QApplication::sendEvent(e.w->ImageMapView, &event);
    ASSERT_TRUE(e.w->Menu_image->isVisible());
    for (QAction* a : {e.w->ajouter1, e.w->Copiernode1, e.w->coupernode1, e.w->copierlelocref1, e.w->hyperlink1,
                       e.w->waypoint1, e.w->BMy, e.w->BOther})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(e.w->region1Action->isEnabled());
    e.w->Menu_image->close();

    const size_t locations = e.tree().locationCount();
    e.shiftClick(p);
    EXPECT_EQ(e.editorRuns, 0);
    // And "i" there neither.
    QTest::keyClick(e.w->ImageMapView, Qt::Key_I);
    EXPECT_EQ(e.editorRuns, 0);
    EXPECT_EQ(e.tree().locationCount(), locations);
}

TEST(CommandEdges, TheTreeMenuWithoutALocationSaysSoAndACategoryRowShowsNothing)
{
    EditWindow e;
    QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    if (!e.w->but_liste[0]->isChecked()) QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    const int location = e.findLocation();
    const int category = e.tree().parentOf(location);
    // A map is shown; a click on a category row changes nothing of it.
    e.w->localize_data(e.tree().parentOf(category), false);
    const int32_t map = e.w->scene.CurrentMapId;
    const int selected = e.w->scene.SelectionChain[0];
    const QPoint centre = e.w->scene.view.screen_to_world(e.w->scene.view.view_center());
    for (QAction* item : {e.w->MyTree->Modif1, e.w->MyTree->Copier1, e.w->MyTree->Couper1}) {
        e.f.boxes.shown.clear();
        e.treeMenu(category, item);
        EXPECT_EQ(e.f.boxes.shown, QStringList{"info:" + messageText(9)}) << item->objectName().toStdString();
    }
    EXPECT_EQ(e.editorRuns, 0);
    EXPECT_EQ(e.w->scene.CurrentMapId, map);
    EXPECT_EQ(e.w->scene.SelectionChain[0], selected);
    EXPECT_EQ(e.w->scene.view.screen_to_world(e.w->scene.view.view_center()), centre);
    EXPECT_TRUE(e.tree().isNode(location));
}

TEST(CommandEdges, ACategorysCheckBoxClickedTakesItsLocationsOffTheMapAndBack)
{
    EditWindow e;
    const int location = e.findLocation();
    const QPoint icon = e.hover(location);
    ASSERT_NE(iconOf(*e.w, location), QPoint(-1, -1));
    const int category = e.tree().parentOf(location);
    QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    if (!e.w->but_liste[0]->isChecked()) QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    LocationTreeView& tree = *e.w->MyTree;
    const QModelIndex row = e.w->MyTreeModel->indexOf(category);
    tree.scrollTo(row);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, checkBoxOf(tree, row));
    EXPECT_EQ(e.tree().checkState(category), NodeCheck::Unchecked);
    EXPECT_EQ(e.tree().checkState(location), NodeCheck::Unchecked);
    EXPECT_EVENTUALLY((e.paint(), iconOf(*e.w, location) == QPoint(-1, -1)));
    // The location is no longer under the mouse: no hint, no commands for it.
    moveOverMap(*e.w, icon + QPoint(30, 30));
    moveOverMap(*e.w, icon);
    EXPECT_NE(e.w->scene.HotNode, location);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, checkBoxOf(tree, row));
    EXPECT_EQ(e.tree().checkState(location), NodeCheck::Checked);
    EXPECT_EVENTUALLY((e.paint(), iconOf(*e.w, location) != QPoint(-1, -1)));
}

TEST(CommandEdges, LevelEditsHoldTheirLimitsAndFollowEachOther)
{
    EditWindow e;
    QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    if (!e.w->but_liste[0]->isChecked()) QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    QTest::mouseClick(e.w->CheckBoxlvl, Qt::LeftButton);
    ASSERT_TRUE(e.w->Edit_lvl_min->isEnabled());
    // 70 as the minimum while the maximum is 50: both 70. Enter moves on to the other edit.
    typeInto(e.w->Edit_lvl_max, "50", true);
    EXPECT_TRUE(e.w->Edit_lvl_min->hasFocus());
    typeInto(e.w->Edit_lvl_min, "70", true);
    EXPECT_TRUE(e.w->Edit_lvl_max->hasFocus());
    EXPECT_EQ(std::pair(e.w->Edit_lvl_min->text(), e.w->Edit_lvl_max->text()), std::pair(QString("70"), QString("70")));
    typeInto(e.w->Edit_lvl_max, "10", true);
    EXPECT_EQ(std::pair(e.w->Edit_lvl_min->text(), e.w->Edit_lvl_max->text()), std::pair(QString("10"), QString("10")));
    EXPECT_EQ(std::pair(e.w->levelFilter.LevelMin, e.w->levelFilter.LevelMax), std::pair(10, 10));
    // Letters never get in.
    typeInto(e.w->Edit_lvl_min, "x2y");
    EXPECT_EQ(e.w->Edit_lvl_min->text(), "2");

    // The player level: empty and 0 become 1, 99 becomes 50.
    for (auto [typed, shown] : {std::pair{"", "1"}, {"0", "1"}, {"99", "50"}, {"7", "7"}}) {
        e.w->Editlvl->setFocus();
        QTest::keyClick(e.w->Editlvl, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e.w->Editlvl, Qt::Key_Delete);
        QTest::keyClicks(e.w->Editlvl, typed);
        QTest::keyClick(e.w->Editlvl, Qt::Key_Return);
        EXPECT_EQ(e.w->Editlvl->text(), shown) << typed;
        EXPECT_EQ(Preferences.NIVP, QString(shown).toInt()) << typed;
    }
}

TEST(CommandEdges, ArrowKeysInTheResultListShowEachLocationAndTheAttributeListStaysReadOnly)
{
    EditWindow e;
    QTest::mouseClick(e.w->but_liste[2], Qt::LeftButton);
    if (e.w->Pages->currentIndex() != 2) QTest::mouseClick(e.w->but_liste[2], Qt::LeftButton);
    const std::string name = e.item(e.findLocation()).name;
    typeInto(e.w->Edit1, ToDisplay(name.substr(0, 3)), true);
    ASSERT_GE(e.w->TreeResultModel->rowCount(), 2);
    QTreeView& list = *e.w->TreeResult;
    const QPoint first = list.visualRect(e.w->TreeResultModel->index(0, SearchResultModel::colName)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first);
    EXPECT_EVENTUALLY(e.w->scene.SelectionChain[0] == e.w->TreeResultModel->nodeAt(0));
    QTest::keyClick(list.viewport(), Qt::Key_Down);
    EXPECT_EVENTUALLY(e.w->scene.SelectionChain[0] == e.w->TreeResultModel->nodeAt(1));
    EXPECT_EQ(e.w->Label1->text(), ToDisplay(e.item(e.w->TreeResultModel->nodeAt(1)).name));

    // The info page's attribute list shows the marks; a click changes none.
    QTest::mouseClick(e.w->but_liste[1], Qt::LeftButton);
    QTreeWidget& attributes = *e.w->Treeitem;
    std::vector<QTreeWidgetItem*> items;
    for (int i = 0; i < attributes.topLevelItemCount(); ++i) items.push_back(attributes.topLevelItem(i));
    for (QTreeWidgetItem* item : items) {
        if (item->isHidden()) continue;
        const Qt::CheckState before = item->checkState(0);
        const QRect r = attributes.visualItemRect(item);
        QTest::mouseClick(attributes.viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
        EXPECT_EQ(item->checkState(0), before) << item->text(0).toStdString();
    }
}

TEST(CommandEdges, APageKeyInANarrowWindowClosesThePanelAndReleasesEveryButton)
{
    EditWindow e;
    e.w->resize(290, 500);
    ASSERT_EVENTUALLY(e.w->width() < 300);
    e.w->ImageMapView->setFocus();
    QTest::keyClick(e.w->ImageMapView, Qt::Key_F2);
    EXPECT_FALSE(e.w->PanelDock->isVisible());
    for (QToolButton* b : e.w->but_liste) EXPECT_FALSE(b->isChecked());
    QTest::mouseClick(e.w->but_liste[3], Qt::LeftButton);
    EXPECT_FALSE(e.w->PanelDock->isVisible());
    EXPECT_FALSE(e.w->but_liste[3]->isChecked());
}

TEST(CommandEdges, TheMapMenusCreateItemAtAnEmptyPointOpensTheEditorThereAndAddsWhatItSays)
{
    EditWindow e;
    const int near = e.findLocation([](const TNodeData& d) { return d.category->kind == kindCreature; });
    const rCateg* category = e.tree().nodeData(near)->category;
    const QPoint p = e.hoverEmpty(e.hover(near));
    const QPoint at = e.w->scene.MouseZonePoint;
    const pMap_info* zone = e.w->scene.ZoneUnderMouse;
    e.inEditor = [&](TForm2& ed) {
        EXPECT_EQ(QPoint(ed.Edit5->text().toInt(), ed.Edit6->text().toInt()), at);
        EXPECT_FALSE(ed.Button4->isVisible()) << "no delete in create mode";
        for (int i = 0; i < ed.Treecateg->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ed.Treecateg->topLevelItem(i);
            if (item->text(0) != ToDisplay(category->name)) continue;
            ed.Treecateg->scrollToItem(item);
            QTest::mouseClick(ed.Treecateg->viewport(), Qt::LeftButton, {}, ed.Treecateg->visualItemRect(item).center());
        }
        typeInto(ed.Edit1, "Made from the menu");
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.mapMenu(p, e.w->ajouter1);
    EXPECT_EQ(e.editorRuns, 1);
    const std::vector<int> made = e.userMade("Made from the menu");
    ASSERT_EQ(made.size(), 1u);
    const TNodeData& d = *e.tree().nodeData(made[0]);
    EXPECT_EQ(QPoint(d.item->x, d.item->y), at);
    EXPECT_EQ(d.zone, zone);
    EXPECT_EQ(d.category, category);
    EXPECT_TRUE(e.w->AdditionsModified());
    EXPECT_EQ(e.w->scene.SelectionChain[0], made[0]) << "shown selected";
}

TEST(CommandEdges, TheTreeMenuWithNoRowFocusedSaysSoAndTheDatabaseIconHintsInTheStatusBar)
{
    MainWindowFixture f;
    auto w = f.startShown({1000, 700});
    QTest::mouseClick(w->but_editmode, Qt::LeftButton);
    ASSERT_FALSE(w->MyTree->currentIndex().isValid());
    // A right click on the tree's empty space below its rows.
    const QPoint below(40, w->MyTree->viewport()->height() - 5);
    ASSERT_FALSE(w->MyTree->indexAt(below).isValid());
    QContextMenuEvent event(QContextMenuEvent::Mouse, below, w->MyTree->viewport()->mapToGlobal(below));
    QApplication::sendEvent(w->MyTree->viewport(), &event);
    ASSERT_TRUE(w->MyTree->Menu1->isVisible());
    QTest::mouseClick(w->MyTree->Menu1, Qt::LeftButton, {}, w->MyTree->Menu1->actionGeometry(w->MyTree->Modif1).center());
    EXPECT_EQ(f.boxes.shown, QStringList{"info:" + messageText(8)});

    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->Image1->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w->Image1, &move);
    EXPECT_EVENTUALLY(w->statusBar()->currentMessage() == ToDisplay(GetHintText(5).substr(1)));
}

TEST(CommandEdges, EveryToolButtonWithAHintShowsItInTheStatusBar)
{
    EditWindow e;
    std::vector<QWidget*> hinted{e.w->but_autoup, e.w->but_pref, e.w->but_info, e.w->but_editmode, e.w->but_sav,
                                 e.w->but_mail, e.w->But_Leg, e.w->but_chemin, e.w->Image1};
    for (QToolButton* b : e.w->but_liste) hinted.push_back(b);
    for (QWidget* control : hinted) {
        const int tag = control->property("Tag").toInt();
        e.w->statusBar()->clearMessage();
        QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), control->mapToGlobal(QPointF(4, 4)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &move);
        EXPECT_EVENTUALLY(e.w->statusBar()->currentMessage() == ToDisplay(GetHintText(tag).substr(1)))
            << control->objectName().toStdString();
    }
}

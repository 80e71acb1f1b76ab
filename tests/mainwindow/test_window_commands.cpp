// The window's commands as a user gives them: mouse and keys on the real widgets of a shown
// TForm4, and what the user then sees on the map, the side panel and the menus.

#include <algorithm>

#include "demo_content.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window_fixture.h"
#include "nickname_dialog.h"
#include "termination.h"
#include "map_paths.h"
#include "paint_counter.h"
#include "wait_until.h"

namespace {

// A shown window with the map of the first zone that has location paths, at zoom 300.
class WindowCommands : public ::testing::Test {
protected:
    MainWindowFixture f{true, 600};
    PaintCounter mapPaints; // the map's paints, which fill the hit-test buffer iconOf reads
    std::unique_ptr<TForm4> window = f.startShown();
    TForm4& w = *window;

    WindowCommands()
    {
        w.ImageMapView->installEventFilter(&mapPaints);
        bool found = false;
        for (const auto& z : RealmInfo->mapIndex->zones) {
            w.localize_data(z->treeNode, false);
            if ((found = !w.scene.Paths.empty())) break;
        }
        EXPECT_TRUE(found);
        EXPECT_EVENTUALLY(mapPaints.paints > 0);
    }
    // The side panel is open on page i, its button down.
    bool pageShown(int i) const { return w.but_liste[i]->isChecked() && w.PanelDock->isVisible() && w.Pages->currentIndex() == i; }
    // Screen point of the middle of a displayed zone.
    QPoint zoneCentre() const
    {
        const pMap_info* z = w.scene.DisplayedZones.front();
        return w.scene.view.world_to_screen(QPoint(z->originX + 32768, 32768 - z->originY));
    }
    void moveOverMap(QPoint p) { ::moveOverMap(w, p); }
};

// One category in the tree page's filter, by the keyboard.
void chooseCategory(TForm4& w)
{
    QTest::keyClick(w.Combocheck, w.Combocheck->currentIndex() > 0 ? Qt::Key_Up : Qt::Key_Down);
}

} // namespace

TEST_F(WindowCommands, TreeCheckMarksRebuildRoutesAndRepaintTheMap)
{
    const rwpitem path = w.scene.Paths.front();
    const int category = w.MyTreeStore.parentOf(path.node);
    // Space on the focused category node unchecks it, as a click on its box does.
    w.MyTree->setFocus();
    w.MyTree->setCurrentIndex(w.MyTreeModel->indexOf(category));
    ASSERT_EVENTUALLY(w.MyTree->currentIndex() == w.MyTreeModel->indexOf(category));
    QTest::keyClick(w.MyTree, Qt::Key_Space);
    // The tree's next paint rebuilds the routes; the map's next paint leaves the icons out.
    auto iconDrawn = [&] {
        for (int loc : w.MyTreeStore.children(category))
            if (iconOf(w, loc) != QPoint(-1, -1)) return true;
        return false;
    };
    EXPECT_EVENTUALLY(!w.MyTreeStore.ChecksChanged && !iconDrawn());
    ASSERT_EQ(w.MyTreeStore.checkState(category), NodeCheck::Unchecked);
    for (const rwpitem& p : w.scene.Paths) EXPECT_NE(w.MyTreeStore.parentOf(p.node), category);
    for (int loc : w.MyTreeStore.children(category)) EXPECT_EQ(iconOf(w, loc), QPoint(-1, -1));
    EXPECT_FALSE(w.MyTreeStore.ChecksChanged);

    // The category filter keeps the routes of the chosen category only.
    chooseCategory(w);
    auto* chosen = reinterpret_cast<rCateg*>(w.Combocheck->currentData().value<quintptr>());
    ASSERT_NE(chosen, nullptr);
    EXPECT_EVENTUALLY(std::all_of(w.scene.Paths.begin(), w.scene.Paths.end(),
                                  [&](const rwpitem& p) { return p.category == chosen; }));
    for (const rwpitem& p : w.scene.Paths) EXPECT_EQ(p.category, chosen);
}

TEST_F(WindowCommands, LevelOfDetailFollowsTheCheckBoxAndTheFilter)
{
    auto iconsHidden = [&] {
        int hidden = 0;
        for (const auto& c : w.scene.common->categories) hidden += c->iconsNow ? 0 : 1;
        return hidden;
    };
    w.scene.view.zoomFromBar(20); // far out: detail classes 2 and 3 lose their icons
    ASSERT_EVENTUALLY(iconsHidden() > 0);
    ASSERT_GT(iconsHidden(), 0);
    QTest::mouseClick(w.checkLod, Qt::LeftButton, {}, QPoint(6, w.checkLod->height() / 2));
    EXPECT_FALSE(w.checkLod->isChecked());
    EXPECT_EQ(iconsHidden(), 0);
    QTest::mouseClick(w.checkLod, Qt::LeftButton, {}, QPoint(6, w.checkLod->height() / 2));
    EXPECT_GT(iconsHidden(), 0);
    // Choosing one category unchecks the box, which shows every icon at once.
    chooseCategory(w);
    EXPECT_FALSE(w.checkLod->isChecked());
    EXPECT_EQ(iconsHidden(), 0);
}

TEST_F(WindowCommands, RouteColoursFollowThePlayerLevel)
{
    // A route drawn in its location's colour, on a location with levels.
    rwpitem* route = nullptr;
    for (rwpitem& p : w.scene.Paths)
        if (p.item && p.item->levelMax > 0 && p.node != w.scene.SelectionChain[0]) route = &p;
    ASSERT_NE(route, nullptr);
    route->item->command->colourIndex = 0;
    const int node = route->node;
    auto colourNow = [&] {
        for (const rwpitem& p : w.scene.Paths)
            if (p.node == node) return p.colour32;
        return 0u;
    };
    typeInto(w.Editlvl, "1", true);
    const uint32_t low = colourNow();
    typeInto(w.Editlvl, "50", true);
    EXPECT_NE(colourNow(), low);
}

TEST_F(WindowCommands, TextEditsKeepTheFocusAndTheirKeys)
{
    w.press_liste(3);
    ASSERT_EVENTUALLY(pageShown(3) && w.EditJump->isVisible());
    // Typing a place code, then moving over the map: the edit keeps the focus and "a" and
    // "f" stay text.
    QTest::mouseClick(w.EditJump, Qt::LeftButton);
    w.EditJump->clear();
    QTest::keyClicks(w.EditJump, "J_1");
    moveOverMap(zoneCentre());
    EXPECT_EQ(QApplication::focusWidget(), w.EditJump);
    const int zoom = w.scene.view.Zoom;
    QTest::keyClicks(w.EditJump, "af+");
    EXPECT_TRUE(w.scene.ShowMarkers);
    EXPECT_EQ(w.scene.view.Zoom, zoom);
    EXPECT_TRUE(w.EditJump->text().startsWith("J_1"));

    // With the tree focused the map's keys work, and "+" zooms instead of expanding.
    w.press_liste(0);
    w.MyTree->setFocus();
    const QModelIndex current = w.MyTree->currentIndex();
    const bool expanded = w.MyTree->isExpanded(current);
    QTest::keyClick(w.MyTree, '+');
    EXPECT_GT(w.scene.view.Zoom, zoom);
    EXPECT_EQ(w.MyTree->isExpanded(current), expanded);
    QTest::keyClick(w.MyTree, 'a');
    EXPECT_FALSE(w.scene.ShowMarkers);
    // Moving over the map now takes the focus from the tree.
    moveOverMap(zoneCentre() + QPoint(5, 5));
    EXPECT_EQ(QApplication::focusWidget(), w.ImageMapView);
    // F2 opens the info page and Esc clears the messages, whatever has the focus.
    QTest::mouseClick(w.EditJump, Qt::LeftButton);
    QTest::keyClick(w.EditJump, Qt::Key_F2);
    EXPECT_TRUE(pageShown(1));
    w.show_feedback(44, 60, "", "");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(w.FeedbackList.empty());
}

TEST_F(WindowCommands, MarkersKeepThePositionsPageOpenAndWaypointModeOffEmptiesTheList)
{
    QTest::mouseClick(w.but_liste[3], Qt::LeftButton);
    ASSERT_TRUE(w.but_liste[3]->isChecked());
    for (QAction* marker : {w.BMy, w.BOther}) {
        moveOverMap(zoneCentre());
        ASSERT_NE(w.scene.ZoneUnderMouse, nullptr);
        marker->trigger();
        EXPECT_TRUE(pageShown(3));
    }
    EXPECT_FALSE(w.Edit_myX->text().isEmpty());
    EXPECT_FALSE(w.Edit_otherX->text().isEmpty());

    // Waypoint mode off empties the list and the menu's count.
    QTest::mouseClick(w.but_editmode, Qt::LeftButton);
    w.waypoint1->trigger();
    ASSERT_TRUE(w.waypoint1->isChecked());
    const QPoint c = zoneCentre();
    for (int i = 0; i < 4; ++i) {
        moveOverMap(c + QPoint(6 * i, 0));
        QTest::mouseClick(w.ImageMapView, Qt::LeftButton, Qt::ShiftModifier, c + QPoint(6 * i, 0));
    }
    const size_t laid = w.scene.Waypoints.size();
    ASSERT_GE(laid, 2u);
    EXPECT_TRUE(w.waypoint1->text().endsWith(QString("[%1]").arg(laid)));
    EXPECT_TRUE(w.wpdefaire1->isEnabled());
    w.waypoint1->trigger();
    EXPECT_FALSE(w.waypoint1->isChecked());
    EXPECT_TRUE(w.waypoint1->text().endsWith("[0]"));
    EXPECT_FALSE(w.wpdefaire1->isEnabled());
}

TEST_F(WindowCommands, ClickOnARouteShowsItsLocationAndBoxesOpenOverTheWindow)
{
    Preferences.WPSU = true;
    ASSERT_TRUE(w.but_chemin->isChecked());
    const int painted = mapPaints.paints;
    moveOverMap(QPoint(1, 1));
    ASSERT_EVENTUALLY(mapPaints.paints > painted) << "the hit-test buffer is current";
    // A point on a route, clear of every icon.
    QPoint at(-1, -1);
    int owner = kNoTreeNode;
    for (const rwpitem& p : w.scene.Paths) {
        for (size_t i = 1; p.shown && i < p.points.size() && owner == kNoTreeNode; ++i) {
            const QPoint a = w.scene.view.world_to_screen(QPoint(p.points[i - 1].x, p.points[i - 1].y));
            const QPoint b = w.scene.view.world_to_screen(QPoint(p.points[i].x, p.points[i].y));
            for (double t : {0.5, 0.3, 0.7}) {
                const QPoint q = a + (b - a) * t;
                const int hit = path_at(w.scene, q.x(), q.y());
                if (!w.ImageMapView->rect().contains(q) || hit == kNoTreeNode) continue;
                if (w.interaction->getmapnode(uint16_t(q.x()), uint16_t(q.y())) != kNoTreeNode) continue;
                at = q;
                owner = hit;
                break;
            }
        }
    }
    ASSERT_NE(owner, kNoTreeNode);
    QTest::mouseClick(w.but_liste[0], Qt::LeftButton); // the tree page goes up: no panel
    QTest::mouseClick(w.ImageMapView, Qt::LeftButton, {}, at);
    EXPECT_TRUE(pageShown(1));
    EXPECT_EQ(w.Label1->text(), ToDisplay(w.MyTreeStore.nodeData(owner)->item->name));

    // Boxes open over the window: the tree's "modify" with nothing focused says so in a box.
    setMessageBoxes(nullptr); // Qt's own boxes
    QWidget* parent = nullptr;
    const test_wait::WhenReady closeBox([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                                        [&] {
                                            QWidget* box = QApplication::activeModalWidget();
                                            parent = box->parentWidget();
                                            box->close();
                                        },
                                        "a message box is up");
    w.MyTree->setCurrentIndex({});
    w.MyTree->Modif1->trigger();
    EXPECT_EQ(parent ? parent->window() : nullptr, &w);
}

TEST_F(WindowCommands, SortedCombosToolBarsThatDragAndNarrowWindowsWithoutThePanel)
{
    // The sorted combos ignore case; the database icon shows.
    for (QComboBox* combo : {w.Combocheck, w.ComboCateg}) {
        ASSERT_GT(combo->count(), 2);
        for (int i = 1; i < combo->count(); ++i)
            EXPECT_LE(QString::compare(combo->itemText(i - 1), combo->itemText(i), Qt::CaseInsensitive), 0)
                << combo->objectName().toStdString() << " " << i;
    }
    EXPECT_EQ(w.Combocheck->currentText(), ToDisplay(GetCaptionText(73)));
    EXPECT_FALSE(w.Image1->pixmap().isNull());

    int drags = 0;
    w.windowDrag = [&](QWidget*) { return ++drags > 0; };
    // The page buttons stand at the right end of the top row; the free width before them drags.
    const QPoint right = w.but_liste[3]->mapTo(&w, w.but_liste[3]->rect().topRight());
    EXPECT_GT(right.x(), w.width() - 30);
    const QPoint free = w.but_liste[0]->mapTo(w.ToolBar2, QPoint(-40, 5));
    ASSERT_GT(free.x(), 0);
    QTest::mousePress(w.ToolBar2, Qt::LeftButton, {}, free);
    QTest::mouseRelease(w.ToolBar2, Qt::LeftButton, {}, free);
    EXPECT_EQ(drags, 1);

    // Side-panel rule, by resizing the window.
    w.resize(299, 500);
    ASSERT_EVENTUALLY(w.width() == 299);
    ASSERT_EQ(w.width(), 299);
    EXPECT_FALSE(w.PanelDock->isVisible());
    for (QToolButton* b : w.but_liste) EXPECT_FALSE(b->isChecked());
    w.resize(700, 500);
    ASSERT_EVENTUALLY(w.width() == 700);
    EXPECT_FALSE(w.PanelDock->isVisible()); // back only with a page button
    QTest::mouseClick(w.but_liste[2], Qt::LeftButton);
    EXPECT_TRUE(pageShown(2));
}

TEST(WindowPlacement, StartAndCloseKeepPrefIniAndShowTheSavedMap)
{
    MainWindowFixture f;
    const auto demo = sample::buildDemoDatabase(MainWindowFixture::sampleOptions());
    const int32_t mapId = demo.mapIndex.maps.back().mapId;
    f.writePrefs("[MAPW]=640\r\n[MAPH]=480\r\n[MAPT]=70\r\n[MAPL]=90\r\n[LOCR]=" + std::to_string(mapId) +
                 "\r\n[LOCZ]=300\r\n");
    QByteArray first;
    for (int run = 0; run < 2; ++run) {
        auto w = f.start();
        EXPECT_EQ(w->scene.CurrentMapId, mapId);
        EXPECT_FALSE(w->scene.DisplayedZones.empty());
        EXPECT_EQ(w->scene.view.Zoom, 300); // the saved zoom stays
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->close();
        w.reset();
        if (run == 0) first = f.readFile("pref.ini");
    }
    EXPECT_TRUE(first.contains("[MAPT]=70\r\n[MAPL]=90"));
    EXPECT_EQ(f.readFile("pref.ini"), first);
}

TEST(WindowTermination, OpenDialogClosesFirstThenTheWindowAfterItsLoop)
{
    MainWindowFixture f;
    auto w = f.start();
    w->show();
    TerminationHandler termination;
    termination.setWindow(w.get());
    bool dialogReturned = false, shownWhenItReturned = false;
    std::string typed = "unset";
    QEventLoop mainLoop;
    termination.quit = [&] { mainLoop.quit(); };
    // The request arrives inside the dialog's loop.
    const test_wait::WhenReady request([] { return qobject_cast<TForm6*>(QApplication::activeModalWidget()); },
                                       [&] { termination.request(); }, "the nickname dialog is up");
    QTimer::singleShot(0, [&] {
        termination.mainLoopStarted();
        typed = ask_pseudo(w.get());
        dialogReturned = true;
        shownWhenItReturned = w->isVisible(); // the window closes only after the dialog's loop
    });
    QTimer::singleShot(5000, &mainLoop, &QEventLoop::quit);
    mainLoop.exec();
    EXPECT_TRUE(dialogReturned);
    EXPECT_EQ(typed, "");
    EXPECT_TRUE(shownWhenItReturned);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(termination.pending());
}

#if __has_include(<xcb/xcb.h>)
#include <QAbstractEventDispatcher>
#include <xcb/xcb.h>

TEST(WindowTermination, NativeWindowDestroyedClosesAsACloseDoes)
{
    MainWindowFixture f;
    auto w = f.start();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->toggle_tagnew(true);
    auto destroyNative = [&] {
        xcb_destroy_notify_event_t e{};
        e.response_type = XCB_DESTROY_NOTIFY;
        e.window = e.event = xcb_window_t(w->internalWinId());
        qintptr result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &e, &result);
        // The window hears of it from a posted call, which asks the save question.
        EXPECT_EVENTUALLY(f.boxes.answers.empty());
    };
    // Cancel at the save question: the window is shown anew, nothing lost.
    f.boxes.answers = {kAnswerCancel};
    destroyNative();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->AdditionsModified());
    f.boxes.answers = {kAnswerNo};
    destroyNative();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(f.boxes.answers.empty());
}
#endif

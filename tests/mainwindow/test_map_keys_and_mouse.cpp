// The map's keys and mouse as a user gives them on the shown window: the character keys,
// the page keys, the wheel, the double click, a drag, a Shift+click outside edit mode, the
// status bar under the mouse and the zoom bar.
#include <cstdlib>

#include "main_window_fixture.h"
#include "map_paths.h"

namespace {

class MapKeysAndMouse : public ::testing::Test {
protected:
    MainWindowFixture f;
    std::unique_ptr<TForm4> window = f.startShown({1000, 700});
    TForm4& w = *window;
    MapViewport& view = w.scene.view;
    const pMap_info* zone = nullptr;

    MapKeysAndMouse()
    {
        zone = RealmInfo->mapIndex->zones.front().get();
        w.localize_data(zone->treeNode, false);
        w.ImageMapView->repaint();
    }
    QPoint zoneCentre() const { return view.world_to_screen(MapViewport::zone_center(*zone)); }
    QPoint worldAtCentre() const { return view.screen_to_world(view.view_center()); }
    // A character typed with the map focused, as after a move over it.
    void type(char c, Qt::KeyboardModifiers modifiers = {})
    {
        w.ImageMapView->setFocus();
        QTest::keyClick(w.ImageMapView, c, modifiers);
    }
    // A point of the shown zone clear of every icon and route, with the mouse over it.
    QPoint emptyPointInZone()
    {
        w.ImageMapView->repaint();
        const QPoint c = zoneCentre();
        for (int r = 0; r < 300; r += 9)
            for (QPoint d : {QPoint(r, 0), QPoint(0, r), QPoint(-r, 0), QPoint(0, -r), QPoint(r, r)}) {
                const QPoint p = c + d;
                if (!w.ImageMapView->rect().contains(p) || !mouseOverMap(w, p, 1000)) continue;
                if (w.scene.ZoneUnderMouse && w.interaction->getmapnode(uint16_t(p.x()), uint16_t(p.y())) == kNoTreeNode &&
                    path_at(w.scene, p.x(), p.y()) == kNoTreeNode)
                    return p;
            }
        ADD_FAILURE() << "no empty point in the zone";
        return c;
    }
    void wheel(QPoint at, int delta)
    {
        QWheelEvent e(at, w.ImageMapView->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.ImageMapView, &e);
    }
    bool pageShown(int i) const
    {
        return w.but_liste[size_t(i)]->isChecked() && w.PanelDock->isVisible() && w.Pages->currentIndex() == i;
    }
};

// Two world points differ by at most what one screen pixel covers at this zoom.
bool nearWorld(QPoint a, QPoint b, int zoom)
{
    const int pixel = 65536 / zoom + 2;
    return std::abs(a.x() - b.x()) <= pixel && std::abs(a.y() - b.y()) <= pixel;
}

} // namespace

TEST_F(MapKeysAndMouse, CharacterKeysSwitchTipsDarkeningAndVectorsOnlyInLowerCase)
{
    ASSERT_TRUE(w.but_tips->isChecked());
    type('H', Qt::ShiftModifier);
    EXPECT_TRUE(w.but_tips->isChecked()) << "upper case does nothing";
    type('h');
    EXPECT_FALSE(w.but_tips->isChecked());
    w.ImageMapView->repaint();
    EXPECT_FALSE(w.scene.overlays.tips) << "the map draws no tips";
    type('h');
    EXPECT_TRUE(w.but_tips->isChecked());

    const bool darkened = w.but_stitre->isChecked();
    type('s');
    EXPECT_NE(w.but_stitre->isChecked(), darkened);
    w.ImageMapView->repaint();
    EXPECT_EQ(w.scene.overlays.subtitles, !darkened);
    type('S', Qt::ShiftModifier);
    EXPECT_NE(w.but_stitre->isChecked(), darkened);

    const bool vectors = Preferences.AVCT;
    type('l');
    EXPECT_NE(Preferences.AVCT, vectors);
    type('l');
    EXPECT_EQ(Preferences.AVCT, vectors);
}

TEST_F(MapKeysAndMouse, PlusAndMinusZoomAboutTheCentreFFitsTheZoneZTogglesTheCloseUp)
{
    view.zoomFromBar(300);
    const QPoint centre = worldAtCentre();
    type('-');
    EXPECT_EQ(view.Zoom, 270);
    EXPECT_EQ(w.ZoomBar->value(), 270);
    EXPECT_TRUE(nearWorld(worldAtCentre(), centre, view.Zoom));
    type('+');
    EXPECT_EQ(view.Zoom, 297);
    EXPECT_TRUE(nearWorld(worldAtCentre(), centre, view.Zoom));

    // "f" over a zone: the zone fills the shorter side of the map, centred.
    moveOverMap(w, zoneCentre() + QPoint(20, 10));
    ASSERT_EQ(w.scene.ZoneUnderMouse, zone);
    type('f');
    EXPECT_EQ(view.Zoom, std::min(w.ImageMapView->width(), w.ImageMapView->height()));
    EXPECT_TRUE(nearWorld(worldAtCentre(), MapViewport::zone_center(*zone), view.Zoom));
    EXPECT_EQ(w.ZoomBar->value(), std::min(view.Zoom, w.ZoomBar->maximum()));

    // "z" zooms all the way in on the point under the mouse, and back again.
    view.zoomFromBar(200);
    const QPoint p = emptyPointInZone();
    const QPoint target = view.screen_to_world(p);
    type('z');
    EXPECT_EQ(view.Zoom, MapViewport::ZoomMax);
    EXPECT_TRUE(nearWorld(worldAtCentre(), target, view.Zoom));
    type('z');
    EXPECT_EQ(view.Zoom, 200);
}

TEST_F(MapKeysAndMouse, PageKeysPressTheirButtonAndASecondPressClosesThePanel)
{
    w.ImageMapView->setFocus();
    QTest::keyClick(w.ImageMapView, Qt::Key_F3);
    EXPECT_TRUE(pageShown(2));
    EXPECT_TRUE(w.Edit1->hasFocus()) << "the search page gives its text the focus";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
    EXPECT_TRUE(pageShown(3));
    EXPECT_FALSE(w.but_liste[2]->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
    EXPECT_FALSE(w.but_liste[3]->isChecked());
    EXPECT_FALSE(w.PanelDock->isVisible());
}

TEST_F(MapKeysAndMouse, WheelZoomsAboutThePointerAndTheStatusBarNamesThePoint)
{
    view.zoomFromBar(300);
    const QPoint p = emptyPointInZone();
    const QPoint under = view.screen_to_world(p);
    const QString status = w.statusBar()->currentMessage();
    EXPECT_TRUE(status.startsWith(ToDisplay(w.scene.ZoneUnderMouse->name) + " | ")) << status.toStdString();
    EXPECT_TRUE(status.endsWith(QString("loc: %1 x %2").arg(w.scene.MouseZonePoint.x()).arg(w.scene.MouseZonePoint.y())))
        << status.toStdString();

    wheel(p, 120);
    EXPECT_EQ(view.Zoom, 330);
    EXPECT_EQ(w.ZoomBar->value(), 330);
    EXPECT_TRUE(nearWorld(view.screen_to_world(p), under, view.Zoom));
    wheel(p, -120);
    EXPECT_EQ(view.Zoom, 297);
    EXPECT_TRUE(nearWorld(view.screen_to_world(p), under, view.Zoom));
    // Half a notch waits for the other half.
    wheel(p, 60);
    EXPECT_EQ(view.Zoom, 297);
    wheel(p, 60);
    EXPECT_EQ(view.Zoom, 327);
}

TEST_F(MapKeysAndMouse, DoubleClickTogglesTheCloseUpAndADragPans)
{
    view.zoomFromBar(250);
    const QPoint p = emptyPointInZone();
    const QPoint target = view.screen_to_world(p);
    // As the window system gives a double click: press, release, double click, release.
    QTest::mouseClick(w.ImageMapView, Qt::LeftButton, {}, p);
    QTest::mouseDClick(w.ImageMapView, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w.ImageMapView, Qt::LeftButton, {}, p);
    EXPECT_EQ(view.Zoom, MapViewport::ZoomMax);
    EXPECT_TRUE(nearWorld(worldAtCentre(), target, view.Zoom));
    EXPECT_FALSE(view.Dragging);
    const QPoint q = view.view_center();
    QTest::mouseClick(w.ImageMapView, Qt::LeftButton, {}, q);
    QTest::mouseDClick(w.ImageMapView, Qt::LeftButton, {}, q);
    QTest::mouseRelease(w.ImageMapView, Qt::LeftButton, {}, q);
    EXPECT_EQ(view.Zoom, 250);

    // A drag from an empty point moves the map with the mouse; the cursor shows it.
    const QPoint start = emptyPointInZone();
    const int x = view.OffsetX, y = view.OffsetY;
    QTest::mousePress(w.ImageMapView, Qt::LeftButton, {}, start);
    EXPECT_EQ(w.ImageMapView->cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(w.ImageMapView, start + QPoint(30, -20));
    QTest::mouseMove(w.ImageMapView, start + QPoint(45, -25));
    QTest::mouseRelease(w.ImageMapView, Qt::LeftButton, {}, start + QPoint(45, -25));
    EXPECT_EQ(view.OffsetX, x + 45);
    EXPECT_EQ(view.OffsetY, y - 25);
    EXPECT_FALSE(view.Dragging);
    EXPECT_EQ(w.ImageMapView->cursor().shape(), Qt::ArrowCursor);
    // After the drag a move no longer pans.
    moveOverMap(w, start + QPoint(7, 7));
    EXPECT_EQ(view.OffsetX, x + 45);
    EXPECT_EQ(view.OffsetY, y - 25);
}

TEST_F(MapKeysAndMouse, ShiftClickOutsideEditModeNeitherSelectsNorEdits)
{
    ASSERT_FALSE(w.but_editmode->isChecked());
    view.zoomFromBar(1500);
    w.ImageMapView->repaint();
    // The first icon drawn (it wins where icons overlap) whose location jumps nowhere.
    const ByteBuffer& hits = w.scene.HitTestStream.data;
    HitTestRecord first;
    bool found = false;
    for (size_t i = 0; !found && i + sizeof first <= hits.size(); i += sizeof first) {
        std::memcpy(&first, hits.data() + i, sizeof first);
        const rItemdata& item = *w.MyTreeStore.nodeData(first.node)->item;
        found = (!item.command || !item.command->text.starts_with('J')) &&
                w.interaction->getmapnode(uint16_t(first.x), uint16_t(first.y)) == first.node;
    }
    ASSERT_TRUE(found);
    const QPoint icon(first.x, first.y);
    moveOverMap(w, icon);
    ASSERT_NE(w.scene.HotNode, kNoTreeNode);
    const int selected = w.scene.SelectionChain[0];
    const int page = w.Pages->currentIndex();
    QTest::mouseClick(w.ImageMapView, Qt::LeftButton, Qt::ShiftModifier, icon);
    EXPECT_EQ(w.scene.SelectionChain[0], selected);
    EXPECT_TRUE(w.scene.Waypoints.empty());
    EXPECT_EQ(w.Pages->currentIndex(), page);
    // The same click without Shift selects it and shows its info page.
    QTest::mouseClick(w.ImageMapView, Qt::LeftButton, {}, icon);
    EXPECT_EQ(w.scene.SelectionChain[0], first.node);
    EXPECT_TRUE(pageShown(1));
}

TEST_F(MapKeysAndMouse, TheZoomBarZoomsAboutTheCentreOfTheMap)
{
    view.zoomFromBar(400);
    const QPoint centre = worldAtCentre();
    w.ZoomBar->setFocus();
    QTest::keyClick(w.ZoomBar, Qt::Key_PageUp);
    EXPECT_EQ(w.ZoomBar->value(), 400 + w.ZoomBar->pageStep());
    EXPECT_EQ(view.Zoom, w.ZoomBar->value());
    EXPECT_TRUE(nearWorld(worldAtCentre(), centre, view.Zoom));
    QTest::keyClick(w.ZoomBar, Qt::Key_End);
    EXPECT_EQ(view.Zoom, MapViewport::ZoomMax);
    EXPECT_TRUE(nearWorld(worldAtCentre(), centre, view.Zoom));
    // The wheel over the map moves the bar, and the bar's next move zooms from there.
    const QPoint p = emptyPointInZone();
    wheel(p, -120);
    EXPECT_EQ(w.ZoomBar->value(), view.Zoom);
    w.ZoomBar->setFocus();
    QTest::keyClick(w.ZoomBar, Qt::Key_Left);
    EXPECT_EQ(view.Zoom, 3150 - w.ZoomBar->singleStep());
}

// On a scaled screen (QT_SCALE_FACTOR 1.5 or 2) the pointer lies between the map's pixels:
// a move and a click act on the pixel drawn under it, not on the nearest pixel boundary.
TEST_F(MapKeysAndMouse, APointerBetweenPixelsActsOnThePixelUnderIt)
{
    view.zoomFromBar(300);
    w.ImageMapView->repaint();
    // An icon whose hit area ends at its right edge: the next pixel holds no location.
    int node = kNoTreeNode;
    QPoint edge;
    const ByteBuffer& d = w.scene.HitTestStream.data;
    for (size_t i = 0; i + sizeof(HitTestRecord) <= d.size() && node == kNoTreeNode; i += sizeof(HitTestRecord)) {
        HitTestRecord r;
        std::memcpy(&r, d.data() + i, sizeof r);
        const QPoint p(r.x + kHitReach, r.y);
        if (!w.ImageMapView->rect().adjusted(0, 0, -2, -2).contains(p)) continue;
        if (w.interaction->getmapnode(uint16_t(p.x()), uint16_t(p.y())) != r.node) continue;
        if (w.interaction->getmapnode(uint16_t(p.x() + 1), uint16_t(p.y())) != kNoTreeNode) continue;
        node = r.node;
        edge = p;
    }
    ASSERT_NE(node, kNoTreeNode);
    const QPointF between(edge.x() + 0.5, edge.y() + 0.5); // the right half of the edge pixel
    const QPointF global = w.ImageMapView->mapToGlobal(between);
    QMouseEvent move(QEvent::MouseMove, between, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.ImageMapView, &move);
    EXPECT_EQ(view.MouseWorld, view.screen_to_world(edge));
    QMouseEvent press(QEvent::MouseButtonPress, between, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.ImageMapView, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, between, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.ImageMapView, &release);
    EXPECT_EVENTUALLY(w.scene.SelectionChain[0] == node);
}

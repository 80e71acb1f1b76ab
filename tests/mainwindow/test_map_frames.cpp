// The map frames the window shows while the user zooms with the wheel: once the zoom holds,
// the repaints copy the zone pictures' scaled copies and show the same pixels as a paint
// that scales every picture directly.
#include <QWheelEvent>

#include "main_window_fixture.h"
#include "map_render_cache.h"

namespace {

void wheel(MapWidget& map, int notches)
{
    const QPointF at = QRectF(map.rect()).center();
    QWheelEvent event(at, map.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map, &event);
    QCoreApplication::processEvents();
}

TEST(MapFrames, RepaintsAtAHeldZoomShowTheDirectlyScaledPixels)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    QMenu* regions = w->findChild<QMenu*>("region1");
    ASSERT_TRUE(regions && !regions->actions().isEmpty());
    regions->actions().front()->trigger();
    QCoreApplication::processEvents();
    ASSERT_FALSE(w->scene.DisplayedZones.empty());
    MapWidget& map = *w->ImageMapView;
    // Out until the zones are drawn smaller than their 64-pixel sample pictures.
    for (int i = 0; i < 40 && w->scene.view.Zoom >= 60; ++i) wheel(map, -1);
    ASSERT_LT(w->scene.view.Zoom, 60);
    MapRenderCache& cache = renderCache(w->scene);
    for (int i = 0; i < 4; ++i) map.repaint(); // a few copies a paint
    size_t inView = 0;
    for (const pMap_info* z : w->scene.DisplayedZones) inView += z->inView;
    EXPECT_GT(inView, 1u);
    EXPECT_EQ(cache.scaledPictures.size(), inView);
    const QImage shown = map.lastFrame().copy();
    cache.lastZoneZoom = 0; // as right after a zoom: every picture scaled directly
    QImage direct(shown.size(), shown.format());
    map.paintLayer(direct);
    EXPECT_TRUE(shown == direct);
    // A wheel step in and back: the frames follow the zoom, the copies the new zoom.
    const int32_t zoom = w->scene.view.Zoom;
    wheel(map, 1);
    map.repaint();
    EXPECT_NE(w->scene.view.Zoom, zoom);
    wheel(map, -1);
    for (int i = 0; i < 4; ++i) map.repaint();
    ASSERT_EQ(w->scene.view.Zoom, zoom);
    EXPECT_TRUE(map.lastFrame() == shown);
}

} // namespace

// The map frames the window shows once the user zoomed out with the zoom bar: at a zoom that
// holds, the repaints copy the zone pictures' scaled copies and show the same pixels as a
// paint that scales every picture directly.
#include "main_window_fixture.h"
#include "map_render_cache.h"

TEST(MapFrames, RepaintsAtAHeldZoomShowTheDirectlyScaledPixels)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    ASSERT_FALSE(mapItems(*w).isEmpty());
    mapItems(*w).front()->trigger();
    QCoreApplication::processEvents();
    w->findChild<QSlider*>("ZoomBar")->setValue(40); // zones smaller than their 64-pixel pictures
    ASSERT_EQ(w->scene.view.Zoom, 40);
    MapWidget& map = *w->ImageMapView;
    for (int i = 0; i < 4; ++i) map.repaint(); // a few copies a paint
    size_t inView = 0;
    for (const pMap_info* z : w->scene.DisplayedZones) inView += z->inView;
    MapRenderCache& cache = renderCache(w->scene);
    EXPECT_GT(inView, 1u);
    EXPECT_EQ(cache.scaledPictures.size(), inView);
    const QImage shown = map.lastFrame().copy();
    cache.lastZoneZoom = 0; // as right after a zoom: every picture scaled directly
    QImage direct(shown.size(), shown.format());
    map.paintLayer(direct);
    EXPECT_TRUE(shown == direct);
}

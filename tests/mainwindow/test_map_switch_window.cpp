// Maps switched through the map menu and zoomed out with the zoom bar: each switch decodes
// the new map's zone images into the memory of the previous map's, and repaints at a held
// zoom copy the zone pictures' scaled copies. Both must show what a plain load and a paint
// that scales every picture directly show.
#include <gtest/gtest.h>

#include <QAction>
#include <QSlider>
#include <QTest>

#include <utility>

#include "main_window_fixture.h"
#include "map_loading.h"
#include "map_render_cache.h"
#include "map_widget.h"

namespace {

// The zone images shown, each next to what a plain load of its file gives.
void expectImagesOfAFirstLoad(const TForm4& w)
{
    ASSERT_FALSE(w.scene.DisplayedZones.empty());
    for (const pMap_info* zone : w.scene.DisplayedZones) {
        QImage plain;
        ASSERT_TRUE(load_zone_image(QString(), zone->fileName, plain));
        EXPECT_EQ(*zone->image, plain) << zone->fileName;
    }
}

} // namespace

TEST(MapSwitchWindow, SwitchesAndHeldZoomShowWhatAPlainLoadAndPaintShow)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    const QList<QAction*> items = mapItems(*w);
    ASSERT_GE(items.size(), 2);
    MapWidget& map = *w->ImageMapView;

    std::vector<int32_t> maps;
    std::vector<QImage> looks;
    for (const int item : {0, 1, 0}) {
        items[item]->trigger();
        QCoreApplication::processEvents(); // the repaint the switch posted
        maps.push_back(w->scene.CurrentMapId);
        looks.push_back(map.grab().toImage());
        expectImagesOfAFirstLoad(*w);
    }
    EXPECT_TRUE(maps[0] != maps[1] && maps[0] == maps[2]);
    EXPECT_EQ(looks[2], looks[0]);
    EXPECT_TRUE(f.boxes.shown.empty());

    w->findChild<QSlider*>("ZoomBar")->setValue(40); // zones smaller than their pictures
    ASSERT_EQ(w->scene.view.Zoom, 40);
    for (int i = 0; i < 4; ++i) map.repaint(); // a few copies a paint
    size_t inView = 0;
    for (const pMap_info* z : w->scene.DisplayedZones) inView += z->inView;
    MapRenderCache& cache = renderCache(w->scene);
    EXPECT_GT(inView, 1u);
    EXPECT_EQ(cache.scaledPictures.size(), inView);
    const int32_t offsetX = w->scene.view.OffsetX;
    const QImage shown = map.lastFrame().copy();
    // A paint with nothing kept from the frames before: every picture scaled directly.
    auto paintAfresh = [&] {
        const auto kept = std::exchange(w->scene.renderCache, nullptr);
        QImage fresh(map.lastFrame().size(), map.lastFrame().format());
        map.paintLayer(fresh);
        w->scene.renderCache = kept;
        return fresh;
    };
    EXPECT_TRUE(shown == paintAfresh());

    // Held still, a repaint starts from the zone layer kept from the frame before; after the
    // grid button and a drag of the map the frame is still the one a fresh paint gives.
    const size_t reused = cache.zoneLayersReused;
    map.repaint();
    EXPECT_GT(cache.zoneLayersReused, reused);
    QTest::mouseClick(w->but_grid, Qt::LeftButton);
    map.repaint();
    EXPECT_FALSE(map.lastFrame() == shown) << "the grid shows";
    EXPECT_TRUE(map.lastFrame() == paintAfresh());
    map.repaint();
    map.repaint();
    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(150, 150));
    QTest::mouseMove(&map, QPoint(163, 141));
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(163, 141));
    map.repaint();
    EXPECT_EQ(w->scene.view.OffsetX, offsetX + 13);
    EXPECT_TRUE(map.lastFrame() == paintAfresh());
}

// A zoom from the zoom bar, the map dragged, then the zoom bar a step away and back: the
// copies at the zoom are made while the view holds still (the repaints over the kept
// layer), used by the drag where they land as the scaled drawing, and found again on the
// return to the zoom; every frame shows what a paint that scales every picture directly
// shows.
TEST(MapSwitchWindow, ZoomBarDragAndZoomBarStepAndBackShowWhatAFreshPaintShows)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    const QList<QAction*> items = mapItems(*w);
    ASSERT_GE(items.size(), 1);
    items[0]->trigger();
    QCoreApplication::processEvents();
    MapWidget& map = *w->ImageMapView;
    MapRenderCache& cache = renderCache(w->scene);
    auto paintAfresh = [&] {
        const auto kept = std::exchange(w->scene.renderCache, nullptr);
        QImage fresh(map.lastFrame().size(), map.lastFrame().format());
        map.paintLayer(fresh);
        w->scene.renderCache = kept;
        return fresh;
    };
    QSlider* zoomBar = w->findChild<QSlider*>("ZoomBar");
    zoomBar->setValue(60);
    for (int i = 0; i < 6; ++i) map.repaint(); // held still, as under the hovering mouse
    EXPECT_FALSE(cache.lastCost.zonesDrawn);
    size_t inView = 0;
    for (const pMap_info* z : w->scene.DisplayedZones) inView += z->inView;
    EXPECT_GT(inView, 1u);
    EXPECT_EQ(cache.scaledPictures.size(), inView) << "made without drawing the zones";
    EXPECT_TRUE(map.lastFrame() == paintAfresh());

    int used = 0;
    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(150, 150));
    for (int step = 1; step <= 12; ++step) {
        QTest::mouseMove(&map, QPoint(150 - 3 * step, 150 - 2 * step));
        map.repaint();
        used += cache.lastCost.copiesUsed;
        ASSERT_TRUE(map.lastFrame() == paintAfresh()) << "drag step " << step;
    }
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(114, 126));
    EXPECT_GT(used, 0);

    // Away from the layer kept before the drag: the return draws the zones again.
    zoomBar->setValue(66);
    map.repaint();
    EXPECT_EQ(cache.lastCost.copiesUsed + cache.lastCost.copiesMade, 0);
    EXPECT_TRUE(map.lastFrame() == paintAfresh());
    zoomBar->setValue(60);
    map.repaint();
    EXPECT_TRUE(cache.lastCost.zonesDrawn);
    EXPECT_GT(cache.lastCost.copiesUsed, 0) << "the copies at 60 found again";
    EXPECT_EQ(cache.lastCost.copiesMade, 0);
    EXPECT_TRUE(map.lastFrame() == paintAfresh());
}

// The labels of a map being shown are made while its zone images load, for the view the map
// opens on: the first paint after the switch makes none, and draws what a paint that makes
// every label itself draws. The same when the view is centred on a location of another map.
TEST(MapSwitchWindow, FirstPaintOfANewMapFindsItsLabelsMadeDuringTheLoad)
{
    MainWindowFixture f(true, 3000, 24);
    auto w = f.startShown();
    const QList<QAction*> items = mapItems(*w);
    ASSERT_GE(items.size(), 2);
    MapWidget& map = *w->ImageMapView;
    size_t labelsOfAFreshPaint = 0; // the labels the frame needs
    auto paintAfresh = [&] {
        const auto kept = std::exchange(w->scene.renderCache, nullptr);
        QImage fresh(map.lastFrame().size(), map.lastFrame().format());
        map.paintLayer(fresh);
        labelsOfAFreshPaint = renderCache(w->scene).labelsMade;
        w->scene.renderCache = kept;
        return fresh;
    };
    // The paint that follows a switch: the labels it made, and whether it drew what a fresh paint draws.
    auto firstPaint = [&] {
        const size_t before = renderCache(w->scene).labelsMade;
        map.repaint();
        const size_t made = renderCache(w->scene).labelsMade - before;
        return std::make_pair(made, map.lastFrame() == paintAfresh());
    };
    // Zoomed in: the zones in view, and so the labels to make, depend on where the view opens.
    w->findChild<QSlider*>("ZoomBar")->setValue(700);
    ASSERT_EQ(w->scene.view.Zoom, 700);

    for (const int item : {1, 0}) {
        const int32_t mapBefore = w->scene.CurrentMapId;
        const size_t before = renderCache(w->scene).labelsMade;
        items[item]->trigger();
        ASSERT_NE(w->scene.CurrentMapId, mapBefore);
        const size_t duringLoad = renderCache(w->scene).labelsMade - before;
        EXPECT_GT(duringLoad, 20u);
        const auto [made, same] = firstPaint();
        EXPECT_EQ(made, 0u);
        EXPECT_TRUE(same);
        EXPECT_EQ(duringLoad, labelsOfAFreshPaint) << "no label made that the frame does not draw";
    }

    // A location of the map not shown, the view centred on it.
    int target = -1;
    w->MyTreeStore.forEachLocation([&](int node, const TNodeData& d) {
        if (target == -1 && d.zone && d.zone->regionId != w->scene.CurrentMapId) target = node;
    });
    ASSERT_NE(target, -1);
    const size_t before = renderCache(w->scene).labelsMade;
    w->localize_data(target, true);
    EXPECT_GT(renderCache(w->scene).labelsMade, before);
    const auto [made, same] = firstPaint();
    EXPECT_NE(iconOf(*w, target), QPoint(-1, -1));
    EXPECT_LE(made, 1u); // at most the location itself, checked by being shown
    EXPECT_TRUE(same);
}

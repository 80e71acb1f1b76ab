// What the user waits for on the map: the progress bar while a map loads paints itself
// only, never the map beneath, and in the map's cream colour; tiles decode off the UI
// thread while the zone images stand in for them.

#include "main_window_fixture.h"
#include "map_render_cache.h"
#include "paint_counter.h"
#include "progress_bar.h"
#include "tile_loader.h"

namespace {

// Shows the first map and drags the zoom bar past [MAHD]: the frame comes at once, its
// tiles are asked for.
void zoomIn(TForm4& w)
{
    ASSERT_FALSE(mapItems(w).isEmpty());
    mapItems(w).front()->trigger();
    QCoreApplication::processEvents(); // what the switch posted (its repaint) is delivered
    ASSERT_FALSE(w.scene.DisplayedZones.empty());
    ASSERT_NE(w.scene.tileLoader, nullptr);
    w.findChild<QSlider*>("ZoomBar")->setValue(Preferences.MAHD + 200);
    w.ImageMapView->repaint();
    ASSERT_GT(w.scene.tileLoader->pending(), 0u);
}

// The workers finish; their tiles land.
void finishTiles(TForm4& w)
{
    for (int i = 0; i < 100 && w.scene.tileLoader->pending() > 0; ++i) {
        w.scene.tileLoader->waitForWorkers();
        QCoreApplication::processEvents();
    }
}

} // namespace

TEST(MapProgress, LoadingAMapPaintsTheBarButNotTheMapBeneath)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    QCoreApplication::processEvents(); // what showing posted is painted before counting starts

    PaintCounter mapPaints, barPaints;
    w->ImageMapView->installEventFilter(&mapPaints);
    w->G32_ProgressBar1->installEventFilter(&barPaints);
    // The map menu's first item loads that map's zones behind the progress bar; the load
    // runs inside the command, so every paint counted here is a paint while loading. The
    // bar's first paint flushes what the window had pending (the cleared map, once); the
    // steps after it paint the bar alone.
    ASSERT_FALSE(mapItems(*w).isEmpty());
    mapItems(*w).front()->trigger();
    ASSERT_GE(w->scene.DisplayedZones.size(), 2u);
    EXPECT_GE(barPaints.paints, 1);
    EXPECT_LE(mapPaints.paints, 1);
    mapPaints.paints = 0;
    EXPECT_FALSE(w->G32_ProgressBar1->isVisible());
    // Once the loop runs the map shows the new map, once.
    QCoreApplication::processEvents();
    EXPECT_GE(mapPaints.paints, 1);
    EXPECT_LE(mapPaints.paints, 2);

    // The bar is cream (toolkit $00F0FBFF: red 255, green 251, blue 240) with its gradient.
    TG32_ProgressBar* bar = w->G32_ProgressBar1;
    EXPECT_EQ(bar->Color(), clCream);
    bar->SetMax(100);
    bar->SetPosition(50);
    EXPECT_EQ(bar->DoPaintBuffer().pixel(40, 8), 0xFFFFFBF0u);
}

TEST(MapProgress, PositionRepaintsAtMostAboutThirtyTimesASecond)
{
    TG32_ProgressBar bar;
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QCoreApplication::processEvents(); // what showing posted is painted before counting starts
    PaintCounter paints;
    bar.installEventFilter(&paints);
    bar.SetMax(1000);
    bar.PaintNow();
    const int before = paints.paints;
    // A loader stepping fast: at most one paint per interval (none when the steps take less
    // than one, as they do unless the machine is very busy)...
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= 200; ++i) bar.SetPosition(i);
    const int during = paints.paints - before;
    EXPECT_LE(during, int(clock.elapsed() / TG32_ProgressBar::kMinPaintIntervalMs));
    // ...the last step is painted when the loop runs, and a step after the interval at once.
    QCoreApplication::processEvents();
    if (during == 0) {
        EXPECT_EQ(paints.paints, before + 1);
    }
    EXPECT_LE(paints.paints, before + during + 1);
    const int settled = paints.paints;
    // The rate limit is a matter of time: wait until a whole interval has passed since the
    // last paint, which came before `settled` was read.
    QElapsedTimer sinceSettled;
    sinceSettled.start();
    ASSERT_EVENTUALLY(sinceSettled.elapsed() > TG32_ProgressBar::kMinPaintIntervalMs);
    bar.SetPosition(500);
    EXPECT_EQ(paints.paints, settled + 1);
}

TEST(MapTiles, ZoomingInDrawsTheImageUntilTheTileArrivesThenTheSamePixels)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    ASSERT_NO_FATAL_FAILURE(zoomIn(*w));
    auto tilesIn = [&] {
        int n = 0;
        for (const pMap_info* z : w->scene.DisplayedZones) n += z->inView && z->tile && z->tile->width() > 1;
        return n;
    };
    EXPECT_EQ(tilesIn(), 0);
    finishTiles(*w);
    QCoreApplication::processEvents(); // the map repaints with them
    EXPECT_GT(tilesIn(), 0);
    // What the window shows is what a paint that reads its tiles itself shows.
    const QImage shown = w->ImageMapView->lastFrame().copy();
    TileLoader* loader = w->scene.tileLoader;
    w->scene.tileLoader = nullptr;
    QImage direct(shown.size(), shown.format());
    w->ImageMapView->paintLayer(direct);
    w->scene.tileLoader = loader;
    EXPECT_TRUE(shown == direct);
}

TEST(MapTiles, ABrokenTileIsRememberedAndNotAskedForAgain)
{
    MainWindowFixture f(true, 300, 24);
    // Every tile of the folder is broken.
    for (const QString& name : QDir(f.exe + "maps/high").entryList(QDir::Files)) f.writeFile("maps/high/" + name, "not a JPEG");
    auto w = f.startShown();
    ASSERT_NO_FATAL_FAILURE(zoomIn(*w));
    finishTiles(*w);
    EXPECT_FALSE(w->scene.TilesUnavailable.empty());
    w->ImageMapView->repaint();
    EXPECT_EQ(w->scene.tileLoader->pending(), 0u);
}

TEST(MapProgress, ShowingTheWindowLoadsTheDatabaseOnceItIsOnScreen)
{
    MainWindowFixture f;
    TForm4 w(f.exe, f.dialogs());
    EXPECT_TRUE(w.FirstActivate);
    w.show();
    EXPECT_TRUE(w.FirstActivate); // not inside show(): after the window is exposed
    ASSERT_EVENTUALLY(!w.FirstActivate);
    EXPECT_GT(w.MyTreeStore.locationCount(), 200u);
    EXPECT_FALSE(w.G32_ProgressBar1->isVisible());
    EXPECT_FALSE(w.ImageMapView->layerHeld());
}

TEST(MapLabels, AMapShownAgainFindsItsLabelsPrepared)
{
    MainWindowFixture f(true, 300, 24);
    auto w = f.startShown();
    const QList<QAction*> maps = mapItems(*w);
    ASSERT_GE(maps.size(), 2);
    auto show = [&](QAction* map) {
        map->trigger();
        w->ImageMapView->repaint();
        return renderCache(w->scene).labelsMade;
    };
    const size_t first = show(maps[0]);
    ASSERT_GT(first, 0u); // the map's labels were drawn
    const size_t second = show(maps[1]);
    EXPECT_EQ(show(maps[0]), second); // back to the first map: nothing made anew
}

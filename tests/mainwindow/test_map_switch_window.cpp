// Switching maps through the map menu of the window, back and forth: each switch decodes
// the new map's zone images into the memory of the previous map's, and the map shown must
// be the one a first load shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>

#include "database_globals.h"
#include "main_window_fixture.h"
#include "map_loading.h"
#include "map_widget.h"

namespace {

// The zone images shown, each next to what a plain load of its file gives.
void expectImagesOfAFirstLoad(const TForm4& w)
{
    ASSERT_FALSE(w.scene.DisplayedZones.empty());
    for (const pMap_info* zone : w.scene.DisplayedZones) {
        SCOPED_TRACE(zone->fileName);
        QImage plain;
        ASSERT_TRUE(load_zone_image(QString(), zone->fileName, plain));
        EXPECT_EQ(*zone->image, plain);
    }
}

} // namespace

TEST(MapSwitchWindow, BackAndForthThroughTheMenuShowsWhatTheFirstLoadShowed)
{
    MainWindowFixture f(true, 300, 12);
    auto w = f.start();
    w->resize(900, 700);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const QList<QAction*> items = mapItems(*w);
    ASSERT_GE(items.size(), 2);

    items[0]->trigger();
    QCoreApplication::processEvents();
    const int32_t firstMap = w->scene.CurrentMapId;
    const QImage firstLook = w->ImageMapView->grab().toImage();
    expectImagesOfAFirstLoad(*w);

    items[1]->trigger();
    QCoreApplication::processEvents();
    EXPECT_NE(w->scene.CurrentMapId, firstMap);
    expectImagesOfAFirstLoad(*w);

    items[0]->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->scene.CurrentMapId, firstMap);
    expectImagesOfAFirstLoad(*w);
    EXPECT_EQ(w->ImageMapView->grab().toImage(), firstLook);
    EXPECT_TRUE(f.boxes.shown.empty());
}

// The map's menu with the real pointer under a window manager: a right click opens it where
// the pointer is, an item clicked acts on the point under the pointer, and a map chosen in
// its sub-menu is shown.
#include <QMenu>

#include "main_window_fixture.h"
#include "real_input.h"

using x11::pointerAt;
using x11::xdotool;

namespace {

// Moves the real pointer onto the item of a menu that is up, and clicks it.
void clickItem(QMenu* menu, QAction* item)
{
    ASSERT_TRUE(xdotool(pointerAt(menu->mapToGlobal(menu->actionGeometry(item).center()))));
    ASSERT_TRUE(xdotool({"click", "1"}));
}

} // namespace

TEST(RealMenus, TheMapMenuActsAtThePointerAndItsMapsSubMenuShowsAnotherMap)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    REQUIRE_XDOTOOL();
    MainWindowFixture f(false);
    const auto w = x11::startPlaced(f);
    ASSERT_TRUE(w) << "the window never stood where pref.ini puts it";
    const pMap_info& zone = *RealmInfo->mapIndex->zones.front();
    w->localize_data(zone.treeNode, false);
    w->scene.view.zoomFromBar(400);
    w->ImageMapView->repaint();

    // The other position, put where the pointer is.
    const QPoint local = w->scene.view.world_to_screen(MapViewport::zone_center(zone)) + QPoint(17, 9);
    ASSERT_TRUE(xdotool(pointerAt(w->ImageMapView->mapToGlobal(local))));
    ASSERT_EVENTUALLY(w->scene.ZoneUnderMouse == &zone);
    const QPoint pointer = w->scene.MouseZonePoint;
    ASSERT_TRUE(xdotool({"click", "3"}));
    ASSERT_EVENTUALLY(w->Menu_image->isVisible());
    EXPECT_LT((w->Menu_image->geometry().topLeft() - w->ImageMapView->mapToGlobal(local)).manhattanLength(), 8)
        << "the menu opens at the pointer";
    clickItem(w->Menu_image, w->BOther);
    EXPECT_EVENTUALLY(!w->Menu_image->isVisible() && w->scene.OtherPos.Zone == &zone);
    EXPECT_EQ(QPoint(w->scene.OtherPos.X, w->scene.OtherPos.Y), pointer);

    // The maps sub-menu: another map.
    QAction* other = nullptr;
    int index = -1;
    for (QAction* a : mapItems(*w)) {
        const int i = -a->property("Tag").toInt();
        if (RealmInfo->mapIndex->maps[size_t(i)]->mapId != zone.regionId) {
            other = a;
            index = i;
        }
    }
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(xdotool(pointerAt(w->ImageMapView->mapToGlobal(local))));
    ASSERT_TRUE(xdotool({"click", "3"}));
    ASSERT_EVENTUALLY(w->Menu_image->isVisible());
    clickItem(w->Menu_image, w->region1Action);
    ASSERT_EVENTUALLY(w->region1->isVisible());
    clickItem(w->region1, other);
    EXPECT_EVENTUALLY(w->scene.CurrentMapId == RealmInfo->mapIndex->maps[size_t(index)]->mapId);
    EXPECT_FALSE(w->Menu_image->isVisible());
}

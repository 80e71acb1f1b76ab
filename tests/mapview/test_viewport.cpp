// The map's coordinates and zoom: conversions and their rounding, visibility, the zoom
// operations with their factors and limits, double click and fit (the drag is tested with
// the map's mouse input).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records.h"
#include "viewport.h"

namespace {

pMap_info zone(int32_t originX, int32_t originY)
{
    pMap_info z;
    z.originX = originX;
    z.originY = originY;
    return z;
}

// A 600 x 400 view that records what it asks of its owner.
class ViewportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.setViewSize(600, 400);
        view.onLevelOfDetail = [this] { events.push_back("lod"); };
        view.onZoomBar = [this](int32_t z) { events.push_back("bar " + std::to_string(z)); };
        view.onRepaint = [this] { events.push_back("repaint"); };
    }
    std::vector<int32_t> wheel(int32_t from, bool up, int steps)
    {
        view.restoreZoom(from);
        std::vector<int32_t> zooms;
        while (steps-- > 0) zooms.push_back((view.zoomByWheel(up), view.Zoom));
        return zooms;
    }
    MapViewport view;
    std::vector<std::string> events;
};

TEST_F(ViewportTest, ConversionsRoundHalfToEvenAndRoundTrip)
{
    view.restoreZoom(20);
    EXPECT_EQ(view.screen_to_world({2, -6}), QPoint(6554, -19660)); // 6553.5 and -19660.5
    EXPECT_EQ(view.screen_to_world({40000, 0}), QPoint(131070000, 0)); // product past 32 bits
    for (int32_t zoom : {20, 133, 1001, 3500}) {
        view.restoreZoom(zoom);
        view.OffsetX = -12345;
        view.OffsetY = 678;
        for (int32_t i = -50; i <= 50; ++i) {
            const QPoint world(i * 197531 + 17, -i * 86421), screen(i * 37, i * -53 + 1);
            const QPoint back = view.screen_to_world(view.world_to_screen(world)) - world;
            EXPECT_LE(std::max(std::abs(back.x()), std::abs(back.y())), 65535 / (2 * zoom) + 1) << zoom;
            // A world unit is finer than a pixel, so a screen point comes back exactly.
            EXPECT_EQ(view.world_to_screen(view.screen_to_world(screen)), screen) << zoom;
        }
    }
    const pMap_info z = zone(131070, 65535); // world x 131070.., world y -65535..
    EXPECT_EQ(MapViewport::worldmaptoworld({100, 200}, z), QPoint(131170, -65335));
    EXPECT_EQ(MapViewport::world_to_zonelocal(z, {131170, -65335}), QPoint(100, 200));
    EXPECT_EQ(MapViewport::zone_center(z), QPoint(163837, -32768));
    view.restoreZoom(100);
    view.OffsetX = 10;
    view.OffsetY = 20;
    const ViewRect r = view.zoneScreenRect(z);
    EXPECT_EQ(std::vector<int32_t>({r.left, r.top, r.right, r.bottom}), std::vector<int32_t>({210, -80, 310, 20}));
}

TEST_F(ViewportTest, ZonesAndPointsInViewAndUnderAPoint)
{
    pMap_info a = zone(0, 0), b = zone(65535, 0), twinOfA = zone(0, 0);
    const std::vector<pMap_info*> zones{&a, &b, &twinOfA};
    EXPECT_EQ(MapViewport::zone_at({1, 1}, zones), &a);
    EXPECT_EQ(MapViewport::zone_at({65536, 65534}, zones), &b);
    for (QPoint edge : {QPoint(0, 100), QPoint(65535, 100), QPoint(100, 0), QPoint(100, 65535)})
        EXPECT_EQ(MapViewport::zone_at(edge, zones), nullptr) << edge.x() << "," << edge.y();
    EXPECT_FALSE(view.point_in_view({0, 5}) || view.point_in_view({5, 0}) || view.point_in_view({600, 5}));
    EXPECT_TRUE(view.point_in_view({1, 1}) && view.point_in_view({599, 399}));
    EXPECT_TRUE(view.zone_in_view({600, 400, 700, 500}) && view.zone_in_view({-100, -50, 0, 0}));
    EXPECT_FALSE(view.zone_in_view({601, 0, 700, 100}) || view.zone_in_view({-100, 10, -1, 20}));
}

TEST_F(ViewportTest, ZoomKeepsItsFixedPointAndWheelStepsRoundTheExactProductAndStopAtTheLimits)
{
    view.OffsetX = 37;
    const QPoint p(123456, -7890), before = view.world_to_screen(p);
    view.zoom_at(p, 733);
    EXPECT_EQ(view.world_to_screen(p), before);
    EXPECT_EQ(events, (std::vector<std::string>{"lod", "bar 733", "repaint"}));
    const QPoint centre = view.screen_to_world(view.view_center());
    view.zoomByKey(true);
    EXPECT_EQ(view.Zoom, 806);
    EXPECT_EQ(view.world_to_screen(centre), view.view_center());

    // Wheel steps.
    EXPECT_EQ(wheel(100, true, 6), std::vector<int32_t>({110, 121, 133, 146, 161, 177}));
    EXPECT_EQ(wheel(100, false, 6), std::vector<int32_t>({90, 81, 73, 66, 59, 53}));
    EXPECT_EQ(wheel(3200, true, 1)[0], 3500);
    EXPECT_EQ(wheel(21, false, 1)[0], 20);
    // 35 x 1.1 and 45 x 0.9 lie just above a half; a double product would round them down.
    EXPECT_EQ(wheel(35, true, 1)[0], 39);
    EXPECT_EQ(wheel(45, false, 1)[0], 41);
    for (auto [from, up] : {std::pair{3500, true}, std::pair{20, false}}) {
        view.restoreZoom(from);
        view.OffsetX = 7;
        events.clear();
        EXPECT_FALSE(view.zoomByWheel(up));
        EXPECT_EQ(std::pair(view.Zoom, view.OffsetX), std::pair(from, 7));
        EXPECT_TRUE(events.empty()) << "no repaint, no zoom bar";
    }
}

TEST_F(ViewportTest, DoubleClickTogglesAndCentresFitTakesTheShorterSide)
{
    view.MouseWorld = {1000, 2000};
    EXPECT_FALSE(view.toggleDblClickZoom(false)); // no zone under the mouse
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(view.toggleDblClickZoom(true));
    EXPECT_EQ(std::pair(view.Zoom, view.ZoomBeforeDblClick), std::pair(3500, 100));
    view.MouseWorld = {-5000, 6000};
    EXPECT_TRUE(view.toggleDblClickZoom(true));
    EXPECT_EQ(std::pair(view.Zoom, view.ZoomBeforeDblClick), std::pair(100, 0));
    EXPECT_EQ(view.world_to_screen({-5000, 6000}), view.view_center());
    // A wheel step down forgets the zoom to return to, even when the zoom cannot go lower.
    view.ZoomBeforeDblClick = 100;
    view.restoreZoom(20);
    view.zoomByWheel(false);
    EXPECT_EQ(view.ZoomBeforeDblClick, 0);

    // Fitting a zone takes the shorter side, even above the usual upper limit, but never
    // less than the smallest zoom; a restored zoom stays in the zoom range.
    const pMap_info z = zone(65535, -65535);
    for (auto [size, expected] : {std::pair{QSize(600, 400), 400}, {QSize(4000, 3800), 3800}, {QSize(10, 10), 20}}) {
        view.setViewSize(size.width(), size.height());
        view.fit_zone(&z);
        EXPECT_EQ(view.Zoom, expected);
        EXPECT_EQ(view.world_to_screen(MapViewport::zone_center(z)), view.view_center());
    }
    view.restoreZoom(100000);
    EXPECT_EQ(view.Zoom, 3500);
}

} // namespace

// Routes, areas, link lines, the path hit test and the waypoint list, on a small tree
// built in memory: map 1 shows zones Zeta (origin 0, 0) and alpha (origin 65535, 0).
#include <gtest/gtest.h>

#include "tree_fixture.h"
#include "link_codes.h"
#include "map_paths.h"
#include "preferences.h"

namespace {

struct PathsFixture : ::testing::Test {
    TreeFixture fx;
    MapScene scene;
    pMap_info* zeta = nullptr;
    pMap_info* alpha = nullptr;

    void SetUp() override
    {
        for (auto& c : fx.common.categories) {
            c->iconsNow = 1;
            c->linkable = 1;
        }
        fx.common.colors = {{"zero", 0x000001}, {"rouge", 0x0000FF}, {"vert", 0x00FF00}};
        for (auto& z : fx.map.zones) {
            if (z->name == "Zeta") zeta = z.get();
            if (z->name == "alpha") alpha = z.get();
        }
        scene.tree = &fx.tree;
        scene.common = &fx.common;
        scene.CurrentMapId = 1;
        scene.DisplayedZones = {zeta, alpha};
        scene.view.setViewSize(800, 600);
        scene.view.restoreZoom(1000);
        Preferences.WPSU = true;
    }

    int add(const std::string& name, int zoneId, int categ, int x, int y, const std::string& link)
    {
        return fx.tree.addnode({.x = uint32_t(x), .y = uint32_t(y), .name = name, .zoneId = uint32_t(zoneId),
                                .categoryId = uint32_t(categ), .description = {}, .attributes = {}, .linkText = link,
                                .hasItem = 1});
    }
    const TNodeData& data(int node) { return *fx.tree.nodeData(node); }
};

} // namespace

// ---- Routes and areas.

TEST_F(PathsFixture, RouteAndAreaRoundTripFromWaypoints)
{
    scene.waypointMode = true;
    ASSERT_EQ(add_waypoint(scene, zeta, {60000, 1000}), WaypointAdd::Added);
    ASSERT_EQ(add_waypoint(scene, alpha, {5000, 20000}), WaypointAdd::Added); // across the zone edge
    ASSERT_EQ(add_waypoint(scene, alpha, {100, 50000}), WaypointAdd::Added);
    const std::vector<RouteWaypoint> wps = toRouteWaypoints(scene.Waypoints);

    RouteOptions options;
    options.alwaysShown = true;
    const BuiltRouteCode route = buildRouteCode(options, zeta, wps);
    const BuiltRouteCode area = buildWorldRouteCode(wps);
    ASSERT_EQ(route.status, RouteBuildStatus::Ok);
    ASSERT_EQ(area.status, RouteBuildStatus::Ok);

    const int withRoute = add("Chemin", 10, 1, 100, 200, route.text);
    const int withArea = add("Zone", 10, 1, 300, 400, area.text);
    build_paths(scene);
    ASSERT_EQ(scene.Paths.size(), 1u);
    const std::vector<WorldPoint> world{{60000, 1000}, {70535, 20000}, {65635, 50000}};
    std::vector<WorldPoint> expected{{100, 200}};
    expected.insert(expected.end(), world.begin(), world.end());
    EXPECT_EQ(scene.Paths[0].node, withRoute);
    EXPECT_EQ(scene.Paths[0].points, expected);
    EXPECT_TRUE(scene.Paths[0].shown);

    build_ownpath(scene, withArea);
    EXPECT_EQ(scene.OwnPath.points, world);
    EXPECT_EQ(scene.OwnPath.colour32 & 0xFF000000u, 0x44000000u);
}

TEST_F(PathsFixture, MalformedTextsGiveNoPathWithoutCrash)
{
    // The route grammar itself is checked with the link codes; here only what the map adds.
    add("hex", 10, 1, 1, 1, "V_0091ZZZZ0000");          // not hexadecimal: skipped
    add("opts", 10, 1, 1, 1, "V_00X100000000");         // options not digits: no route flag
    add("kept", 10, 1, 1, 1, "V_2091000A000B");         // odd option digit: still a route
    const int hidden = add("hidden", 10, 1, 1, 1, "V_0091000A000B");
    fx.tree.setVisible(hidden, false);
    build_paths(scene);
    ASSERT_EQ(scene.Paths.size(), 1u);
    EXPECT_EQ(fx.tree.nodeData(scene.Paths[0].node)->item->name, "kept");

    build_ownpath(scene, data(add("area", 10, 1, 1, 1, "S_0000000100000002ABCD"))); // not 16 + 8k digits
    EXPECT_TRUE(scene.OwnPath.points.empty());
    build_ownpath(scene, data(add("single", 10, 1, 1, 1, "S_FFFFFFFF00000010")));
    EXPECT_EQ(scene.OwnPath.points, (std::vector<WorldPoint>{{-1, 16}}));
}

TEST_F(PathsFixture, PathColours)
{
    add("index0", 10, 1, 1, 1, "V_0091000A000B");
    add("index2", 10, 1, 1, 1, "V_0291000A000B");
    add("past", 10, 1, 1, 1, "V_0791000A000B"); // beyond the three named colours
    const int faint = add("faint", 10, 1, 1, 1, "V_0001000A000B");
    build_paths(scene);
    ASSERT_EQ(scene.Paths.size(), 4u);
    EXPECT_EQ(scene.Paths[0].colour32, 0xFFFE0000u); // category colour $0000FF
    EXPECT_EQ(scene.Paths[1].colour32, 0xFF00FE00u); // named colour 2
    EXPECT_EQ(scene.Paths[2].colour32, 0xFFFE0000u); // falls back to the location's colour
    EXPECT_EQ(scene.Paths[3].colour32, 0x33FE0000u);

    scene.SelectionChain[0] = faint;
    update_pathcolors(scene);
    EXPECT_EQ(scene.Paths[3].colour32, 0xFFFFFF00u);
    scene.SelectionChain[0] = kNoTreeNode;
    update_pathcolors(scene);
    EXPECT_EQ(scene.Paths[3].colour32, 0x33FE0000u);
}

// ---- Links.

TEST_F(PathsFixture, ParseLinks)
{
    const int src = add("Source", 10, 1, 100, 200, "");
    const int tour = add("Tour", 11, 2, 10, 20, "");
    add("Puits", 10, 2, 30, 40, "");
    // The far ends of the lines a note adds; every line starts at the source, in its colour.
    auto targets = [&](const std::string& note) {
        scene.LinkLines.clear();
        parse_links(scene, src, note);
        std::vector<WorldPoint> ends;
        for (const rLine& l : scene.LinkLines) {
            EXPECT_TRUE(l.x1 == 100 && l.y1 == 200 && l.colour == 0xFFFE0000u);
            ends.push_back({l.x2, l.y2});
        }
        return ends;
    };
    const WorldPoint toTour{65545, 20}, toPuits{30, 40};
    EXPECT_EQ(targets("  {Tour}{ puits}  "), (std::vector<WorldPoint>{toTour, toPuits}));
    EXPECT_EQ(targets("{TOUR} et {tour}"), (std::vector<WorldPoint>{toTour, toTour}));
    EXPECT_EQ(targets("{Tour {Puits}"), (std::vector<WorldPoint>{toPuits}));
    EXPECT_TRUE(targets("{}} Tour} {Inconnu} {Tour").empty());

    // A category that takes no links is neither a target nor a source.
    fx.common.categoryById(2)->linkable = 0;
    EXPECT_TRUE(targets("{Tour}").empty());
    fx.tree.nodeData(tour)->item->description = "{Source}";
    build_links(scene);
    EXPECT_TRUE(scene.LinkLines.empty());
    fx.common.categoryById(2)->linkable = 1;
    build_links(scene);
    EXPECT_EQ(scene.LinkLines.size(), 1u);
}

// ---- Hit test.

TEST_F(PathsFixture, PathAtPicksTheEarlierPathAndHitsCoverTheAntialiasedLineExactly)
{
    // Zoom 1000: 65.535 world units per pixel. Both run along screen row 10.
    add("first", 10, 1, 0, 655, "V_0091FFDF0293");  // to (65503, 659)
    add("second", 10, 1, 655, 655, "V_0091FFDF0293");
    build_paths(scene);
    ASSERT_EQ(scene.Paths.size(), 2u);
    const QPoint s = scene.view.world_to_screen({30000, 657});
    EXPECT_EQ(path_at(scene, s.x(), s.y()), scene.Paths[0].node);
    EXPECT_EQ(path_at(scene, s.x(), s.y() + 2), kNoTreeNode);
    scene.Paths[0].shown = 0;
    EXPECT_EQ(path_at(scene, s.x(), s.y()), scene.Paths[1].node);
    Preferences.WPSU = false;
    EXPECT_EQ(path_at(scene, s.x(), s.y()), kNoTreeNode);
    Preferences.WPSU = true;
    scene.overlays.paths = false;
    EXPECT_EQ(path_at(scene, s.x(), s.y()), kNoTreeNode);

    // A shallow and a steep segment at a zoom that rounds: every pixel of the window is
    // checked against the line's cover, so the early rejection never drops a hit.
    scene.view.restoreZoom(777);
    scene.view.OffsetX = 3;
    scene.view.OffsetY = -5;
    rwpitem p;
    p.shown = 1;
    p.points = {{1000, 2000}, {20000, 9000}, {23000, 40000}};
    const std::vector<rwpitem> paths{p};
    QPoint pts[3];
    for (int i = 0; i < 3; ++i) pts[i] = scene.view.world_to_screen({p.points[size_t(i)].x, p.points[size_t(i)].y});
    auto covered = [&](QPoint a, QPoint b, QPoint m) {
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        if (std::abs(dx) >= std::abs(dy)) {
            if (m.x() < std::min(a.x(), b.x()) || m.x() > std::max(a.x(), b.x())) return false;
            return std::abs(a.y() + (m.x() - a.x()) * dy / dx - m.y()) < 1 - 1e-9;
        }
        if (m.y() < std::min(a.y(), b.y()) || m.y() > std::max(a.y(), b.y())) return false;
        return std::abs(a.x() + (m.y() - a.y()) * dx / dy - m.x()) < 1 - 1e-9;
    };
    int hits = 0;
    for (int y = -10; y < 500; ++y)
        for (int x = -10; x < 300; ++x) {
            const QPoint m(x, y);
            const bool want = covered(pts[0], pts[1], m) || covered(pts[1], pts[2], m);
            ASSERT_EQ(pathIndexAt(scene.view, paths, m) == 0, want) << x << "," << y;
            hits += want;
        }
    EXPECT_GT(hits, 400);
}

// ---- Waypoints.

TEST_F(PathsFixture, WaypointRules)
{
    EXPECT_EQ(add_waypoint(scene, zeta, {0, 100}), WaypointAdd::NotActive);
    scene.waypointMode = true;
    EXPECT_EQ(add_waypoint(scene, nullptr, {0, 100}), WaypointAdd::NotActive);
    EXPECT_EQ(add_waypoint(scene, zeta, {0, 100}), WaypointAdd::Added);
    EXPECT_FALSE(update_waypointmenu(scene).undoEnabled); // one waypoint: undo stays off
    EXPECT_EQ(add_waypoint(scene, zeta, {31999, 100}), WaypointAdd::Added); // 31 thousands
    EXPECT_TRUE(remove_last_waypoint(scene));
    EXPECT_EQ(add_waypoint(scene, zeta, {32999, 100}), WaypointAdd::TooFar); // 32 thousands

    // -999 and 31999 are 0 and 31 thousands apart, but 32998 units exceed a 16-bit step.
    erase_listWP(scene);
    EXPECT_FALSE(remove_last_waypoint(scene));
    pMap_info west;
    west.originX = -999;
    add_waypoint(scene, &west, {0, 100});
    EXPECT_EQ(add_waypoint(scene, zeta, {31999, 100}), WaypointAdd::TooFar);
    EXPECT_EQ(add_waypoint(scene, zeta, {31767, 100}), WaypointAdd::Added);
}

// Place, route and world route codes and route options: made from locations and waypoints, read back from text.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "con_colors.h"
#include "link_codes.h"
#include "location_editing.h"
#include "tree_fixture.h"

TEST(PlaceCode, WrittenReadAndFoundBySixteenBitZoneId)
{
    EXPECT_EQ(buildPlaceCode(12, 0, 65535), "J_1000C0000FFFF");
    // The kind is not read, nor what follows the fifteenth character.
    for (const char* typed : {"  j_1000c0000ffff\t", "J_#000C0000FFFF", "J_1000C0000FFFF0", "J_1000C0000FFFF zz"}) {
        const PlaceCode c = readPlaceCode(typed);
        ASSERT_EQ(c.status, PlaceCodeStatus::Ok) << typed;
        EXPECT_EQ(c.zoneId, 12);
        EXPECT_EQ(c.x, 0);
        EXPECT_EQ(c.y, 65535);
    }
    // A longer text with control bytes after the code (a fuzzer input).
    const PlaceCode longer = readPlaceCode("  j_1000c0000f00c0000fff\x12 ff\x12 ");
    ASSERT_EQ(longer.status, PlaceCodeStatus::Ok);
    EXPECT_EQ(std::tuple(longer.zoneId, longer.x, longer.y), std::tuple(12, 0, 0xF00C));

    TreeFixture f;
    f.addZone("Moins", -1, 1, 0, 0);
    f.tree.init_tree(f.map, f.common);
    auto zoneNode = [&](int16_t id) { return placeCodeZoneNode(f.tree, readPlaceCode(buildPlaceCode(id, 5, 6))); };
    EXPECT_EQ(zoneNode(-1), f.map.zones.back()->treeNode);
    EXPECT_EQ(zoneNode(11), f.map.zones[1]->treeNode);
    EXPECT_EQ(zoneNode(99), kNoTreeNode);
    f.tree.setVisible(f.map.zones[1]->treeNode, false);
    EXPECT_EQ(zoneNode(11), kNoTreeNode);
}

TEST(PlaceCode, RefusesTextsThatAreNotWholePlaceCodes)
{
    for (const char* text : {"", "X_1000C0000FFFF", "J1000C0000FFFF0", "j"})
        EXPECT_EQ(readPlaceCode(text).status, PlaceCodeStatus::NotPlaceCode) << text;
    EXPECT_EQ(readPlaceCode(" x_abc ").text, "X_ABC"); // quoted by the message

    // Cut short (also by one digit), or a field that is not hexadecimal.
    for (const char* text : {"J_", "J_1000C0000", "J_1000C0000FFF", "J_1000G0000FFFF",
                             "J_1000C00 0FFFF", "J_#############"})
        EXPECT_EQ(readPlaceCode(text).status, PlaceCodeStatus::BadFields) << text;
}

TEST(RouteOptions, DigitsGiveFlagColourAndAlpha)
{
    const auto shown = parseRouteOptions("1291");
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->alwaysShown);
    EXPECT_EQ(shown->colourIndex, 2);
    EXPECT_EQ(AlphaByIndex(shown->opacity), 0xFF000000u);
    const auto plain = parseRouteOptions("0000");
    EXPECT_FALSE(plain->alwaysShown);
    EXPECT_EQ(AlphaByIndex(plain->opacity), 0x33000000u);
    EXPECT_EQ(routeOptionsText(RouteOptions{}), kDefaultRouteOptions);
    for (const char* bad : {"", "009", "00911", "00A1", "-091", "2091"}) EXPECT_FALSE(parseRouteOptions(bad)) << bad;

    const RouteOptions o{true, 3, 0, 1};
    EXPECT_EQ(withRouteOptions("V_00910064012CFFFFFFFF", o), "V_13010064012CFFFFFFFF");
    EXPECT_EQ(withRouteOptions("V_1", o), "V_1301");
    EXPECT_FALSE(withRouteOptions("S_0000000100000002", o));
    EXPECT_EQ(routeCodeOptions("V_12910064012C")->colourIndex, 2);
    EXPECT_FALSE(routeCodeOptions("V_12"));

    // The options dialog, with five colours: a colour beyond the list is item 0, a bad
    // opacity is opaque; a code too short for its options gets the missing digits' defaults.
    for (auto [text, back] : {std::pair{"0791", "0091"}, {"04Z1", "0491"}, {"0000", "0001"}})
        EXPECT_EQ(routeOptionsOfForm(routeOptionsForm(text, 5)), back) << text;
    for (auto [code, options] : {std::pair{"V_1201000A000B", "1201"}, {"V_1", "1091"}, {"V_", "0091"}})
        EXPECT_EQ(routeOptionsOfCode(code), options) << code;
    EXPECT_FALSE(routeMenuState("V_").enabled); // shorter than 3: off, caption kept
    EXPECT_EQ(routeMenuState("V_").captionId, 0);
    EXPECT_EQ(routeMenuState("J_1000C0000FFFF").captionId, 12);
}

TEST(RouteCode, BuiltFromWaypointsAndReadBackFromTheLocation)
{
    TreeFixture f;
    const pMap_info* zeta = f.map.zones[0].get();
    const pMap_info* alpha = f.map.zones[1].get(); // origin x 65535
    // One unit less in world x and one more in world y: both deltas FFFF.
    std::vector<RouteWaypoint> wps{{zeta, 100, 300}, {zeta, 99, 301}};
    EXPECT_EQ(buildRouteCode(RouteOptions{}, zeta, wps).text, "V_00910064012CFFFFFFFF");
    EXPECT_EQ(buildRouteCode(RouteOptions{}, zeta, std::span(wps).first(1)).text, "V_0091");

    // Later waypoints may lie in another zone: 65535 + 100 - 99 = 65536 is too far,
    // 65535 + 0 - 65500 = 35 is not.
    wps.push_back({alpha, 100, 10});
    EXPECT_EQ(buildRouteCode(RouteOptions{}, zeta, wps).status, RouteBuildStatus::DoesNotFit);
    wps = {{zeta, 65500, 10}, {alpha, 0, 10}, {alpha, 90, 5000}};
    const BuiltRouteCode b = buildRouteCode(*parseRouteOptions("1291"), zeta, wps);
    EXPECT_EQ(b.text, "V_1291FFDC000A00230000005AEC82");

    const auto route = readRouteCode(b.text, *zeta, 7, 8);
    ASSERT_TRUE(route);
    EXPECT_TRUE(route->options.alwaysShown);
    const std::vector<WorldPoint> expected{{7, 8}, {65500, 10}, {65535, 10}, {65625, 5000}};
    EXPECT_EQ(route->points, expected);
    EXPECT_EQ(readRouteCode("V_0091", *zeta, 7, 8)->points.size(), 1u);
    // dy 0001 takes one unit off world y; lower-case digits read too.
    EXPECT_EQ(readRouteCode("V_00910064012c00000001", *zeta, 0, 0)->points[2].y, 299);
}

TEST(RouteCode, RefusesWhatItCannotCarry)
{
    TreeFixture f;
    const pMap_info* zeta = f.map.zones[0].get();
    auto build = [&](std::vector<RouteWaypoint> wps) { return buildRouteCode(RouteOptions{}, zeta, wps).status; };
    EXPECT_EQ(build({{f.map.zones[1].get(), 1, 1}, {zeta, 1, 1}}), RouteBuildStatus::FirstOutsideZone);
    EXPECT_EQ(build({{zeta, 0, 0}, {zeta, 32767, 32768}}), RouteBuildStatus::Ok);
    EXPECT_EQ(build({{zeta, 40000, 40000}, {zeta, 40000 - 32768, 40000 - 32767}}), RouteBuildStatus::Ok);
    EXPECT_EQ(build({{zeta, 0, 0}, {zeta, 32768, 0}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(build({{zeta, 0, 40000}, {zeta, 0, 40000 - 32768}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(build({{zeta, 65536, 0}, {zeta, 65535, 0}}), RouteBuildStatus::DoesNotFit);
    // A step the waypoint list's distance rule lets through but a delta cannot carry is
    // checked with the waypoints.

    for (const char* bad : {"V", "V_0091X", "V_00910064012C0", "V_00910064012C000000000", "S_00910064012C",
                            "VX00910064012C", "V_00A10064012C", "V_00910G64012C", "V_00910064012C0000X000"})
        EXPECT_FALSE(readRouteCode(bad, *zeta, 0, 0)) << bad;
    pMap_info far;
    far.originX = 2147483647 - 10; // the start point would leave 32 bits
    EXPECT_FALSE(readRouteCode("V_00910064012C", far, 0, 0));
}

TEST(WorldRouteCode, WorldPointsInThirtyTwoBitsAndDeltas)
{
    TreeFixture f;
    pMap_info* east = f.addZone("Est", 30, 1, 65535, 5);
    // World y = local y - origin y = -5.
    const std::vector<RouteWaypoint> wps{{east, 1, 0}, {east, 0, 1}, {f.map.zones[0].get(), 65000, 1}};
    const BuiltRouteCode b = buildWorldRouteCode(wps);
    EXPECT_EQ(b.text, "S_00010000FFFFFFFBFFFFFFFFFDE9FFFB");
    const std::vector<WorldPoint> expected{{65536, -5}, {65535, -4}, {65000, 1}};
    EXPECT_EQ(readWorldRouteCode(b.text), expected);
    EXPECT_EQ(readWorldRouteCode("S_0000000100000002")->size(), 1u);

    for (const char* bad : {"S_", "S_000000010000000", "S_0000000100000002000100", "V_0000000100000002",
                            "S_00000001000000G2", "S_7FFFFFFF000000000001FFFF", "S_0000000080000000FFFF0001"})
        EXPECT_FALSE(readWorldRouteCode(bad)) << bad;
}

TEST(WorldRouteCode, OldPathFormConvertedOnLoadThenRead)
{
    // $40000 and $60000 less two and four zone widths in region 0, three and five elsewhere.
    rItemdata item;
    DecodeLinkText(item, "P_0004000000060000abc", 3);
    EXPECT_EQ(item.command->text, "S_0001000300010005abc");
    DecodeLinkText(item, "P_00040000000600000001FFFF", 0);
    const std::vector<WorldPoint> expected{{0x20002, 0x20004}, {0x20003, 0x20005}};
    EXPECT_EQ(readWorldRouteCode(item.command->text), expected);
}

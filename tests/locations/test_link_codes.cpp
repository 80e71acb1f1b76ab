#include <gtest/gtest.h>

#include <vector>

#include "con_colors.h"
#include "link_codes.h"
#include "text_helpers.h"
#include "tree_fixture.h"

namespace {

WorldPoint world(const pMap_info& z, int32_t x, int32_t y) { return {z.originX + x, y - z.originY}; }

} // namespace

TEST(PlaceCode, BuildsFifteenUpperCaseCharacters)
{
    EXPECT_EQ(BuildPlaceCode(12, 0, 65535), "J_1000C0000FFFF");
    EXPECT_EQ(BuildPlaceCode(-1, 0xabc, 1), "J_1FFFF0ABC0001");
}

TEST(PlaceCode, ReadsTrimmedLowerCaseWhateverTheKind)
{
    for (const char* typed : {"J_1000C0000FFFF", "  j_1000c0000ffff\t", "J_#000C0000FFFF", "J_4000C0000FFFF"}) {
        const PlaceCode c = ReadPlaceCode(typed);
        ASSERT_EQ(c.status, PlaceCodeStatus::Ok) << typed;
        EXPECT_EQ(c.zoneId, 12);
        EXPECT_EQ(c.x, 0);
        EXPECT_EQ(c.y, 65535);
    }
    EXPECT_EQ(ReadPlaceCode(" j_1000c0000ffff ").text, "J_1000C0000FFFF");
}

TEST(PlaceCode, RefusesTextsThatAreNotWholePlaceCodes)
{
    for (const char* text : {"", "   ", "X_1000C0000FFFF", "J1000C0000FFFF0", "V_00910001000100010001", "j"}) {
        const PlaceCode c = ReadPlaceCode(text);
        EXPECT_EQ(c.status, PlaceCodeStatus::NotPlaceCode) << text;
    }
    EXPECT_EQ(ReadPlaceCode(" x_abc ").text, "X_ABC"); // quoted by the message as typed, trimmed

    // Too short (whatever is cut off), too long, or a field that is not hexadecimal.
    for (const char* text : {"J_", "J_1000C0000", "J_1000C0000F", "J_1000C0000FFF", "J_1000C0000FFFF0",
                             "J_1000G0000FFFF", "J_1000C00 0FFFF", "J_1-00C0000FFFF", "J_#############"}) {
        const PlaceCode c = ReadPlaceCode(text);
        EXPECT_EQ(c.status, PlaceCodeStatus::BadFields) << text;
    }
}

TEST(PlaceCode, FindsItsZoneBySixteenBitsAndOnlyWhenShown)
{
    TreeFixture f;
    f.addZone("Moins", -1, 1, 0, 0);
    f.tree.init_tree(f.map, f.common);
    const pMap_info& minus = *f.map.zones.back();
    const pMap_info& alpha = *f.map.zones[1];

    EXPECT_EQ(PlaceCodeZoneNode(f.tree, ReadPlaceCode(BuildPlaceCode(-1, 5, 6))), minus.treeNode);
    EXPECT_EQ(PlaceCodeZoneNode(f.tree, ReadPlaceCode(BuildPlaceCode(11, 5, 6))), alpha.treeNode);
    EXPECT_EQ(PlaceCodeZoneNode(f.tree, ReadPlaceCode(BuildPlaceCode(99, 5, 6))), kNoTreeNode);
    EXPECT_EQ(PlaceCodeZoneNode(f.tree, ReadPlaceCode("J_1000B0005")), kNoTreeNode);

    f.tree.setVisible(alpha.treeNode, false);
    EXPECT_EQ(PlaceCodeZoneNode(f.tree, ReadPlaceCode(BuildPlaceCode(11, 5, 6))), kNoTreeNode);
}

TEST(RouteOptions, DigitsGiveFlagColourAndAlpha)
{
    const auto shown = ParseRouteOptions("1291");
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->alwaysShown);
    EXPECT_EQ(shown->colourIndex, 2);
    EXPECT_EQ(AlphaByIndex(shown->opacity), 0xFF000000u);

    const auto plain = ParseRouteOptions("0000");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->alwaysShown);
    EXPECT_EQ(plain->colourIndex, 0);
    EXPECT_EQ(AlphaByIndex(plain->opacity), 0x33000000u);

    EXPECT_EQ(RouteOptionsText(*ParseRouteOptions(kDefaultRouteOptions)), "0091");
    EXPECT_EQ(RouteOptionsText(RouteOptions{true, 3, 0, 1}), "1301");
    EXPECT_EQ(RouteOptionsText(RouteOptions{}), kDefaultRouteOptions);

    for (const char* bad : {"", "009", "00911", "00A1", "0 91", "-091", "2091"}) EXPECT_FALSE(ParseRouteOptions(bad)) << bad;
}

TEST(RouteOptions, ReplacedInARouteCodeKeepingItsPoints)
{
    const RouteOptions o{true, 3, 0, 1};
    EXPECT_EQ(WithRouteOptions("V_00910064012CFFFFFFFF", o), "V_13010064012CFFFFFFFF");
    EXPECT_EQ(WithRouteOptions("V_1", o), "V_1301");
    EXPECT_FALSE(WithRouteOptions("S_0000000100000002", o));
    EXPECT_FALSE(WithRouteOptions("", o));

    EXPECT_EQ(RouteCodeOptions("V_12910064012C")->colourIndex, 2);
    EXPECT_FALSE(RouteCodeOptions("V_12"));
    EXPECT_FALSE(RouteCodeOptions("V_12X10064012C"));
    EXPECT_FALSE(RouteCodeOptions("J_1000C0000FFFF"));
}

TEST(RouteCode, BuildsStartPointThenDeltaPairs)
{
    TreeFixture f;
    const pMap_info* zeta = f.map.zones[0].get();
    // One unit left and one unit further in world y: both deltas FFFF.
    std::vector<RouteWaypoint> wps{{zeta, 100, 300}, {zeta, 99, 301}};
    BuiltRouteCode b = BuildRouteCode(*ParseRouteOptions("0091"), zeta, wps);
    ASSERT_EQ(b.status, RouteBuildStatus::Ok);
    EXPECT_EQ(b.text, "V_00910064012CFFFFFFFF");
    EXPECT_EQ(b.text.size(), 22u);

    wps.push_back({zeta, 99, 300});
    b = BuildRouteCode(RouteOptions{}, zeta, wps);
    EXPECT_EQ(b.text, "V_00910064012CFFFFFFFF00000001");

    // Fewer than two waypoints: the options alone.
    EXPECT_EQ(BuildRouteCode(RouteOptions{}, zeta, std::span(wps).first(1)).text, "V_0091");
}

TEST(RouteCode, RefusesWhatItCannotCarry)
{
    TreeFixture f;
    const pMap_info* zeta = f.map.zones[0].get();
    const pMap_info* alpha = f.map.zones[1].get();
    auto build = [&](std::vector<RouteWaypoint> wps) { return BuildRouteCode(RouteOptions{}, zeta, wps).status; };

    EXPECT_EQ(build({{alpha, 1, 1}, {zeta, 1, 1}}), RouteBuildStatus::FirstOutsideZone);
    EXPECT_EQ(build({{zeta, 0, 0}, {zeta, 32767, 32768}}), RouteBuildStatus::Ok);
    EXPECT_EQ(build({{zeta, 40000, 40000}, {zeta, 40000 - 32768, 40000 - 32767}}), RouteBuildStatus::Ok);
    EXPECT_EQ(build({{zeta, 0, 0}, {zeta, 32768, 0}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(build({{zeta, 0, 40000}, {zeta, 0, 40000 - 32768}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(build({{zeta, 0, 0}, {zeta, 1, 1}, {zeta, 1, 40000}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(build({{zeta, 65536, 0}, {zeta, 65535, 0}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(build({{zeta, 5, -1}, {zeta, 5, 0}}), RouteBuildStatus::DoesNotFit);
    EXPECT_EQ(BuildWorldRouteCode(std::vector<RouteWaypoint>{{zeta, 0, 0}, {zeta, -32769, 0}}).status,
              RouteBuildStatus::DoesNotFit);

    // The waypoint list's distance rule lets this step through (0 and 31 whole thousands),
    // yet 32998 units do not fit a delta; FitsRouteStep tells the list so.
    const WorldPoint a{-999, 0}, b{31999, 0};
    EXPECT_LT(CalcDistance(a, b), 32000);
    EXPECT_FALSE(FitsRouteStep(a, b));
    EXPECT_TRUE(FitsRouteStep({0, 0}, {32767, 32768}));
    EXPECT_TRUE(FitsRouteStep({0, 0}, {-32768, -32767}));
    EXPECT_FALSE(FitsRouteStep({0, 0}, {0, -32768}));
}

TEST(RouteCode, ReadsBackTheLocationThenEveryWaypoint)
{
    TreeFixture f;
    const pMap_info& zeta = *f.map.zones[0];
    const pMap_info& alpha = *f.map.zones[1];
    // Later waypoints may lie in another zone: deltas are in world units.
    const std::vector<RouteWaypoint> wps{{&zeta, 65500, 10}, {&alpha, 100, 10}, {&alpha, 90, 5000}};
    const BuiltRouteCode b = BuildRouteCode(*ParseRouteOptions("1291"), &zeta, wps);
    ASSERT_EQ(b.status, RouteBuildStatus::Ok);
    EXPECT_EQ(b.text.substr(14, 8), "00870000"); // 65535 + 100 - 65500 = 135

    const auto route = ReadRouteCode(b.text, zeta, 7, 8);
    ASSERT_TRUE(route);
    EXPECT_TRUE(route->options.alwaysShown);
    EXPECT_EQ(route->options.colourIndex, 2);
    const std::vector<WorldPoint> expected{world(zeta, 7, 8), world(zeta, 65500, 10), world(alpha, 100, 10),
                                           world(alpha, 90, 5000)};
    EXPECT_EQ(route->points, expected);

    // Options alone: the location; with the start point: one segment to it.
    EXPECT_EQ(ReadRouteCode("V_0091", zeta, 7, 8)->points.size(), 1u);
    EXPECT_EQ(ReadRouteCode("V_00910064012C", zeta, 7, 8)->points.size(), 2u);
    // A dy of 0001 takes one unit off world y, FFFF adds one; lower-case digits read too.
    const auto up = ReadRouteCode("V_00910064012C00000001", zeta, 0, 0);
    const auto down = ReadRouteCode("V_00910064012c0000ffff", zeta, 0, 0);
    EXPECT_EQ(up->points[2].y, 299);
    EXPECT_EQ(down->points[2].y, 301);
}

TEST(RouteCode, ReaderRefusesMalformedCodes)
{
    TreeFixture f;
    const pMap_info& zeta = *f.map.zones[0];
    for (const char* bad : {"", "V", "V_009", "V_0091X", "V_00910064012", "V_00910064012C0", "V_00910064012C0000000",
                            "V_00910064012C000000000", "S_00910064012C", "VX00910064012C", "v_00910064012C",
                            "V_00A10064012C", "V_00910G64012C", "V_00910064012C0000X000"})
        EXPECT_FALSE(ReadRouteCode(bad, zeta, 0, 0)) << bad;

    // Points that would leave the 32-bit range are refused, not wrapped.
    pMap_info far;
    far.originX = 2147483647 - 10;
    EXPECT_FALSE(ReadRouteCode("V_00910064012C", far, 0, 0));
}

TEST(WorldRouteCode, CarriesTheFirstWorldPointInThirtyTwoBits)
{
    TreeFixture f;
    pMap_info* east = f.addZone("Est", 30, 1, 65535, 5);
    // World y = local y - origin y = -5; world x = 65535 + 1.
    const std::vector<RouteWaypoint> wps{{east, 1, 0}, {east, 0, 1}, {f.map.zones[0].get(), 65000, 1}};
    const BuiltRouteCode b = BuildWorldRouteCode(wps);
    ASSERT_EQ(b.status, RouteBuildStatus::Ok);
    EXPECT_EQ(b.text, "S_00010000FFFFFFFBFFFFFFFFFDE9FFFB");
    EXPECT_EQ(b.text.substr(10, 8), "FFFFFFFB");

    const auto points = ReadWorldRouteCode(b.text);
    ASSERT_TRUE(points);
    const std::vector<WorldPoint> expected{{65536, -5}, {65535, -4}, {65000, 1}};
    EXPECT_EQ(*points, expected);

    EXPECT_EQ(BuildWorldRouteCode(std::span(wps).first(1)).text, "S_");
    EXPECT_EQ(ReadWorldRouteCode("S_0000000100000002")->size(), 1u);
}

TEST(WorldRouteCode, ReaderRefusesMalformedCodes)
{
    for (const char* bad : {"", "S_", "S_000000010000000", "S_00000001000000020", "S_0000000100000002000100",
                            "V_0000000100000002", "S_00000001000000G2", "S_000000010000000200X10001",
                            // steps past the 32-bit range
                            "S_7FFFFFFF000000000001FFFF", "S_80000000FFFFFFFFFFFF0000", "S_0000000080000000FFFF0001"})
        EXPECT_FALSE(ReadWorldRouteCode(bad)) << bad;
}

TEST(OldWorldPath, ConvertedOnLoadThenReadAsWorldRoute)
{
    // Characters 3-10 hold $40000 and 11-18 hold $60000: minus two and four zone widths
    // in a region 0, minus three and five elsewhere.
    rItemdata item;
    DecodeLinkText(item, "P_0004000000060000abc", 0);
    EXPECT_EQ(item.command->text, "S_0002000200020004abc");
    EXPECT_TRUE(item.command->worldRoute);
    DecodeLinkText(item, "P_0004000000060000abc", 3);
    EXPECT_EQ(item.command->text, "S_0001000300010005abc");

    DecodeLinkText(item, "P_00040000000600000001FFFF", 0);
    const auto points = ReadWorldRouteCode(item.command->text);
    ASSERT_TRUE(points);
    const std::vector<WorldPoint> expected{{0x20002, 0x20004}, {0x20003, 0x20005}};
    EXPECT_EQ(*points, expected);
}

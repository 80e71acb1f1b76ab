// Link codes: any text is read without a throw or a read past its end; whatever a reader
// accepts, the builders write back exactly (upper case, place codes with kind "1"), and
// the point counts follow the code's length.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link_codes.h"

namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

void checkPlaceCode(const std::string& text)
{
    const PlaceCode c = readPlaceCode(text);
    if (c.status != PlaceCodeStatus::Ok) return;
    // Only the first 15 characters are read: they are what the builder writes back.
    std::string again = buildPlaceCode(int16_t(c.zoneId), c.x, c.y);
    if (c.text.size() < again.size()) __builtin_trap();
    again[2] = c.text[2]; // the kind is not read back
    if (again != c.text.substr(0, again.size())) __builtin_trap();
}

void checkRouteCode(const std::string& text)
{
    pMap_info zone; // origin (0, 0): world points are zone-local points
    const auto route = readRouteCode(text, zone, 0, 0);
    if (!route) return;
    if (route->points.size() != (text.size() - 6) / 8 + 1) __builtin_trap();
    if (route->points.front() != WorldPoint{0, 0}) __builtin_trap();
    if (route->points.size() < 3) return; // a built code always has two waypoints or more
    std::vector<RouteWaypoint> wps;
    for (size_t i = 1; i < route->points.size(); ++i) wps.push_back({&zone, route->points[i].x, route->points[i].y});
    const BuiltRouteCode built = buildRouteCode(route->options, &zone, wps);
    if (built.status != RouteBuildStatus::Ok || built.text != upper(text)) __builtin_trap();
}

void checkWorldRouteCode(const std::string& text)
{
    const auto points = readWorldRouteCode(text);
    if (!points) return;
    if (points->size() != (text.size() - 18) / 8 + 1) __builtin_trap();
    if (points->size() < 2) return;
    pMap_info zone;
    std::vector<RouteWaypoint> wps;
    for (const WorldPoint& p : *points) wps.push_back({&zone, p.x, p.y});
    const BuiltRouteCode built = buildWorldRouteCode(wps);
    if (built.status != RouteBuildStatus::Ok || built.text != upper(text)) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkPlaceCode(text);
    checkRouteCode(text);
    checkWorldRouteCode(text);

    if (const auto options = routeCodeOptions(text)) {
        if (routeOptionsText(*options) != text.substr(2, 4)) __builtin_trap();
        const auto replaced = withRouteOptions(text, *options);
        if (!replaced || replaced->substr(6) != text.substr(6)) __builtin_trap();
    }
    // The old world path form goes through the loader's conversion, then the reader.
    rItemdata item;
    DecodeLinkText(item, text, int16_t(size & 1));
    if (item.command && item.command->worldRoute) readWorldRouteCode(item.command->text);
    return 0;
}

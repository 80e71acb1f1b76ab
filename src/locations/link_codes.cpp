#include "link_codes.h"

#include <limits>

#include "delphi_conv.h"
#include "text_helpers.h"

std::string LastPlaceCode;

namespace {

constexpr size_t kPlaceCodeLength = 15;
constexpr size_t kRouteHead = 6;       // "V_" + options
constexpr size_t kRouteStartEnd = 14;  // head + start x and y
constexpr size_t kWorldRouteHead = 18; // "S_" + world x and y
constexpr size_t kPairLength = 8;      // dx and dy

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool fitsInt16(int64_t v) { return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max(); }
bool fitsInt32(int64_t v) { return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max(); }

// World point of a zone-local point, in 64 bits so no origin can overflow it.
struct WidePoint {
    int64_t x;
    int64_t y;
};

WidePoint toWorld(const pMap_info& zone, int64_t x, int64_t y)
{
    return {int64_t(zone.originX) + x, y - int64_t(zone.originY)};
}

std::optional<WorldPoint> narrow(WidePoint p)
{
    if (!fitsInt32(p.x) || !fitsInt32(p.y)) return std::nullopt;
    return WorldPoint{int32_t(p.x), int32_t(p.y)};
}

// Appends the delta pairs from the first waypoint to each following one; false when a
// waypoint has no zone or a step does not fit 16 bits.
bool appendSteps(std::string& code, std::span<const RouteWaypoint> waypoints, WidePoint first)
{
    WidePoint prev = first;
    for (size_t i = 1; i < waypoints.size(); ++i) {
        if (!waypoints[i].zone) return false;
        const WidePoint cur = toWorld(*waypoints[i].zone, waypoints[i].x, waypoints[i].y);
        const int64_t dx = cur.x - prev.x;
        const int64_t dy = prev.y - cur.y;
        if (!fitsInt16(dx) || !fitsInt16(dy)) return false;
        code += IntToHex4(dx);
        code += IntToHex4(dy);
        prev = cur;
    }
    return true;
}

// Reads the delta pairs from `from` to the end of the code onto `points`, starting at
// its last point; false on a digit that is not hexadecimal or a point beyond 32 bits.
bool readSteps(std::string_view code, size_t from, std::vector<WorldPoint>& points)
{
    WidePoint p{points.back().x, points.back().y};
    for (size_t at = from; at + kPairLength <= code.size(); at += kPairLength) {
        uint32_t dx = 0, dy = 0;
        if (!hexDigitsValue(code, at, 4, dx) || !hexDigitsValue(code, at + 4, 4, dy)) return false;
        p.x += int16_t(uint16_t(dx));
        p.y -= int16_t(uint16_t(dy));
        const std::optional<WorldPoint> w = narrow(p);
        if (!w) return false;
        points.push_back(*w);
    }
    return true;
}

} // namespace

std::optional<RouteOptions> parseRouteOptions(std::string_view text)
{
    if (text.size() != 4) return std::nullopt;
    for (char c : text)
        if (!isDigit(c)) return std::nullopt;
    if (text[0] != '0' && text[0] != '1') return std::nullopt; // the flag is a yes or a no
    RouteOptions o;
    o.alwaysShown = text[0] == '1';
    o.colourIndex = uint8_t(text[1] - '0');
    o.opacity = uint8_t(text[2] - '0');
    o.spare = uint8_t(text[3] - '0');
    return o;
}

std::string routeOptionsText(const RouteOptions& options)
{
    auto digit = [](uint8_t v) { return char('0' + (v > 9 ? 9 : v)); };
    return {options.alwaysShown ? '1' : '0', digit(options.colourIndex), digit(options.opacity), digit(options.spare)};
}

std::optional<RouteOptions> routeCodeOptions(std::string_view code)
{
    if (code.size() < kRouteHead || code[0] != 'V') return std::nullopt;
    return parseRouteOptions(code.substr(2, 4));
}

std::optional<std::string> withRouteOptions(std::string_view code, const RouteOptions& options)
{
    if (code.empty() || code[0] != 'V') return std::nullopt;
    std::string out = "V_" + routeOptionsText(options);
    if (code.size() > kRouteHead) out += code.substr(kRouteHead);
    return out;
}

std::string buildPlaceCode(int16_t zoneId, uint16_t x, uint16_t y)
{
    return "J_1" + IntToHex4(zoneId) + IntToHex4(x) + IntToHex4(y);
}

PlaceCode readPlaceCode(std::string_view text)
{
    PlaceCode code;
    code.text = DelphiTrim(std::string(text));
    for (char& c : code.text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    const std::string& t = code.text;
    if (t.size() < 2 || t[0] != 'J' || t[1] != '_') {
        code.status = PlaceCodeStatus::NotPlaceCode;
        return code;
    }
    // Character 3 (the kind) is not read, nor anything after character 15. A code cut
    // short is refused rather than read as the digits it has, which would show some other
    // point.
    uint32_t zone = 0, x = 0, y = 0;
    if (t.size() < kPlaceCodeLength || !hexDigitsValue(t, 3, 4, zone) || !hexDigitsValue(t, 7, 4, x) ||
        !hexDigitsValue(t, 11, 4, y)) {
        code.status = PlaceCodeStatus::BadFields;
        return code;
    }
    code.status = PlaceCodeStatus::Ok;
    code.zoneId = uint16_t(zone);
    code.x = uint16_t(x);
    code.y = uint16_t(y);
    return code;
}

int placeCodeZoneNode(const LocationTree& tree, const PlaceCode& code)
{
    if (code.status != PlaceCodeStatus::Ok) return kNoTreeNode;
    // Passed as 0..65535 so that "FFFF" finds a zone whose id is -1 (the lookup keeps -1
    // itself for "no zone").
    const int node = tree.find_map_masternode(int32_t(code.zoneId));
    return tree.isVisible(node) ? node : kNoTreeNode;
}

bool fitsRouteStep(WorldPoint from, WorldPoint to)
{
    return fitsInt16(int64_t(to.x) - from.x) && fitsInt16(int64_t(from.y) - to.y);
}

BuiltRouteCode buildRouteCode(const RouteOptions& options, const pMap_info* locationZone,
                              std::span<const RouteWaypoint> waypoints)
{
    BuiltRouteCode built;
    std::string code = "V_" + routeOptionsText(options);
    if (waypoints.size() >= 2) {
        const RouteWaypoint& first = waypoints.front();
        if (!first.zone || first.zone != locationZone) {
            built.status = RouteBuildStatus::FirstOutsideZone;
            return built;
        }
        // The start point is written zone-local in 4 digits.
        if (first.x < 0 || first.x > 0xFFFF || first.y < 0 || first.y > 0xFFFF) {
            built.status = RouteBuildStatus::DoesNotFit;
            return built;
        }
        code += IntToHex4(first.x);
        code += IntToHex4(first.y);
        if (!appendSteps(code, waypoints, toWorld(*first.zone, first.x, first.y))) {
            built.status = RouteBuildStatus::DoesNotFit;
            return built;
        }
    }
    built.text = std::move(code);
    return built;
}

BuiltRouteCode buildWorldRouteCode(std::span<const RouteWaypoint> waypoints)
{
    BuiltRouteCode built;
    std::string code = "S_";
    if (waypoints.size() >= 2) {
        const RouteWaypoint& first = waypoints.front();
        const WidePoint start = first.zone ? toWorld(*first.zone, first.x, first.y) : WidePoint{};
        if (!first.zone || !fitsInt32(start.x) || !fitsInt32(start.y)) {
            built.status = RouteBuildStatus::DoesNotFit;
            return built;
        }
        code += intToHex8(start.x);
        code += intToHex8(start.y);
        if (!appendSteps(code, waypoints, start)) {
            built.status = RouteBuildStatus::DoesNotFit;
            return built;
        }
    }
    built.text = std::move(code);
    return built;
}

std::optional<RouteCode> readRouteCode(std::string_view code, const pMap_info& zone, uint16_t x, uint16_t y)
{
    if (code.size() < kRouteHead || (code.size() - kRouteHead) % kPairLength != 0) return std::nullopt;
    if (code[0] != 'V' || code[1] != '_') return std::nullopt;
    const std::optional<RouteOptions> options = parseRouteOptions(code.substr(2, 4));
    if (!options) return std::nullopt;

    RouteCode route;
    route.options = *options;
    route.points.reserve((code.size() - kRouteHead) / kPairLength + 1);
    const std::optional<WorldPoint> own = narrow(toWorld(zone, x, y));
    if (!own) return std::nullopt;
    route.points.push_back(*own);
    if (code.size() >= kRouteStartEnd) {
        uint32_t sx = 0, sy = 0;
        if (!hexDigitsValue(code, 6, 4, sx) || !hexDigitsValue(code, 10, 4, sy)) return std::nullopt;
        const std::optional<WorldPoint> start = narrow(toWorld(zone, sx, sy));
        if (!start) return std::nullopt;
        route.points.push_back(*start);
        if (!readSteps(code, kRouteStartEnd, route.points)) return std::nullopt;
    }
    return route;
}

std::optional<std::vector<WorldPoint>> readWorldRouteCode(std::string_view code)
{
    if (code.size() < kWorldRouteHead || (code.size() - kWorldRouteHead) % kPairLength != 0) return std::nullopt;
    if (code[0] != 'S' || code[1] != '_') return std::nullopt;
    uint32_t wx = 0, wy = 0;
    if (!hexDigitsValue(code, 2, 8, wx) || !hexDigitsValue(code, 10, 8, wy)) return std::nullopt;
    std::vector<WorldPoint> points;
    points.reserve((code.size() - kWorldRouteHead) / kPairLength + 1);
    points.push_back({int32_t(wx), int32_t(wy)});
    if (!readSteps(code, kWorldRouteHead, points)) return std::nullopt;
    return points;
}

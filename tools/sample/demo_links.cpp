#include "demo_links.h"

#include <cstdio>

namespace sample {

namespace {

std::string deltas(const std::vector<WorldPoint>& points)
{
    std::string out;
    for (size_t i = 1; i < points.size(); ++i) {
        out += hex4(uint32_t(points[i].x - points[i - 1].x));
        out += hex4(uint32_t(points[i - 1].y - points[i].y));
    }
    return out;
}

} // namespace

std::string hex4(uint32_t v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", unsigned(v & 0xFFFF));
    return buf;
}

std::string hex8(uint32_t v)
{
    char buf[12];
    std::snprintf(buf, sizeof buf, "%08X", unsigned(v));
    return buf;
}

std::string placeCode(int16_t zoneId, uint16_t x, uint16_t y)
{
    return "J_1" + hex4(uint16_t(zoneId)) + hex4(x) + hex4(y);
}

std::string routeCode(const std::string& options, const std::vector<VecPoint>& waypoints)
{
    std::string code = "V_" + options;
    if (waypoints.empty()) return code;
    code += hex4(waypoints[0].x) + hex4(waypoints[0].y);
    std::vector<WorldPoint> points;
    for (const VecPoint& p : waypoints) points.push_back({p.x, p.y});
    return code + deltas(points);
}

std::string worldRouteCode(const std::vector<WorldPoint>& points)
{
    if (points.empty()) return "S_";
    return "S_" + hex8(uint32_t(points[0].x)) + hex8(uint32_t(points[0].y)) + deltas(points);
}

std::string oldWorldRoute(const std::vector<WorldPoint>& points, int16_t regionId)
{
    if (points.empty()) return "P_";
    const int32_t dx = regionId != 0 ? 0x2FFFD : 0x1FFFE;
    const int32_t dy = regionId != 0 ? 0x4FFFB : 0x3FFFC;
    return "P_" + hex8(uint32_t(points[0].x + dx)) + hex8(uint32_t(points[0].y + dy)) + deltas(points);
}

} // namespace sample

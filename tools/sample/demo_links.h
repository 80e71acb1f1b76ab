#pragma once
// Link texts of the demo locations, in the grammar the map reads: place codes ("J_"),
// routes ("V_"), world routes ("S_") and the older world route form ("P") that the loader
// converts. Numbers are upper-case hexadecimal; deltas are 16-bit two's complement, the
// y delta with its sign turned (a positive dy moves up on the map).
#include <cstdint>
#include <string>
#include <vector>

#include "records.h"
#include "sample_writers.h"

namespace sample {

std::string hex4(uint32_t v); // low 16 bits, 4 digits
std::string hex8(uint32_t v); // 8 digits

// "J_1" + zone id + x + y: 15 characters.
std::string placeCode(int16_t zoneId, uint16_t x, uint16_t y);
// "V_" + the 4 option characters + the first waypoint (zone-local, in the owner's zone) +
// one delta pair per further waypoint. The waypoints lie in one zone, so their world
// deltas are their local deltas.
std::string routeCode(const std::string& options, const std::vector<VecPoint>& waypoints);
// "S_" + the first point's world x and y (8 digits each) + one delta pair per further point.
std::string worldRouteCode(const std::vector<WorldPoint>& points);
// "P_" + x and y shifted by the offsets the loader takes off again for the given region
// (2 and 4 zone widths for region 0, 3 and 5 for the others) + the same delta pairs.
std::string oldWorldRoute(const std::vector<WorldPoint>& points, int16_t regionId);

} // namespace sample

#pragma once
// Link codes: the texts that a location's link field and the jump edit carry.
//
//   place code        "J_" kind zone x y             exactly 15 characters
//   route code        "V_" options x y {dx dy}       6 + 8k characters
//   world route code  "S_" X Y {dx dy}               18 + 8k characters
//
// Every number is upper-case hexadecimal with a fixed width and no separator: kind is
// one character ("1" when built, not read back), zone, x, y, dx and dy 4 digits, X and
// Y 8 digits (32-bit two's complement). x and y are inside the zone (0..65535), X and Y
// world coordinates: world x = zone origin x + x, world y = y - zone origin y.
// A step from one waypoint to the next is dx = change of world x, dy = minus the change
// of world y, each a signed 16-bit value.
// Readers refuse a code whose length, prefix, options or digits are not of its kind;
// they never throw and never read past the text.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "location_tree.h"
#include "records.h"

// The last place code put on the clipboard; empty until one is.
extern std::string LastPlaceCode;

// ---- Route options: four decimal digits, e.g. "0091".

struct RouteOptions {
    bool alwaysShown = false; // drawn even when the level of detail hides its category
    uint8_t colourIndex = 0;  // 0: the location's colour; 1..9: that named colour
    uint8_t opacity = 9;      // alpha digit 0..9 ($33 .. $FF, AlphaByIndex)
    uint8_t spare = 1;        // fourth digit: "1" when built, kept, not used
};

inline constexpr std::string_view kDefaultRouteOptions = "0091";

// Exactly four decimal digits, the first "0" or "1"; the fourth is kept whatever it is.
std::optional<RouteOptions> parseRouteOptions(std::string_view text);
// Values above 9 are written as 9.
std::string routeOptionsText(const RouteOptions& options);
// The options of a route code (its characters 3-6); none when they are not four digits.
std::optional<RouteOptions> routeCodeOptions(std::string_view code);
// A route code with new options: "V_" + options + the code from its 7th character on.
// None when the code does not begin with "V".
std::optional<std::string> withRouteOptions(std::string_view code, const RouteOptions& options);

// ---- Place codes.

std::string buildPlaceCode(int16_t zoneId, uint16_t x, uint16_t y);

enum class PlaceCodeStatus {
    Ok,
    NotPlaceCode, // does not begin with "J_"
    BadFields,    // not 15 characters, or a field that is not hexadecimal
};

struct PlaceCode {
    PlaceCodeStatus status = PlaceCodeStatus::NotPlaceCode;
    std::string text;    // the code trimmed and in upper case, as messages quote it
    uint16_t zoneId = 0; // the zone id's 16 bits
    uint16_t x = 0;
    uint16_t y = 0;
};

// Reads a typed or clicked code; blanks around it and lower case are accepted.
PlaceCode readPlaceCode(std::string_view text);
// The zone node that a read place code shows; kNoTreeNode when it was not read, when no
// zone has its id, or when that zone's node is hidden.
int placeCodeZoneNode(const LocationTree& tree, const PlaceCode& code);

// ---- Route and world route codes.

// A waypoint as the code builders take it: a point inside its zone.
struct RouteWaypoint {
    const pMap_info* zone = nullptr;
    int32_t x = 0;
    int32_t y = 0;
};

enum class RouteBuildStatus {
    Ok,
    FirstOutsideZone, // the first waypoint is not in the location's zone
    DoesNotFit,       // a step beyond the 16-bit deltas, or a start point outside its zone
};

struct BuiltRouteCode {
    RouteBuildStatus status = RouteBuildStatus::Ok;
    std::string text; // the code when Ok
};

// True when the step from one world point to the next fits a delta pair, so the
// waypoint list can refuse a waypoint that no code could carry.
bool fitsRouteStep(WorldPoint from, WorldPoint to);

// "V_" + options + the first waypoint inside `locationZone` + one delta pair per further
// waypoint (later waypoints may lie in other zones). With fewer than two waypoints the
// code is "V_" + options alone.
BuiltRouteCode buildRouteCode(const RouteOptions& options, const pMap_info* locationZone,
                              std::span<const RouteWaypoint> waypoints);
// "S_" + the first waypoint's world point + one delta pair per further waypoint. With
// fewer than two waypoints the code is "S_" alone.
BuiltRouteCode buildWorldRouteCode(std::span<const RouteWaypoint> waypoints);

struct RouteCode {
    RouteOptions options;
    // World points: the location itself, then the start point if the code has one, then
    // one point per delta pair.
    std::vector<WorldPoint> points;
};

// Reads a route code owned by a location at (x, y) of `zone`. None for a code of
// another length than 6 + 8k, without "V_", with bad options or digits, or whose
// points leave the 32-bit range.
std::optional<RouteCode> readRouteCode(std::string_view code, const pMap_info& zone, uint16_t x, uint16_t y);
// Reads a world route code into its world points (18 + 8k characters give k + 1 points).
std::optional<std::vector<WorldPoint>> readWorldRouteCode(std::string_view code);

#pragma once
// Lines that locations carry on the map, and the user's waypoint list.
//
//   route  "V_" options x y {dx dy}   6 + 8k characters, drawn dashed for every checked
//                                     location of the displayed zones; its first point is
//                                     the location itself, then (x, y) inside its zone
//   area   "S_" X Y {dx dy}           18 + 8k characters, drawn filled for the selected
//                                     location only; (X, Y) is a world point
//   links  "{name}" in a note         a straight line to the named location
//
// dx and dy are signed 16-bit steps in world units; a positive dy moves up on the map
// (world y shrinks). Everything here is widget-free: the main window applies the results
// (menu state, hint, repaint) and the renderer draws the records.
#include <cstdint>
#include <string>
#include <vector>

#include <QPoint>

#include "link_codes.h"

class LinkTargets;
#include "map_scene.h"

// ---- Paths.

// Rebuilds scene.Paths from the checked, visible locations of the displayed zones whose
// link text is a route. Colours without the selection highlight; shown flags from the
// current level of detail.
void build_paths(MapScene& scene);
// Colour and points of one route owned by `data` in `zone`. False, leaving the record's
// points empty, for a text that is not a well-formed route (wrong length, a field that is
// not hexadecimal, points beyond 32 bits).
bool parse_path(const MapScene& scene, const TNodeData& data, const pMap_info& zone, rwpitem& path);
// Empties scene.OwnPath, then fills it with the area of the selected location when its
// link text is a well-formed area.
void build_ownpath(MapScene& scene, const TNodeData& data);
// The same for a location node of scene.tree (the selection hook's form); any other node
// only empties scene.OwnPath.
void build_ownpath(MapScene& scene, int node);
// Colour and points of one area. False (points left empty) when the text is not an area.
bool parse_ownpath(const TNodeData& data, rwpitem& path);
// Recolours every path; the path of the selected location (SelectionChain[0]) is yellow.
void update_pathcolors(MapScene& scene);
// The route colour of a path record: its named colour (1-based index into the colour
// list) or the location's display colour, with the route's alpha.
uint32_t pathColour(const MapScene& scene, const rwpitem& path);
// Shown flag by the level of detail: the category's icons are shown, or the route is
// always shown. The level-of-detail pass calls this for every record.
void update_pathshown(MapScene& scene);

// Display colours of the tree (a full recolour when recolourAll is set), then paths and
// links rebuilt. After a location is created, modified or pasted.
void refresh_pathslinks(MapScene& scene, bool& recolourAll);

// Index in scene.Paths of the first shown path that passes through the screen pixel
// (x, y), -1 when none. The pixel is touched when a segment between the screen points of
// two successive points, drawn as an anti-aliased one-pixel line, would cover it: within
// the segment along its major axis (ends included) and less than one pixel from it
// across. An earlier path wins. No setting or switch is read here.
int pathIndexAt(const MapViewport& view, const std::vector<rwpitem>& paths, QPoint screen);
// The location node of the path under the mouse, kNoTreeNode when none or when path
// detection is off (setting WPSU, or the paths tool button up). The caller shows the hint
// (hover) or the location on the search page (click), then repaints.
int path_at(const MapScene& scene, int x, int y);

// ---- Links.

// Rebuilds scene.LinkLines from the notes of the checked, visible locations of the
// displayed zones, leaving out categories that do not take links.
void build_links(MapScene& scene);
// Adds one line per "{name}" of the note that names a location of the displayed zones.
// "{" inside a name restarts it; "{}" and a name never closed add nothing. targets, when
// given, is the lookup gathered for the displayed zones (build_links makes it once).
void parse_links(MapScene& scene, int node, const std::string& text, const LinkTargets* targets = nullptr);
// Appends a line from the source location to the target, in the source's display colour
// made opaque.
void add_link_line(MapScene& scene, int source, int target);

// ---- Waypoints.

enum class WaypointAdd {
    Added,
    TooFar,    // refused: show feedback S49 for 4 seconds
    NotActive, // waypoint mode off or no zone under the mouse: nothing happens
};

// Appends the zone-local point of `zone` when the waypoint mode is on. After the first,
// a waypoint must lie less than 32000 world units from the last one (in whole thousands)
// and the step must fit the 16-bit deltas of a route code. The caller repaints and
// applies update_waypointmenu on Added.
WaypointAdd add_waypoint(MapScene& scene, pMap_info* zone, QPoint local);
// Removes the last waypoint; False when the list was empty. The caller repaints and
// applies update_waypointmenu.
bool remove_last_waypoint(MapScene& scene);
// Empties the list and repaints (through the viewport's repaint hook). The caller applies
// update_waypointmenu.
void erase_listWP(MapScene& scene);

// What the waypoint menu shows.
struct WaypointMenuState {
    std::string caption;      // waypoint1: menu text M57 + " [" + count + "]" (Windows-1252)
    bool undoEnabled = false; // wpdefaire1: more than one waypoint
};
WaypointMenuState update_waypointmenu(const MapScene& scene);

// The waypoint list as the route code builders take it.
std::vector<RouteWaypoint> toRouteWaypoints(const std::vector<rWaypoint>& waypoints);

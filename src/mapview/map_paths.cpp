#include "map_paths.h"

#include <algorithm>
#include <cstdlib>

#include "delphi_conv.h"
#include "image_helpers.h"
#include "name_lookup.h"
#include "preferences.h"
#include "ressource.h"
#include "text_helpers.h"
#include "tree_visibility.h"

namespace {

constexpr size_t kRouteHead = 6;        // "V_" + four option digits
constexpr size_t kAreaHead = 18;        // "S_" + world x and y
constexpr size_t kStepLength = 8;       // dx and dy
constexpr uint32_t kSelectedPathColour = 0xFFFFFF00; // opaque yellow
constexpr uint32_t kOpaque = 0xFF000000;
constexpr int64_t kWaypointReach = 32000; // world units, counted in whole thousands
constexpr int kWaypointMenuText = 57;

// Pre-order walk of one zone node's own subtree (not on into later zones, even when a
// later zone node carries the same zone id). `visit` returns False to skip a node's
// children.
template <typename Visit>
void walkSubtree(const LocationTree& tree, int node, Visit& visit)
{
    for (int child : tree.children(node)) {
        if (!tree.isNode(child)) continue;
        if (visit(child)) walkSubtree(tree, child, visit);
    }
}

template <typename Visit>
void walkDisplayedZones(const MapScene& scene, Visit visit)
{
    if (!scene.tree) return;
    for (pMap_info* zone : scene.DisplayedZones) {
        if (!zone || !scene.tree->isNode(zone->treeNode)) continue;
        auto perNode = [&](int node) { return visit(*zone, node); };
        walkSubtree(*scene.tree, zone->treeNode, perNode);
    }
}

// A location of the tree that the map draws: visible and checked, with its data.
const TNodeData* drawnLocation(const LocationTree& tree, int node)
{
    if (tree.levelOf(node) != levelLocation || !tree.isVisible(node)) return nullptr;
    if (tree.checkState(node) != NodeCheck::Checked) return nullptr;
    const TNodeData* d = tree.nodeData(node);
    return d && d->item ? d : nullptr;
}

bool isRouteText(const rCommand& cmd)
{
    return cmd.route && cmd.text.size() >= kRouteHead && (cmd.text.size() - kRouteHead) % kStepLength == 0;
}

bool isAreaText(const rCommand& cmd)
{
    return cmd.worldRoute && cmd.text.size() >= kAreaHead && (cmd.text.size() - kAreaHead) % kStepLength == 0;
}

QPoint toQPoint(WorldPoint p) { return {p.x, p.y}; }
WorldPoint toWorldPoint(QPoint p) { return {p.x(), p.y()}; }

WorldPoint locationWorldPoint(const TNodeData& d)
{
    if (!d.zone || !d.item) return {};
    return toWorldPoint(MapViewport::worldmaptoworld(QPoint(d.item->x, d.item->y), *d.zone));
}

// True when an anti-aliased one-pixel line from a to b covers pixel m: m lies within the
// segment along its major axis (both ends included) and the line passes less than one
// pixel from m across it. Products in 128 bits: screen points span the 32-bit range.
bool segmentTouches(QPoint a, QPoint b, QPoint m)
{
    const int64_t dx = int64_t(b.x()) - a.x();
    const int64_t dy = int64_t(b.y()) - a.y();
    if (dx == 0 && dy == 0) return m == a;
    const int64_t rx = int64_t(m.x()) - a.x();
    const int64_t ry = int64_t(m.y()) - a.y();
    const __int128 cross = __int128(ry) * dx - __int128(rx) * dy;
    const __int128 absCross = cross < 0 ? -cross : cross;
    if (std::llabs(dx) >= std::llabs(dy)) {
        if (m.x() < std::min(a.x(), b.x()) || m.x() > std::max(a.x(), b.x())) return false;
        return absCross < std::llabs(dx);
    }
    if (m.y() < std::min(a.y(), b.y()) || m.y() > std::max(a.y(), b.y())) return false;
    return absCross < std::llabs(dy);
}

} // namespace

// ---- Paths.

uint32_t pathColour(const MapScene& scene, const rwpitem& path)
{
    if (!path.item || !path.item->command) return 0;
    const rCommand& cmd = *path.item->command;
    const uint32_t alpha = cmd.colour32 & kOpaque;
    // Index 0 stands for the location's own colour, so the first named colour is never
    // used by routes. An index past the list falls back to the location's colour.
    const size_t index = cmd.colourIndex;
    if (index != 0 && scene.common && index < scene.common->colors.size())
        return ColorToColor32(scene.common->colors[index].colour, alpha);
    return ColorToColor32(path.item->colour, alpha);
}

bool parse_path(const MapScene& scene, const TNodeData& data, const pMap_info& zone, rwpitem& path)
{
    path.points.clear();
    if (!data.item || !data.item->command || !isRouteText(*data.item->command)) return false;
    const rItemdata& item = *data.item;
    path.item = data.item.get();
    path.colour32 = pathColour(scene, path);
    // The options were decoded with the link text; only the geometry is read here, so
    // any option digits the loader took are accepted.
    const std::optional<std::string> geometry = withRouteOptions(item.command->text, RouteOptions{});
    if (!geometry) return false;
    std::optional<RouteCode> route = readRouteCode(*geometry, zone, item.x, item.y);
    if (!route) return false;
    path.points = std::move(route->points);
    return true;
}

void update_pathshown(MapScene& scene)
{
    for (rwpitem& p : scene.Paths) {
        const bool always = p.item && p.item->command && p.item->command->alwaysShown;
        p.shown = (p.category && p.category->iconsNow) || always;
    }
}

void build_paths(MapScene& scene)
{
    scene.Paths.clear();
    walkDisplayedZones(scene, [&](const pMap_info& zone, int node) {
        const TNodeData* d = drawnLocation(*scene.tree, node);
        if (!d || !d->item->command || !isRouteText(*d->item->command)) return true;
        rwpitem path;
        path.node = node;
        path.category = d->category;
        // A text whose fields are not hexadecimal gets no path.
        if (parse_path(scene, *d, zone, path)) scene.Paths.push_back(std::move(path));
        return true;
    });
    update_pathshown(scene);
}

bool parse_ownpath(const TNodeData& data, rwpitem& path)
{
    path.points.clear();
    if (!data.item || !data.item->command || !isAreaText(*data.item->command)) return false;
    const rCommand& cmd = *data.item->command;
    path.colour32 = cmd.colour32; // the location's colour with alpha $44
    // The reader wants the "S_" prefix; the loader took any text starting with "S".
    std::optional<std::vector<WorldPoint>> points = readWorldRouteCode("S_" + cmd.text.substr(2));
    if (!points) return false;
    path.points = std::move(*points);
    return true;
}

void build_ownpath(MapScene& scene, const TNodeData& data)
{
    scene.OwnPath = rwpitem{};
    parse_ownpath(data, scene.OwnPath);
}

void build_ownpath(MapScene& scene, int node)
{
    const TNodeData* d = scene.tree ? scene.tree->nodeData(node) : nullptr;
    if (d) build_ownpath(scene, *d);
    else scene.OwnPath = rwpitem{};
}

void update_pathcolors(MapScene& scene)
{
    const int selected = scene.SelectionChain[0];
    for (rwpitem& p : scene.Paths)
        p.colour32 = p.node == selected ? kSelectedPathColour : pathColour(scene, p);
}

void refresh_pathslinks(MapScene& scene, bool& recolourAll)
{
    if (scene.tree) update_concolors(*scene.tree, recolourAll);
    build_paths(scene);
    build_links(scene);
}

int pathIndexAt(const MapViewport& view, const std::vector<rwpitem>& paths, QPoint screen)
{
    // A world window around the pixel, two pixels wide on each side, rejects most
    // segments before any screen point is computed. A covered pixel lies within a pixel
    // of the segment's screen box, and screen points are rounded by half a pixel at most.
    const int64_t zoom = view.Zoom;
    const bool cull = zoom > 0;
    const int64_t loX = (int64_t(screen.x()) - view.OffsetX - 2) * kZoneSpan;
    const int64_t hiX = (int64_t(screen.x()) - view.OffsetX + 2) * kZoneSpan;
    const int64_t loY = (int64_t(screen.y()) - view.OffsetY - 2) * kZoneSpan;
    const int64_t hiY = (int64_t(screen.y()) - view.OffsetY + 2) * kZoneSpan;
    for (size_t i = 0; i < paths.size(); ++i) {
        const rwpitem& p = paths[i];
        if (!p.shown || p.points.size() < 2) continue;
        for (size_t k = 1; k < p.points.size(); ++k) {
            const WorldPoint a = p.points[k - 1];
            const WorldPoint b = p.points[k];
            if (cull) {
                if (int64_t(std::max(a.x, b.x)) * zoom < loX || int64_t(std::min(a.x, b.x)) * zoom > hiX) continue;
                if (int64_t(std::max(a.y, b.y)) * zoom < loY || int64_t(std::min(a.y, b.y)) * zoom > hiY) continue;
            }
            if (segmentTouches(view.world_to_screen(toQPoint(a)), view.world_to_screen(toQPoint(b)), screen))
                return int(i);
        }
    }
    return -1;
}

int path_at(const MapScene& scene, int x, int y)
{
    if (!Preferences.WPSU || !scene.overlays.paths) return kNoTreeNode;
    const int index = pathIndexAt(scene.view, scene.Paths, QPoint(x, y));
    return index < 0 ? kNoTreeNode : scene.Paths[size_t(index)].node;
}

// ---- Links.

void add_link_line(MapScene& scene, int source, int target)
{
    if (!scene.tree) return;
    const TNodeData* s = scene.tree->nodeData(source);
    const TNodeData* t = scene.tree->nodeData(target);
    if (!s || !s->item || !s->zone || !t || !t->item || !t->zone) return;
    const WorldPoint a = locationWorldPoint(*s);
    const WorldPoint b = locationWorldPoint(*t);
    scene.LinkLines.push_back({a.x, a.y, b.x, b.y, ColorToColor32(s->item->colour, kOpaque)});
}

void parse_links(MapScene& scene, int node, const std::string& text, const LinkTargets* targets)
{
    if (!scene.tree) return;
    enum class State { Outside, Inside, Closed };
    State state = State::Outside;
    std::string name;
    for (char c : DelphiTrim(text)) {
        if (c == '{') {
            if (state == State::Inside) name.clear(); // a second "{" restarts the name
            state = State::Inside;
        } else if (c == '}') {
            state = state == State::Inside ? State::Closed : State::Outside;
        } else if (state == State::Inside) {
            name += c;
        }
        if (state == State::Closed && !name.empty()) {
            state = State::Outside;
            const int target = targets ? targets->find(name)
                                       : find_node_byname_inzones(*scene.tree, name, scene.DisplayedZones, scene.CurrentMapId);
            if (target != kNoTreeNode) add_link_line(scene, node, target);
            name.clear();
        }
    }
}

void build_links(MapScene& scene)
{
    scene.LinkLines.clear();
    if (!scene.tree) return;
    const LinkTargets targets(*scene.tree, scene.DisplayedZones, scene.CurrentMapId);
    walkDisplayedZones(scene, [&](const pMap_info&, int node) {
        const LocationTree& tree = *scene.tree;
        if (tree.levelOf(node) == levelCategory) {
            const TNodeData* d = tree.nodeData(node);
            return d && d->category && d->category->linkable != 0;
        }
        if (const TNodeData* d = drawnLocation(tree, node)) parse_links(scene, node, d->item->description, &targets);
        return true;
    });
}

// ---- Waypoints.

WaypointAdd add_waypoint(MapScene& scene, pMap_info* zone, QPoint local)
{
    if (!scene.waypointMode || !zone) return WaypointAdd::NotActive;
    if (!scene.Waypoints.empty()) {
        const rWaypoint& last = scene.Waypoints.back();
        const WorldPoint from = toWorldPoint(MapViewport::worldmaptoworld(QPoint(last.x, last.y), *last.zone));
        const WorldPoint to = toWorldPoint(MapViewport::worldmaptoworld(local, *zone));
        // The thousands rule alone lets through steps of up to 32998 units, which no
        // route code can carry; such a step is refused the same way.
        if (CalcDistance(to, from) >= kWaypointReach || !fitsRouteStep(from, to)) return WaypointAdd::TooFar;
    }
    scene.Waypoints.push_back({local.x(), local.y(), zone});
    return WaypointAdd::Added;
}

bool remove_last_waypoint(MapScene& scene)
{
    if (scene.Waypoints.empty()) return false;
    scene.Waypoints.pop_back();
    return true;
}

void erase_listWP(MapScene& scene)
{
    scene.Waypoints.clear();
    if (scene.view.onRepaint) scene.view.onRepaint();
}

WaypointMenuState update_waypointmenu(const MapScene& scene)
{
    WaypointMenuState state;
    state.caption = GetMenuText(kWaypointMenuText) + " [" + std::to_string(scene.Waypoints.size()) + "]";
    state.undoEnabled = scene.Waypoints.size() > 1;
    return state;
}

std::vector<RouteWaypoint> toRouteWaypoints(const std::vector<rWaypoint>& waypoints)
{
    std::vector<RouteWaypoint> out;
    out.reserve(waypoints.size());
    for (const rWaypoint& w : waypoints) out.push_back({w.zone, w.x, w.y});
    return out;
}

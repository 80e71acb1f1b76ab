#pragma once
// The state of the map view that the main window owns and every map routine shares:
// the viewport, the displayed map and its zones, the selection, the paths and lines,
// the waypoints, the markers, the hit-test buffer and the overlay switches. Widget-free,
// so the loading, painting and interaction code can be driven by tests without a window.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QPolygonF>

#include "data_model.h"
#include "feedback.h"
#include "location_tree.h"
#include "map_hooks.h"
#include "memory_stream.h"
#include "records.h"
#include "tree_visibility.h"
#include "viewport.h"

// One line of a line array, in world units, with its ARGB colour.
struct rLine {
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t colour = 0;
};
using linearray = std::vector<rLine>;

// One waypoint: a zone-local point in its zone.
struct rWaypoint {
    int32_t x = 0;
    int32_t y = 0;
    pMap_info* zone = nullptr;
};

// A marker drawn as a tinted icon: the target, and the two position markers.
class tCible {
public:
    QImage Bitmap;        // the icon tinted with the marker's colour, ARGB
    bool Visible = false;
    int32_t X = 0;        // world position (target) or zone-local position (position markers)
    int32_t Y = 0;
    uint32_t Colour = 0;  // ARGB
};

class tboussole : public tCible {
public:
    pMap_info* Zone = nullptr; // zone of a position marker; none when unset
    // World position of X, Y in Zone; (0, 0) without zone. Kept by SetPosition (markers.h).
    int32_t WorldX = 0;
    int32_t WorldY = 0;
};

// The overlay switches of the tool bars that the paint reads (their Down states).
struct MapOverlays {
    bool legend = true;     // But_Leg: location names
    bool paths = true;      // but_chemin
    bool grid = false;      // but_grid
    bool subtitles = false; // but_stitre
    bool overview = false;  // but_overview
    bool tips = true;       // but_tips
    bool levelOfDetail = true; // checkLod
    bool compass = false;   // but_boussole: the compass line between the position markers
    TraducCheck traduc = TraducCheck::Grayed; // CheckBox17
};

// What the painter keeps between frames: category icons ready to blit, prepared labels.
// Defined by the renderer (map_render_cache.h); made by the first paint.
struct MapRenderCache;
class LocationSearch;
class TileLoader;

struct MapScene {
    MapViewport view;
    LocationTree* tree = nullptr;
    LocationSearch* search = nullptr;    // folded name index over the tree; name lookups use it when set
    TData_common* common = nullptr;
    TRealm_info* realm = nullptr;

    int32_t CurrentMapId = -1;            // id of the map shown; -1 when none
    int CurrentMapNode = kNoTreeNode;     // tree node of that map
    std::vector<pMap_info*> DisplayedZones; // zones of the map shown, in map-index order
    std::array<int, 4> SelectionChain{kNoTreeNode, kNoTreeNode, kNoTreeNode, kNoTreeNode};
    pMap_info* SelectionZone = nullptr;

    std::vector<rwpitem> Paths;           // route and area paths of the displayed zones
    linearray LinkLines;                  // links between locations
    linearray RedirLines;                 // the selected location's redirect links
    rwpitem OwnPath;                      // the selected location's area
    QPolygonF OwnPathPolygon;             // its outline on screen, filled non-zero
    std::vector<rWaypoint> Waypoints;
    bool waypointMode = false;            // waypoint1 checked

    tCible Target;
    tboussole MyPos;
    tboussole OtherPos;

    MemoryStream HitTestStream;           // icons placed by the last paint
    MemoryStream GridVec, BorderVec;
    QImage Splash;
    bool FirstActivate = true;
    bool ShowMarkers = true;              // key "a"
    MapOverlays overlays;

    pMap_info* ZoneUnderMouse = nullptr;
    int HotNode = kNoTreeNode;
    int InfoNode = kNoTreeNode;
    QPoint MouseZonePoint;                // zone-local point under the mouse
    int MouseMode = 0;                    // 0 normal, others set by the mouse handling

    const FeedbackLines* feedback = nullptr;
    const std::vector<std::string>* tips = nullptr;
    int TipsWidth = 0, TipsLineHeight = 0;

    // Category icons (11 x 11) by category icon index, from the base strip.
    const std::vector<QImage>* categoryIcons = nullptr;

    // What loading and selection hand to the other parts of the program.
    MapHooks hooks;
    // Zones of the shown map whose high-resolution tile is missing or failed to decode: not
    // looked for again until the map is loaded again.
    std::unordered_set<const pMap_info*> TilesUnavailable;
    // Counts the maps shown (clear_mapview moves it on): what a tile decoded for another map
    // brings back is dropped.
    uint64_t MapSerial = 0;
    // When set, tiles are decoded on worker threads; the zone's own image stands in until
    // its tile arrives (then the map repaints). Without it tiles are read inside the paint.
    TileLoader* tileLoader = nullptr;
    std::shared_ptr<MapRenderCache> renderCache;
};

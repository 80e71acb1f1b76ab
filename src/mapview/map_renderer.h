#pragma once
// The map layer: one paint draws everything the map shows into a 32-bit image (zones with
// their images or high-resolution tiles, vectors and grids, the veil, the selected area,
// the markers and the compass, paths and lines, location icons and labels, waypoints, the
// zone highlight, the tips and feedback boxes) and refills the hit-test buffer on the way;
// and the level of detail that decides which category classes show icons and labels.
// Widget-free: the map widget shows the image it is handed back.
//
// Colours are ARGB ($AARRGGBB); an alpha below $FF blends over what is painted already.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QPoint>

#include "feedback.h"
#include "map_scene.h"

class QPainter;

constexpr uint32_t kMapBackground = 0xFF7A7A7A;   // the map control where no zone lies
constexpr uint32_t kZoneVectorColour = 0xCCFFFFFF;
constexpr uint32_t kFineGridColour = 0x22FFFFFF;  // grid.vec, above [LODV]
constexpr uint32_t kCoarseGridColour = 0x33FFFFFF; // border.vec, at any zoom
constexpr uint32_t kVeilColour = 0x66000000;       // but_stitre
constexpr uint32_t kZoneHighlightColour = 0x55FFFF00;
constexpr uint32_t kWaypointColour = 0xFFFFFF00;
constexpr uint32_t kTipsBoxColour = 0x55000000;
constexpr uint32_t kFeedbackBoxColour = 0x99000000;

// The level-of-detail flags for classes 1 to 3 (index 0 unused) at a zoom, from the
// settings [LODA], [LODB] and [LODC].
struct LodTable {
    std::array<bool, 4> icons{};
    std::array<bool, 4> labels{};
};
LodTable lod_table(int32_t zoom);
// A category's level-of-detail class; a class outside 1..3 counts as 3.
int lod_class(uint8_t detailClass);
// Stretch filter, then every category's icons-shown and labels-shown flags (icons always
// shown when the LOD box, overlays.levelOfDetail, is off), then every path's shown flag.
void update_lod(MapScene& scene);

// Paints the whole map layer into the buffer, at the buffer's size (which should be the
// viewport's). Any 32-bit format works; Format_ARGB32_Premultiplied and Format_RGB32 are
// painted in place, others through a converted copy.
void paint_map_layer(MapScene& scene, QImage& buffer);

// The steps of the paint, in its order. Each draws through a painter open on the buffer.
// Zones in list order: in-view flags, images or tiles (tiles loaded above [MAHD] and
// released out of view or at or below it), then vectors and grids.
void draw_zones(MapScene& scene, QPainter& painter);
// A converted vector stream (u16 count, then count pairs of floats, fractions of a zone)
// as anti-aliased polylines at screen origin (x0, y0). Blocks with a count of 0 are
// skipped; a truncated block ends the drawing.
void draw_vectors(const MemoryStream& stream, QPainter& painter, float x0, float y0, int32_t zoom, uint32_t colour);
void draw_veil(QPainter& painter);
void draw_ownpath(MapScene& scene, QPainter& painter);
void draw_target(const MapScene& scene, QPainter& painter);
void draw_compass(const MapScene& scene, QPainter& painter);
void draw_paths(const MapScene& scene, QPainter& painter);
void draw_lines(const MapScene& scene, QPainter& painter, const linearray& lines);
// Colour squares, icons and labels of the checked, visible locations of the zones in view,
// recorded in the hit-test buffer.
void draw_locations(MapScene& scene, QPainter& painter);
void draw_waypoints(const MapScene& scene, QPainter& painter);
void draw_zone_highlight(const MapScene& scene, QPainter& painter);
void draw_tips(MapScene& scene, QPainter& painter);
void draw_feedback(QPainter& painter, const FeedbackLines& lines);

// The hit-test buffer: packed records of x (i16), y (i16), node (i32), little-endian.
constexpr size_t kHitTestRecordSize = 8;
// Appends a record when the screen point (tested in 32 bits) is in view; False otherwise.
bool putmapnode(MapScene& scene, QPoint screen, int node);

// Drops every prepared label; the next paint prepares the labels it needs again.
void forget_map_labels(MapScene& scene);

// Makes ahead of a paint the labels that draw_locations would draw in the given view (the
// view the map is about to show), zone by zone in the paint's order, one label per step:
// the load of a map runs it while it waits for the zone images, so that the first paint of
// a map finds its labels (and their fonts' glyphs) ready. A label is the same whether made
// here or in the paint, so the paint's pixels do not change; a label guessed wrong is only
// made early. Needs the scene's displayed zones and level of detail set; the tree may change
// between steps.
class MapLabelPreparer {
public:
    MapLabelPreparer(MapScene& scene, const MapViewport& view);
    ~MapLabelPreparer();
    MapLabelPreparer(const MapLabelPreparer&) = delete;
    MapLabelPreparer& operator=(const MapLabelPreparer&) = delete;

    // Makes the next label; false once none is left (or making one failed).
    bool step();
    size_t made() const { return made_; }

private:
    bool nextZone();
    bool makeNext();

    MapScene& scene_;
    MapViewport view_;
    bool done_ = false;
    size_t zoneIndex_ = 0;   // the next displayed zone to look at
    ViewRect zoneRect_;      // the screen square of the zone walked
    std::vector<int> walk_;  // its categories and locations in tree order
    size_t next_ = 0;        // the next node of walk_
    bool labelFlag_ = false; // as draw_locations carries them from node to node
    bool skipping_ = false;
    size_t made_ = 0;
};

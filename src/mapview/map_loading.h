#pragma once
// Showing a node of the location tree on the map: the switch to its map (forgetting the
// map shown, loading every zone's image and vectors behind the progress bar), the
// selection, the target marker and the centring. Widget-free: the main window's controls
// are reached through scene.hooks.
#include <cstdint>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "map_scene.h"

// Shows a node: switches the map when the node belongs to another one, selects the node,
// centres the view on it (unless keep; x and y are the zone-local point for a zone node
// with centre set), then the level of detail and a tree repaint. Nothing for a node that
// does not exist or that a filter hides, or whose map id is -1.
void localize_data(MapScene& scene, int node, bool centre, bool keep = false, int32_t x = 0, int32_t y = 0);

// Makes the node (or none) the selection: the chain of the node and its three ancestors,
// the selected zone, the area of a location; hides the target marker; recolours the paths.
// Repaints nothing.
void select_node(MapScene& scene, int node);

// Target marker on a location's world point, shown.
void set_target_node(MapScene& scene, const TNodeData& data);
// Target marker on a zone-local point of a zone, shown.
void set_target_point(MapScene& scene, const pMap_info& zone, int32_t x, int32_t y);

// Forgets the map shown: mouse state, lines, position markers, waypoints, the zones' images,
// tiles and vectors, the displayed zones, the paths; CurrentMapId becomes -1.
void clear_mapview(MapScene& scene);

// Loads every zone of scene.CurrentMapId from MapsDir (nothing when it is -1): images,
// 1 x 1 tile placeholders, vectors, with the progress bar; then paths, links and the level
// of detail; S53 once when any zone image was missing or could not be read.
void load_map_zones(MapScene& scene);

// Loads folder + baseName + ".jpg", else ".bmp", resolved without regard to letter case
// below MapsDir (folder is "" for zone images, "high/" for tiles), into the bitmap under the
// busy cursor. True when one was read. A file that exists but cannot be decoded is logged
// (naming the file) and counts as missing; the bitmap is then left as it was.
bool load_zone_image(const QString& folder, const std::string& baseName, QImage& bitmap);

// What load_zone_image does but the cursor and the log, from the given maps folder, for a
// decode on a worker thread: it touches nothing shared and hands back the log lines.
// A JPEG is decoded into the memory of spare when it fits (see LoadJPEGToBitmap32).
bool read_zone_image(const QString& mapsDir, const QString& folder, const std::string& baseName, QImage& bitmap,
                     std::vector<std::string>& logLines, QImage spare = QImage());

// Disposes every path record of scene.Paths.
void free_paths(MapScene& scene);

// One-time set-up of the map: the splash from DataDir + "vmar.bmp" when it exists.
void init_imagemap(MapScene& scene);

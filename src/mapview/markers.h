#pragma once
// The three markers of the map (the target and the two position markers) and the compass:
// tinting their icons, placing the position markers from the map or from the position edits,
// their visibility, centring on them, and the screen geometry the renderer draws them with.
// Widget-free: the main window hands in edit texts and combo selections and shows the results.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>

#include "map_scene.h"

class pMap_info;

constexpr uint32_t kTargetColour = 0xFFFFAA00;   // opaque orange
constexpr uint32_t kMyPosColour = 0xFF00AAFF;    // opaque blue
constexpr uint32_t kOtherPosColour = 0xFF00FF00; // opaque green

// The marker bitmap for an icon: every pixel the colour's RGB, its alpha the icon pixel's
// intensity (61 R + 174 G + 21 B) div 256, so white is the opaque colour and black nothing.
// The colour's own alpha is replaced. A null icon gives a null image.
QImage TintMarkerIcon(const QImage& icon, uint32_t colour);

// Loads the icon file and sets the marker up: tinted bitmap, colour, hidden, at (0, 0).
// A missing or unreadable file leaves an empty bitmap (the marker draws nothing) and logs.
void InitMarker(tCible& marker, const QString& iconFile, uint32_t colour);
// A position marker: InitMarker plus no zone and world (0, 0).
void InitMarker(tboussole& marker, const QString& iconFile, uint32_t colour);
// The three markers of the scene from dataDir ("/"-terminated): cible.bmp for the target,
// boussole_cible.bmp for both positions.
void CreateMarkers(MapScene& scene, const QString& dataDir);

// X, Y := the zone-local point; Zone := zone; world position := the point in that zone, or
// (0, 0) without zone.
void SetPosition(tboussole& marker, QPoint local, pMap_info* zone);

// Visible := the marker has a zone and the compass is switched on.
void update_marker_visibility(const MapScene& scene, tboussole& marker);
// Visibility of both position markers, then a repaint (through the viewport's hook).
void update_compass(MapScene& scene);
// Both position markers back to (0, 0) without zone, then update_compass. The caller empties
// the four position edits.
void reset_compass(MapScene& scene);
// Centres the view on the marker's world position (which repaints); False and nothing done
// for an unset marker.
bool center_on_marker(MapScene& scene, const tboussole& marker);

// The zone a zone combo names. The combo is filled with the names of DisplayedZones in order,
// so the selected index picks the zone itself when the item text matches it (zones of one map
// may share a name); otherwise the first displayed zone of that name; nullptr when none
// (for instance the "no zone" item of a cleared map).
pMap_info* zone_of_combo(const MapScene& scene, int selectedIndex, const std::string& selectedText);
// The index a zone combo selects for ZoneUnderMouse: the first item equal to its name;
// `current` when none matches or no zone lies under the mouse.
int select_zone_in_combo(const MapScene& scene, const std::vector<std::string>& items, int current);

// What the position controls show after a marker was put at the mouse.
struct MarkerPlacement {
    int comboIndex = -1;   // item of the marker's zone combo to select
    std::string editX;     // zone-local x div 1000 in decimal
    std::string editY;
};
// Puts the marker at MouseZonePoint in ZoneUnderMouse (exact, not rounded) and updates the
// compass. Nothing (no value) when no zone lies under the mouse. The caller shows the result
// and, when the side panel is shown, brings the positions page forward.
std::optional<MarkerPlacement> place_marker_at_mouse(MapScene& scene, tboussole& marker,
                                                     const std::vector<std::string>& comboItems,
                                                     int comboCurrent);

// The contents of the position controls: edit texts (zone-local thousands, 0 to 65) and the
// selection of each zone combo.
struct PositionEdits {
    std::string myX, myY, otherX, otherY;
    int myComboIndex = -1;
    std::string myComboText;
    int otherComboIndex = -1;
    std::string otherComboText;
};
// Leaving a position edit or changing a zone combo: both markers from the controls (whole
// thousands, so a more precise position set from the map is replaced), then update_compass.
void apply_position_edits(MapScene& scene, const PositionEdits& edits);

// Keys typed into the four position edits, which form a cycle for Enter.
// True when the character may reach the edit: digits and backspace only.
bool position_edit_accepts(char key);
// The edit after `index` (0 Edit_myX, 1 Edit_myY, 2 Edit_otherX, 3 Edit_otherY) for Enter.
int next_position_edit(int index);

// Where the renderer draws one marker bitmap.
struct MarkerSprite {
    bool drawn = false;  // the marker is visible and its centre lies in the view
    QPoint screen;       // screen point of the marker's position
    QPoint topLeft;      // where the bitmap's top-left corner goes (centred on `screen`)
};
MarkerSprite marker_sprite(const MapViewport& view, const tCible& marker, QPoint world);
// The target marker: its X, Y are a world position.
MarkerSprite target_sprite(const MapScene& scene);

// The compass as the renderer draws it: both position markers, then the dashed line between
// them when both are visible. The line is drawn whether its ends lie in view or not; only the
// bitmaps are skipped outside the view.
struct CompassGeometry {
    MarkerSprite my;
    MarkerSprite other;
    bool lineDrawn = false;
    QPointF lineStart;     // pixels; the line is anti-aliased and leaves out its last point
    QPointF lineEnd;
    // Stipple pattern repeated along the line, ARGB: two blue pixels, one transparent.
    std::array<uint32_t, 3> stipple{kMyPosColour, kMyPosColour, 0x00FFFFFF};
    double stippleStep = 1.0; // one pattern entry per pixel
};
CompassGeometry compass_geometry(const MapScene& scene);

#include "markers.h"

#include <algorithm>
#include <limits>

#include "image_helpers.h"
#include "log.h"
#include "records.h"
#include "text_helpers.h"

QImage TintMarkerIcon(const QImage& icon, uint32_t colour)
{
    if (icon.isNull()) return {};
    const QImage src = icon.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    const uint32_t rgb = colour & 0x00FFFFFF;
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(src.constScanLine(y));
        auto* dst = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const uint32_t p = in[x];
            const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            const uint32_t alpha = (61 * r + 174 * g + 21 * b) / 256; // at most 255
            dst[x] = (alpha << 24) | rgb;
        }
    }
    return out;
}

void InitMarker(tCible& marker, const QString& iconFile, uint32_t colour)
{
    const QImage icon = ReadImageFile(iconFile);
    if (icon.isNull()) LogLine("marker icon cannot be read: " + iconFile.toStdString());
    marker.Bitmap = TintMarkerIcon(icon, colour);
    marker.Colour = colour;
    marker.Visible = false;
    marker.X = 0;
    marker.Y = 0;
}

void InitMarker(tboussole& marker, const QString& iconFile, uint32_t colour)
{
    InitMarker(static_cast<tCible&>(marker), iconFile, colour);
    marker.Zone = nullptr;
    marker.WorldX = 0;
    marker.WorldY = 0;
}

void CreateMarkers(MapScene& scene, const QString& dataDir)
{
    InitMarker(scene.Target, dataDir + "cible.bmp", kTargetColour);
    InitMarker(scene.MyPos, dataDir + "boussole_cible.bmp", kMyPosColour);
    InitMarker(scene.OtherPos, dataDir + "boussole_cible.bmp", kOtherPosColour);
}

void SetPosition(tboussole& marker, QPoint local, pMap_info* zone)
{
    marker.X = local.x();
    marker.Y = local.y();
    marker.Zone = zone;
    const QPoint world = zone ? MapViewport::worldmaptoworld(local, *zone) : QPoint(0, 0);
    marker.WorldX = world.x();
    marker.WorldY = world.y();
}

void update_marker_visibility(const MapScene& scene, tboussole& marker)
{
    marker.Visible = marker.Zone != nullptr && scene.overlays.compass;
}

void update_compass(MapScene& scene)
{
    update_marker_visibility(scene, scene.MyPos);
    update_marker_visibility(scene, scene.OtherPos);
    if (scene.view.onRepaint) scene.view.onRepaint();
}

void reset_compass(MapScene& scene)
{
    SetPosition(scene.MyPos, {0, 0}, nullptr);
    SetPosition(scene.OtherPos, {0, 0}, nullptr);
    update_compass(scene);
}

bool center_on_marker(MapScene& scene, const tboussole& marker)
{
    if (!marker.Zone) return false;
    scene.view.center_on({marker.WorldX, marker.WorldY});
    return true;
}

pMap_info* zone_of_combo(const MapScene& scene, int selectedIndex, const std::string& selectedText)
{
    const auto& zones = scene.DisplayedZones;
    if (selectedIndex >= 0 && size_t(selectedIndex) < zones.size() && zones[selectedIndex]
        && zones[selectedIndex]->name == selectedText)
        return zones[selectedIndex];
    for (pMap_info* z : zones)
        if (z && z->name == selectedText) return z;
    return nullptr;
}

int select_zone_in_combo(const MapScene& scene, const std::vector<std::string>& items, int current)
{
    if (!scene.ZoneUnderMouse) return current;
    // Prefer the item at the zone's own place in the list, so a repeated name still picks
    // this zone's item; else the first item of that name.
    const auto& zones = scene.DisplayedZones;
    for (size_t i = 0; i < zones.size() && i < items.size(); ++i)
        if (zones[i] == scene.ZoneUnderMouse && items[i] == scene.ZoneUnderMouse->name) return int(i);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == scene.ZoneUnderMouse->name) return int(i);
    return current;
}

std::optional<MarkerPlacement> place_marker_at_mouse(MapScene& scene, tboussole& marker,
                                                     const std::vector<std::string>& comboItems,
                                                     int comboCurrent)
{
    if (!scene.ZoneUnderMouse) return std::nullopt;
    MarkerPlacement out;
    out.comboIndex = select_zone_in_combo(scene, comboItems, comboCurrent);
    SetPosition(marker, scene.MouseZonePoint, scene.ZoneUnderMouse);
    out.editX = std::to_string(marker.X / 1000);
    out.editY = std::to_string(marker.Y / 1000);
    update_compass(scene);
    return out;
}

void apply_position_edits(MapScene& scene, const PositionEdits& e)
{
    SetPosition(scene.MyPos, {StrToCoord(e.myX) * 1000, StrToCoord(e.myY) * 1000},
                zone_of_combo(scene, e.myComboIndex, e.myComboText));
    SetPosition(scene.OtherPos, {StrToCoord(e.otherX) * 1000, StrToCoord(e.otherY) * 1000},
                zone_of_combo(scene, e.otherComboIndex, e.otherComboText));
    update_compass(scene);
}

bool position_edit_accepts(char key)
{
    return (key >= '0' && key <= '9') || key == '\b';
}

int next_position_edit(int index)
{
    return ((index % 4) + 5) % 4; // 0 -> 1 -> 2 -> 3 -> 0; any stray index lands in the cycle
}

MarkerSprite marker_sprite(const MapViewport& view, const tCible& marker, QPoint world)
{
    MarkerSprite s;
    s.screen = view.world_to_screen(world);
    // The screen point saturates far outside the view; the corner must not wrap around.
    const auto corner = [](int32_t centre, int32_t extent) {
        return int32_t(std::clamp<int64_t>(int64_t(centre) - extent / 2, std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()));
    };
    s.topLeft = {corner(s.screen.x(), marker.Bitmap.width()), corner(s.screen.y(), marker.Bitmap.height())};
    s.drawn = marker.Visible && view.point_in_view(s.screen);
    return s;
}

MarkerSprite target_sprite(const MapScene& scene)
{
    return marker_sprite(scene.view, scene.Target, {scene.Target.X, scene.Target.Y});
}

CompassGeometry compass_geometry(const MapScene& scene)
{
    CompassGeometry g;
    g.my = marker_sprite(scene.view, scene.MyPos, {scene.MyPos.WorldX, scene.MyPos.WorldY});
    g.other = marker_sprite(scene.view, scene.OtherPos, {scene.OtherPos.WorldX, scene.OtherPos.WorldY});
    g.lineDrawn = scene.MyPos.Visible && scene.OtherPos.Visible;
    g.lineStart = QPointF(g.my.screen);
    g.lineEnd = QPointF(g.other.screen);
    return g;
}

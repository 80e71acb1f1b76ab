#include "viewport.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "preferences.h"
#include "records.h"

namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

int32_t saturate32(int64_t v)
{
    return int32_t(std::clamp(v, kInt32Min, kInt32Max));
}

// Zone arithmetic on stored 32-bit origins wraps like the stored values do, so that
// local -> world -> local always gives the local point back.
int32_t wrap32(int64_t v)
{
    return static_cast<int32_t>(v);
}

// n / d rounded to the nearest integer, ties to even; d > 0.
int64_t divRoundHalfEven(int64_t n, int64_t d)
{
    int64_t q = n / d;
    int64_t r = n % d;
    if (r < 0) { // floor division
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
    return q;
}

// Round(zoom x factor) as an 80-bit extended product would round it: the product is formed
// exactly (the double product plus its fma remainder) and ties go to even. The factor's
// binary tail matters: 35 x 1.1 is 38.5000000000000031 and rounds to 39, not to 38.
double roundedProduct(int32_t zoom, double factor)
{
    const double z = zoom;
    const double p = z * factor;
    const double e = std::fma(z, factor, -p); // exact: p + e == z x factor
    double r = std::nearbyint(p);             // default rounding mode: ties to even
    if (std::fabs(p - r) == 0.5 && e != 0.0) r = e > 0.0 ? p + 0.5 : p - 0.5;
    return r;
}

int32_t clampZoom(int64_t z)
{
    return int32_t(std::clamp<int64_t>(z, MapViewport::ZoomMin, MapViewport::ZoomMax));
}

} // namespace

int32_t ScaleToScreen(int64_t units, int32_t zoom, int64_t origin)
{
    // units / 65535 x zoom + origin == (units x zoom + origin x 65535) / 65535. 65535 is odd,
    // so the exact quotient is never a tie; rounding it exactly matches the extended result.
    return saturate32(divRoundHalfEven(units * zoom + origin * kZoneSpan, kZoneSpan));
}

void MapViewport::setViewSize(int width, int height)
{
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
}

void MapViewport::restoreZoom(int32_t zoom)
{
    Zoom = clampZoom(zoom);
}

QPoint MapViewport::world_to_screen(QPoint world) const
{
    return {ScaleToScreen(world.x(), Zoom, OffsetX), ScaleToScreen(world.y(), Zoom, OffsetY)};
}

QPoint MapViewport::screen_to_world(QPoint screen) const
{
    // 64-bit product: a 32-bit one overflows beyond 32767 pixels from the origin.
    // Zoom is kept at ZoomMin or more; the guard only keeps a stray value from dividing by 0.
    const int64_t zoom = std::max<int32_t>(Zoom, 1);
    const auto axis = [zoom](int32_t s, int32_t offset) {
        return saturate32(divRoundHalfEven((int64_t(s) - offset) * kZoneSpan, zoom));
    };
    return {axis(screen.x(), OffsetX), axis(screen.y(), OffsetY)};
}

QPoint MapViewport::worldmaptoworld(QPoint local, const pMap_info& zone)
{
    return {wrap32(int64_t(zone.originX) + local.x()), wrap32(int64_t(local.y()) - zone.originY)};
}

QPoint MapViewport::world_to_zonelocal(const pMap_info& zone, QPoint world)
{
    return {wrap32(int64_t(world.x()) - zone.originX), wrap32(int64_t(world.y()) + zone.originY)};
}

QPoint MapViewport::zone_center(const pMap_info& zone)
{
    return {wrap32(int64_t(zone.originX) + 32767), wrap32(32767 - int64_t(zone.originY))};
}

pMap_info* MapViewport::zone_at(QPoint world, std::span<pMap_info* const> zones)
{
    const int64_t x = world.x(), y = world.y();
    for (pMap_info* zone : zones) {
        if (!zone) continue;
        const int64_t left = zone->originX, top = -int64_t(zone->originY);
        // Strict on all four sides: a point on a zone's edge belongs to no zone.
        if (left < x && x < left + kZoneSpan && top < y && y < top + kZoneSpan) return zone;
    }
    return nullptr;
}

ViewRect MapViewport::zoneScreenRect(const pMap_info& zone) const
{
    const int32_t sx = ScaleToScreen(zone.originX, Zoom, OffsetX);
    const int32_t sy = ScaleToScreen(-int64_t(zone.originY), Zoom, OffsetY);
    return {sx, sy, saturate32(int64_t(sx) + Zoom), saturate32(int64_t(sy) + Zoom)};
}

bool MapViewport::zone_in_view(const ViewRect& r) const
{
    const bool horizontal = (0 <= r.left && r.left <= width_) || (r.left < 0 && r.right >= 0);
    const bool vertical = (0 <= r.top && r.top <= height_) || (r.top < 0 && r.bottom >= 0);
    return horizontal && vertical;
}

bool MapViewport::point_in_view(QPoint s) const
{
    return 1 <= s.x() && s.x() < width_ && 1 <= s.y() && s.y() < height_;
}

QPoint MapViewport::view_center() const
{
    return {width_ / 2, height_ / 2};
}

void MapViewport::center_on(QPoint world)
{
    const QPoint s = world_to_screen(world);
    const QPoint c = view_center();
    OffsetX = saturate32(int64_t(OffsetX) + c.x() - s.x());
    OffsetY = saturate32(int64_t(OffsetY) + c.y() - s.y());
    repaint();
}

void MapViewport::zoom_at(QPoint world, int32_t zoom)
{
    const QPoint before = world_to_screen(world);
    Zoom = clampZoom(zoom);
    const QPoint after = world_to_screen(world);
    OffsetX = saturate32(int64_t(OffsetX) + before.x() - after.x());
    OffsetY = saturate32(int64_t(OffsetY) + before.y() - after.y());
    levelOfDetail();
    if (onZoomBar) onZoomBar(Zoom);
    repaint();
}

bool MapViewport::zoom_by_factor(QPoint world, double factor)
{
    const double r = roundedProduct(Zoom, factor);
    if (!std::isfinite(r)) return false;
    const int32_t z = int32_t(std::clamp(r, double(ZoomMin), double(ZoomMax)));
    if (z == Zoom) return false;
    zoom_at(world, z);
    return true;
}

void MapViewport::fit_zone(const pMap_info* zone)
{
    if (!zone) return;
    // The shorter side, even above the zoom range of the other operations (a view larger
    // than 3500 pixels is filled); a collapsed view still gets the smallest zoom, never 0.
    Zoom = int32_t(std::max<int64_t>(height_ < width_ ? height_ : width_, ZoomMin));
    levelOfDetail();
    if (onZoomBar) onZoomBar(Zoom);
    center_on(zone_center(*zone));
}

void MapViewport::update_stretchfilter()
{
    StretchFilter = (Zoom > 1000 && Preferences.LIAR) ? Qt::SmoothTransformation : Qt::FastTransformation;
}

bool MapViewport::zoomByWheel(bool up)
{
    if (!up) ZoomBeforeDblClick = 0;
    return zoom_by_factor(MouseWorld, up ? ZoomInFactor : ZoomOutFactor);
}

bool MapViewport::zoomByKey(bool zoomIn)
{
    const bool changed = zoom_by_factor(screen_to_world(view_center()), zoomIn ? ZoomInFactor : ZoomOutFactor);
    if (!zoomIn) ZoomBeforeDblClick = 0;
    return changed;
}

void MapViewport::zoomFromBar(int32_t position)
{
    zoom_at(screen_to_world(view_center()), position);
}

bool MapViewport::toggleDblClickZoom(bool zoneUnderMouse)
{
    if (!zoneUnderMouse) return false;
    const QPoint p = MouseWorld;
    if (ZoomBeforeDblClick != 0) {
        Zoom = clampZoom(ZoomBeforeDblClick);
        ZoomBeforeDblClick = 0;
    } else {
        ZoomBeforeDblClick = Zoom;
        Zoom = ZoomMax;
    }
    levelOfDetail();
    // The bar follows, so that it never shows a zoom other than the map's.
    if (onZoomBar) onZoomBar(Zoom);
    center_on(p);
    return true;
}

void MapViewport::beginDrag(QPoint screen)
{
    DragStart = screen;
    Dragging = true;
}

bool MapViewport::dragTo(QPoint screen)
{
    if (!Dragging) return false;
    MouseWorld = screen_to_world(screen);
    OffsetX = saturate32(int64_t(OffsetX) - (int64_t(DragStart.x()) - screen.x()));
    OffsetY = saturate32(int64_t(OffsetY) - (int64_t(DragStart.y()) - screen.y()));
    DragStart = screen;
    repaint();
    return true;
}

void MapViewport::levelOfDetail()
{
    update_stretchfilter();
    if (onLevelOfDetail) onLevelOfDetail();
}

void MapViewport::repaint()
{
    if (onRepaint) onRepaint();
}

#pragma once
// The map's view state and every conversion between world, zone-local and screen
// coordinates, with zoom, pan and centring. No widget here: the main window forwards its
// mouse, wheel, key and zoom-bar events and hears back through the three hooks.
//
// World coordinates are 32-bit integers; one zone is 65535 x 65535 world units; a zone's
// world x runs from its originX to originX + 65535 and its world y from -originY to
// -originY + 65535 (y grows downwards). Screen coordinates are pixels of the map control.
#include <cstdint>
#include <functional>
#include <span>

#include <QPoint>
#include <Qt>

class pMap_info;

constexpr int32_t kZoneSpan = 65535; // world units across one zone

// Round(units / 65535 x zoom + origin): nearest integer, ties to even, saturated to 32 bits.
// Computed exactly in integers; within the 32-bit result range this gives the same value as
// the floating-point formula evaluated in 80-bit extended precision. Exact for
// |units| <= 2^32 and 0 <= zoom < 2^31.
int32_t ScaleToScreen(int64_t units, int32_t zoom, int64_t origin);

// A screen rectangle; right and bottom are the first column and row past it.
struct ViewRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class MapViewport {
public:
    static constexpr int32_t ZoomMin = 20;     // pixels per zone
    static constexpr int32_t ZoomMax = 3500;
    static constexpr int32_t ZoomDefault = 100;
    static constexpr double ZoomInFactor = 1.1;
    static constexpr double ZoomOutFactor = 0.9;

    // What the owner does when the view changes. All may be empty.
    // The level of detail, after this class has chosen the stretch filter.
    std::function<void()> onLevelOfDetail;
    // Moves the zoom bar to the zoom without zooming again (a signal blocker on the bar).
    std::function<void(int32_t zoom)> onZoomBar;
    // Invalidates the map control.
    std::function<void()> onRepaint;

    // View state. Zoom stays within ZoomMin..ZoomMax through every operation here except
    // fit_zone, which may exceed ZoomMax on a large view; assign it only through restoreZoom
    // or the zoom operations.
    int32_t Zoom = ZoomDefault;  // on-screen size of one zone in pixels
    int32_t OffsetX = 0;         // screen position of world point (0, 0)
    int32_t OffsetY = 0;
    int32_t ZoomBeforeDblClick = 0; // zoom to return to on the next double click; 0: none
    QPoint MouseWorld;           // world point under the mouse at its last move
    QPoint DragStart;            // screen point of the pan drag's last step
    bool Dragging = false;
    // Resampling of zone images and tiles; set by update_stretchfilter.
    Qt::TransformationMode StretchFilter = Qt::FastTransformation;

    // Size of the map control in pixels.
    void setViewSize(int width, int height);
    int viewWidth() const { return width_; }
    int viewHeight() const { return height_; }
    // The zoom read from the settings, brought into ZoomMin..ZoomMax.
    void restoreZoom(int32_t zoom);

    // Conversions.
    QPoint world_to_screen(QPoint world) const;
    QPoint screen_to_world(QPoint screen) const;
    static QPoint worldmaptoworld(QPoint local, const pMap_info& zone);
    static QPoint world_to_zonelocal(const pMap_info& zone, QPoint world);
    static QPoint zone_center(const pMap_info& zone);
    // First zone of the list that holds the point strictly inside its edges; nullptr if none.
    static pMap_info* zone_at(QPoint world, std::span<pMap_info* const> zones);
    // The zone's square on screen: its origin's screen point and Zoom pixels across.
    ViewRect zoneScreenRect(const pMap_info& zone) const;

    // Visibility against the control's size.
    bool zone_in_view(const ViewRect& rect) const;
    bool point_in_view(QPoint screen) const; // column 0 and row 0 count as outside
    QPoint view_center() const;

    // View changes.
    // Pans so the world point lies at the view centre; repaints.
    void center_on(QPoint world);
    // Sets the zoom keeping the world point's screen position; level of detail, zoom bar,
    // repaint.
    void zoom_at(QPoint world, int32_t zoom);
    // Round(Zoom x factor), brought into ZoomMin..ZoomMax, through zoom_at; False (and
    // nothing done, no repaint) when the zoom would not change.
    bool zoom_by_factor(QPoint world, double factor);
    // Zoom := the view's shorter side (at least ZoomMin, no upper limit), centred on the zone;
    // level of detail, zoom bar, repaint. Nothing for nullptr.
    void fit_zone(const pMap_info* zone);
    // Linear resampling above zoom 1000 when the setting LIAR is on, else nearest-neighbour.
    void update_stretchfilter();

    // The zoom sources of the map.
    // Wheel about MouseWorld; a step down first forgets the double-click zoom.
    bool zoomByWheel(bool up);
    // Keys "+" and "-" about the world point at the view centre; "-" forgets the
    // double-click zoom afterwards.
    bool zoomByKey(bool zoomIn);
    // The zoom bar moved by the user: that zoom about the world point at the view centre.
    void zoomFromBar(int32_t position);
    // Double click or key "z": ZoomMax, or back to the zoom before, then centred on
    // MouseWorld. Nothing when no zone lies under the mouse. True when it acted.
    bool toggleDblClickZoom(bool zoneUnderMouse);

    // Pan by drag.
    void beginDrag(QPoint screen);
    // One mouse move of the drag: MouseWorld with the offsets before the move, then the
    // offsets follow the mouse; repaints. False (nothing done) when no drag is under way.
    bool dragTo(QPoint screen);
    void endDrag() { Dragging = false; }

private:
    void levelOfDetail();
    void repaint();

    int width_ = 0;
    int height_ = 0;
};

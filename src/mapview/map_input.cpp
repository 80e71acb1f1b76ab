#include "map_input.h"

#include <algorithm>
#include <span>

#include "preferences.h"
#include "records.h"

namespace {

constexpr int kWheelNotch = 120; // angle delta of one wheel notch

// The modifiers that make a click something else than a plain or Shift click. The keypad
// flag only says where a key came from and is not part of the combination.
Qt::KeyboardModifiers chordOf(Qt::KeyboardModifiers m)
{
    return m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

} // namespace

void MapInput::repaint()
{
    if (scene_.view.onRepaint) scene_.view.onRepaint();
}

void MapInput::levelOfDetailAndRepaint()
{
    scene_.view.update_stretchfilter();
    if (scene_.view.onLevelOfDetail) scene_.view.onLevelOfDetail();
    repaint();
}

void MapInput::ImageMapMouseMove(QPoint pos, bool textEditHasFocus)
{
    if (!textEditHasFocus && hooks.onTakeFocus) hooks.onTakeFocus();
    MapViewport& view = scene_.view;
    // During a drag only the pan follows the mouse; the hover state stays as it was when the
    // drag began.
    if (view.dragTo(pos)) return;
    view.MouseWorld = view.screen_to_world(pos);

    scene_.ZoneUnderMouse = MapViewport::zone_at(
        view.MouseWorld, std::span<pMap_info* const>(scene_.DisplayedZones.data(), scene_.DisplayedZones.size()));
    if (!scene_.ZoneUnderMouse) {
        if (hooks.onStatusText) hooks.onStatusText({});
        return;
    }
    scene_.MouseZonePoint = MapViewport::world_to_zonelocal(*scene_.ZoneUnderMouse, view.MouseWorld);
    const bool onPath = hooks.onPathAt && hooks.onPathAt(pos.x(), pos.y(), 0);
    if (!onPath && hooks.onInteract) hooks.onInteract(pos.x(), pos.y(), 0);
    if (hooks.onStatusText)
        hooks.onStatusText(scene_.ZoneUnderMouse->name + " | " + " loc: " + std::to_string(scene_.MouseZonePoint.x())
                           + " x " + std::to_string(scene_.MouseZonePoint.y()));
}

void MapInput::ImageMapMouseDown(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (hooks.onTakeFocus) hooks.onTakeFocus();
    if (button != Qt::LeftButton) return; // the right button opens the map menu by itself
    const Qt::KeyboardModifiers chord = chordOf(modifiers);
    MapViewport& view = scene_.view;

    if (chord == Qt::NoModifier) {
        if (view.Dragging) return;
        if (hooks.onInteract && hooks.onInteract(pos.x(), pos.y(), 2)) return;
        if (hooks.onPathAt && hooks.onPathAt(pos.x(), pos.y(), 1)) return;
        view.beginDrag(pos);
        if (hooks.onControlCursor) hooks.onControlCursor(Qt::SizeAllCursor);
        return;
    }
    if (chord == Qt::ShiftModifier) {
        if (!editMode) {
            if (hooks.onReleaseCapture) hooks.onReleaseCapture();
            return;
        }
        if (scene_.waypointMode && scene_.ZoneUnderMouse) {
            if (hooks.onAddWaypoint) hooks.onAddWaypoint();
        } else if (hooks.onInteract) {
            hooks.onInteract(pos.x(), pos.y(), 1);
        }
    }
    // Ctrl, Alt and other combinations do nothing here.
}

void MapInput::ImageMapMouseUp()
{
    scene_.view.endDrag();
    if (hooks.onControlCursor) hooks.onControlCursor(Qt::ArrowCursor);
}

int MapInput::ImageMapMouseWheel(int angleDelta)
{
    // Summed in 64 bits: a stream of huge deltas cannot overflow the remainder.
    int64_t total = int64_t(wheelRemainder_) + angleDelta;
    const int64_t notches = total / kWheelNotch; // truncates towards zero: partial notches wait
    wheelRemainder_ = int(total - notches * kWheelNotch);
    // Steps past the zoom limits change nothing, so a burst never needs more than the range.
    const int64_t steps = std::min<int64_t>(notches < 0 ? -notches : notches, 1000);
    for (int64_t i = 0; i < steps; ++i) scene_.view.zoomByWheel(notches > 0);
    return int(notches < 0 ? -steps : steps);
}

void MapInput::ImageMapDblClick()
{
    scene_.view.toggleDblClickZoom(scene_.ZoneUnderMouse != nullptr);
}

bool MapInput::FormKeyPress(char key, bool textEditHasFocus)
{
    if (textEditHasFocus) return false;
    MapViewport& view = scene_.view;
    switch (key) {
    case 'h':
        scene_.overlays.tips = !scene_.overlays.tips;
        if (hooks.onSwitchesChanged) hooks.onSwitchesChanged();
        repaint();
        return true;
    case '+':
        view.zoomByKey(true);
        return true;
    case '-':
        view.zoomByKey(false);
        return true;
    case 'a':
        scene_.ShowMarkers = !scene_.ShowMarkers;
        levelOfDetailAndRepaint();
        if (!scene_.ShowMarkers && hooks.onIconsHidden) hooks.onIconsHidden();
        return true;
    case 'f':
        // Fitting recomputes the level of detail and repaints when there is a zone.
        view.fit_zone(scene_.ZoneUnderMouse);
        return true;
    case 'i':
        if (scene_.HotNode != kNoTreeNode) {
            if (hooks.onModifyNode) hooks.onModifyNode(scene_.HotNode);
        } else if (editMode && hooks.onCreateLocation) {
            hooks.onCreateLocation();
        }
        return true;
    case 'l':
        Preferences.AVCT = !Preferences.AVCT;
        if (hooks.onSwitchesChanged) hooks.onSwitchesChanged();
        levelOfDetailAndRepaint();
        return true;
    case 's':
        scene_.overlays.subtitles = !scene_.overlays.subtitles;
        if (hooks.onSwitchesChanged) hooks.onSwitchesChanged();
        repaint();
        return true;
    case 'z':
        ImageMapDblClick();
        return true;
    default:
        return false;
    }
}

bool MapInput::FormKeyDown(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Escape:
        if (hooks.onClearFeedback) hooks.onClearFeedback();
        repaint();
        return true;
    case Qt::Key_F1:
    case Qt::Key_F2:
    case Qt::Key_F3:
    case Qt::Key_F4:
        if (hooks.onSidePageKey) hooks.onSidePageKey(qtKey - Qt::Key_F1 + 1);
        return true;
    default:
        return false;
    }
}

void MapInput::set_mousemode(int mode)
{
    scene_.MouseMode = mode;
    if (!hooks.onScreenCursor) return;
    if (mode == 0) hooks.onScreenCursor(Qt::ArrowCursor);
    else if (mode == 1) hooks.onScreenCursor(Qt::SizeAllCursor);
}

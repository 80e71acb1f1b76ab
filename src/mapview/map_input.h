#pragma once
// The mouse and keys of the map: hover, click, pan drag, wheel, double click and the map's
// keyboard shortcuts, acting on a MapScene. Widget-free: the main window forwards the events of
// the map control and of its own key handlers, and this class answers through the hooks below
// (the location hit test, the path hit test, waypoints, the status bar, cursors, ...).
#include <functional>
#include <string>

#include <QPoint>
#include <Qt>

#include "map_scene.h"

// What the input handling asks of the main window. Every hook may be empty.
struct MapInputHooks {
    // Location under the screen point: action 0 hover, 1 modify or create, 2 click. True
    // when a location was there.
    std::function<bool(int x, int y, int action)> onInteract;
    // Path under the screen point: action 0 hover, 1 click. True when a path was hit.
    std::function<bool(int x, int y, int action)> onPathAt;
    // Waypoint candidate at MouseZonePoint in ZoneUnderMouse (added or refused).
    std::function<void()> onAddWaypoint;
    // Panel 1 of the status bar (Windows-1252 text; empty clears it).
    std::function<void(const std::string& text)> onStatusText;
    // The map control takes the keyboard focus.
    std::function<void()> onTakeFocus;
    // The map control gives up the mouse capture.
    std::function<void()> onReleaseCapture;
    // Cursor of the map control (size-all while dragging, arrow otherwise).
    std::function<void(Qt::CursorShape)> onControlCursor;
    // Cursor of the whole screen, set by the mouse mode.
    std::function<void(Qt::CursorShape)> onScreenCursor;
    // A tool-bar switch that the scene mirrors was toggled by a key (tips, subtitles, vector
    // overlay): the window brings its button in line with the scene or the settings.
    std::function<void()> onSwitchesChanged;
    // Esc: every feedback line removed.
    std::function<void()> onClearFeedback;
    // F1 to F4: side-panel page button 1 to 4 toggled, then its click handling.
    std::function<void(int page)> onSidePageKey;
    // "i" on a location: its editor.
    std::function<void(int node)> onModifyNode;
    // "i" on empty map in edit mode: a new location at the mouse point.
    std::function<void()> onCreateLocation;
    // "a" hid the location icons: nothing is under the mouse any more, so its hint goes.
    std::function<void()> onIconsHidden;
};

class MapInput {
public:
    explicit MapInput(MapScene& scene) : scene_(scene) {}

    MapInputHooks hooks;
    bool editMode = false; // but_editmode down

    // Mouse move over the map at a screen point. textEditHasFocus: a text edit of the window
    // holds the keyboard focus, which the map then leaves where it is.
    void ImageMapMouseMove(QPoint pos, bool textEditHasFocus);
    // Press of a button over the map (not the second press of a double click, which arrives as
    // ImageMapDblClick).
    void ImageMapMouseDown(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // Release of any button: the drag ends.
    void ImageMapMouseUp();
    // Wheel over the map with the event's vertical angle delta (eighths of a degree; 120 is
    // one notch). Partial deltas of fine-grained wheels add up until a whole notch is reached;
    // each notch is one zoom step, up positive. Returns the number of steps taken.
    int ImageMapMouseWheel(int angleDelta);
    // Double click on the map: the double-click zoom toggle about the mouse.
    void ImageMapDblClick();

    // A typed character (case-sensitive). Ignored while a text edit has the focus, so typing
    // into an edit never drives the map. True when the key was one of the map's.
    bool FormKeyPress(char key, bool textEditHasFocus);
    // A key press by Qt key code: Esc and F1 to F4, whatever has the focus. True when used.
    bool FormKeyDown(int qtKey);

    // 0 normal (arrow screen cursor), 1 pan (size-all); other values change only the field.
    void set_mousemode(int mode);

private:
    void levelOfDetailAndRepaint();
    void repaint();

    MapScene& scene_;
    int wheelRemainder_ = 0; // angle delta not yet turned into a step
};

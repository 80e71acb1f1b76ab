#pragma once
// Reading what a real X server and its window manager hold about the program's windows:
// the tests here need the xcb platform and a window manager (the CI step runs them under
// Xvfb with openbox). Elsewhere they skip, unless VMAR_X11_REQUIRED is set, when they fail.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRect>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include "wait_until.h"

namespace x11 {

inline xcb_connection_t* connection()
{
    if (QGuiApplication::platformName() != "xcb") return nullptr;
    auto* native = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->connection() : nullptr;
}

inline xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

inline xcb_atom_t atom(const char* name)
{
    xcb_connection_t* c = connection();
    const auto cookie = xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(xcb_intern_atom_reply(c, cookie, nullptr),
                                                                        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A property of 32-bit items (atoms, cardinals, hints); empty when it is not set.
inline std::vector<uint32_t> property32(xcb_window_t window, const char* name)
{
    xcb_connection_t* c = connection();
    const auto cookie = xcb_get_property(c, 0, window, atom(name), XCB_ATOM_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(xcb_get_property_reply(c, cookie, nullptr),
                                                                         &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(items, items + xcb_get_property_value_length(reply.get()) / 4);
}

inline bool hasAtom(const std::vector<uint32_t>& atoms, const char* name)
{
    const xcb_atom_t wanted = atom(name);
    for (uint32_t a : atoms)
        if (a == wanted) return true;
    return false;
}

// The native window a widget shows itself in now.
inline xcb_window_t windowOf(const QWidget* widget)
{
    const QWindow* handle = widget->windowHandle();
    return handle && handle->handle() ? xcb_window_t(handle->winId()) : xcb_window_t(XCB_WINDOW_NONE);
}

// Every event the server sent before this call has reached the program, and Qt has handled
// it together with what it queued in reply (a round trip, then the event loop twice).
inline void settle()
{
    xcb_connection_t* c = connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

inline bool windowManagerRunning()
{
    return !property32(root(), "_NET_SUPPORTING_WM_CHECK").empty();
}

// True once the window manager manages the widget's window and shows it: the window is in
// the normal state (WM_STATE), with its frame's extents and the actions allowed on it set.
// The extents alone are no sign: a window manager also answers Qt's request for them
// before it manages the window.
inline bool managed(const QWidget* widget)
{
    const xcb_window_t w = windowOf(widget);
    if (w == XCB_WINDOW_NONE) return false;
    const std::vector<uint32_t> state = property32(w, "WM_STATE");
    return !state.empty() && state[0] == 1 /* NormalState */ && property32(w, "_NET_FRAME_EXTENTS").size() == 4 &&
           !property32(w, "_NET_WM_ALLOWED_ACTIONS").empty();
}

// Where the window manager put the window's frame: the top left corner of the title bar
// and border, read from the server, not from what Qt believes.
inline QPoint frameOrigin(const QWidget* widget)
{
    xcb_connection_t* c = connection();
    const xcb_window_t w = windowOf(widget);
    const auto cookie = xcb_translate_coordinates(c, w, root(), 0, 0);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
        xcb_translate_coordinates_reply(c, cookie, nullptr), &std::free);
    const std::vector<uint32_t> extents = property32(w, "_NET_FRAME_EXTENTS"); // left right top bottom
    if (!reply || extents.size() != 4) return QPoint(-1, -1);
    return QPoint(reply->dst_x - int(extents[0]), reply->dst_y - int(extents[2]));
}

// Whether Qt maps the widget's points to the screen where the server has them: after the
// window manager reparents and places a window, Qt learns the new place (and the frame's
// size) a little later, and until then mapToGlobal is off by the move or the title bar.
inline bool placeKnown(const QWidget* widget)
{
    xcb_connection_t* c = connection();
    const auto cookie = xcb_translate_coordinates(c, windowOf(widget->window()), root(), 0, 0);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
        xcb_translate_coordinates_reply(c, cookie, nullptr), &std::free);
    return reply && widget->window()->mapToGlobal(QPoint(0, 0)) == QPoint(reply->dst_x, reply->dst_y);
}

inline bool waitManaged(const QWidget* widget)
{
    return test_wait::waitUntil([widget] { return managed(widget); });
}

// Asks the window manager to close the window, as its close button does.
inline void closeThroughWindowManager(const QWidget* widget)
{
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = windowOf(widget);
    e.type = atom("_NET_CLOSE_WINDOW");
    e.data.data32[0] = XCB_CURRENT_TIME;
    e.data.data32[1] = 2; // from a pager or task bar: the user's own request
    xcb_send_event(connection(), 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&e));
    xcb_flush(connection());
}

inline bool required()
{
    const char* v = std::getenv("VMAR_X11_REQUIRED");
    return v && *v && std::string(v) != "0";
}

} // namespace x11

// Skips the test without an X server and a window manager; fails instead where the run
// asked for them (so a CI step whose X server failed to start cannot pass by skipping).
#define REQUIRE_X11_WITH_WINDOW_MANAGER()                                                      \
    do {                                                                                       \
        const bool ready_ = x11::connection() && x11::windowManagerRunning();                  \
        if (!ready_ && x11::required()) FAIL() << "no X server with a window manager";         \
        if (!ready_) GTEST_SKIP() << "needs the xcb platform and a window manager";            \
    } while (0)

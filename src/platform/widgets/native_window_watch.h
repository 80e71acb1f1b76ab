#pragma once
// Notice of a window's native window being destroyed from outside: another program (a task
// manager, xdotool, a session tool) can destroy the X window of a running program, and Qt
// reports nothing then, so the program would stay running with no window.
#include <functional>

class QWidget;

// Runs `onGone` (queued, on the GUI thread) when the window system reports that the native
// window of `window` was destroyed while the widget still uses it. Lives as long as `window`.
void WatchNativeWindowDestroyed(QWidget* window, std::function<void()> onGone);

#pragma once
// The window operations the main window and the dialogs need from the window system:
// moving a window, keeping it on top, dialogs with a title bar only.
#include <QtCore/qnamespace.h>

class QWidget;

// Starts the window system's move loop for the window (not when it is maximized).
// Returns whether a move was started.
bool StartWindowDrag(QWidget* window);
// Keeps the window above the others, or not; a shown window keeps its native window.
void SetStayOnTop(QWidget* window, bool onTop);

// The flags of a dialog with a title bar and no title-bar buttons: no system menu, no
// minimise, maximise or close button. Given a fixed size as well, the window manager offers
// neither resizing nor maximizing. Window managers that honour the motif hints' functions
// draw no buttons; some (openbox) keep theirs whatever the hints say.
inline constexpr Qt::WindowFlags kTitleOnlyDialog = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

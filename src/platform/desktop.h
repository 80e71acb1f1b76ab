#pragma once
// Opening web pages and folders with the desktop's own programs, the busy cursor,
// and the window operations the main window needs from the window system.
#include <functional>

#include <QString>
#include <QtCore/qnamespace.h>

class QWidget;

// True for an http or https address with a host; nothing else is handed to the browser.
bool IsWebAddress(const QString& address);

// The way pages and folders are opened: the desktop (xdg-open) unless a test installed its own.
using UrlOpener = std::function<bool(const QString& urlOrPath, bool isFolder)>;
void setUrlOpener(UrlOpener opener); // empty restores the desktop
// Opens an http or https page; False (and nothing opened) for any other address.
bool OpenWebPage(const QString& address);
// Opens a local folder in the file manager.
bool OpenFolder(const QString& path);

// The wait cursor over the whole application for the guard's lifetime.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

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

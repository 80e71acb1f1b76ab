#pragma once
// Opening web pages and folders with the desktop's own programs, and the busy cursor.
#include <functional>

#include <QString>

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

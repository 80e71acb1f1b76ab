#include "desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>
#include <QWindow>

bool IsWebAddress(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https";
}

namespace {
UrlOpener& opener()
{
    static UrlOpener o;
    return o;
}
} // namespace

void setUrlOpener(UrlOpener o)
{
    opener() = std::move(o);
}

bool OpenWebPage(const QString& address)
{
    if (!IsWebAddress(address)) return false;
    if (opener()) return opener()(address.trimmed(), false);
    return QDesktopServices::openUrl(QUrl(address.trimmed(), QUrl::StrictMode));
}

bool OpenFolder(const QString& path)
{
    if (opener()) return opener()(path, true);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

bool StartWindowDrag(QWidget* window)
{
    if (!window || window->isMaximized()) return false;
    QWindow* handle = window->windowHandle();
    return handle && handle->startSystemMove();
}

void SetStayOnTop(QWidget* window, bool onTop)
{
    if (!window) return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    QWindow* handle = window->windowHandle();
    if (window->isWindow() && handle && handle->handle()) {
        // The window has its native window: the window manager is told of the new state on
        // that window. QWidget::setWindowFlags would replace the native window instead, which
        // hides and re-maps it, and Qt can then lose track of where the window manager put
        // it (the place saved on leaving drifts by the title bar's height).
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
        return;
    }
    const bool wasVisible = window->isVisible();
    window->setWindowFlags(flags); // used when the native window is made
    if (wasVisible) window->show();
}

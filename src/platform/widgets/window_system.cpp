#include "window_system.h"

#include <QWidget>
#include <QWindow>

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

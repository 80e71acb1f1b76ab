#include "native_window_watch.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define VMAR_HAVE_XCB 1
#endif

namespace {

class DestroyWatch : public QObject, public QAbstractNativeEventFilter {
public:
    DestroyWatch(QWidget* window, std::function<void()> onGone)
        : QObject(window), window_(window), onGone_(std::move(onGone))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~DestroyWatch() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
#ifdef VMAR_HAVE_XCB
        if (eventType != "xcb_generic_event_t" || !message || !window_) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (destroyed->window != xcb_window_t(liveWindowId())) return false;
        QTimer::singleShot(0, this, [this] {
            if (onGone_) onGone_();
        });
#else
        (void)eventType;
        (void)message;
#endif
        return false; // Qt sees the event as well
    }

private:
    // The id of the native window the widget shows itself in right now; 0 when it has none.
    // Qt replaces the native window when some flags change (stay on top) and destroys the old
    // one itself; the notice of that destruction arrives later, when the window in use is
    // already the new one. The widget's own internalWinId() can still name the old window
    // then, so the id is read from the platform window that exists now.
    WId liveWindowId() const
    {
        const QWindow* handle = window_->windowHandle();
        if (!handle || !handle->handle()) return 0;
        return handle->winId();
    }

    QPointer<QWidget> window_;
    std::function<void()> onGone_;
};

} // namespace

void WatchNativeWindowDestroyed(QWidget* window, std::function<void()> onGone)
{
    if (window && QCoreApplication::instance()) new DestroyWatch(window, std::move(onGone));
}

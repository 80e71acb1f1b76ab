#include "native_window_watch.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

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
        // Qt's own re-creation of a window (a changed stay-on-top flag) destroys the old id
        // after the widget moved to a new one, so only the id in use counts.
        const WId current = window_->internalWinId();
        if (current == 0 || destroyed->window != xcb_window_t(current)) return false;
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
    QPointer<QWidget> window_;
    std::function<void()> onGone_;
};

} // namespace

void WatchNativeWindowDestroyed(QWidget* window, std::function<void()> onGone)
{
    if (window && QCoreApplication::instance()) new DestroyWatch(window, std::move(onGone));
}

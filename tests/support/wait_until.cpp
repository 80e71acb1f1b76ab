#include "wait_until.h"

#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

namespace test_wait {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

void deliverPostedEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

WhenReady::WhenReady(std::function<bool()> condition, std::function<void()> action, std::string what,
                     int timeoutMs)
    : condition_(std::move(condition)), action_(std::move(action)), what_(std::move(what)), timeoutMs_(timeoutMs)
{
    clock_.start();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
}

WhenReady::~WhenReady()
{
    timer_.stop();
    if (!done_ && !timedOut_) ADD_FAILURE() << "Never held: " << what_;
}

void WhenReady::poll()
{
    if (condition_()) {
        timer_.stop();
        done_ = true;
        action_();
    } else if (clock_.elapsed() > timeoutMs_) {
        timer_.stop();
        timedOut_ = true;
        ADD_FAILURE() << "Timed out waiting for: " << what_;
    }
}

} // namespace test_wait

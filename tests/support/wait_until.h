#pragma once
// Waiting on a condition inside a GoogleTest test: events are processed until the condition
// holds or the time is up, and a timeout fails the test with the condition's text.
#include <functional>
#include <string>

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

namespace test_wait {

// Long enough for the sanitizer build on a loaded machine; a wait that succeeds returns as
// soon as its condition holds.
inline constexpr int kTimeoutMs = 10000;

// Processes events (deferred deletes included) until `condition` holds or `timeoutMs` have
// passed; the condition is asked first, before any event is processed.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kTimeoutMs);

// Delivers the events posted so far, deferred deletes included: for code that posts work
// whose end nothing shows.
void deliverPostedEvents();

// Runs `action` from the event loop as soon as `condition` holds, asked every few
// milliseconds: for a step that must happen inside a modal loop the test cannot return from,
// once that loop shows what the step needs. The watch ends with the object, so nothing it
// refers to outlives the test; a condition that never held by then, or within the timeout,
// fails the test with `what`.
class WhenReady {
public:
    WhenReady(std::function<bool()> condition, std::function<void()> action, std::string what,
              int timeoutMs = kTimeoutMs);
    ~WhenReady();
    WhenReady(const WhenReady&) = delete;
    WhenReady& operator=(const WhenReady&) = delete;
    bool done() const { return done_; }

private:
    void poll();

    std::function<bool()> condition_;
    std::function<void()> action_;
    std::string what_;
    int timeoutMs_;
    bool done_ = false;
    bool timedOut_ = false;
    QElapsedTimer clock_;
    QTimer timer_;
};

} // namespace test_wait

// Processes events until the condition holds; a timeout is a failure that names it and goes
// on (EXPECT_) or ends the test (ASSERT_). More text may be streamed after either.
#define EXPECT_EVENTUALLY(condition)                                                                                   \
    switch (0)                                                                                                         \
    case 0:                                                                                                            \
    default:                                                                                                           \
        if (::test_wait::waitUntil([&] { return bool(condition); }))                                                   \
            ;                                                                                                          \
        else                                                                                                           \
            ADD_FAILURE() << "Timed out waiting for: " #condition " "
#define ASSERT_EVENTUALLY(condition)                                                                                   \
    switch (0)                                                                                                         \
    case 0:                                                                                                            \
    default:                                                                                                           \
        if (::test_wait::waitUntil([&] { return bool(condition); }))                                                   \
            ;                                                                                                          \
        else                                                                                                           \
            FAIL() << "Timed out waiting for: " #condition " "

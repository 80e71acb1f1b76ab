#pragma once
// Freeing of large structures the UI thread has handed over for good (a cleared location
// tree with its million records), on one background thread, so that neither a reload nor
// the end of the program waits while they are taken apart block by block. The thread lives
// as long as the process: at exit nothing waits for it, and what it has not freed yet the
// system takes back with the process.
#include <functional>
#include <memory>
#include <utility>

// Runs `release` on the release thread, after everything handed over before it. Record pool
// blocks it frees go back to the pool in one step when it ends.
void ReleaseInBackground(std::function<void()> release);

// Takes `garbage` over and destroys it on the release thread.
template <class T>
void DestroyInBackground(T&& garbage)
{
    auto held = std::make_shared<std::decay_t<T>>(std::forward<T>(garbage));
    ReleaseInBackground([held]() mutable { held.reset(); });
}

// Returns once everything handed over so far has been freed.
void WaitForBackgroundReleases();

// The process is ending (its last window has closed and written its files): what is handed
// over from now on is kept as it is until the system takes it back with the process,
// instead of being taken apart while the process exits.
void LeaveReleasesToProcessExit();

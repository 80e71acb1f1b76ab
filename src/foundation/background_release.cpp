#include "background_release.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "block_pool.h"

namespace {

class ReleaseThread {
public:
    ReleaseThread()
    {
        std::thread([this] { run(); }).detach();
    }

    void post(std::function<void()> job)
    {
        {
            const std::lock_guard lock(mutex_);
            if (leaving_) {
                kept_.push_back(std::move(job)); // still reachable: no leak for the checkers
                return;
            }
            jobs_.push_back(std::move(job));
            ++posted_;
        }
        wake_.notify_one();
    }

    void leave()
    {
        const std::lock_guard lock(mutex_);
        leaving_ = true;
    }

    void wait()
    {
        std::unique_lock lock(mutex_);
        const uint64_t target = posted_;
        done_.wait(lock, [&] { return finished_ >= target; });
    }

private:
    void run()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !jobs_.empty(); });
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            {
                const BlockPool::GatheredFrees gathered(RecordPool());
                job();
                job = nullptr; // what the job captured goes here too
            }
            {
                const std::lock_guard lock(mutex_);
                ++finished_;
            }
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::function<void()>> kept_; // handed over once the process is ending
    bool leaving_ = false;
    uint64_t posted_ = 0;
    uint64_t finished_ = 0;
};

// Never destroyed: static destruction at exit neither joins the thread nor pulls its
// queue away from under it.
ReleaseThread& releaseThread()
{
    static ReleaseThread* thread = new ReleaseThread;
    return *thread;
}

} // namespace

void ReleaseInBackground(std::function<void()> release)
{
    releaseThread().post(std::move(release));
}

void WaitForBackgroundReleases()
{
    releaseThread().wait();
}

void LeaveReleasesToProcessExit()
{
    releaseThread().leave();
}

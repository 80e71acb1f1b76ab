#pragma once
// Clocks and the median the benchmarks that time steps by hand share.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace benchclock {

using Clock = std::chrono::steady_clock;

// Milliseconds of wall time since start.
inline double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of the whole process, worker threads included, in milliseconds.
inline double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The middle value (the upper one of an even count); 0 for none.
inline double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace benchclock

// Reload of all data in the main window, as a language or database switch runs it: the
// first activation's load is the baseline, then reload_all(True) ten times with a map
// shown. Each pass prints its time and the resident memory after malloc_trim(0). Then the
// window closes as the user closes it (the settings and category files are written) and
// the program ends: the last line gives the wall-clock time of the close (closed_at_ns,
// CLOCK_REALTIME), which bench/reload.sh compares with the moment the process has gone.
//   reload_bench FOLDER [PASSES]
// FOLDER: a program folder with pref.ini naming its language and database (bench/reload.sh
// makes one with tools/make_sample). PASSES may be 0: the first load and the exit only.
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ctime>
#include <malloc.h>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>

#include "main_window.h"
#include "bench_clock.h"

namespace {

using benchclock::cpuMs;

// CPU time of the process: steadier than wall time on a shared machine.
// CPU time of this (the UI) thread alone: what the user waits for, without the workers.
double uiCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double residentMb()
{
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024.0;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: reload_bench FOLDER [PASSES]\n");
        return 2;
    }
    const int passes = argc > 2 ? std::max(0, std::atoi(argv[2])) : 10;
    QApplication app(argc, argv);
    auto* owned = new TForm4(QString::fromLocal8Bit(argv[1]));
    owned->setAttribute(Qt::WA_DeleteOnClose); // as the program's own window
    TForm4& window = *owned;
    window.show(); // queues the first activation, which the direct call below runs first

    QElapsedTimer clock;
    clock.start();
    double cpu = cpuMs(), ui = uiCpuMs();
    window.FormActivate();
    // A map shown, as a user switches while looking at one, and as the reload shows it
    // again: part of the baseline too.
    if (window.scene.CurrentMapId == -1 && !window.MyTreeStore.roots().empty())
        window.localize_data(window.MyTreeStore.children(window.MyTreeStore.roots().front()).front(), false);
    QCoreApplication::processEvents();
    const double firstMs = double(clock.nsecsElapsed()) / 1e6, firstCpu = cpuMs() - cpu, firstUi = uiCpuMs() - ui;
    const double firstRss = residentMb();
    std::printf("first_activation_ms=%.0f cpu_ms=%.0f ui_cpu_ms=%.0f rss_mb=%.1f locations=%zu map=%d\n", firstMs,
                firstCpu, firstUi, firstRss, window.MyTreeStore.locationCount(), int(window.scene.CurrentMapId));

    double worst = 0, worstCpu = 0, rssFirstPass = 0, rssLast = 0;
    std::vector<double> times, uiTimes;
    for (int pass = 1; pass <= passes; ++pass) {
        clock.restart();
        cpu = cpuMs();
        ui = uiCpuMs();
        window.reload_all(true);
        QCoreApplication::processEvents(); // the repaint it asked for
        const double ms = double(clock.nsecsElapsed()) / 1e6, passCpu = cpuMs() - cpu, passUi = uiCpuMs() - ui;
        uiTimes.push_back(passUi);
        const double rss = residentMb();
        if (pass == 1) rssFirstPass = rss;
        rssLast = rss;
        worst = std::max(worst, ms);
        times.push_back(ms);
        worstCpu = std::max(worstCpu, passCpu);
        std::printf("pass=%d reload_ms=%.0f cpu_ms=%.0f ui_cpu_ms=%.0f ratio_to_first=%.2f cpu_ratio=%.2f "
                    "ui_cpu_ratio=%.2f rss_mb=%.1f map=%d\n",
                    pass, ms, passCpu, passUi, ms / firstMs, passCpu / firstCpu, passUi / firstUi, rss,
                    int(window.scene.CurrentMapId));
    }
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        std::sort(uiTimes.begin(), uiTimes.end());
        const double median = times[times.size() / 2], medianUi = uiTimes[uiTimes.size() / 2];
        std::printf("median_reload_ms=%.0f median_ratio=%.2f (target <= 1.10) median_ui_cpu_ratio=%.2f worst_ratio=%.2f "
                    "worst_cpu_ratio=%.2f rss_growth_mb=%.1f (target <= 8.0)\n",
                    median, median / firstMs, medianUi / firstUi, worst / firstMs, worstCpu / firstCpu,
                    rssLast - rssFirstPass);
    }
    // The close as the user's: the window writes its files and is deleted, then the program
    // returns from main as the real one does once its window has gone.
    timespec closed{};
    clock_gettime(CLOCK_REALTIME, &closed);
    window.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::printf("closed_at_ns=%lld\n", (long long)closed.tv_sec * 1000000000LL + closed.tv_nsec);
    std::fflush(stdout);
    return 0;
}

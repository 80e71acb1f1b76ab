// The first visit to a map in a process, through the main window as the user makes it: the
// map menu's command on the real TForm4 at 1920 x 1080 (progress bar, hooks, the zone images
// decoded, every label of the view made with its fonts' glyphs learnt, the window's paint of
// the new map), on the sample folder of 66 zones of 1024 x 1024 JPEG split into a map of 16
// zones and one of 50 (window_maps.h). No map is shown at start, so the visit is the first
// one of the process. The baseline, timed in the same process right after: the bare decode
// of the same zone image files, one after the other.
// Each visit runs in a process of its own (this program started again with --visit), the
// two maps alternating. Printed per run and as medians: the visit (the command, then the
// paint), the bare decode and their ratio; the process CPU time of each.
// With --idle the visit comes after the program has been idle until the label fonts were
// learnt (as a user's first visit a moment after the start); without it, right after the
// start, before the event loop ever waited.
//   map_switch_bench [RUNS] [--fonts N] [--idle]
//   map_switch_bench --write FOLDER [--fonts N]   (only writes the folder)
//   map_switch_bench --visit FOLDER MAP [--idle]  (one visit, MAP 0 or 1, in such a folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QProcess>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif
#include <QTemporaryDir>

#include "bench_clock.h"
#include "folders.h"
#include "label_warmup.h"
#include "map_render_cache.h"
#include "map_loading.h"
#include "map_widget.h"
#include "window_maps.h"

namespace {

using benchclock::Clock;
using benchclock::cpuMs;
using benchclock::median;
using benchclock::msSince;

// The label glyph masks learnt, and the bytes they hold.
std::pair<size_t, size_t> labelMasks(TForm4& window)
{
    size_t n = 0, bytes = 0;
    if (window.scene.renderCache)
        for (const auto& [font, glyphs] : window.scene.renderCache->labelGlyphs) {
            n += glyphs->masksLearnt();
            bytes += glyphs->maskBytes();
        }
    return {n, bytes};
}

// The process's resident memory in MiB.
double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// One first visit in this process; prints "visit COMMAND_MS VISIT_MS VISIT_CPU DECODE_MS DECODE_CPU ZONES".
int visit(const QString& exe, size_t mapIndex, bool afterIdle)
{
    if (!windowmaps::writePref(exe)) return 1; // no map at start, whatever the last visit left
    TForm4 window(exe);
    if (!windowmaps::openWindow(window)) return 1;
    QAction* command = windowmaps::mapCommand(window, mapIndex);
    if (!command) return 1;
    const auto* warmup = window.findChild<LabelFontWarmup*>("labelFontWarmup");
    if (!warmup) return 1;
    if (!afterIdle) std::fprintf(stderr, "warm-up: %d slices before the visit\n", warmup->slices());
    if (afterIdle) {
        // The loop waits for events, as the program's own does, until the fonts are learnt.
        const double residentBefore = residentMiB();
        const double cpuBefore = cpuMs();
        QEventLoop loop;
        QTimer poll;
        poll.callOnTimeout([&] {
            if (warmup->done()) loop.quit();
        });
        poll.start(10);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        if (!warmup->done()) {
            std::fprintf(stderr, "the label fonts were not learnt within a minute\n");
            return 1;
        }
        const auto [masks, maskBytes] = labelMasks(window);
        std::fprintf(stderr, "warm-up: %d slices, %.1f ms cpu, %zu locations, %zu label glyph masks of %.2f MiB, "
                             "resident +%.1f MiB\n",
                     warmup->slices(), cpuMs() - cpuBefore, warmup->learnt(), masks, double(maskBytes) / 1048576.0,
                     residentMiB() - residentBefore);
    }

    // Under callgrind (--instr-atstart=no), only the visit and the decode are counted.
    CALLGRIND_START_INSTRUMENTATION;
    const double startCpu = cpuMs();
    const auto start = Clock::now();
    command->trigger();
    const double commandMs = msSince(start);
    QCoreApplication::processEvents(); // the paint of the new map
    const double visitMs = msSince(start), visitCpu = cpuMs() - startCpu;

    std::vector<std::string> files;
    for (const pMap_info* z : window.scene.DisplayedZones) files.push_back(z->fileName);
    const double decodeStartCpu = cpuMs();
    const auto decodeStart = Clock::now();
    for (const std::string& f : files) {
        QImage image;
        if (!load_zone_image(QString(), f, image)) return 1;
    }
    const double decodeMs = msSince(decodeStart), decodeCpu = cpuMs() - decodeStartCpu;
    CALLGRIND_STOP_INSTRUMENTATION;
    std::printf("visit %.2f %.2f %.2f %.2f %.2f %zu\n", commandMs, visitMs, visitCpu, decodeMs, decodeCpu, files.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == "--visit") return visit(args[2], args[3].toULong(), args.contains("--idle"));

    int runs = 7, fonts = 0;
    bool afterIdle = false;
    QString writeOnly;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--idle")
            afterIdle = true;
        else if (args[i] == "--fonts" && i + 1 < args.size())
            fonts = args[++i].toInt();
        else if (args[i] == "--write" && i + 1 < args.size())
            writeOnly = args[++i];
        else
            runs = std::max(1, args[i].toInt());
    }
    if (!writeOnly.isEmpty()) return windowmaps::makeFolder(writeOnly + "/", fonts) ? 0 : 1;
    QTemporaryDir dir;
    const QString exe = dir.path() + "/";
    if (!windowmaps::makeFolder(exe, fonts)) return 1;

    struct Case {
        const char* name;
        std::vector<double> commandMs, visitMs, visitCpu, decodeMs, decodeCpu, ratio;
        unsigned zones = 0;
    } cases[2] = {{"16 zones", {}, {}, {}, {}, {}, {}, 0}, {"50 zones", {}, {}, {}, {}, {}, {}, 0}};
    for (int run = 0; run < runs; ++run) {
        for (size_t m = 0; m < 2; ++m) {
            QProcess child;
            QStringList visitArgs{"--visit", exe, QString::number(m)};
            if (afterIdle) visitArgs << "--idle";
            child.start(app.applicationFilePath(), visitArgs);
            if (!child.waitForFinished(120000) || child.exitCode() != 0) {
                std::fprintf(stderr, "visit of map %zu failed: %s\n", m, child.readAllStandardError().constData());
                return 1;
            }
            double command = 0, visit = 0, visitCpu = 0, decode = 0, decodeCpu = 0;
            Case& c = cases[m];
            for (const QByteArray& line : child.readAllStandardError().split('\n'))
                if (line.startsWith("warm-up:")) std::printf("  %s\n", line.constData());
            const QByteArray out = child.readAllStandardOutput();
            if (std::sscanf(out.constData(), "visit %lf %lf %lf %lf %lf %u", &command, &visit, &visitCpu, &decode,
                            &decodeCpu, &c.zones) != 6) {
                std::fprintf(stderr, "unexpected output: %s\n", out.constData());
                return 1;
            }
            c.commandMs.push_back(command);
            c.visitMs.push_back(visit);
            c.visitCpu.push_back(visitCpu);
            c.decodeMs.push_back(decode);
            c.decodeCpu.push_back(decodeCpu);
            c.ratio.push_back(visit / decode);
            std::printf("run %d, %s: first visit%s %.1f ms (the command %.1f), bare serial decode %.1f ms, ratio %.2f; "
                        "cpu %.1f / %.1f ms\n",
                        run + 1, c.name, afterIdle ? " after idle" : "", visit, command, decode, visit / decode, visitCpu, decodeCpu);
            std::fflush(stdout);
        }
    }
    for (const Case& c : cases) {
        const auto [lo, hi] = std::minmax_element(c.ratio.begin(), c.ratio.end());
        std::printf("first_visit%s %s: zones=%u fonts=%d first_visit_ms=%.1f (the command %.1f) bare_decode_ms=%.1f "
                    "ratio=%.2f (of the runs' ratios: median %.2f, %.2f-%.2f); cpu: visit %.1f ms, decode %.1f ms = %.2f x\n",
                    afterIdle ? "_after_idle" : "", c.name, c.zones, fonts, median(c.visitMs), median(c.commandMs), median(c.decodeMs),
                    median(c.visitMs) / median(c.decodeMs), median(c.ratio), *lo, *hi, median(c.visitCpu),
                    median(c.decodeCpu), median(c.visitCpu) / median(c.decodeCpu));
    }
    return 0;
}

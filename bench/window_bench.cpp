// Map switch through the main window as the user makes it: the map menu's command on the
// real TForm4 at 1920 x 1080 (progress bar, hooks, the window's paint of the new map), on a
// sample folder of 66 zones of 1024 x 1024 JPEG split into a map of 16 zones and one of 50.
// The baseline, timed in the same run: the bare decode of the same zone image files, one
// after the other. Prints per map size the median and fastest switch, the median decode,
// their ratio, and the map paints one switch made; the same files decoded on four threads
// into the memory of the pass before, as the switch does; the process CPU time of a switch
// (workers included) against that of the bare decode, which a busy machine disturbs less. The first switch to each map makes all of
// its labels; later ones find them prepared. Then the zoom across [MAHD]: the slowest
// frame with tiles decoded on workers against tiles read inside the paint.
//   window_bench [RUNS]
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QSlider>
#include <QTemporaryDir>
#include <QThreadPool>

#include "database_globals.h"
#include "folders.h"
#include "main_window.h"
#include "paint_counter.h"
#include "map_loading.h"
#include "map_renderer.h"
#include "map_widget.h"
#include "preferences.h"
#include "tile_loader.h"
#include "sample_folder.h"
#include "bench_clock.h"
#include "window_maps.h"

namespace {

using benchclock::msSince;
using benchclock::cpuMs;
using benchclock::median;

using Clock = std::chrono::steady_clock;

using windowmaps::mapCommand;

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString exe = dir.path() + "/";
    if (!windowmaps::makeFolder(exe, 0)) return 1;

    TForm4 window(exe);
    if (!windowmaps::openWindow(window)) return 1;

    PaintCounter mapPaints;
    window.ImageMapView->installEventFilter(&mapPaints);
    struct Case {
        const char* name;
        size_t mapIndex;
        std::vector<double> switchMs, commandMs, decodeMs, parallelMs, switchCpuMs, decodeCpuMs;
        std::vector<double> newLabelsMs, newLabelsCommandMs; // switches with every label to make
        int paints = 0;
        size_t zones = 0;
        std::vector<QImage> decoded; // the parallel decode's images, reused as the load reuses
    } cases[] = {{"16 zones", 0, {}, {}, {}, {}, {}, {}, {}, {}, 0, 0, {}}, {"50 zones", 1, {}, {}, {}, {}, {}, {}, {}, {}, 0, 0, {}}};
    for (int run = 0; run < runs; ++run) {
        for (Case& c : cases) {
            QAction* command = mapCommand(window, c.mapIndex);
            if (!command) return 1;
            mapPaints.paints = 0;
            const double startCpu = cpuMs();
            const auto start = Clock::now();
            command->trigger();
            c.commandMs.push_back(msSince(start));
            QCoreApplication::processEvents(); // the paint of the new map
            c.switchMs.push_back(msSince(start));
            c.switchCpuMs.push_back(cpuMs() - startCpu);
            c.paints = mapPaints.paints;
            c.zones = window.scene.DisplayedZones.size();

            std::vector<std::string> files;
            for (const pMap_info* z : window.scene.DisplayedZones) files.push_back(z->fileName);
            const double decodeStartCpu = cpuMs();
            const auto decodeStart = Clock::now();
            for (const std::string& f : files) {
                QImage image;
                load_zone_image(QString(), f, image);
            }
            c.decodeMs.push_back(msSince(decodeStart));
            c.decodeCpuMs.push_back(cpuMs() - decodeStartCpu);

            // The same files on four worker threads, one decoder each, into the memory of the
            // images of the pass before (what the load does).
            c.decoded.resize(files.size());
            const auto parallelStart = Clock::now();
            {
                QThreadPool pool;
                pool.setMaxThreadCount(4);
                const QString mapsDir = MapsDir;
                for (size_t k = 0; k < files.size(); ++k)
                    pool.start([&c, k, &files, mapsDir] {
                        std::vector<std::string> log;
                        QImage spare = std::move(c.decoded[k]);
                        read_zone_image(mapsDir, QString(), files[k], c.decoded[k], log, std::move(spare));
                    });
                pool.waitForDone();
            }
            c.parallelMs.push_back(msSince(parallelStart));
        }
    }
    // A first visit again and again: the labels prepared so far are forgotten while the other
    // map is shown, so the switch makes every label of the map anew, as a first visit does.
    for (int run = 0; run < runs; ++run) {
        for (Case& c : cases) {
            mapCommand(window, 1 - c.mapIndex)->trigger();
            QCoreApplication::processEvents();
            forget_map_labels(window.scene);
            const auto start = Clock::now();
            mapCommand(window, c.mapIndex)->trigger();
            c.newLabelsCommandMs.push_back(msSince(start));
            QCoreApplication::processEvents();
            c.newLabelsMs.push_back(msSince(start));
        }
    }
    // Zoom across [MAHD] on the 16-zone map, in steps of the zoom bar: the slowest frame with
    // the tiles decoded on workers (the window's way), then with them read inside the paint
    // (the baseline), each from a zoom below [MAHD] where no tile is held.
    mapCommand(window, 0)->trigger();
    QCoreApplication::processEvents();
    QSlider* zoomBar = window.findChild<QSlider*>("ZoomBar");
    TileLoader* loader = window.scene.tileLoader;
    auto zoomAcross = [&](bool workers) {
        window.scene.tileLoader = workers ? loader : nullptr;
        zoomBar->setValue(Preferences.MAHD - 60);
        window.ImageMapView->repaint();
        double slowest = 0;
        auto frame = [&] {
            const auto start = Clock::now();
            window.ImageMapView->repaint();
            slowest = std::max(slowest, msSince(start));
        };
        for (int z = Preferences.MAHD - 40; z <= Preferences.MAHD + 100; z += 20) {
            zoomBar->setValue(z);
            frame();
            QCoreApplication::processEvents();
        }
        while (workers && loader->pending() > 0) { // the tiles land, each arrival repaints
            loader->waitForWorkers();
            QCoreApplication::processEvents();
            frame();
        }
        int tiles = 0;
        for (const pMap_info* z : window.scene.DisplayedZones) tiles += z->tile && z->tile->width() > 1;
        window.scene.tileLoader = loader;
        return std::make_pair(slowest, tiles);
    };
    std::vector<double> withWorkers, inPaint;
    int tilesShown = 0;
    for (int run = 0; run < runs; ++run) {
        const auto [a, tilesA] = zoomAcross(true);
        const auto [b, tilesB] = zoomAcross(false);
        withWorkers.push_back(a);
        inPaint.push_back(b);
        tilesShown = std::min(tilesA, tilesB);
    }
    std::printf("zoom_across_mahd: slowest_frame_ms=%.1f (tiles on workers) baseline_in_paint_ms=%.1f tiles=%d\n",
                median(withWorkers), median(inPaint), tilesShown);

    for (const Case& c : cases) {
        const double s = median(c.switchMs), d = median(c.decodeMs);
        const double p = median(c.parallelMs);
        const double sc = median(c.switchCpuMs), dc = median(c.decodeCpuMs);
        std::printf("map_switch %s: zones=%zu first_switch_ms=%.1f (labels all new; the command %.1f) switch_ms=%.1f (min %.1f; the command %.1f, then the paint) "
                    "bare_decode_ms=%.1f ratio=%.2f map_paints=%d; decode on 4 threads %.1f ms = %.2f x serial; "
                    "cpu: switch %.1f ms, bare decode %.1f ms = %.2f x; "
                    "labels made anew: switch %.1f ms (the command %.1f) = %.2f x the bare decode\n",
                    c.name, c.zones, c.switchMs.front(), c.commandMs.front(), s, *std::min_element(c.switchMs.begin(), c.switchMs.end()), median(c.commandMs), d,
                    s / d, c.paints, p, p / d, sc, dc, sc / dc, median(c.newLabelsMs), median(c.newLabelsCommandMs),
                    median(c.newLabelsMs) / d);
    }
    return 0;
}

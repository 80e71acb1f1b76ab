// Cold start of the main window on a program folder: from process start until the
// database is loaded, the tree shown and the event loop idle; then the resident memory.
// Prints "startup_ms=<n> rss_mb=<n> locations=<n> map_paints=<n>" and exits; map_paints
// counts the paints of the map control from start to idle.
//   startup_bench FOLDER [--progress-off] [--map-off]
// --progress-off keeps the progress bar from painting, the baseline of what showing
// progress costs; --map-off keeps the map from painting, the baseline of what drawing the
// first map (its zones, icons and labels) costs.
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include "main_window.h"
#include "paint_counter.h"
#include "map_widget.h"
#include "progress_bar.h"

namespace {

double processAgeMs()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    const double startTicks = std::stod(field);
    std::ifstream up("/proc/uptime");
    double uptime = 0;
    up >> uptime;
    return (uptime - startTicks / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench FOLDER [--progress-off] [--map-off]\n");
        return 2;
    }
    QApplication app(argc, argv);
    TForm4 window(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--progress-off") window.G32_ProgressBar1->setUpdatesEnabled(false);
        if (std::string(argv[i]) == "--map-off") window.ImageMapView->setUpdatesEnabled(false);
    }
    PaintCounter mapPaints;
    window.ImageMapView->installEventFilter(&mapPaints);
    window.show();
    // Wait for the first activation to finish, then for the queue to run empty once.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.FirstActivate) return;
        poll.stop();
        QTimer::singleShot(0, [&] {
            std::printf("startup_ms=%.0f rss_mb=%.1f locations=%zu map_paints=%d\n", processAgeMs(),
                        residentKb() / 1024.0, window.MyTreeStore.locationCount(), mapPaints.paints);
            std::fflush(stdout);
            app.quit();
        });
    });
    poll.start(1);
    return app.exec();
}

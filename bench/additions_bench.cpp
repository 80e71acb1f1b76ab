// The additions file against the size of the database: the merge of the same 5,000 lines
// and the save of the same ~3,300 user locations, on the real tree with its Qt model and
// tree view attached, at 10,000 locations (the baseline) and at 1,000,000, in one run
// (1,000 zones, 50 categories). VMAR_BENCH_LOCATIONS sets the large count.
//
// Each merge runs on a freshly loaded tree; a save is the one the menu item and the
// autosave run (SaveRef_add, through the atomic write), timed on the wall and on the CPU,
// its text apart. Medians; the ratio of the large to the small in the same run.
// VMAR_BENCH_RUNS sets the number of merges at each size, VMAR_BENCH_SMALL the baseline's size.
// VMAR_BENCH_SAVED names a folder where the last saved file of each size is copied, as
// "saved_<locations>.txt", so that two builds can be compared byte for byte.
//
// To profile one step alone, VMAR_BENCH_PERF_CTL and VMAR_BENCH_PERF_ACK name the control and
// acknowledgement fifos of `perf stat|record --delay=-1 --control=fifo:CTL,ACK`, and
// VMAR_BENCH_PERF_STEP says which step perf counts: "merge" (the default) or "save".
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "additions.h"
#include "bench_clock.h"
#include "bench_sample.h"
#include "folders.h"
#include "location_tree.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "master_file.h"
#include "preferences.h"
#include "sample_folder.h"

namespace {

using benchclock::cpuMs;
using benchclock::median;

// Turns perf's counting on and off around one step, through its control fifo; does nothing
// when the bench runs without it.
class PerfControl {
public:
    PerfControl()
    {
        const QByteArray ctl = qgetenv("VMAR_BENCH_PERF_CTL"), ack = qgetenv("VMAR_BENCH_PERF_ACK");
        if (ctl.isEmpty() || ack.isEmpty()) return;
        ctl_ = ::open(ctl.constData(), O_WRONLY);
        ack_ = ::open(ack.constData(), O_RDONLY);
        step_ = qgetenv("VMAR_BENCH_PERF_STEP").toStdString();
        if (step_.empty()) step_ = "merge";
    }
    ~PerfControl()
    {
        if (ctl_ >= 0) ::close(ctl_);
        if (ack_ >= 0) ::close(ack_);
    }
    PerfControl(const PerfControl&) = delete;
    PerfControl& operator=(const PerfControl&) = delete;
    // Counting on (or off) when `step` is the one profiled; waits for perf's answer.
    void set(const char* step, bool on) const
    {
        if (ctl_ < 0 || ack_ < 0 || step_ != step) return;
        const char* command = on ? "enable\n" : "disable\n";
        if (::write(ctl_, command, std::strlen(command)) < 0) return;
        char answer[8];
        if (::read(ack_, answer, sizeof answer) < 0) return;
    }

private:
    int ctl_ = -1, ack_ = -1;
    std::string step_;
};

const PerfControl& perfControl()
{
    static const PerfControl control;
    return control;
}

class NullHost : public AdditionsHost {
public:
    std::string ask_pseudo() override { return "bench"; }
    void show_feedback(int, int, const std::string&, const std::string&) override {}
    void setAutosaveTimer(bool) override {}
    void setSaveControlsEnabled(bool) override {}
    void log(const std::string&) override {}
};

// One sample database, its folders made current.
struct Database {
    QTemporaryDir dir;
    std::unique_ptr<TData_common> common;
    explicit Database(int locations) : common(UseNewSampleFolder(dir.path(), locations))
    {
        AjoutsDir = dir.path() + "/";
    }
};

// The master file loaded into a fresh, sorted tree with the model and view following it.
struct Loaded {
    std::unique_ptr<TRealm_info> realm = std::make_unique<TRealm_info>();
    LocationTree tree;
    std::unique_ptr<LocationTreeModel> model;
    std::unique_ptr<LocationTreeView> view;
    explicit Loaded(TData_common& common)
    {
        LoadSampleTree(tree, *realm, common);
        realm->headerValue = 1;
        model = std::make_unique<LocationTreeModel>(tree);
        view = std::make_unique<LocationTreeView>(tree, *model);
        view->resize(300, 800);
        QCoreApplication::processEvents();
    }
    ~Loaded()
    {
        view.reset(); // the view and the model go before the tree they observe
        model.reset();
    }
};

// 5,000 lines over locations spread evenly through the tree, whatever its size: a third
// duplicates (new locations on occupied points), a third replacements of database
// locations, a third new locations.
std::string additionsLines(const LocationTree& tree)
{
    constexpr size_t kLines = 5000;
    const size_t step = std::max<size_t>(1, tree.locationCount() / kLines);
    std::string text = "#v250-id=123456-bench\r\n#v2.52\r\n";
    size_t seen = 0, i = 0;
    tree.forEachLocation([&](int, const TNodeData& d) {
        if (i >= kLines || seen++ % step != 0 || !d.item || !d.zone || !d.category) return;
        const rItemdata& it = *d.item;
        char id[16] = "";
        int x = it.x, y = it.y;
        std::string desc = it.description;
        switch (i % 3) {
        case 0: break;                                                                        // duplicate
        case 1: std::snprintf(id, sizeof id, "%06X", it.id); desc += " (revu)"; break;      // replacement
        default: x = (x + 7919) % 65536; y = (y + 104729) % 65536; break;                     // new
        }
        text += it.name + "||" + std::to_string(d.zone->zoneId) + '|' + std::to_string(d.category->id) + '|'
                + std::to_string(x) + '|' + std::to_string(y) + '|' + std::to_string(it.levelMin) + '|'
                + std::to_string(it.levelMax) + "||" + std::to_string(it.typeId) + '|'
                + std::to_string(it.languageTag) + "||" + "|" + id + "||" + desc + "\r\n";
        ++i;
    });
    return text;
}

struct Figures {
    size_t locations = 0, merged = 0, userLocations = 0;
    double mergeMs = 0, mergeLinesMs = 0, mergeCpuMs = 0, saveMs = 0, saveCpuMs = 0, textMs = 0;
};

struct MergeTimes {
    double wallMs = 0, linesMs = 0, cpuMs = 0;
};

// The timed merge, apart so that a profiler can collect this step alone
// (valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*timedMerge*').
[[gnu::noinline]] MergeTimes timedMerge(Loaded& loaded, AdditionsFile& additions, const std::string& lines)
{
    perfControl().set("merge", true);
    QElapsedTimer t;
    const double c0 = cpuMs();
    t.start();
    loaded.tree.BeginUpdate();
    additions.LoadRef_AddBytes(lines);
    const qint64 lineNs = t.nsecsElapsed();
    loaded.tree.EndUpdate();
    QCoreApplication::processEvents(); // the view catches up with the model
    const MergeTimes times{double(t.nsecsElapsed()) / 1e6, double(lineNs) / 1e6, cpuMs() - c0};
    perfControl().set("merge", false);
    return times;
}

Figures measure(int locations, int mergeRuns, int saveRuns)
{
    Database db(locations);
    NullHost host;
    Figures f;
    std::vector<double> merge, mergeLines, mergeCpu, save, saveCpu, text;
    for (int run = 0; run < mergeRuns; ++run) {
        Loaded loaded(*db.common);
        const std::string lines = additionsLines(loaded.tree);
        AdditionsFile additions(loaded.tree, *loaded.realm, host, "bench.txt");
        const MergeTimes m = timedMerge(loaded, additions, lines);
        merge.push_back(m.wallMs);
        mergeLines.push_back(m.linesMs);
        mergeCpu.push_back(m.cpuMs);
        f.locations = loaded.tree.locationCount();
        f.merged = size_t(loaded.realm->mergeCount);
        if (run + 1 < mergeRuns) continue;

        // The saves, on the tree of the last merge.
        QElapsedTimer t;
        const QString path = additions.additionsPath();
        const QString keep = qEnvironmentVariable("VMAR_BENCH_SAVED");
        if (!keep.isEmpty()) {
            const QString copy = keep + "/saved_" + QString::number(locations) + ".txt";
            QFile::remove(copy);
            if (!additions.SaveRef_add(path) || !QFile::copy(path, copy))
                std::fprintf(stderr, "the saved file was not kept in %s\n", qPrintable(copy));
        }
        for (int s = 0; s < saveRuns; ++s) {
            perfControl().set("save", true);
            const double s0 = cpuMs();
            t.restart();
            if (!additions.SaveRef_add(path)) std::fprintf(stderr, "the additions file was not written\n");
            save.push_back(double(t.nsecsElapsed()) / 1e6);
            saveCpu.push_back(cpuMs() - s0);
            perfControl().set("save", false);
            t.restart();
            const std::string out = additions.additionsText("123456", Preferences.PSEU);
            text.push_back(double(t.nsecsElapsed()) / 1e6);
            f.userLocations = size_t(std::count(out.begin(), out.end(), '\n')) - 2 - additions.KeptLines.size();
        }
    }
    f.mergeMs = median(merge);
    f.mergeCpuMs = median(mergeCpu);
    f.mergeLinesMs = median(mergeLines);
    f.saveMs = median(save);
    f.saveCpuMs = median(saveCpu);
    f.textMs = median(text);
    return f;
}

void print(const char* what, const Figures& f)
{
    std::printf("%-9s locations=%zu  merge of 5,000 lines (%zu merged): %.2f ms wall, %.2f ms CPU (lines into the "
                "tree %.2f ms, model and view following %.2f ms)  |  save of %zu user locations: %.2f ms wall, "
                "%.2f ms CPU, text %.2f ms\n",
                what, f.locations, f.merged, f.mergeMs, f.mergeCpuMs, f.mergeLinesMs, f.mergeMs - f.mergeLinesMs,
                f.userLocations, f.saveMs, f.saveCpuMs, f.textMs);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Preferences.PSEU = "bench";
    int large = qEnvironmentVariableIntValue("VMAR_BENCH_LOCATIONS");
    if (large <= 0) large = 1000000;
    // VMAR_BENCH_RUNS: merges at each size (default 9 and 5), one to profile.
    const int runs = qEnvironmentVariableIntValue("VMAR_BENCH_RUNS");
    // VMAR_BENCH_SMALL: the baseline's size (default 10,000); -1 to leave it out, as when
    // profiling the large size alone.
    int smallCount = qEnvironmentVariableIntValue("VMAR_BENCH_SMALL");
    if (smallCount == 0) smallCount = 10000;
    const Figures small = smallCount > 0 ? measure(smallCount, runs > 0 ? runs : 9, 41) : Figures{};
    const Figures big = measure(large, runs > 0 ? runs : 5, 41);
    print("baseline", small);
    print("large", big);
    std::printf("ratio large / baseline: merge %.2fx wall, %.2fx CPU (lines into the tree %.2fx); save %.2fx wall, "
                "%.2fx CPU, text %.2fx\n",
                big.mergeMs / small.mergeMs, big.mergeCpuMs / small.mergeCpuMs, big.mergeLinesMs / small.mergeLinesMs,
                big.saveMs / small.saveMs, big.saveCpuMs / small.saveCpuMs, big.textMs / small.textMs);
    return 0;
}

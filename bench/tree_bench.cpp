// The location tree over the 100,000-location sample database (1,000 zones, 50 categories):
//   master file to sorted tree against a plain inflate of the same file,
//   memory per location, the merge of 5,000 additions lines into the real tree,
//   and a level-filter change over the whole tree with the Qt model following it.
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <zlib.h>

#include "additions.h"
#include "compressed.h"
#include "file_io.h"
#include "folders.h"
#include "location_tree.h"
#include "location_tree_model.h"
#include "master_file.h"
#include "sample_folder.h"
#include "tree_visibility.h"

namespace {

class NullHost : public AdditionsHost {
public:
    std::string ask_pseudo() override { return "bench"; }
    void show_feedback(int, int, const std::string&, const std::string&) override {}
    void setAutosaveTimer(bool) override {}
    void setSaveControlsEnabled(bool) override {}
    void log(const std::string&) override {}
};

struct Sample {
    QTemporaryDir dir;
    std::unique_ptr<TData_common> common;
    QString masterPath;
    Sample()
    {
        sample::SampleOptions o;
        o.locations = 100000;
        o.zones = 1000;
        o.categories = 50;
        sample::makeSampleFolder(dir.path(), o);
        SetProgramFolder(dir.path());
        InterfaceLang = "Francais";
        DatabaseLang = QDir(DatabaseDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
        DatabaseLangDir = DatabaseDir + DatabaseLang + '/';
        common = TData_common::Create();
        common->savePrefsOnDestroy = false;
        masterPath = DatabaseLangDir + "master_vmar.loc";
    }
};
Sample& sampleData()
{
    static Sample s;
    return s;
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// Loads the map index and the master file into a fresh tree, sorted.
struct Loaded {
    std::unique_ptr<TRealm_info> realm;
    LocationTree tree;
    Loaded()
    {
        TData_common& common = *sampleData().common; // sets the folders first
        realm = std::make_unique<TRealm_info>();
        tree.init_tree(*realm->mapIndex, common);
        tree.BeginUpdate();
        MasterFileLoader master(tree, *realm);
        master.loadmaster2();
        tree.sortAll();
        tree.EndUpdate();
    }
};

void BM_MasterFileToSortedTree(benchmark::State& state)
{
    Sample& s = sampleData();
    auto realm = std::make_unique<TRealm_info>();
    size_t count = 0;
    double inflateMs = 0, parseMs = 0, sortMs = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto owned = std::make_unique<LocationTree>();
        LocationTree& tree = *owned;
        state.ResumeTiming();
        tree.init_tree(*realm->mapIndex, *s.common);
        tree.BeginUpdate();
        MasterFileLoader master(tree, *realm);
        QElapsedTimer t;
        t.start();
        MemoryStream stream;
        LoadCompressedFile(stream, s.masterPath);
        inflateMs += t.nsecsElapsed() / 1e6;
        t.restart();
        master.process_file(stream);
        parseMs += t.nsecsElapsed() / 1e6;
        t.restart();
        tree.sortAll();
        sortMs += t.nsecsElapsed() / 1e6;
        tree.EndUpdate();
        count = tree.locationCount();
        ++runs;
        state.PauseTiming();
        owned.reset(); // freeing the tree is not part of loading it
        state.ResumeTiming();
    }
    state.counters["locations"] = double(count);
    state.counters["inflate_ms"] = inflateMs / runs;
    state.counters["parse_add_ms"] = parseMs / runs;
    state.counters["sort_ms"] = sortMs / runs;
}
BENCHMARK(BM_MasterFileToSortedTree)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlainInflateOfMasterFile(benchmark::State& state)
{
    Sample& s = sampleData();
    for (auto _ : state) {
        std::vector<uint8_t> packed;
        ReadWholeFile(s.masterPath, packed);
        static const size_t inflated = [&] {
            MemoryStream m;
            LoadCompressedFile(m, s.masterPath);
            return m.size();
        }();
        std::vector<uint8_t> out(inflated);
        uLongf len = uLongf(out.size());
        uncompress(out.data(), &len, packed.data(), uLong(packed.size()));
        benchmark::DoNotOptimize(len);
    }
}
BENCHMARK(BM_PlainInflateOfMasterFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_MemoryPerLocation(benchmark::State& state)
{
    sampleData();
    double perLocation = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = heapInUse();
        auto loaded = std::make_unique<Loaded>();
        const size_t after = heapInUse();
        perLocation = double(after - before) / double(loaded->tree.locationCount());
    }
    state.counters["bytes_per_location"] = perLocation;
}
BENCHMARK(BM_MemoryPerLocation)->Unit(benchmark::kMillisecond)->Iterations(3);

// 5,000 additions lines: a third duplicates (new locations on occupied points), a third
// replacements of database locations, a third new locations.
std::string additionsText(const LocationTree& tree)
{
    std::string text = "#v250-id=123456-bench\r\n#v2.52\r\n";
    int i = 0;
    tree.forEachLocation([&](int node, const TNodeData& d) {
        if (i >= 5000 || node % 17 != 0 || !d.item || !d.zone || !d.category) return;
        const rItemdata& it = *d.item;
        char id[16] = "";
        int x = it.x, y = it.y;
        std::string desc = it.description;
        switch (i % 3) {
        case 0: break;                                                  // duplicate
        case 1: std::snprintf(id, sizeof id, "%06X", it.id); desc += " (revu)"; break; // replacement
        default: x = (x + 7919) % 65536; y = (y + 104729) % 65536; break;               // new
        }
        text += it.name + "||" + std::to_string(d.zone->zoneId) + '|' + std::to_string(d.category->id) + '|' +
                std::to_string(x) + '|' + std::to_string(y) + '|' + std::to_string(it.levelMin) + '|' +
                std::to_string(it.levelMax) + "||" + std::to_string(it.typeId) + '|' +
                std::to_string(it.languageTag) + "||" + "|" + id + "||" + desc + "\r\n";
        ++i;
    });
    return text;
}

void BM_MergeFiveThousandAdditions(benchmark::State& state)
{
    NullHost host;
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = std::make_unique<Loaded>();
        loaded->realm->headerValue = 1;
        const std::string text = additionsText(loaded->tree);
        AdditionsFile additions(loaded->tree, *loaded->realm, host, "bench.txt");
        state.ResumeTiming();
        loaded->tree.BeginUpdate();
        additions.LoadRef_AddBytes(text);
        loaded->tree.EndUpdate();
        state.PauseTiming();
        state.counters["merged"] = double(loaded->realm->mergeCount);
        state.counters["dropped"] = double(additions.DroppedAdditions);
        loaded.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MergeFiveThousandAdditions)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LevelFilterChangeWithModel(benchmark::State& state)
{
    Loaded loaded;
    LocationTreeModel model(loaded.tree);
    LevelFilter filter{true, 20, 30};
    bool recolour = false;
    for (auto _ : state) {
        filter.enabled = !filter.enabled;
        update_node_visibility(loaded.tree, filter, recolour);
    }
}
BENCHMARK(BM_LevelFilterChangeWithModel)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

VMAR_QT_BENCHMARK_MAIN()

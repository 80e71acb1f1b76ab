// The location tree over the 100,000-location sample database (1,000 zones, 50 categories;
// VMAR_BENCH_LOCATIONS sets another count, e.g. 1000000):
//   master file to sorted tree against a plain inflate of the same file,
//   memory per location (heap with its mmap'd blocks, and the resident set's growth),
//   and a level-filter change over the whole tree with the model and view following it.
// The merge and the save of the additions file are measured by additions_bench.
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <zlib.h>

#include "bench_sample.h"
#include "block_pool.h"
#include "compressed.h"
#include "file_io.h"
#include "folders.h"
#include "location_tree.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "master_file.h"
#include "sample_folder.h"
#include "tree_visibility.h"

namespace {

struct Sample {
    QTemporaryDir dir;
    std::unique_ptr<TData_common> common;
    QString masterPath;
    Sample()
    {
        const int locations = qEnvironmentVariableIntValue("VMAR_BENCH_LOCATIONS");
        common = UseNewSampleFolder(dir.path(), locations > 0 ? locations : 100000);
        masterPath = DatabaseLangDir + "master_vmar.loc";
    }
};
Sample& sampleData()
{
    static Sample s;
    return s;
}

// Bytes the program holds from malloc, the blocks malloc mmap'd for large requests included.
// The record pool keeps its slabs between loads: its blocks in use count instead of the
// slabs, so a load that reuses the slabs of an earlier one is not counted as free.
size_t heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd + RecordPool().bytesInUse() - RecordPool().slabBytes();
}

size_t residentBytes()
{
    QFile status("/proc/self/statm");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? size_t(fields[1].toLongLong()) * size_t(sysconf(_SC_PAGESIZE)) : 0;
}

// Loads the map index and the master file into a fresh tree, sorted.
struct Loaded {
    std::unique_ptr<TRealm_info> realm;
    LocationTree tree;
    Loaded()
    {
        TData_common& common = *sampleData().common; // sets the folders first
        realm = std::make_unique<TRealm_info>();
        LoadSampleTree(tree, *realm, common);
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
    double perLocation = 0, residentPerLocation = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = heapInUse(), residentBefore = residentBytes();
        auto loaded = std::make_unique<Loaded>();
        const size_t after = heapInUse(), residentAfter = residentBytes();
        perLocation = double(after - before) / double(loaded->tree.locationCount());
        residentPerLocation = double(residentAfter - residentBefore) / double(loaded->tree.locationCount());
    }
    state.counters["bytes_per_location"] = perLocation;
    state.counters["rss_bytes_per_location"] = residentPerLocation;
}
BENCHMARK(BM_MemoryPerLocation)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LevelFilterChangeWithModel(benchmark::State& state)
{
    Loaded loaded;
    LocationTreeModel model(loaded.tree);
    LocationTreeView view(loaded.tree, model);
    // The colours the program gives every location once a database is loaded.
    bool recolour = true;
    loaded.tree.BeginUpdate();
    update_concolors(loaded.tree, recolour);
    loaded.tree.EndUpdate();
    // Off as after the load: the first change turns it on.
    LevelFilter filter{false, 20, 30};
    // The same work split in three: the walk over the tree, the model's rebuild at the end
    // of the bracket, and the view catching up. The first change after the load apart.
    double walkMs = 0, modelMs = 0, viewMs = 0, firstMs = 0;
    int runs = 0;
    for (auto _ : state) {
        filter.enabled = !filter.enabled;
        QElapsedTimer t;
        t.start();
        loaded.tree.BeginUpdate();
        update_node_visibility(loaded.tree, filter, recolour);
        walkMs += t.nsecsElapsed() / 1e6;
        const qint64 walkNs = t.nsecsElapsed();
        t.restart();
        loaded.tree.EndUpdate();
        modelMs += t.nsecsElapsed() / 1e6;
        const qint64 modelNs = t.nsecsElapsed();
        t.restart();
        QCoreApplication::processEvents();
        viewMs += t.nsecsElapsed() / 1e6;
        if (runs == 0) firstMs = (walkNs + modelNs + t.nsecsElapsed()) / 1e6;
        ++runs;
    }
    state.counters["walk_ms"] = walkMs / runs;
    state.counters["model_ms"] = modelMs / runs;
    state.counters["view_ms"] = viewMs / runs;
    state.counters["first_ms"] = firstMs;
}
BENCHMARK(BM_LevelFilterChangeWithModel)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

VMAR_QT_BENCHMARK_MAIN()

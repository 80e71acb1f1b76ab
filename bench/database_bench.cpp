// Additions file benchmarks over a loaded database of 100,000 locations:
//   the merge of 5,000 lines (a third of them duplicates or replacements),
//   the save of the resulting 5,000 user locations through the atomic write.
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <memory>
#include <random>
#include <string>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "additions.h"
#include "fake_node_store.h"
#include "folders.h"

namespace {

constexpr int kZones = 100;
constexpr int kCategories = 10;
constexpr int kMasterLocations = 100000;
constexpr int kLines = 5000;

class NullHost : public AdditionsHost {
public:
    std::string ask_pseudo() override { return "bench"; }
    void show_feedback(int, int, const std::string&, const std::string&) override {}
    void setAutosaveTimer(bool) override {}
    void setSaveControlsEnabled(bool) override {}
    void log(const std::string&) override {}
};

struct MasterLocation {
    uint16_t zone, x, y;
    uint8_t categ;
    uint32_t id;
};

// The database's locations and an additions file over them, the same at every run.
struct Data {
    std::vector<MasterLocation> masters;
    std::string additions;
    Data()
    {
        std::mt19937 rng(42);
        for (int i = 0; i < kMasterLocations; ++i)
            masters.push_back({uint16_t(rng() % kZones + 1), uint16_t(rng()), uint16_t(rng()),
                               uint8_t(rng() % kCategories + 1), uint32_t(i + 1)});
        additions = "#v250-id=123456-bench\r\n#v2.52\r\n";
        for (int i = 0; i < kLines; ++i) {
            const MasterLocation& m = masters[rng() % masters.size()];
            std::string zone = std::to_string(m.zone), categ = std::to_string(m.categ);
            std::string x = std::to_string(m.x), y = std::to_string(m.y), id;
            char hex[16];
            switch (i % 6) {
            case 0: // a duplicate: a new location on an occupied point
                break;
            case 1: // a change of a database location
                std::snprintf(hex, sizeof hex, "%06X", m.id);
                id = hex;
                break;
            default: // a new location on a free point
                zone = std::to_string(rng() % kZones + 1);
                categ = std::to_string(rng() % kCategories + 1);
                x = std::to_string(rng() % 65536);
                y = std::to_string(rng() % 65536);
            }
            additions += "Location " + std::to_string(i) + "||" + zone + "|" + categ + "|" + x + "|" + y
                         + "|10|20||3|1||0000000100000000000000FF|" + id + "|V_1234|First line|second line\r\n";
        }
    }
};

const Data& data()
{
    static Data d;
    return d;
}

struct World {
    FakeNodeStore store;
    TRealm_info realm{std::make_unique<TData_map>()};
    NullHost host;
    AdditionsFile file{store, realm, host, "Vmar_ajouts_bench.txt"};
    World()
    {
        for (int z = 1; z <= kZones; ++z) store.addZone(int16_t(z));
        for (int c = 1; c <= kCategories; ++c) store.addCategory(uint8_t(c), c == 1 ? kindCreature : kindLevelRange);
        realm.headerValue = 1;
        for (const MasterLocation& m : data().masters) {
            rnew_node r;
            r.name = "Master location";
            r.zoneId = m.zone;
            r.categoryId = m.categ;
            r.x = m.x;
            r.y = m.y;
            r.id = m.id;
            r.fromMaster = 1;
            r.hasItem = 1;
            store.addnode(r);
        }
    }
};

void BM_MergeAdditions(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<World>();
        state.ResumeTiming();
        w->file.LoadRef_AddBytes(data().additions);
        benchmark::DoNotOptimize(w->realm.mergeCount);
        state.PauseTiming();
        state.counters["merged"] = w->realm.mergeCount;
        state.counters["dropped"] = w->file.DroppedAdditions;
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MergeAdditions)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SaveAdditions(benchmark::State& state)
{
    static QTemporaryDir dir;
    AjoutsDir = dir.path() + "/";
    World w;
    w.file.LoadRef_AddBytes(data().additions);
    size_t userLocations = 0;
    w.store.forEachLocation([&](int, const TNodeData& d) { userLocations += d.item->fromMaster == 0; });
    const QString path = w.file.additionsPath();
    for (auto _ : state) {
        if (!w.file.SaveRef_add(path)) state.SkipWithError("the additions file was not written");
    }
    state.counters["locations"] = double(userLocations);
}
BENCHMARK(BM_SaveAdditions)->Unit(benchmark::kMillisecond);

} // namespace

VMAR_QT_BENCHMARK_MAIN()

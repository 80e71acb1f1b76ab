// Hover hit tests: getmapnode over 10,000 icons in view (a miss scans the whole buffer,
// a hit on the last icon nearly so), and path_at over 1,000 shown paths. Budget: under
// 0.1 ms per hover.
#include <benchmark/benchmark.h>

#include <random>

#include "map_interaction.h"
#include "map_paths.h"
#include "preferences.h"
#include "tree_fixture.h"

namespace {

constexpr int kIcons = 10000;
constexpr int kPaths = 1000;

struct HoverScene {
    TreeFixture fx;
    MapScene scene;
    MapInteraction mi{scene, {}};
    int last = kNoTreeNode;

    HoverScene()
    {
        scene.tree = &fx.tree;
        scene.common = &fx.common;
        scene.view.setViewSize(1600, 1000);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> px(10, 1590), py(10, 990);
        for (int i = 0; i < kIcons; ++i) {
            std::string name = "L"; // appended rather than "L" + ...: GCC 12 warns wrongly on that
            name += std::to_string(i);
            const int node = fx.add(name, 10, 2, i, i);
            // Icons keep clear of the probe points at (5, 5) and (1595, 995).
            mi.putmapnode(int16_t(px(rng)), int16_t(py(rng)), node);
            last = node;
        }
        // The last record sits alone in a corner, so only it answers there.
        mi.putmapnode(1595, 995, last);
    }
};

HoverScene& hoverScene()
{
    static HoverScene s;
    return s;
}

void BM_getmapnode_miss(benchmark::State& state)
{
    HoverScene& s = hoverScene();
    for (auto _ : state) benchmark::DoNotOptimize(s.mi.getmapnode(2, 2));
}
BENCHMARK(BM_getmapnode_miss);

void BM_getmapnode_hitLast(benchmark::State& state)
{
    HoverScene& s = hoverScene();
    if (s.mi.getmapnode(1597, 997) != s.last) state.SkipWithError("wrong hit");
    for (auto _ : state) benchmark::DoNotOptimize(s.mi.getmapnode(1597, 997));
}
BENCHMARK(BM_getmapnode_hitLast);

void BM_path_at(benchmark::State& state)
{
    MapScene scene;
    scene.view.setViewSize(1600, 1000);
    scene.view.restoreZoom(1000);
    Preferences.WPSU = true;
    scene.overlays.paths = true;
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> w(0, 65535);
    for (int i = 0; i < kPaths; ++i) {
        rwpitem p;
        p.node = i;
        p.shown = 1;
        for (int k = 0; k < 6; ++k) p.points.push_back({w(rng), -w(rng)});
        scene.Paths.push_back(std::move(p));
    }
    int probe = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(path_at(scene, 200 + probe, 300 + probe));
        probe = (probe + 37) % 500;
    }
}
BENCHMARK(BM_path_at);

} // namespace

BENCHMARK_MAIN();

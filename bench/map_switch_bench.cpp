// Switching the map shown to one of 50 zones: the zone images (1024 x 1024 JPEG, the size
// of a painted zone) decoded, the vectors read, paths and links built; next to it, its
// baseline from the same run: the bare decode of the same 50 files one after the other.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "qt_bench_main.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "folders.h"
#include "location_tree.h"
#include "map_loading.h"
#include "map_scene.h"

namespace {

struct FiftyZones {
    QTemporaryDir dir;
    TRealm_info realm{std::make_unique<TData_map>()};
    TData_map& map = *realm.mapIndex;
    TData_common common;
    LocationTree tree;
    FiftyZones()
    {
        SetProgramFolder(dir.path());
        QDir().mkpath(MapsDir + "high");
        auto region = std::make_unique<rRegion>();
        region->mapId = 1;
        region->name = "Carte";
        map.maps.push_back(std::move(region));
        for (int i = 0; i < 50; ++i) {
            auto z = std::make_unique<pMap_info>();
            char name[16];
            std::snprintf(name, sizeof name, "zone%d", i);
            z->name = name;
            z->fileName = name + 3; // "z" and the number
            z->zoneId = int16_t(100 + i);
            z->regionId = 1;
            z->originX = (i % 10) * 65535;
            z->originY = -(i / 10) * 65535;
            QImage img(1024, 1024, QImage::Format_RGB32);
            QPainter p(&img);
            p.fillRect(img.rect(), QColor(40 + i, 120, 60));
            for (int k = 0; k < 40; ++k) p.drawEllipse(QPoint((k * 97 + i * 13) % 1024, (k * 53) % 1024), 60, 40);
            p.end();
            img.save(MapsDir + QString::fromStdString(z->fileName) + ".jpg", "JPG", 85);
            map.zones.push_back(std::move(z));
        }
        auto c = std::make_unique<rCateg>();
        c->id = 1;
        c->name = "Lieux";
        common.categories.push_back(std::move(c));
        tree.init_tree(map, common);
    }
};

FiftyZones& fiftyZones()
{
    static FiftyZones data;
    return data;
}

void BM_SwitchToFiftyZoneMap(benchmark::State& state)
{
    FiftyZones& data = fiftyZones();
    MapScene scene;
    scene.tree = &data.tree;
    scene.common = &data.common;
    scene.realm = &data.realm;
    scene.view.setViewSize(1600, 1000);
    const int zoneNode = data.map.zones[0]->treeNode;
    for (auto _ : state) {
        clear_mapview(scene);
        localize_data(scene, zoneNode, false);
        benchmark::DoNotOptimize(scene.DisplayedZones.data());
        if (scene.DisplayedZones.size() != 50) state.SkipWithError("map not loaded");
    }
}
BENCHMARK(BM_SwitchToFiftyZoneMap)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Baseline_SerialDecodeFiftyZones(benchmark::State& state)
{
    FiftyZones& data = fiftyZones();
    std::vector<std::string> names;
    for (const auto& z : data.map.zones) names.push_back(z->fileName);
    for (auto _ : state) {
        for (const std::string& name : names) {
            QImage image;
            if (!load_zone_image(QString(), name, image)) state.SkipWithError("zone image not read");
            benchmark::DoNotOptimize(image.constBits());
        }
    }
}
BENCHMARK(BM_Baseline_SerialDecodeFiftyZones)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

VMAR_QT_BENCHMARK_MAIN()

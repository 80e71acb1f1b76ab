// The map layer: one full frame of 1920 x 1080 at zooms 100, 550, 1000 and 3500, each in
// three forms: the zone images alone (with their vectors above [LODV]), with 10,000
// locations in view (icons and colour squares), and with their labels too. The scene is
// built in memory from the sample maker's zones (painted images of 1024 x 1024, tiles of
// 2048 x 2048, rivers and roads, as the program loads them) laid out as a grid that covers
// the view, and its category icon strip. Reported: the median frame in milliseconds (and
// the slowest, the frames over 16 ms, and the processor time of the median and slowest
// frame, which leaves out the waits for a core on a busy machine), and for the location
// frames their ratio to the median frame of the same zones alone (measured in the same
// run, just before them). The view holds still, so a frame starts from the zone layer kept
// from the frame before; the same frames with the view moving one pixel each (the zone
// layer drawn every frame, as while the map is dragged) follow as moving_*.
// BM_ZoomFrames times the frames of a zoom in motion; BM_WindowFrames every zoom step through
// the map control.
// BM_NewLabels times the first frame after the labels were forgotten (a map switch, a pan
// onto new ground) against the same frame with its labels ready, against the same first
// frame with the glyph runs drawn by the painter and with every label through a full text
// layout, and against one plain QPainter::drawText pass of the same label texts, all in the
// same run, with the labels in one font and in 30; BM_PanLabels times the frame after a pan onto new ground, all its labels new;
// BM_ManyLabels holds a steady frame with 70,000 labels in view and counts the labels a
// frame makes anew.
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QPainter>
#include <QWindow>

#include "data_model.h"
#include "demo_content.h"
#include "demo_images.h"
#include "demo_random.h"
#include "image_helpers.h"
#include "cp1252.h"
#include "location_tree.h"
#include "map_render_cache.h"
#include "map_renderer.h"
#include "map_widget.h"
#include "preferences.h"
#include "sample_writers.h"
#include "vector_file.h"
#include "bench_clock.h"

namespace {

using benchclock::median;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kLocations = 10000;
constexpr int kCategories = 16;
constexpr int kZonePictures = 8; // distinct zone pictures, repeated over the grid
constexpr int kLowSide = 1024;   // zone image side; tiles are twice as large

enum Mode { zonesOnly = 0, icons = 1, labels = 2 };

// Thirty category fonts: faces the system substitutes differently, sizes 7 to 12 points,
// every style.
struct FontRow {
    const char* face;
    int points;
    bool bold, italic;
};
const FontRow kManyFonts[] = {
    {"Arial", 8, false, false},          {"Arial", 7, false, false},          {"Arial", 9, true, false},
    {"Arial", 10, false, true},          {"Arial", 11, true, true},           {"Arial", 12, false, false},
    {"Times New Roman", 8, false, false}, {"Times New Roman", 9, true, false}, {"Times New Roman", 10, false, true},
    {"Times New Roman", 11, true, true},  {"Times New Roman", 12, false, false}, {"Times New Roman", 7, false, false},
    {"Courier New", 8, false, false},    {"Courier New", 9, true, false},     {"Courier New", 10, false, true},
    {"Courier New", 11, true, true},     {"Verdana", 7, false, false},        {"Verdana", 8, true, false},
    {"Verdana", 9, false, true},         {"Verdana", 10, true, true},         {"Verdana", 12, false, false},
    {"DejaVu Serif", 8, false, false},   {"DejaVu Serif", 9, true, false},    {"DejaVu Serif", 10, false, true},
    {"DejaVu Sans Mono", 8, false, false}, {"DejaVu Sans Mono", 9, true, true}, {"Liberation Sans Narrow", 9, false, false},
    {"Liberation Sans Narrow", 10, true, false}, {"Nimbus Roman", 11, false, true}, {"URW Gothic", 10, false, false},
};

// The sample's zone pictures and vectors, made once for every scene.
struct ZonePictures {
    std::vector<QImage> images, tiles;
    std::vector<MemoryStream> vectors;
    std::vector<QImage> icons; // baseico.bmp cut into 11 x 11 icons, white transparent
    ZonePictures()
    {
        sample::SampleOptions o;
        o.zones = kZonePictures;
        o.locations = 10;
        const sample::DemoDatabase db = sample::buildDemoDatabase(sample::clampedOptions(o));
        for (int i = 0; i < kZonePictures; ++i) {
            const sample::ZoneScene& s = db.scenes[size_t(i) % db.scenes.size()];
            const std::string name = db.mapIndex.zones[size_t(i) % db.mapIndex.zones.size()].name;
            images.push_back(sample::paintZone(s, name, kLowSide, false).convertToFormat(QImage::Format_RGB32));
            tiles.push_back(sample::paintZone(s, name, 2 * kLowSide, true).convertToFormat(QImage::Format_RGB32));
            std::vector<sample::VecPolyline> lines = s.rivers;
            lines.insert(lines.end(), s.roads.begin(), s.roads.end());
            const std::vector<uint8_t> raw = sample::writeVectorFile(lines);
            vectors.emplace_back();
            ConvertVectorBytes(raw.data(), raw.size(), vectors.back());
        }
        QImage strip = sample::paintCategoryStrip().convertToFormat(QImage::Format_ARGB32);
        MakeColorTransparent(strip, 0xFFFFFF);
        for (int x = 0; x + 11 <= strip.width(); x += 11) icons.push_back(strip.copy(x, 0, 11, 11));
    }
};

const ZonePictures& pictures()
{
    static const ZonePictures p;
    return p;
}

// A one-map database whose zones cover the view at the zoom, with 10,000 locations spread
// evenly over the view.
struct BenchScene {
    std::unique_ptr<TRealm_info> realm;
    TData_common common;
    LocationTree tree;
    MapScene scene;
    QImage buffer{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};

    // screens: how many view widths the zones and locations cover, side by side.
    // manyFonts: 30 categories, each in its own font (face, size, bold, italic), as the
    // category table allows; else 16 categories in one font.
    explicit BenchScene(int zoom, int locations = kLocations, int screens = 1, bool manyFonts = false)
    {
        InitPreferences();
        const ZonePictures& pics = pictures();
        realm = std::make_unique<TRealm_info>(std::make_unique<TData_map>());
        auto map = std::make_unique<rRegion>();
        map->mapId = 1;
        map->name = "Bench";
        realm->mapIndex->maps.push_back(std::move(map));

        MapViewport& view = scene.view;
        view.setViewSize(kWidth, kHeight);
        view.restoreZoom(zoom);
        view.OffsetX = -zoom / 3; // the view starts inside the first zone
        view.OffsetY = -zoom / 3;
        const int cols = (screens * kWidth + zoom / 3) / zoom + 1, rows = (kHeight + zoom / 3) / zoom + 1;
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < cols; ++i) {
                auto z = std::make_unique<pMap_info>();
                const int k = j * cols + i;
                z->name = "Zone " + std::to_string(k);
                z->fileName = "bench_" + std::to_string(k);
                z->zoneId = int16_t(k + 1);
                z->regionId = 1;
                z->originX = i * 65535;
                z->originY = -j * 65535;
                realm->mapIndex->zones.push_back(std::move(z));
            }
        sample::DemoRandom rng(7);
        const int categories = manyFonts ? int(std::size(kManyFonts)) : kCategories;
        for (int c = 1; c <= categories; ++c) {
            auto cat = std::make_unique<rCateg>();
            cat->id = uint8_t(c);
            cat->name = "Category " + std::to_string(c);
            cat->kind = c % 4 == 0 ? kindCreature : kindNoLevel;
            cat->colour = TColor(rng.between(0x202020, 0xFFFFFF));
            cat->detailClass = 1;
            cat->visible = 1;
            cat->font = QFont("Arial");
            cat->font.setPointSize(8);
            if (manyFonts) {
                const FontRow& f = kManyFonts[c - 1];
                cat->font = QFont(f.face);
                cat->font.setPointSize(f.points);
                cat->font.setBold(f.bold);
                cat->font.setItalic(f.italic);
            }
            cat->icon = pics.icons[size_t(c) % pics.icons.size()];
            common.categories.push_back(std::move(cat));
        }
        tree.init_tree(*realm->mapIndex, common);

        std::vector<pMap_info*> zones;
        for (auto& z : realm->mapIndex->zones) zones.push_back(z.get());
        tree.reserveLocations(size_t(locations));
        for (int n = 0; n < locations; ++n) {
            const QPoint screen(rng.between(6, screens * kWidth - 7), rng.between(6, kHeight - 7));
            QPoint world = view.screen_to_world(screen);
            const pMap_info* zone = MapViewport::zone_at(world, zones);
            if (!zone) zone = MapViewport::zone_at(world += QPoint(1, 1), zones); // on a zone's edge
            if (!zone) continue;
            const QPoint local = MapViewport::world_to_zonelocal(*zone, world);
            rnew_node r;
            r.name = "Place " + std::to_string(n) + (n % 3 ? " des Loups" : "");
            r.zoneId = uint32_t(zone->zoneId);
            r.categoryId = uint32_t(rng.between(1, categories));
            r.x = uint32_t(std::clamp(local.x(), 0, 65535));
            r.y = uint32_t(std::clamp(local.y(), 0, 65535));
            r.hasItem = 1;
            const int node = tree.addnode(r);
            if (node != kNoTreeNode) texts.emplace_back(FromCp1252(("-" + r.name).substr(0, 41)), int(r.categoryId));
            if (node != kNoTreeNode && n % 2) tree.nodeData(node)->item->colour = TColor(rng.between(1, 0xFFFFFF));
        }

        scene.tree = &tree;
        scene.common = &common;
        scene.realm = realm.get();
        scene.CurrentMapId = 1;
        scene.FirstActivate = false;
        for (size_t k = 0; k < zones.size(); ++k) {
            pMap_info* z = zones[k];
            z->image = std::make_unique<QImage>(pics.images[k % pics.images.size()]);
            // Above [MAHD] the tiles are already loaded, as after the first frame on screen.
            z->tile = std::make_unique<QImage>(zoom > Preferences.MAHD ? pics.tiles[k % pics.tiles.size()]
                                                                       : QImage(1, 1, QImage::Format_RGB32));
            z->vectors = std::make_unique<MemoryStream>(pics.vectors[k % pics.vectors.size()]);
            scene.DisplayedZones.push_back(z);
        }
        update_lod(scene);
    }

    void setMode(Mode mode)
    {
        scene.ShowMarkers = mode != zonesOnly;
        scene.overlays.legend = mode == labels;
    }
    double frameMs()
    {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processCpuMs();
        paint_map_layer(scene, buffer);
        lastCpuMs = processCpuMs() - cpuStart;
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    // The processor time of the last frame, the painter's worker threads included: what the
    // frame cost, without the time the process waited for a core on a busy machine.
    double lastCpuMs = 0;
    static double processCpuMs()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }
    // Each location's label text and category id.
    std::vector<std::pair<QString, int>> texts;
    // The font a category's labels are drawn in: its points in pixels of a 96-dpi screen.
    QFont labelFont(int categoryId) const
    {
        QFont font = common.categories[size_t(categoryId - 1)]->font;
        font.setPixelSize(std::max(1, (font.pointSize() * 96 + 36) / 72));
        return font;
    }
    size_t iconsInView() const { return scene.HitTestStream.size() / kHitTestRecordSize; }
};

// The median and slowest frame, the frames over 16 ms, and the processor time of the median
// and slowest frame.
void frameCounters(benchmark::State& state, const std::vector<double>& frames, const std::vector<double>& cpu)
{
    state.counters["median_ms"] = median(frames);
    state.counters["max_ms"] = *std::max_element(frames.begin(), frames.end());
    state.counters["over_16ms"] = double(std::count_if(frames.begin(), frames.end(), [](double f) { return f > 16; }));
    state.counters["cpu_median_ms"] = median(cpu);
    state.counters["cpu_max_ms"] = *std::max_element(cpu.begin(), cpu.end());
}

void BM_MapFrame(benchmark::State& state)
{
    const int zoom = int(state.range(0));
    const Mode mode = Mode(state.range(1));
    BenchScene bench(zoom);
    // The same zones alone, first: the reference of the ratio.
    bench.setMode(zonesOnly);
    bench.frameMs();
    std::vector<double> reference;
    for (int i = 0; i < 31; ++i) reference.push_back(bench.frameMs());

    bench.setMode(mode);
    // The first frame prepares icons and labels; the zone pictures' scaled copies follow
    // over the next few frames (counted below).
    state.counters["first_ms"] = bench.frameMs();
    std::vector<double> frames, cpu;
    for (auto _ : state) {
        frames.push_back(bench.frameMs());
        cpu.push_back(bench.lastCpuMs);
        benchmark::DoNotOptimize(bench.buffer.constBits());
    }
    const double m = median(frames);
    frameCounters(state, frames, cpu);
    // As many frames again with the view one pixel to the side and back, as while the map is
    // dragged: the zone layer is drawn in each, where the frames above start from the one
    // kept from the frame before.
    std::vector<double> moving;
    for (size_t i = 0; i < frames.size(); ++i) {
        bench.scene.view.OffsetX += i % 2 ? -1 : 1;
        moving.push_back(bench.frameMs());
    }
    state.counters["moving_median_ms"] = median(moving);
    state.counters["moving_max_ms"] = *std::max_element(moving.begin(), moving.end());
    state.counters["moving_over_16ms"] = double(std::count_if(moving.begin(), moving.end(), [](double f) { return f > 16; }));
    state.counters["zones_ms"] = median(reference);
    if (mode != zonesOnly) state.counters["x_zones"] = m / median(reference);
    state.counters["in_view"] = double(bench.iconsInView());
    state.SetLabel(mode == zonesOnly ? "zones alone" : mode == icons ? "locations, no labels" : "locations and labels");
}
BENCHMARK(BM_MapFrame)
    ->ArgsProduct({{100, 550, 1000, 3500}, {zonesOnly, icons, labels}})
    ->ArgNames({"zoom", "mode"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// Frames while the zoom moves: each frame one wheel step from the last, back and forth
// around the zoom, so that no frame finds the zoom of the frame before (the zone pictures
// are scaled directly, as in the first frame at a zoom).
void BM_ZoomFrames(benchmark::State& state)
{
    const int zoom = int(state.range(0));
    BenchScene bench(zoom);
    bench.setMode(labels);
    bench.frameMs();
    MapViewport& view = bench.scene.view;
    view.MouseWorld = view.screen_to_world(view.view_center());
    std::vector<double> frames, cpu;
    bool in = true;
    for (auto _ : state) {
        view.zoomByWheel(in);
        in = !in;
        update_lod(bench.scene);
        frames.push_back(bench.frameMs());
        cpu.push_back(bench.lastCpuMs);
    }
    frameCounters(state, frames, cpu);
}
BENCHMARK(BM_ZoomFrames)->Arg(100)->Arg(550)->Arg(1000)->Arg(3500)->Unit(benchmark::kMillisecond)->Iterations(60);

// One frame through the map control: wall and processor time, the layer's paint within it
// (the rest is the control's image drawn onto its backing store) and what the paint spent.
struct WindowFrame {
    size_t index = 0; // of the frames of its kind, in the order drawn
    double wallMs = 0, cpuMs = 0, paintMs = 0;
    MapRenderCache::PaintCost cost;
};

// The slowest frames of a kind, what each spent its time on, on the error stream.
void printSlowest(int zoom, const char* kind, std::vector<WindowFrame> frames, size_t count)
{
    std::sort(frames.begin(), frames.end(), [](const WindowFrame& a, const WindowFrame& b) { return a.wallMs > b.wallMs; });
    for (size_t i = 0; i < std::min(count, frames.size()); ++i) {
        const WindowFrame& f = frames[i];
        const MapRenderCache::PaintCost& c = f.cost;
        std::fprintf(stderr,
                     "zoom %4d %-10s #%-3zu %5.1f ms (cpu %5.1f): paint %5.1f = plan %.2f, zones %5.2f %s (pictures %5.2f, scaled %2d, copies "
                     "made %2d, used %2d), keep %.2f, overlays %.2f, locations %5.2f (labels made %zu), rest %.2f; "
                     "shown %.2f\n",
                     zoom, kind, f.index, f.wallMs, f.cpuMs, f.paintMs, c.planMs, c.zonesMs, c.zonesDrawn ? "drawn" : "kept ", c.picturesMs,
                     c.picturesScaled, c.copiesMade, c.copiesUsed, c.keepMs, c.overlaysMs, c.locationsMs, c.labelsMade,
                     c.restMs, f.wallMs - f.paintMs);
    }
}

// Frames through the map control as the window shows them (the layer painted into the
// control's image, then drawn onto its backing store), at every zoom step of 100 from 100 to
// 1000 and at 3500: the first frame after a zoom change (back from one wheel step away,
// where the zone pictures are scaled directly), then frames held still, then frames with the
// view moving one pixel each (the zone layer drawn every frame, as while the map is dragged).
// Each zoom on a scene of its own whose zones cover the view, tiles loaded above [MAHD].
// Then 5 zooms not shown before (visit_*: the first frame at each, 5 held still, 20 moving).
// The slowest frames of each kind, with what they spent their time on, go to the error
// stream (RENDER_BENCH_SLOWEST: how many of each, 3 unless set).
void BM_WindowFrames(benchmark::State& state)
{
    const int zoom = int(state.range(0));
    BenchScene bench(zoom);
    bench.setMode(labels);
    MapWidget widget;
    widget.resize(kWidth, kHeight);
    double paintMs = 0; // the layer's paint in the last frame
    widget.paintLayer = [&](QImage& buffer) {
        const auto start = std::chrono::steady_clock::now();
        paint_map_layer(bench.scene, buffer);
        paintMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    widget.show();
    while (!widget.isVisible() || !widget.windowHandle() || !widget.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    const MapRenderCache& cache = renderCache(bench.scene);
    const auto frame = [&] {
        WindowFrame f;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = BenchScene::processCpuMs();
        widget.repaint();
        f.cpuMs = BenchScene::processCpuMs() - cpuStart;
        f.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        f.paintMs = paintMs;
        f.cost = cache.lastCost;
        return f;
    };
    frame(); // icons, labels and glyphs made once for the program's life
    MapViewport& view = bench.scene.view;
    const QPoint centre = view.screen_to_world(view.view_center());
    std::vector<WindowFrame> afterZoom, still, moving;
    for (auto _ : state) {
        view.zoom_at(centre, zoom < MapViewport::ZoomMax ? zoom + zoom / 10 : zoom - zoom / 10);
        update_lod(bench.scene);
        frame();
        view.zoom_at(centre, zoom);
        update_lod(bench.scene);
        afterZoom.push_back(frame());
        afterZoom.back().index = afterZoom.size() - 1;
        for (int i = 0; i < 20; ++i) {
            still.push_back(frame());
            still.back().index = still.size() - 1;
        }
        for (int i = 0; i < 20; ++i) {
            view.OffsetX += i % 2 ? -1 : 1;
            moving.push_back(frame());
            moving.back().index = moving.size() - 1;
        }
    }
    const auto count = [&](const char* name, const std::vector<WindowFrame>& frames) {
        std::vector<double> wall, cpu;
        for (const WindowFrame& f : frames) wall.push_back(f.wallMs), cpu.push_back(f.cpuMs);
        const std::string n(name);
        state.counters[n + "median_ms"] = median(wall);
        state.counters[n + "max_ms"] = *std::max_element(wall.begin(), wall.end());
        state.counters[n + "over_16ms"] = double(std::count_if(wall.begin(), wall.end(), [](double f) { return f > 16; }));
        state.counters[n + "cpu_max_ms"] = *std::max_element(cpu.begin(), cpu.end());
    };
    count("after_zoom_", afterZoom);
    count("", still);
    count("moving_", moving);
    state.counters["in_view"] = double(bench.iconsInView());

    // Zooms not shown before, as a wheel step brings them (a step in then one out lands on
    // another zoom): per visit the first frame at the zoom, 5 frames held still, 20 moving.
    // The loop above returns to a zoom whose layer or copies it may find kept.
    std::vector<WindowFrame> visits;
    for (int v = 1; v <= 5; ++v) {
        view.zoom_at(centre, zoom < MapViewport::ZoomMax ? zoom - v : zoom + v);
        update_lod(bench.scene);
        for (int i = 0; i < 26; ++i) {
            if (i > 5) view.OffsetX += i % 2 ? -1 : 1;
            visits.push_back(frame());
            visits.back().index = visits.size() - 1;
        }
    }
    count("visit_", visits);
    const char* slowest = std::getenv("RENDER_BENCH_SLOWEST");
    const size_t shown = slowest ? size_t(std::max(0, std::atoi(slowest))) : 3;
    printSlowest(zoom, "after zoom", afterZoom, shown);
    printSlowest(zoom, "still", still, shown);
    printSlowest(zoom, "moving", moving, shown);
    printSlowest(zoom, "visit", visits, shown);
}
BENCHMARK(BM_WindowFrames)
    ->DenseRange(100, 1000, 100)
    ->Arg(3500)
    ->ArgName("zoom")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

size_t labelsHeld(MapScene& scene)
{
    size_t n = 0;
    for (const auto& l : renderCache(scene).labels) n += l != nullptr;
    return n;
}

// The first frame with every label new, the same frame with them ready, and one plain
// drawText pass of the same texts in the labels' fonts onto the same buffer; the labels in
// one font or spread over 30 categories in 30 fonts (face, size, bold, italic); wall and
// processor times. Also the very first frame, which learns the fonts' glyph steps and masks
// as the first map shown after start does (its fonts are new to the process only in the
// first case a process runs: filter one case to see that).
void BM_NewLabels(benchmark::State& state)
{
    const bool manyFonts = state.range(1) > 1;
    BenchScene bench(int(state.range(0)), kLocations, 1, manyFonts);
    bench.setMode(labels);
    state.counters["very_first_frame_ms"] = bench.frameMs(); // fonts, icons, glyph steps and masks
    const size_t count = labelsHeld(bench.scene);
    std::vector<QFont> fonts;
    for (size_t c = 1; c <= bench.common.categories.size(); ++c) fonts.push_back(bench.labelFont(int(c)));
    double drawTextCpu = 0;
    const auto drawTextPass = [&](double dx) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = BenchScene::processCpuMs();
        QPainter p(&bench.buffer);
        p.setPen(Qt::white);
        int current = -1;
        for (size_t i = 0; i < bench.texts.size(); ++i) {
            const auto& [text, category] = bench.texts[i];
            if (category != current) p.setFont(fonts[size_t(category - 1)]);
            current = category;
            p.drawText(QPointF(dx + double(i * 37 % kWidth), double(i * 11 % kHeight)), text);
        }
        p.end();
        drawTextCpu = BenchScene::processCpuMs() - cpuStart;
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    state.counters["very_first_frame_cpu_ms"] = bench.lastCpuMs;
    std::vector<double> first, ready, plain, fullLayout, painterGlyphs, firstCpu, readyCpu, plainCpu;
    MapRenderCache& cache = renderCache(bench.scene);
    const char* saveTo = std::getenv("RENDER_BENCH_FRAMES"); // a folder: the first frames are saved there
    for (auto _ : state) {
        // The glyph runs drawn by the painter, as before the glyphs' masks.
        cache.painterGlyphs = true;
        forget_map_labels(bench.scene);
        painterGlyphs.push_back(bench.frameMs());
        cache.painterGlyphs = false;
        // The baseline: every label through a full text layout, as before the glyph steps.
        cache.fullLayoutOnly = true;
        forget_map_labels(bench.scene);
        fullLayout.push_back(bench.frameMs());
        cache.fullLayoutOnly = false;
        forget_map_labels(bench.scene);
        first.push_back(bench.frameMs());
        firstCpu.push_back(bench.lastCpuMs);
        if (saveTo && first.size() == 1)
            bench.buffer.save(QString("%1/new_labels_%2_%3.png").arg(saveTo).arg(state.range(0)).arg(state.range(1)));
        ready.push_back(bench.frameMs());
        readyCpu.push_back(bench.lastCpuMs);
        plain.push_back(drawTextPass(0));
        plainCpu.push_back(drawTextCpu);
    }
    // The same in processor time, which leaves out the waits for a core on a busy machine.
    state.counters["first_frame_cpu_ms"] = median(firstCpu);
    state.counters["drawText_cpu_ms"] = median(plainCpu);
    state.counters["x_drawText_cpu"] = (median(firstCpu) - median(readyCpu)) / median(plainCpu);
    const double newMs = median(first) - median(ready);
    state.counters["first_frame_ms"] = median(first);
    state.counters["first_frame_min_ms"] = *std::min_element(first.begin(), first.end());
    state.counters["full_layout_first_frame_ms"] = median(fullLayout);
    state.counters["painter_glyphs_first_frame_ms"] = median(painterGlyphs);
    state.counters["ready_frame_ms"] = median(ready);
    state.counters["labels"] = double(count);
    state.counters["us_per_new_label"] = newMs * 1000.0 / double(std::max<size_t>(count, 1));
    state.counters["drawText_ms"] = median(plain);
    state.counters["x_drawText"] = newMs / median(plain);
    state.SetLabel(manyFonts ? "30 fonts" : "one font");
}
BENCHMARK(BM_NewLabels)->ArgsProduct({{100, 550}, {1, 30}})->ArgNames({"zoom", "fonts"})->Unit(benchmark::kMillisecond)->Iterations(15);


// A pan by one view width onto ground not seen before: 20,000 locations over two view
// widths, the frame of the first half drawn (its labels ready), then the frame after the
// pan, whose labels are all new; against the same pan with the glyph runs drawn by the
// painter, and the same frame with its labels ready.
void BM_PanLabels(benchmark::State& state)
{
    BenchScene bench(int(state.range(0)), 2 * kLocations, 2);
    bench.setMode(labels);
    const int32_t start = bench.scene.view.OffsetX;
    bench.frameMs(); // fonts, icons and glyph steps, made once for the program's life
    std::vector<double> pan, ready, painterGlyphs;
    size_t made = 0;
    MapRenderCache& cache = renderCache(bench.scene);
    const auto panFrame = [&] {
        forget_map_labels(bench.scene);
        bench.scene.view.OffsetX = start;
        bench.frameMs();
        bench.frameMs();
        bench.scene.view.OffsetX = start - kWidth;
        const size_t before = cache.labelsMade;
        const double ms = bench.frameMs();
        made = cache.labelsMade - before;
        return ms;
    };
    for (auto _ : state) {
        cache.painterGlyphs = true; // the baseline: glyph runs drawn by the painter
        painterGlyphs.push_back(panFrame());
        cache.painterGlyphs = false;
        pan.push_back(panFrame());
        ready.push_back(bench.frameMs());
    }
    state.counters["painter_glyphs_pan_ms"] = median(painterGlyphs);
    state.counters["pan_frame_ms"] = median(pan);
    state.counters["pan_frame_max_ms"] = *std::max_element(pan.begin(), pan.end());
    state.counters["ready_frame_ms"] = median(ready);
    state.counters["new_labels"] = double(made);
}
BENCHMARK(BM_PanLabels)->Arg(550)->Unit(benchmark::kMillisecond)->Iterations(15);

// 70,000 labels in view: the slowest frame after the first, and the labels made anew by
// the frames after the first (none, whatever the cache's cap).
void BM_ManyLabels(benchmark::State& state)
{
    BenchScene bench(100, int(state.range(0)));
    bench.setMode(labels);
    bench.frameMs();
    const size_t made = renderCache(bench.scene).labelsMade;
    std::vector<double> frames;
    for (auto _ : state) frames.push_back(bench.frameMs());
    state.counters["labels"] = double(labelsHeld(bench.scene));
    state.counters["median_ms"] = median(frames);
    state.counters["max_ms"] = *std::max_element(frames.begin(), frames.end());
    state.counters["remade"] = double(renderCache(bench.scene).labelsMade - made);
    state.counters["cache_mb"] = double(renderCache(bench.scene).labelBytes) / 1048576.0;
}
BENCHMARK(BM_ManyLabels)->Arg(70000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

VMAR_QT_BENCHMARK_MAIN()

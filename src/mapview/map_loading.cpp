#include "map_loading.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include <QGuiApplication>
#include <QThread>
#include <QThreadPool>

#include "cp1252.h"
#include "desktop.h"
#include "folders.h"
#include "jpeg_loader.h"
#include "file_io.h"
#include "image_helpers.h"
#include "log.h"
#include "map_renderer.h"
#include "markers.h"
#include "path_resolver.h"
#include "ressource.h"
#include "vector_file.h"

namespace {

constexpr int kMessageImagesMissing = 53;
const char* const kNoZoneItem = "Pas de region";

void repaintMap(MapScene& scene)
{
    if (scene.view.onRepaint) scene.view.onRepaint();
}

// The map id of a node: its map record's for a map node, its zone's otherwise; -1 for none.
int32_t nodeMapId(const TNodeData* data, int level)
{
    if (!data) return -1;
    if (level == levelMap) return data->region ? data->region->mapId : (data->zone ? data->zone->regionId : -1);
    return data->zone ? data->zone->regionId : -1;
}

// Hides the progress bar when the load leaves its scope, whichever way it leaves.
class ProgressGuard {
public:
    explicit ProgressGuard(const MapHooks& hooks) : hooks_(hooks) {}
    ~ProgressGuard()
    {
        if (!hooks_.progressHide) return;
        try {
            hooks_.progressHide();
        } catch (...) { // a destructor must not throw; the bar stays as it is
        }
    }
    ProgressGuard(const ProgressGuard&) = delete;
    ProgressGuard& operator=(const ProgressGuard&) = delete;

private:
    const MapHooks& hooks_;
};

std::string logName(const QString& path)
{
    return ToCp1252Marked(path);
}

// The worker threads that decode zone images: at most four, kept between map switches.
QThreadPool& zoneDecodePool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
        return p;
    }();
    return *pool;
}

// The zone images of a map decoding on the worker threads. take(i) waits for zone i, writes
// its log lines, and hands its image over, or throws what the decode threw. Zone i's decode
// may write into the memory of spares[i] (an image of the map shown before); the spares left
// over go back to the system on a worker once the decodes have started, off this thread.
// A decode that no worker has started yet may be run by the loading thread instead
// (decodeOne), which then decodes next to the workers rather than wait for them. A load that
// ends early still waits for the decodes it started.
class ZoneDecodes {
public:
    ZoneDecodes(const std::vector<pMap_info*>& zones, std::vector<QImage> spares)
    {
        QThreadPool& pool = zoneDecodePool();
        const QString mapsDir = MapsDir;
        for (size_t i = 0; i < zones.size(); ++i) {
            QImage spare = i < spares.size() ? std::move(spares[i]) : QImage();
            auto job = std::make_shared<Job>([mapsDir, name = zones[i]->fileName, spare = std::move(spare)]() mutable {
                Decoded d;
                d.read = read_zone_image(mapsDir, QString(), name, d.image, d.logLines, std::move(spare));
                return d;
            });
            results_.push_back(job->task.get_future());
            jobs_.push_back(job);
            pool.start([job] { job->run(); });
        }
        if (spares.size() > zones.size()) {
            auto leftovers = std::make_shared<std::vector<QImage>>(std::make_move_iterator(spares.begin() + zones.size()),
                                                                   std::make_move_iterator(spares.end()));
            pool.start([leftovers] { leftovers->clear(); });
        }
    }
    ~ZoneDecodes()
    {
        for (auto& result : results_)
            if (result.valid()) result.wait();
    }
    ZoneDecodes(const ZoneDecodes&) = delete;
    ZoneDecodes& operator=(const ZoneDecodes&) = delete;

    // Whether zone i's decode has ended (take(i) then does not wait).
    bool ready(size_t i) const { return results_[i].wait_for(std::chrono::seconds(0)) == std::future_status::ready; }

    // Runs on this thread the first decode from zone i on that no worker has started; false
    // when every one has started.
    bool decodeOne(size_t i)
    {
        for (size_t j = i; j < jobs_.size(); ++j)
            if (jobs_[j]->run()) return true;
        return false;
    }

    bool take(size_t i, QImage& image)
    {
        Decoded d = results_[i].get();
        for (const std::string& line : d.logLines) LogLine(line);
        if (d.read) image = std::move(d.image);
        return d.read;
    }

private:
    struct Decoded {
        QImage image;
        bool read = false;
        std::vector<std::string> logLines;
    };
    // One decode, run by whichever thread claims it first.
    struct Job {
        template <class F>
        explicit Job(F&& f) : task(std::forward<F>(f))
        {
        }
        std::packaged_task<Decoded()> task;
        std::atomic<bool> claimed{false};
        bool run()
        {
            if (claimed.exchange(true)) return false;
            task();
            return true;
        }
    };
    std::vector<std::future<Decoded>> results_;
    std::vector<std::shared_ptr<Job>> jobs_;
};

// Moves the images of the zones shown out of them, for the next map's decodes to reuse.
std::vector<QImage> takeZoneImages(MapScene& scene)
{
    std::vector<QImage> images;
    for (pMap_info* zone : scene.DisplayedZones)
        if (zone && zone->image && !zone->image->isNull()) images.push_back(std::move(*zone->image));
    return images;
}

void loadMapZones(MapScene& scene, std::vector<QImage> spares, const MapViewport& viewAfter);

// Where localize_data centres the view on the node once its map is loaded; none when the
// view stays where it is.
std::optional<QPoint> centreAfterShowing(const TNodeData* data, int level, bool centre, bool keep, int32_t x, int32_t y)
{
    if (!data || !data->zone) return std::nullopt;
    if (level == levelZone && !keep)
        return centre ? MapViewport::worldmaptoworld(QPoint(x, y), *data->zone) : MapViewport::zone_center(*data->zone);
    if (level == levelLocation && centre && data->item)
        return MapViewport::worldmaptoworld(QPoint(data->item->x, data->item->y), *data->zone);
    return std::nullopt;
}

} // namespace

void localize_data(MapScene& scene, int node, bool centre, bool keep, int32_t x, int32_t y)
{
    LocationTree* tree = scene.tree;
    if (!tree || !tree->isVisible(node)) return;
    const int level = tree->levelOf(node);
    const int32_t mapId = nodeMapId(tree->nodeData(node), level);
    if (mapId == -1) return;
    if (mapId != scene.CurrentMapId) {
        // The view the new map will be shown in, for the labels made while its images decode.
        MapViewport viewAfter = scene.view;
        viewAfter.onLevelOfDetail = nullptr;
        viewAfter.onZoomBar = nullptr;
        viewAfter.onRepaint = nullptr;
        if (auto c = centreAfterShowing(tree->nodeData(node), level, centre, keep, x, y)) viewAfter.center_on(*c);
        // The images of the map shown lend their memory to the new map's: taking fresh memory
        // for each image and giving the old back costs about as much as decoding.
        std::vector<QImage> spares = takeZoneImages(scene);
        scene.CurrentMapId = -1;
        clear_mapview(scene);
        scene.CurrentMapId = mapId;
        loadMapZones(scene, std::move(spares), viewAfter);
    }
    // Loading may run hooks that change the tree; read the node again.
    const TNodeData* data = tree->nodeData(node);
    if (level == levelZone && data && data->zone) {
        select_node(scene, node);
        if (!keep) {
            const pMap_info& zone = *data->zone;
            if (centre) {
                scene.view.center_on(MapViewport::worldmaptoworld(QPoint(x, y), zone));
                set_target_point(scene, zone, x, y);
            } else {
                scene.view.center_on(MapViewport::zone_center(zone));
            }
        }
    } else if (level == levelLocation && data && data->zone && data->item) {
        select_node(scene, node);
        tree->setCheckState(node, NodeCheck::Checked);
        if (scene.hooks.affiche_memoinfo) scene.hooks.affiche_memoinfo(node, 2);
        if (centre) {
            const TNodeData* d = tree->nodeData(node);
            if (d && d->zone && d->item)
                scene.view.center_on(MapViewport::worldmaptoworld(QPoint(d->item->x, d->item->y), *d->zone));
        }
    }
    update_lod(scene);
    if (scene.hooks.repaintTree) scene.hooks.repaintTree();
}

void select_node(MapScene& scene, int node)
{
    LocationTree* tree = scene.tree;
    if (!tree || !tree->isNode(node)) node = kNoTreeNode;
    scene.SelectionZone = nullptr;
    scene.SelectionChain[0] = node;
    for (size_t i = 1; i < scene.SelectionChain.size(); ++i) {
        const int previous = scene.SelectionChain[i - 1];
        scene.SelectionChain[i] = previous == kNoTreeNode ? kNoTreeNode : tree->parentOf(previous);
    }
    scene.OwnPath.points.clear();
    scene.Target.Visible = false;
    if (node != kNoTreeNode) {
        const int level = tree->levelOf(node);
        const TNodeData* data = tree->nodeData(node);
        if (level != levelMap && data) scene.SelectionZone = data->zone;
        if (level == levelLocation && scene.hooks.build_ownpath) scene.hooks.build_ownpath(node);
    }
    if (scene.hooks.update_pathcolors) scene.hooks.update_pathcolors();
}

void set_target_node(MapScene& scene, const TNodeData& data)
{
    if (!data.zone || !data.item) return;
    set_target_point(scene, *data.zone, data.item->x, data.item->y);
}

void set_target_point(MapScene& scene, const pMap_info& zone, int32_t x, int32_t y)
{
    const QPoint world = MapViewport::worldmaptoworld(QPoint(x, y), zone);
    scene.Target.X = world.x();
    scene.Target.Y = world.y();
    scene.Target.Visible = true;
}

void clear_mapview(MapScene& scene)
{
    scene.MouseMode = 0;
    scene.ZoneUnderMouse = nullptr;
    scene.CurrentMapId = -1;
    scene.RedirLines.clear();
    scene.LinkLines.clear();
    for (tboussole* marker : {&scene.MyPos, &scene.OtherPos}) {
        SetPosition(*marker, QPoint(0, 0), nullptr);
        marker->Visible = false; // a marker without zone is never shown
    }
    if (scene.hooks.clearPositionEdits) scene.hooks.clearPositionEdits();
    if (scene.hooks.update_compass)
        scene.hooks.update_compass();
    else
        update_compass(scene);
    scene.waypointMode = false;
    scene.Waypoints.clear();
    if (scene.hooks.erase_listWP) scene.hooks.erase_listWP();
    for (pMap_info* zone : scene.DisplayedZones) {
        if (!zone) continue;
        zone->image.reset();
        zone->tile.reset();
        zone->vectors.reset();
    }
    scene.DisplayedZones.clear();
    scene.TilesUnavailable.clear();
    ++scene.MapSerial; // tiles still decoding belong to the map that was shown
    // The prepared labels stay: a label is made again only when its name or font changed,
    // and the cache frees the least recently drawn, so a map shown again is labelled at once.
    free_paths(scene);
    if (scene.hooks.setZoneComboItems) scene.hooks.setZoneComboItems({kNoZoneItem});
}

void load_map_zones(MapScene& scene)
{
    loadMapZones(scene, {}, scene.view);
}

namespace {

void loadMapZones(MapScene& scene, std::vector<QImage> spares, const MapViewport& viewAfter)
{
    if (scene.CurrentMapId == -1) return;
    const MapHooks& hooks = scene.hooks;
    if (hooks.checkMapMenu) hooks.checkMapMenu(scene.CurrentMapId);
    scene.CurrentMapNode = kNoTreeNode;
    scene.view.ZoomBeforeDblClick = 0;
    scene.MouseMode = 0;
    scene.ZoneUnderMouse = nullptr;
    bool imagesMissing = false;
    {
        ProgressGuard progress(hooks);
        if (hooks.setZoneComboItems) hooks.setZoneComboItems({});

        std::vector<std::string> names;
        if (scene.realm && scene.realm->mapIndex) {
            for (const auto& zone : scene.realm->mapIndex->zones) {
                if (!zone || zone->regionId != scene.CurrentMapId) continue;
                if (scene.tree) scene.CurrentMapNode = scene.tree->parentOf(zone->treeNode);
                scene.DisplayedZones.push_back(zone.get());
                names.push_back(zone->name);
            }
        }
        if (hooks.setZoneComboItems) hooks.setZoneComboItems(names);
        if (hooks.progressMaximum) hooks.progressMaximum(int32_t(scene.DisplayedZones.size()));

        // The zone images decode on worker threads, one decoder each, while this thread takes
        // them in zone order: logs, vectors and the progress bar follow the same order as a
        // decode one after the other would.
        std::optional<BusyCursor> busy;
        if (qGuiApp) busy.emplace();
        ZoneDecodes decodes(scene.DisplayedZones, std::move(spares));
        // While a zone image decodes, this thread makes the labels the first paint of the
        // map will draw, instead of waiting idle: the paint then finds them ready.
        update_lod(scene);
        MapLabelPreparer labels(scene, viewAfter);
        for (size_t i = 0; i < scene.DisplayedZones.size(); ++i) {
            // Labels first (the paint needs them on this thread), then decodes no worker took.
            while (!decodes.ready(i) && (labels.step() || decodes.decodeOne(i))) {
            }
            pMap_info& zone = *scene.DisplayedZones[i];
            zone.image = std::make_unique<QImage>();
            zone.tile = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
            zone.tile->fill(0);
            zone.vectors = std::make_unique<MemoryStream>();
            try {
                if (!decodes.take(i, *zone.image)) imagesMissing = true;
                if (auto vec = ResolveExistingPath(MapsDir, FromCp1252(zone.fileName) + ".vec"))
                    LoadVectorFile(*vec, *zone.vectors);
            } catch (const std::exception& e) { // out of memory on a huge file: the zone stays empty
                LogLine("zone " + zone.fileName + " cannot be loaded: " + e.what());
                *zone.image = QImage();
                zone.vectors->clear();
                imagesMissing = true;
            }
            if (hooks.progressPosition) hooks.progressPosition(int32_t(i + 1));
        }
        // The labels not made while waiting: the paint would make them anyway.
        while (labels.step()) {
        }
        if (hooks.build_paths) hooks.build_paths();
        if (hooks.build_links) hooks.build_links();
        update_lod(scene);
    }
    if (imagesMissing) {
        if (hooks.showMessage)
            hooks.showMessage(kMessageImagesMissing);
        else
            ShowRessourceMessage(kMessageImagesMissing, false);
    }
    repaintMap(scene);
}

} // namespace

bool read_zone_image(const QString& mapsDir, const QString& folder, const std::string& baseName, QImage& bitmap,
                     std::vector<std::string>& logLines, QImage spare)
{
    const QString base = folder + FromCp1252(baseName);
    // Only regular files are opened: a FIFO would block the load, a device never end. This
    // may run on a worker thread, so what is refused comes back as a log line.
    std::string refused;
    const std::optional<QString> jpg = ResolveExistingPath(mapsDir, base + ".jpg");
    if (jpg && !IsReadableRegularFile(*jpg, kImageFileCap, &refused)) {
        logLines.push_back("zone image cannot be read: " + refused);
    } else if (jpg) {
        try {
            LoadJPEGToBitmap32(&bitmap, *jpg, std::move(spare));
            return true;
        } catch (const EIJLError& e) {
            logLines.push_back("zone image cannot be read: " + logName(*jpg) + ": " + logName(e.errorText()));
        } catch (const std::exception& e) {
            logLines.push_back("zone image cannot be read: " + logName(*jpg) + ": " + e.what());
        }
    }
    if (auto bmp = ResolveExistingPath(mapsDir, base + ".bmp")) {
        refused.clear();
        const QImage read = ReadImageFile(*bmp, "BMP", &refused);
        if (!read.isNull()) {
            QImage opaque = read.convertToFormat(QImage::Format_RGB32);
            if (!opaque.isNull()) {
                bitmap = std::move(opaque);
                return true;
            }
        }
        logLines.push_back("zone image cannot be read: " + (refused.empty() ? logName(*bmp) : refused));
    } else if (!jpg && folder.isEmpty()) {
        // A zone image in neither form: the log names the file the user has to put back.
        // (High-resolution tiles exist for some zones only; a missing one is no fault.)
        logLines.push_back("zone image not found: " + logName(mapsDir + base + ".jpg") + " (nor .bmp)");
    }
    return false;
}

bool load_zone_image(const QString& folder, const std::string& baseName, QImage& bitmap)
{
    std::optional<BusyCursor> busy;
    if (qGuiApp) busy.emplace();
    std::vector<std::string> logLines;
    const bool read = read_zone_image(MapsDir, folder, baseName, bitmap, logLines);
    for (const std::string& line : logLines) LogLine(line);
    return read;
}

void free_paths(MapScene& scene)
{
    scene.Paths.clear();
}

void init_imagemap(MapScene& scene)
{
    scene.Splash = QImage();
    if (auto splash = ResolveExistingPath(DataDir, "vmar.bmp")) {
        const QImage read = ReadImageFile(*splash, "BMP");
        if (!read.isNull())
            scene.Splash = read.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        else
            LogLine("splash cannot be read: " + logName(*splash));
    }
    scene.OwnPathPolygon.clear();
}

#include "map_renderer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include <QPainter>
#include <QRegion>

#include "map_loading.h"
#include "map_render_cache.h"
#include "preferences.h"
#include "tile_loader.h"

namespace {

void releaseTile(pMap_info& zone)
{
    if (zone.tile && zone.tile->width() > 1) {
        *zone.tile = QImage(1, 1, QImage::Format_RGB32);
        zone.tile->fill(0);
    }
}

// The zone's tile, loaded from MapsDir + "high/" on first need; nullptr when the zone has
// none (remembered, so a missing or broken tile is looked for once per map load), or while
// a worker decodes it.
const QImage* tileOf(MapScene& scene, pMap_info& zone)
{
    if (zone.tile && zone.tile->width() > 1) return zone.tile.get();
    if (scene.TilesUnavailable.count(&zone)) return nullptr;
    if (scene.tileLoader) { // decoded on a worker; the zone's image stands in meanwhile
        scene.tileLoader->request(zone);
        return nullptr;
    }
    QImage loaded;
    if (load_zone_image(QStringLiteral("high/"), zone.fileName, loaded) && loaded.width() > 1) {
        if (!zone.tile) zone.tile = std::make_unique<QImage>();
        *zone.tile = std::move(loaded);
        return zone.tile.get();
    }
    scene.TilesUnavailable.insert(&zone);
    return nullptr;
}

bool isDirectFormat(QImage::Format f)
{
    return f == QImage::Format_ARGB32_Premultiplied || f == QImage::Format_RGB32;
}

// 64 bits of the bytes, never 0: four lanes of 8 bytes a step.
uint64_t hashBytes(const ByteBuffer& bytes)
{
    constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
    uint64_t lane[4] = {k, k ^ 1, k ^ 2, k ^ 3};
    const uint8_t* p = bytes.data();
    const size_t n = bytes.size();
    size_t at = 0;
    for (; at + 32 <= n; at += 32)
        for (size_t i = 0; i < 4; ++i) {
            uint64_t w;
            std::memcpy(&w, p + at + 8 * i, 8);
            lane[i] = (lane[i] ^ w) * k;
            lane[i] ^= lane[i] >> 29;
        }
    uint64_t h = uint64_t(n) * k;
    for (uint64_t l : lane) h = (h ^ l) * k, h ^= h >> 31;
    for (; at < n; ++at) h = (h ^ p[at]) * k, h ^= h >> 31;
    return h | 1;
}

// Where each zone in view is drawn and from which picture, into cache.zoneKey with what
// else decides the zone layer's pixels. On the way, as the zone paint always did: marks
// the zones in view, lets go the tiles of zones out of view (and of every zone at or below
// [MAHD]) and fetches or asks for the tiles of the zones in view above it.
void planZones(MapScene& scene, MapRenderCache& cache, const QImage& buffer)
{
    const MapViewport& view = scene.view;
    const int32_t zoom = view.Zoom;
    const bool fine = zoom > Preferences.LODV;
    MapRenderCache::ZoneLayerKey& key = cache.zoneKey;
    key.width = buffer.width();
    key.height = buffer.height();
    key.bytesPerLine = buffer.bytesPerLine();
    key.format = buffer.format();
    key.pixelRatio = buffer.devicePixelRatio();
    key.zoom = zoom;
    key.smooth = view.StretchFilter == Qt::SmoothTransformation;
    key.gridHash = scene.overlays.grid && fine ? hashBytes(scene.GridVec.data) : 0;
    key.borderHash = scene.overlays.grid ? hashBytes(scene.BorderVec.data) : 0;
    key.zones.clear();
    cache.zonePictures.clear();
    for (pMap_info* zone : scene.DisplayedZones) {
        if (!zone) continue;
        const ViewRect r = view.zoneScreenRect(*zone);
        zone->inView = view.zone_in_view(r);
        if (!zone->inView) {
            releaseTile(*zone);
            continue;
        }
        const QImage* picture = zone->image.get();
        if (zoom <= Preferences.MAHD) {
            releaseTile(*zone);
        } else if (const QImage* tile = tileOf(scene, *zone)) {
            picture = tile;
        }
        MapRenderCache::ZonePlace place;
        place.zone = zone;
        place.left = r.left;
        place.top = r.top;
        place.pictureKey = picture && !picture->isNull() ? picture->cacheKey() : 0;
        place.vectorHash = Preferences.AVCT && fine && zone->vectors ? hashBytes(zone->vectors->data) : 0;
        key.zones.push_back(place);
        cache.zonePictures.push_back(picture);
    }
}

// The bytes that the scaled copies a paint makes may cost beyond what the paint would
// scale anyway. Over a kept layer, where the paint draws no zones: as much as the buffer
// holds, and at least one copy. A paint that draws the zones most often scales every
// picture directly already (the first paints at a zoom): while the view moves, copies worth
// a quarter of the buffer; when it keeps its layer, which costs a copy of the buffer too,
// 1 MB. The paints over the kept layer make the rest.
struct CopyBudget {
    qint64 bytes = 0;
    bool firstFree = true; // one copy whatever it costs
};
CopyBudget copyBudget(const QImage& buffer, bool drawing, bool keeping)
{
    const qint64 bytes = buffer.sizeInBytes();
    if (!drawing) return {bytes, true};
    if (keeping) return {qint64(1) << 20, false};
    return {bytes / 4, false};
}

// The planned zones drawn: pictures, then their vectors and the grids.
void drawPlannedZones(MapScene& scene, MapRenderCache& cache, QPainter& painter, CopyBudget budget)
{
    const MapViewport& view = scene.view;
    const int32_t zoom = view.Zoom;
    const bool fine = zoom > Preferences.LODV;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, cache.zoneKey.smooth);
    ++cache.zoneFrame;
    cache.beginZones(zoom, budget.bytes, budget.firstFree);
    for (size_t i = 0; i < cache.zoneKey.zones.size(); ++i) {
        const MapRenderCache::ZonePlace& place = cache.zoneKey.zones[i];
        const pMap_info* zone = place.zone;
        if (const QImage* picture = cache.zonePictures[i]) {
            const auto start = std::chrono::steady_clock::now();
            cache.drawZonePicture(painter, zone, place.left, place.top, zoom, *picture);
            cache.lastCost.picturesMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }

        const float x0 = float(place.left), y0 = float(place.top);
        if (Preferences.AVCT && fine && zone->vectors) draw_vectors(*zone->vectors, painter, x0, y0, zoom, kZoneVectorColour);
        if (scene.overlays.grid) {
            if (fine) draw_vectors(scene.GridVec, painter, x0, y0, zoom, kFineGridColour);
            draw_vectors(scene.BorderVec, painter, x0, y0, zoom, kCoarseGridColour);
        }
    }
    cache.endZones(zoom);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

// The background where no planned zone picture covers the buffer. An opaque picture scaled
// into its square with nearest neighbours, directly or through its copy, covers the square
// but for its last row and column (left out when the scaling's last step lands past the
// picture, clear in the copy): the background goes under those too.
void fillAroundZones(QImage& buffer, const MapRenderCache& cache)
{
    const QRect whole = buffer.rect();
    QRegion open(whole);
    const int32_t zoom = cache.zoneKey.zoom;
    if (!cache.zoneKey.smooth && zoom > 1)
        for (size_t i = 0; i < cache.zoneKey.zones.size() && i < cache.zonePictures.size(); ++i) {
            const QImage* picture = cache.zonePictures[i];
            if (!picture || picture->isNull() || picture->format() != QImage::Format_RGB32) continue;
            const MapRenderCache::ZonePlace& place = cache.zoneKey.zones[i];
            const QRect covered = QRect(place.left, place.top, zoom - 1, zoom - 1).intersected(whole);
            if (!covered.isEmpty()) open -= covered;
        }
    const uint32_t background = kMapBackground;
    for (const QRect& r : open)
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(buffer.scanLine(y));
            std::fill(row + r.left(), row + r.right() + 1, background);
        }
}

double msSince(std::chrono::steady_clock::time_point& mark)
{
    const auto now = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - mark).count();
    mark = now;
    return ms;
}

void paintInPlace(MapScene& scene, QImage& buffer)
{
    scene.HitTestStream.clear();
    if (scene.CurrentMapId == -1 || scene.FirstActivate) {
        buffer.fill(QColor::fromRgba(kMapBackground));
        QPainter painter(&buffer);
        if (!scene.Splash.isNull()) {
            const QPoint c = scene.view.view_center();
            painter.drawImage(c.x() - scene.Splash.width() / 2, c.y() - scene.Splash.height() / 2, scene.Splash);
        }
        if (scene.overlays.tips) draw_tips(scene, painter);
        return;
    }
    MapRenderCache& cache = renderCache(scene);
    MapRenderCache::PaintCost& cost = cache.lastCost;
    cost = {};
    const size_t labelsBefore = cache.labelsMade;
    auto mark = std::chrono::steady_clock::now();
    planZones(scene, cache, buffer);
    cost.planMs = msSince(mark);
    const bool kept = !cache.keptZones.isNull() && cache.zoneKey == cache.keptZoneKey;
    if (kept) {
        std::memcpy(buffer.bits(), cache.keptZones.constBits(), size_t(buffer.sizeInBytes()));
        ++cache.zoneLayersReused;
        // Nothing to draw: time for the copies the zones still lack, for when the view moves.
        // The layer was drawn at this zoom, which has held since: the zoom is not in motion.
        cache.lastZoneZoom = cache.zoneKey.zoom;
        const CopyBudget budget = copyBudget(buffer, false, false);
        cache.beginZones(cache.zoneKey.zoom, budget.bytes, budget.firstFree);
        cache.makeCopiesAhead(cache.zoneKey.zoom, cache.zoneKey.smooth, buffer.rect());
    } else {
        fillAroundZones(buffer, cache);
    }
    QPainter painter(&buffer);
    if (!kept) {
        cost.zonesDrawn = true;
        const bool keeping = cache.zoneKey == cache.lastZoneKey; // the view held still: keep the layer
        drawPlannedZones(scene, cache, painter, copyBudget(buffer, true, keeping));
        cost.zonesMs = msSince(mark);
        if (keeping) {
            if (cache.keptZones.size() != buffer.size() || cache.keptZones.format() != buffer.format() ||
                cache.keptZones.bytesPerLine() != buffer.bytesPerLine())
                cache.keptZones = QImage(buffer.size(), buffer.format());
            std::memcpy(cache.keptZones.bits(), buffer.constBits(), size_t(buffer.sizeInBytes()));
            cache.keptZoneKey = cache.zoneKey;
        }
        cost.keepMs = msSince(mark);
    } else {
        cost.zonesMs = msSince(mark);
    }
    std::swap(cache.lastZoneKey, cache.zoneKey);
    if (scene.overlays.subtitles) draw_veil(painter);
    if (scene.OwnPath.points.size() >= 2) draw_ownpath(scene, painter);
    draw_target(scene, painter);
    draw_compass(scene, painter);
    if (scene.overlays.paths) draw_paths(scene, painter);
    if (scene.overlays.overview) draw_lines(scene, painter, scene.LinkLines);
    draw_lines(scene, painter, scene.RedirLines);
    cost.overlaysMs = msSince(mark);
    draw_locations(scene, painter);
    cost.locationsMs = msSince(mark);
    cost.labelsMade = cache.labelsMade - labelsBefore;
    draw_waypoints(scene, painter);
    draw_zone_highlight(scene, painter);
    if (scene.overlays.tips) draw_tips(scene, painter);
    if (scene.feedback && !scene.feedback->empty()) draw_feedback(painter, *scene.feedback);
    cost.restMs = msSince(mark);
}

} // namespace

LodTable lod_table(int32_t zoom)
{
    LodTable t;
    t.icons[1] = t.labels[1] = true;
    if (zoom < Preferences.LODA) return t;
    t.icons[2] = true;
    if (zoom < Preferences.LODB) return t;
    t.labels[2] = true;
    if (zoom < Preferences.LODC) return t;
    t.icons[3] = t.labels[3] = true;
    return t;
}

int lod_class(uint8_t detailClass)
{
    return detailClass >= 1 && detailClass <= 3 ? detailClass : 3;
}

void update_lod(MapScene& scene)
{
    scene.view.update_stretchfilter();
    const LodTable t = lod_table(scene.view.Zoom);
    if (scene.common) {
        for (auto& c : scene.common->categories) {
            if (!c) continue;
            const int cls = lod_class(c->detailClass);
            c->iconsNow = scene.overlays.levelOfDetail ? t.icons[size_t(cls)] : 1;
            c->labelsNow = t.labels[size_t(cls)];
        }
    }
    for (rwpitem& path : scene.Paths) {
        const bool always = path.item && path.item->command && path.item->command->alwaysShown;
        path.shown = (path.category && path.category->iconsNow) || always;
    }
}

void paint_map_layer(MapScene& scene, QImage& buffer)
{
    if (buffer.isNull()) {
        scene.HitTestStream.clear();
        return;
    }
    if (isDirectFormat(buffer.format())) {
        paintInPlace(scene, buffer);
        return;
    }
    const QImage::Format format = buffer.format();
    QImage work = buffer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    paintInPlace(scene, work);
    buffer = work.convertToFormat(format);
}

void draw_zones(MapScene& scene, QPainter& painter)
{
    MapRenderCache& cache = renderCache(scene);
    planZones(scene, cache, QImage());
    drawPlannedZones(scene, cache, painter, CopyBudget{});
}

void draw_veil(QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    painter.fillRect(QRect(0, 0, device->width(), device->height()), QColor::fromRgba(kVeilColour));
}

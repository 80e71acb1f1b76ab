#include "tile_loader.h"

#include <algorithm>
#include <memory>

#include <QMetaObject>
#include <QPointer>

#include "folders.h"
#include "log.h"
#include "map_loading.h"
#include "preferences.h"

TileLoader::TileLoader(MapScene& scene, QObject* parent) : QObject(parent), scene_(scene)
{
    // Two tiles at a time: a zoom across [MAHD] asks for the few zones in view at once.
    pool_.setMaxThreadCount(2);
}

TileLoader::~TileLoader()
{
    pool_.clear();
    pool_.waitForDone();
}

void TileLoader::request(pMap_info& zone)
{
    if (serial_ != scene_.MapSerial) { // another map since: what is on its way is dropped on arrival
        pending_.clear();
        serial_ = scene_.MapSerial;
    }
    if (!pending_.insert(&zone).second) return;
    const pMap_info* key = &zone;
    const uint64_t serial = serial_;
    const QString mapsDir = MapsDir;
    const std::string fileName = zone.fileName;
    QPointer<TileLoader> self(this);
    pool_.start([self, key, serial, mapsDir, fileName] {
        QImage tile;
        std::vector<std::string> logLines;
        const bool read = read_zone_image(mapsDir, QStringLiteral("high/"), fileName, tile, logLines);
        if (!self) return;
        QMetaObject::invokeMethod(
            self.data(), [self, key, serial, tile = std::move(tile), read, logLines = std::move(logLines)] {
                if (self) self->arrived(key, serial, tile, read, logLines);
            },
            Qt::QueuedConnection);
    });
}

void TileLoader::arrived(const pMap_info* key, uint64_t serial, const QImage& tile, bool read,
                         const std::vector<std::string>& logLines)
{
    if (serial != scene_.MapSerial) return; // decoded for a map no longer shown
    pending_.erase(key);
    for (const std::string& line : logLines) LogLine(line);
    const auto it = std::find(scene_.DisplayedZones.begin(), scene_.DisplayedZones.end(), key);
    if (it == scene_.DisplayedZones.end()) return;
    pMap_info& zone = **it;
    if (!read || tile.width() <= 1) {
        scene_.TilesUnavailable.insert(&zone);
        return;
    }
    // Out of view or zoomed back out meanwhile: not kept (asked for again when needed).
    if (!zone.inView || scene_.view.Zoom <= Preferences.MAHD) return;
    if (!zone.tile) zone.tile = std::make_unique<QImage>();
    *zone.tile = tile;
    if (scene_.view.onRepaint) scene_.view.onRepaint();
}

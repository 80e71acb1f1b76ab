#pragma once
// High-resolution tiles decoded on worker threads. The paint asks for a zone's tile and
// draws the zone's own image scaled in its place until the tile arrives; the tile is then
// stored on its zone and the map repaints. A tile that is missing or cannot be decoded is
// remembered in scene.TilesUnavailable, as when it is read inside the paint. A worker gets
// the file's place and hands back the image and its log lines; it shares nothing with the
// UI thread.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include <QImage>
#include <QObject>
#include <QThreadPool>

#include "map_scene.h"

class TileLoader : public QObject {
    Q_OBJECT
public:
    explicit TileLoader(MapScene& scene, QObject* parent = nullptr);
    ~TileLoader() override;

    // Starts the decode of the zone's tile unless it is already on its way.
    void request(pMap_info& zone);
    // Decodes under way or not yet taken by the UI thread.
    size_t pending() const { return pending_.size(); }
    // Blocks until every decode started has finished (their results still arrive through
    // the event loop).
    void waitForWorkers() { pool_.waitForDone(); }

private:
    void arrived(const pMap_info* zone, uint64_t serial, const QImage& tile, bool read,
                 const std::vector<std::string>& logLines);

    MapScene& scene_;
    QThreadPool pool_;
    std::unordered_set<const pMap_info*> pending_;
    uint64_t serial_ = 0; // the scene's MapSerial that pending_ belongs to
};

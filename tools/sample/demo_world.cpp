#include "demo_world.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "demo_names.h"

namespace sample {

namespace {

constexpr int kZonesPerExtraMap = 20; // maps beyond the named ones hold about this many zones
constexpr int kFirstZoneId = 101;     // zone ids differ from list positions on purpose
constexpr int kZoneSize = 65535;      // world units across one zone
constexpr int kCavesMap = 5;          // the named map without an entry in the map menu

bool startsWithVowel(const std::string& s)
{
    return !s.empty() && std::string("AEIOUYaeiouy\311").find(s[0]) != std::string::npos;
}

// "Val de" + "Arès" gives "Val d'Arès": French elides "de" before a vowel.
std::string joinPlace(const std::string& word, const std::string& name)
{
    if (startsWithVowel(name) && word.size() >= 3 && word.compare(word.size() - 3, 3, " de") == 0)
        return word.substr(0, word.size() - 2) + "d'" + name;
    return word + " " + name;
}

std::string uniqueName(DemoRandom& rng, const Words& words, std::set<std::string>& used, size_t maxLen)
{
    std::string name;
    for (int attempt = 0; attempt < 40; ++attempt) {
        name = joinPlace(rng.pick(words), syllableName(rng)).substr(0, maxLen);
        if (used.insert(name).second) return name;
    }
    // Every short combination is taken: number the last one.
    for (int n = 2;; ++n) {
        std::string suffix(1, ' ');
        suffix += std::to_string(n);
        const size_t keep = maxLen > suffix.size() ? maxLen - suffix.size() : 0;
        const std::string numbered = name.substr(0, keep) + suffix;
        if (used.insert(numbered).second) return numbered;
    }
}

// A polyline across the zone from one edge to the opposite one, wandering sideways.
VecPolyline crossing(DemoRandom& rng)
{
    const bool horizontal = rng.chance(50);
    const int steps = rng.between(5, 10);
    int across = rng.between(8000, 57000);
    VecPolyline line;
    for (int i = 0; i <= steps; ++i) {
        const int along = std::clamp(i * kZoneSize / steps + (i > 0 && i < steps ? rng.between(-1500, 1500) : 0), 0,
                                     kZoneSize);
        across = std::clamp(across + (i > 0 ? rng.between(-4500, 4500) : 0), 0, kZoneSize);
        line.push_back(horizontal ? VecPoint{uint16_t(along), uint16_t(across)}
                                  : VecPoint{uint16_t(across), uint16_t(along)});
    }
    return line;
}

ZoneScene makeScene(int terrain, DemoRandom& rng)
{
    ZoneScene s;
    s.terrain = terrain;
    auto shapes = [&](ZoneScene::ShapeKind kind, int countLo, int countHi, int radiusLo, int radiusHi) {
        for (int n = rng.between(countLo, countHi); n > 0; --n) {
            ZoneScene::Shape shape;
            shape.kind = kind;
            shape.centre = {uint16_t(rng.between(4000, 61500)), uint16_t(rng.between(4000, 61500))};
            shape.radiusX = uint16_t(rng.between(radiusLo, radiusHi));
            shape.radiusY = uint16_t(std::clamp(shape.radiusX * rng.between(60, 140) / 100, 500, 30000));
            s.shapes.push_back(shape);
        }
    };
    switch (terrain) {
    case terrainWater:
        shapes(ZoneScene::lake, 2, 4, 8000, 20000);
        shapes(ZoneScene::wood, 0, 2, 2000, 4000);
        break;
    case terrainForest:
        shapes(ZoneScene::wood, 6, 12, 3000, 7000);
        shapes(ZoneScene::lake, 0, 1, 3000, 6000);
        break;
    case terrainMountains: shapes(ZoneScene::hill, 5, 9, 4000, 9000); break;
    case terrainTown:
        shapes(ZoneScene::house, 8, 16, 800, 2000);
        shapes(ZoneScene::wood, 0, 1, 2000, 4000);
        break;
    default:
        shapes(ZoneScene::wood, 2, 5, 2000, 5000);
        shapes(ZoneScene::hill, 1, 3, 3000, 6000);
        break;
    }
    if (terrain == terrainWater || terrain == terrainForest || rng.chance(30)) s.rivers.push_back(crossing(rng));
    for (int n = terrain == terrainTown ? rng.between(3, 4) : rng.between(1, 3); n > 0; --n)
        s.roads.push_back(crossing(rng));
    s.grain = rng.next();
    return s;
}

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

} // namespace

std::string syllableName(DemoRandom& rng)
{
    const DemoNames& n = demoNames();
    return rng.pick(n.syllablesA) + rng.pick(n.syllablesB);
}

void buildWorld(const SampleOptions& options, DemoRandom& rng, DemoDatabase& db)
{
    const DemoNames& n = demoNames();
    const int zoneCount = options.zones;
    const int mapCount = zoneCount <= int(n.maps.size()) ? zoneCount
                                                          : std::max(int(n.maps.size()), zoneCount / kZonesPerExtraMap);
    for (const std::string& realm : n.realms) db.mapIndex.realms.push_back({realm});

    std::set<std::string> usedMapNames, usedZoneNames;
    for (const DemoMapName& m : n.maps) usedMapNames.insert(m.name);
    int zoneIndex = 0;
    for (int m = 0; m < mapCount; ++m) {
        rRegion map;
        map.mapId = int16_t(m);
        map.icon = 1;
        map.menuFlag = m == kCavesMap ? 0 : 1;
        int terrain;
        std::string slug;
        if (m < int(n.maps.size())) {
            map.name = n.maps[size_t(m)].name;
            map.realm = uint8_t(n.maps[size_t(m)].realm + 1);
            terrain = n.maps[size_t(m)].terrain;
            slug = n.maps[size_t(m)].slug;
        } else {
            map.name = uniqueName(rng, n.mapWords, usedMapNames, 40);
            map.realm = uint8_t(m % int(n.realms.size()) + 1);
            terrain = m % terrainCount;
            char buf[8];
            std::snprintf(buf, sizeof buf, "m%03d", m % 1000);
            slug = buf;
        }
        const int zonesHere = zoneCount / mapCount + (m < zoneCount % mapCount ? 1 : 0);
        int columns = 1;
        while (columns * columns < zonesHere) ++columns;
        for (int k = 0; k < zonesHere; ++k, ++zoneIndex) {
            pMap_info zone;
            zone.name = uniqueName(rng, n.zoneWords, usedZoneNames, 30);
            char file[20];
            std::snprintf(file, sizeof file, "%s_%03d", slug.c_str(), (k + 1) % 1000);
            zone.fileName = file;
            zone.zoneId = int16_t(kFirstZoneId + zoneIndex);
            zone.regionId = map.mapId;
            const int zoneTerrain = rng.chance(70) ? terrain : rng.between(0, terrainCount - 1);
            zone.group = uint8_t(zoneTerrain);
            zone.icon = zoneTerrain == terrainWater ? 3 : 2;
            zone.originX = (k % columns) * kZoneSize;
            zone.originY = -(k / columns) * kZoneSize; // the stored y origin is the negated top edge
            if (k == 0) map.homeZoneId = uint16_t(zone.zoneId);

            ZoneScene scene = makeScene(zoneTerrain, rng);
            scene.diskName = lowerAscii(zone.fileName);
            // A few zones show what the loaders must cope with: a file name whose case
            // differs from the file on disk (the data was made on a case-insensitive file
            // system), a zone image in .bmp form, a zone without tile, one without vectors.
            if (m == 0 && k == 0) zone.fileName[0] = char(zone.fileName[0] - 'a' + 'A');
            if (m == 0 && k == zonesHere - 1 && zonesHere > 1) scene.bmpImage = true;
            if (m == 1 && k == 1) scene.hasTile = false;
            if (m == 4 && k == 0) scene.hasVectors = false;
            db.mapIndex.zones.push_back(std::move(zone));
            db.scenes.push_back(std::move(scene));
        }
        db.mapIndex.maps.push_back(map);
    }
}

} // namespace sample

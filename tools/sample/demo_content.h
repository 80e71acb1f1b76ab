#pragma once
// The demo database in memory: realms, maps and zones with the scenes their images are
// painted from, categories, types, attributes, locations with their links, the user's
// additions and the endpoint list. All of it follows from the options and the seed.
#include <cstdint>
#include <string>
#include <vector>

#include "data_model.h"
#include "sample_writers.h"

namespace sample {

struct SampleOptions {
    uint32_t seed = 1;
    int locations = 2000;
    int zones = 24;
    int categories = 16;
    int imageSize = 0; // side of a zone image in pixels (tiles are twice as large); 0: by zone count
    int fonts = 0;     // categories drawn in this many distinct fonts (face, size, style) in turn; 0: the usual ones
};

// The largest values the maker accepts: zone ids must stay below 32768 (place codes read
// them as signed 16-bit numbers) and category ids are bytes.
constexpr int kMaxZones = 32000;
constexpr int kMaxCategories = 250;
constexpr int kMaxLocations = 2000000;

// What the painter needs to draw one zone at any size. Coordinates are zone units 0..65535.
struct ZoneScene {
    enum ShapeKind { lake, hill, wood, house };
    struct Shape {
        ShapeKind kind = lake;
        VecPoint centre;
        uint16_t radiusX = 0, radiusY = 0;
    };
    int terrain = 0;
    std::vector<Shape> shapes;
    std::vector<VecPolyline> rivers;
    std::vector<VecPolyline> roads;  // rivers and roads together are the zone's vector file
    uint32_t grain = 0;              // seed of the fine texture of the high-resolution tile
    std::string diskName;            // base name of the zone's files as written on disk
    bool bmpImage = false;           // the zone image is a .bmp instead of a .jpg
    bool hasTile = true;             // maps/high/ holds a tile
    bool hasVectors = true;          // maps/ holds a .vec file
};

struct DemoDatabase {
    std::string name; // the database folder's name
    MapIndexContent mapIndex;
    std::vector<ZoneScene> scenes; // one per zone of the map index, in its order
    std::vector<rCateg> categories;
    std::vector<std::string> typeNames;
    std::vector<tboolspec> specs;
    std::vector<rSpecColor> specColours;
    MasterFile master;
    AdditionsFile additions;
    std::vector<std::string> urlLines; // url.bin: the language tag, then the endpoints
    std::vector<std::string> credits;  // creditlist.inf
};

// Options clamped to what the maker accepts.
SampleOptions clampedOptions(const SampleOptions& options);
DemoDatabase buildDemoDatabase(const SampleOptions& options);

} // namespace sample

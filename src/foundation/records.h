#pragma once
// The plain records and small classes that the file readers, the location tree, the
// map view and the editor hand to each other. Texts are Windows-1252 bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "con_colors.h"
#include "memory_stream.h"
#include "spec_set.h"

struct rCateg;    // one category of locations (database tables)
class pMap_info;

constexpr int kNoTreeNode = -1; // tree nodes are referred to by their stable id

// One location on its way into the location tree.
struct rnew_node {
    uint32_t typeId = 0;     // 8-bit: index into the type names; 0 = no type
    uint32_t x = 0;          // 16-bit: position inside the zone
    uint32_t y = 0;          // 16-bit
    std::string name;        // "@" first marks a deleted database location
    uint32_t zoneId = 0;     // 16-bit
    uint32_t categoryId = 0; // 8-bit
    std::string description; // "|" stands for a line break
    uint32_t levelMin = 0;   // 8-bit
    uint32_t levelMax = 0;   // 8-bit
    SpecSet attributes;
    uint32_t id = 0;         // database id; 0 = made by the user
    uint32_t fromMaster = 0; // 1 = read from the master file and unchanged since
    std::string linkText;    // link code or path text; empty = none
    uint32_t locked = 0;
    uint32_t languageTag = 0;
    uint32_t hasItem = 0;    // 0 = a structural node (map, zone, category)
    pMap_info* zone = nullptr;    // filled by addnode
    rCateg* category = nullptr;   // filled by addnode
};

// The decoded link text of a location.
struct rCommand {
    uint8_t route = 0;       // link text starts with "V": a path inside the zone
    uint8_t alwaysShown = 0; // route option: drawn whatever the level of detail
    uint8_t worldRoute = 0;  // link text starts with "S" or "P": world coordinates
    uint8_t colourIndex = 0; // 0 = the location's colour, n = named colour n
    uint32_t colour32 = 0;   // ARGB; the alpha of a route, the whole colour of a world route
    std::string text;        // the link text as stored; "RC" is never stored
};

constexpr size_t kItemNameMax = 40;

// The data of one location for its whole life.
struct rItemdata {
    uint8_t levelMin = 0;
    uint8_t levelMax = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint32_t id = 0;
    uint8_t fromMaster = 0;
    uint8_t locked = 0;
    SpecSet attributes;
    TColor colour = 0;
    std::unique_ptr<rCommand> command; // none when the link text is empty
    std::string name;                  // short string: at most 40 characters
    std::string description;
    uint8_t typeId = 0;
    uint8_t languageTag = 0;

    void setName(const std::string& n) { name = n.substr(0, kItemNameMax); }

    // One per location, millions of them: they come from a pool (block_pool.h).
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size) noexcept;
};

// One web link of the links menu.
struct rLink {
    std::string caption;
    std::string address;
};

struct WorldPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const WorldPoint&) const = default;
};

// One path drawn on the map.
struct rwpitem {
    int node = kNoTreeNode;       // the location node that owns the path
    rItemdata* item = nullptr;
    rCateg* category = nullptr;
    uint32_t colour32 = 0;
    uint8_t shown = 0;
    std::vector<WorldPoint> points; // first point = the location itself
};

constexpr size_t kZoneRecordSize = 72;

// One zone of the map index: one image tile of a map.
class pMap_info {
public:
    pMap_info() = default;
    // Copies the fields of a 72-byte zone record; rec must hold 72 bytes.
    explicit pMap_info(const uint8_t* rec);

    std::string name;      // short string of at most 30 characters
    std::string fileName;  // short string of at most 16 characters
    int16_t zoneId = 0;
    int16_t regionId = 0;
    uint8_t group = 0;
    uint8_t icon = 0;
    int treeNode = kNoTreeNode;
    int32_t originX = 0;   // world x = origin x + local x
    int32_t originY = 0;   // world y = local y - origin y
    std::unique_ptr<QImage> image;          // while the zone's map is displayed
    std::unique_ptr<QImage> tile;           // 1 x 1 placeholder until the tile is loaded
    std::unique_ptr<MemoryStream> vectors;  // converted vector file while displayed
    uint8_t inView = 1;
};

// One named creature attribute of mobspec.txt.
class tboolspec {
public:
    tboolspec(uint8_t id_, uint8_t parentId_, std::string name_)
        : id(id_), parentId(parentId_), name(std::move(name_)) {}
    uint8_t id;        // 1..96 for attributes that appear in a SpecSet
    uint8_t parentId;  // group node of the criteria trees; 0 = top level
    std::string name;
};

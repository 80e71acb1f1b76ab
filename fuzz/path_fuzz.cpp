// Path texts of the map: any link text and any note is read without a throw or a read past
// its end; a route or area that is read has the point count its length gives, and link
// lines are only ever drawn to locations that exist.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "map_paths.h"

namespace {

// One map with one zone, one linkable category and two named locations.
struct SmallWorld {
    TData_map map;
    TData_common common;
    LocationTree tree;
    MapScene scene;
    int source = kNoTreeNode;

    SmallWorld()
    {
        auto region = std::make_unique<rRegion>();
        region->mapId = 1;
        region->name = "Carte";
        map.maps.push_back(std::move(region));
        auto zone = std::make_unique<pMap_info>();
        zone->name = "Zone";
        zone->zoneId = 7;
        zone->regionId = 1;
        zone->originX = 65535;
        zone->originY = -65535;
        map.zones.push_back(std::move(zone));
        auto categ = std::make_unique<rCateg>();
        categ->id = 1;
        categ->linkable = 1;
        categ->iconsNow = 1;
        common.categories.push_back(std::move(categ));
        common.colors = {{"a", 0x010203}, {"b", 0x040506}};
        tree.init_tree(map, common);
        source = addLocation("Tour");
        addLocation("Puits");
        scene.tree = &tree;
        scene.common = &common;
        scene.CurrentMapId = 1;
        scene.DisplayedZones = {map.zones[0].get()};
    }

    int addLocation(const std::string& name)
    {
        rnew_node r;
        r.name = name;
        r.zoneId = 7;
        r.categoryId = 1;
        r.x = 65535;
        r.y = 0;
        r.hasItem = 1;
        return tree.addnode(r);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SmallWorld world;
    const std::string text(reinterpret_cast<const char*>(data), size);

    TNodeData node;
    node.zone = world.map.zones[0].get();
    node.item = std::make_unique<rItemdata>();
    node.item->x = uint16_t(size * 7919);
    node.item->y = uint16_t(size * 104729);
    node.item->colour = 0x00FF8040;
    DecodeLinkText(*node.item, text, 1);

    rwpitem path;
    if (parse_path(world.scene, node, *node.zone, path)) {
        const std::string& t = node.item->command->text;
        if (path.points.size() != (t.size() - 6) / 8 + 1) __builtin_trap();
    } else if (!path.points.empty()) {
        __builtin_trap();
    }
    build_ownpath(world.scene, node);
    if (!world.scene.OwnPath.points.empty()) {
        const std::string& t = node.item->command->text;
        if (world.scene.OwnPath.points.size() != (t.size() - 18) / 8 + 1) __builtin_trap();
    }

    world.scene.LinkLines.clear();
    parse_links(world.scene, world.source, text);
    for (const rLine& line : world.scene.LinkLines)
        if (line.x1 != 2 * 65535 || line.y1 != 65535 || line.x2 != line.x1 || line.y2 != line.y1) __builtin_trap();
    return 0;
}

#pragma once
// A small database built in memory: two maps, four zones, three categories.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data_builders.h"
#include "data_model.h"
#include "location_tree.h"
#include "location_tree_model.h"

struct TreeFixture {
    TData_map map;
    TData_common common;
    LocationTree tree;

    TreeFixture()
    {
        addMap(1, "Nordmark", 10);
        addMap(2, "Sudland", 20);
        addZone("Zeta", 10, 1, 0, 0);
        addZone("alpha", 11, 1, 65535, 0);
        addZone("Beta", 20, 2, 0, 0);
        addZone("Gamma", 21, 2, 65535, 0);
        addCategory(1, "Monstres", kindCreature, 0x0000FF);
        addCategory(2, "Villes", kindNoLevel, 0x00FF00);
        addCategory(3, "Herbes", kindAttributes, 0xFF0000);
        tree.init_tree(map, common);
    }

    void addMap(int16_t id, const std::string& name, uint16_t home) { addMapTo(map, id, name, home); }
    pMap_info* addZone(const std::string& name, int16_t zoneId, int16_t regionId, int32_t ox, int32_t oy)
    {
        return addZoneTo(map, name, zoneId, regionId, ox, oy);
    }
    rCateg* addCategory(uint8_t id, const std::string& name, uint8_t kind, TColor colour)
    {
        return addCategoryTo(common, id, name, kind, colour);
    }
    int add(const std::string& name, int zone, int categ, int x = 100, int y = 200, int lmin = 0, int lmax = 0)
    {
        return tree.addnode({.x = uint32_t(x), .y = uint32_t(y), .name = name, .zoneId = uint32_t(zone),
                             .categoryId = uint32_t(categ), .description = {}, .levelMin = uint32_t(lmin),
                             .levelMax = uint32_t(lmax), .attributes = {}, .linkText = {}, .hasItem = 1});
    }
};

// (row, row count) of every node in tree order, and the root's row count: equal for a
// model that followed the changes and one built afresh.
inline std::vector<std::pair<int, int>> modelRows(const LocationTree& tree, const LocationTreeModel& m)
{
    std::vector<std::pair<int, int>> out;
    tree.forEachNode([&](int n) {
        const QModelIndex i = m.indexOf(n);
        out.emplace_back(i.isValid() ? i.row() : -1, i.isValid() ? m.rowCount(i) : -1);
    });
    out.emplace_back(0, m.rowCount());
    return out;
}

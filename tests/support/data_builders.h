#pragma once
// Builders for the small databases the fixtures make in memory: a map, a zone or a category
// added to the tables the loaders fill, with what the caller gives and the rest at its default.
#include <cstdint>
#include <memory>
#include <string>

#include "data_model.h"

inline rRegion* addMapTo(TData_map& maps, int16_t id, const std::string& name, uint16_t homeZoneId = 0)
{
    auto r = std::make_unique<rRegion>();
    r->mapId = id;
    r->name = name;
    r->homeZoneId = homeZoneId;
    maps.maps.push_back(std::move(r));
    return maps.maps.back().get();
}

inline pMap_info* addZoneTo(TData_map& maps, const std::string& name, int16_t zoneId, int16_t regionId,
                            int32_t originX, int32_t originY)
{
    auto z = std::make_unique<pMap_info>();
    z->name = name;
    z->zoneId = zoneId;
    z->regionId = regionId;
    z->originX = originX;
    z->originY = originY;
    maps.zones.push_back(std::move(z));
    return maps.zones.back().get();
}

inline rCateg* addCategoryTo(TData_common& common, uint8_t id, const std::string& name, uint8_t kind,
                             TColor colour)
{
    auto c = std::make_unique<rCateg>();
    c->id = id;
    c->name = name;
    c->kind = kind;
    c->colour = colour;
    common.categories.push_back(std::move(c));
    return common.categories.back().get();
}

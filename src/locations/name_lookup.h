#pragma once
// Locations found by name: the targets of redirect links and of the link lines drawn
// between locations. Names compare trimmed and through NormalizeText; erased locations
// (names starting with "@") are never found. Both return the first match in tree order,
// or kNoTreeNode.
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>

#include "location_tree.h"

// In the whole tree, or with currentMapOnly in the map shown (its id and tree node;
// kNoTreeNode when none is shown, which finds nothing).
int find_node_byname(const LocationTree& tree, const std::string& name, bool currentMapOnly,
                     int32_t currentMapId, int currentMapNode);

// Among the zones shown, in their order, leaving out categories that do not take links.
int find_node_byname_inzones(const LocationTree& tree, const std::string& name,
                             std::span<pMap_info* const> displayedZones, int32_t currentMapId);

// Every link target of the zones shown, gathered in one walk at the first find(): find()
// answers as find_node_byname_inzones would, without a walk per name. Valid while the tree
// and the zones shown stay as they were.
class LinkTargets {
public:
    LinkTargets(const LocationTree& tree, std::span<pMap_info* const> displayedZones, int32_t currentMapId)
        : tree_(tree), zones_(displayedZones), mapId_(currentMapId)
    {
    }
    int find(const std::string& name) const;

private:
    const LocationTree& tree_;
    std::span<pMap_info* const> zones_;
    int32_t mapId_;
    mutable bool gathered_ = false;
    mutable std::unordered_map<std::string, int> first_; // normalised name -> first location
};

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

// find_node_byname_inzones for many names at once: the zones are walked once in the same
// order and each lookup is a hash. Valid while the tree and the zones shown stay as they were.
class LinkTargetIndex {
public:
    LinkTargetIndex(const LocationTree& tree, std::span<pMap_info* const> displayedZones, int32_t currentMapId);
    int find(const std::string& name) const;

private:
    std::unordered_map<std::string, int> first_; // normalised name -> first location
};

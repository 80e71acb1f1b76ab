#pragma once
// What the file readers need of the location tree: it is the one index of the loaded
// locations, and the master file and additions readers add, find and remove through it.
#include <cstdint>
#include <functional>
#include <vector>

#include "data_model.h"

class NodeStore {
public:
    virtual ~NodeStore() = default;
    // Inserts a location under its zone and category nodes; kNoTreeNode when the zone or
    // the category has no node (the record is dropped).
    virtual int addnode(const rnew_node& record) = 0;
    // The same for a record the caller no longer needs: its texts are moved, not copied.
    virtual int addnodeMove(rnew_node&& record) { return addnode(record); }
    // The node of the first zone of the map index whose zone id (16 bits) matches.
    virtual int find_map_masternode(int32_t zoneId) const = 0;
    // True when the zone node has a node for the category (the category table has it).
    virtual bool hasCategoryNode(int zoneNode, uint32_t categoryId) const = 0;
    // The location nodes of a zone node's subtree at a point, in tree order.
    virtual std::vector<int> locationsAt(int zoneNode, uint16_t x, uint16_t y) const = 0;
    virtual TNodeData* nodeData(int node) const = 0;
    // Removes a location node and frees its data.
    virtual void destroynode(int node) = 0;
    // A hint before a bulk load of about this many locations.
    virtual void reserveLocations(size_t /*count*/) {}
    // A hint that a location of this zone node and category at this point will soon be
    // looked up, added or replaced. Given at steps 3, 2, 1 and 0 as the moment comes closer,
    // each step starts loading what the step before made reachable; it changes nothing.
    virtual void prefetchPoint(int /*zoneNode*/, uint32_t /*categoryId*/, uint16_t /*x*/, uint16_t /*y*/,
                               int /*step*/) const
    {
    }
    // Every location node in tree order, hidden ones included.
    virtual void forEachLocation(const std::function<void(int node, const TNodeData& data)>& visit) const = 0;
    // The user's locations (fromMaster 0, erased ones included) in tree order. A store that
    // keeps them apart finds them without walking every location.
    virtual void forEachUserLocation(const std::function<void(int node, const TNodeData& data)>& visit) const
    {
        forEachLocation([&visit](int node, const TNodeData& d) {
            if (d.item && d.item->fromMaster == 0) visit(node, d);
        });
    }
};

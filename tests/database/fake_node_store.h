#pragma once
// An in-memory location store for the file readers' tests, fuzz targets and benchmarks.
// Every category hangs under every zone. Tree order: zones as added, then categories as
// added, then a category's locations in insertion order (the tree before its first sort).
#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "data_model.h"
#include "node_store.h"

class FakeNodeStore : public NodeStore {
public:
    void addZone(int16_t zoneId)
    {
        zones_.push_back(std::make_unique<pMap_info>());
        zones_.back()->zoneId = zoneId;
        firstZone_.try_emplace(uint16_t(zoneId), zoneNode(zones_.size() - 1));
        lists_.emplace_back(categories_.size());
    }
    void addCategory(uint8_t id, uint8_t kind = kindLevelRange)
    {
        categories_.push_back(std::make_unique<rCateg>());
        categories_.back()->id = id;
        categories_.back()->kind = kind;
        for (auto& perZone : lists_) perZone.resize(categories_.size());
    }

    int addnode(const rnew_node& record) override
    {
        const int zoneNode = find_map_masternode(int32_t(record.zoneId));
        const auto categ = std::find_if(categories_.begin(), categories_.end(),
                                        [&](const auto& c) { return c->id == record.categoryId; });
        if (zoneNode == kNoTreeNode || categ == categories_.end()) return kNoTreeNode;
        rnew_node r = record;
        r.zone = zones_[size_t(-zoneNode - 2)].get();
        r.category = categ->get();
        const int node = int(nodes_.size());
        const int categIndex = int(categ - categories_.begin());
        nodes_.push_back({std::make_unique<TNodeData>(r, &specColours), zoneNode, categIndex});
        lists_[size_t(-zoneNode - 2)][size_t(categIndex)].push_back(node);
        auto& at = points_[key(zoneNode, uint16_t(r.x), uint16_t(r.y))];
        at.push_back(node); // within a point: category order, then insertion order
        std::stable_sort(at.begin(), at.end(), [this](int a, int b) { return nodes_[a].categ < nodes_[b].categ; });
        return node;
    }
    // Zone nodes get ids -2, -3, ... so they never meet location ids.
    int find_map_masternode(int32_t zoneId) const override
    {
        const auto it = firstZone_.find(uint16_t(zoneId));
        return it == firstZone_.end() ? kNoTreeNode : it->second;
    }
    bool hasCategoryNode(int zoneNode, uint32_t categoryId) const override
    {
        return zoneNode != kNoTreeNode && std::any_of(categories_.begin(), categories_.end(),
                                                      [&](const auto& c) { return c->id == categoryId; });
    }
    std::vector<int> locationsAt(int zoneNode, uint16_t x, uint16_t y) const override
    {
        const auto it = points_.find(key(zoneNode, x, y));
        return it == points_.end() ? std::vector<int>{} : it->second;
    }
    TNodeData* nodeData(int node) const override
    {
        return node >= 0 && size_t(node) < nodes_.size() ? nodes_[size_t(node)].data.get() : nullptr;
    }
    void destroynode(int node) override
    {
        const TNodeData* d = nodeData(node);
        if (!d) return;
        auto& at = points_[key(nodes_[size_t(node)].zoneNode, d->item->x, d->item->y)];
        at.erase(std::remove(at.begin(), at.end(), node), at.end());
        nodes_[size_t(node)].data.reset();
    }
    void forEachLocation(const std::function<void(int node, const TNodeData& data)>& visit) const override
    {
        for (const auto& perZone : lists_)
            for (const auto& perCategory : perZone)
                for (const int node : perCategory)
                    if (nodes_[size_t(node)].data) visit(node, *nodes_[size_t(node)].data);
    }

    // The locations' data in tree order.
    std::vector<const rItemdata*> items() const
    {
        std::vector<const rItemdata*> out;
        forEachLocation([&out](int, const TNodeData& d) { out.push_back(d.item.get()); });
        return out;
    }
    size_t liveLocations() const { return items().size(); }

    std::vector<rSpecColor> specColours;

private:
    struct Node {
        std::unique_ptr<TNodeData> data; // none once destroyed
        int zoneNode;
        int categ;
    };
    static int zoneNode(size_t index) { return -int(index) - 2; }
    static uint64_t key(int zoneNode, uint16_t x, uint16_t y)
    {
        return uint64_t(uint32_t(zoneNode)) << 32 | uint32_t(x) << 16 | y;
    }

    std::vector<std::unique_ptr<pMap_info>> zones_;
    std::vector<std::unique_ptr<rCateg>> categories_;
    std::vector<Node> nodes_;
    std::unordered_map<uint16_t, int> firstZone_;
    std::vector<std::vector<std::vector<int>>> lists_; // zone -> category -> location nodes
    std::unordered_map<uint64_t, std::vector<int>> points_;
};

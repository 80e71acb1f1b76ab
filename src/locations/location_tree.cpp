#include "location_tree.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "background_release.h"
#include "text_helpers.h"
#include "tree_update_bracket.h"

namespace {

unsigned char asciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

const std::string kEmpty;

// Below this many nodes a tree is freed on the spot: handing it over costs more than it saves.
constexpr size_t kBackgroundReleaseFrom = 16384;

// Empties `nodes`. A large tree's nodes, each with its payload, item and texts, are taken
// apart on the release thread: a reload or the end of the program does not wait for it.
void releaseNodes(std::vector<TreeNode>& nodes)
{
    if (nodes.size() < kBackgroundReleaseFrom) {
        nodes.clear();
        return;
    }
    DestroyInBackground(std::exchange(nodes, {}));
}

} // namespace

int CompareText(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    // Names sorted together often share a long beginning ("Sanglier des ..."): bytes that
    // are equal fold equal, so runs of them are passed eight at a time.
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) break;
    }
    for (; i < n; ++i) {
        unsigned char x = asciiUpper(static_cast<unsigned char>(a[i]));
        unsigned char y = asciiUpper(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

LocationTree::LocationTree() = default;
LocationTree::~LocationTree()
{
    releaseNodes(nodes_);
}

void LocationTree::BeginUpdate()
{
    if (updateDepth_++ == 0 && observer_) observer_->treeAboutToChange();
}

void LocationTree::EndUpdate()
{
    if (updateDepth_ == 0) return;
    if (--updateDepth_ != 0) return;
    if (observer_) observer_->treeChanged();
    resetChangeLog();
}

void LocationTree::resetChangeLog()
{
    everythingChanged_ = false;
    changedParents_.clear();
    appendLogComplete_ = true;
    listEdits_.clear();
    reshapedParents_.clear();
}

void LocationTree::noteChildrenChange(int parent)
{
    noteListChange(parent);
    if (everythingChanged_ || !appendLogComplete_) return;
    if (reshapedParents_.size() >= kAppendLogLimit) {
        appendLogComplete_ = false;
        return;
    }
    reshapedParents_.push_back(parent);
}

void LocationTree::noteListEdit(int parent, int node, bool added)
{
    noteListChange(parent);
    if (everythingChanged_ || !appendLogComplete_) return;
    if (listEdits_.size() >= kAppendLogLimit) {
        appendLogComplete_ = false;
        return;
    }
    listEdits_.push_back({parent, node, added});
}

void LocationTree::noteListChange(int parent)
{
    if (everythingChanged_) return;
    if (changedParents_.size() >= kChangeLogLimit) {
        // A batch of edits names the same lists again and again: the log keeps each once,
        // and only a batch that reaches far more lists than that makes everything changed.
        std::sort(changedParents_.begin(), changedParents_.end());
        changedParents_.erase(std::unique(changedParents_.begin(), changedParents_.end()), changedParents_.end());
        if (changedParents_.size() > kChangeLogLimit - kChangeLogLimit / 8) {
            everythingChanged_ = true;
            changedParents_.clear();
            return;
        }
    }
    changedParents_.push_back(parent);
}

void LocationTree::clear()
{
    TreeUpdateBracket bracket(*this);
    ++generation_;
    ++contentVersion_;
    resetChangeLog();
    everythingChanged_ = true;
    releaseNodes(nodes_);
    visibleById_.clear();
    visibilityKeys_.clear();
    keysStale_ = false;
    roots_.clear();
    rootsDrift_ = 0;
    aliveCount_ = 0;
    locationCount_ = 0;
    categoryIndex_.clear();
    categoryTableOf_.clear();
    pointSlots_ = {};
    pointUsed_ = 0;
    pointRemoved_ = 0;
    userNodes_.clear();
    zoneNodeById_.clear();
    lastZoneByRegion_.clear();
    mapIndex_ = nullptr;
    common_ = nullptr;
    ChecksChanged = false;
    allUnsorted_ = true;
    rootsUnsorted_ = false;
    unsortedParents_.clear();
    unsortedFlag_.clear();
}

int LocationTree::newNode(int parent, uint8_t level, std::unique_ptr<TNodeData> data)
{
    const int id = int(nodes_.size());
    ++contentVersion_;
    nodes_.emplace_back();
    visibleById_.push_back(1);
    TreeNode& n = nodes_.back();
    n.parent = parent;
    n.level = level;
    n.data = std::move(data);
    std::vector<int>& siblings = parent == kNoTreeNode ? roots_ : nodes_[size_t(parent)].children;
    n.positionHint = int(siblings.size());
    siblings.push_back(id);
    // The payload is at hand: its visibility key costs next to nothing now.
    if (visibilityKeys_.size() == size_t(id)) visibilityKeys_.push_back(keyOf(size_t(id)));
    ++aliveCount_;
    if (parent == kNoTreeNode) noteChildrenChange(parent);
    else noteListEdit(parent, id, true);
    return id;
}

void LocationTree::init_tree(TData_map& mapIndex, TData_common& common)
{
    TreeUpdateBracket bracket(*this);
    clear();
    mapIndex_ = &mapIndex;
    common_ = &common;
    size_t structural = mapIndex.maps.size() + mapIndex.zones.size() * (1 + common.categories.size());
    nodes_.reserve(structural);

    std::vector<int32_t> firstZoneById(65536, -1); // zone id -> index in the zone list
    lastZoneByRegion_.assign(65536, -1);
    for (size_t i = 0; i < mapIndex.zones.size(); ++i) {
        pMap_info& z = *mapIndex.zones[i];
        z.treeNode = kNoTreeNode;
        int32_t& first = firstZoneById[uint16_t(z.zoneId)];
        if (first < 0) first = int32_t(i);
        lastZoneByRegion_[uint16_t(z.regionId)] = int32_t(i);
    }
    // Zones grouped by region, in zone-list order.
    std::unordered_map<int, std::vector<pMap_info*>> zonesByRegion;
    for (auto& z : mapIndex.zones) zonesByRegion[z->regionId].push_back(z.get());

    for (auto& mapRecord : mapIndex.maps) {
        rnew_node r;
        r.name = mapRecord->name;
        auto data = std::make_unique<TNodeData>(r, nullptr);
        data->region = mapRecord.get();
        const int mapNode = newNode(kNoTreeNode, levelMap, std::move(data));
        mapRecord->treeNode = mapNode;
        auto it = zonesByRegion.find(mapRecord->mapId);
        if (it == zonesByRegion.end()) continue;
        for (pMap_info* zone : it->second) {
            rnew_node zr;
            zr.name = zone->name;
            zr.zone = zone;
            const int zoneNode = newNode(mapNode, levelZone, std::make_unique<TNodeData>(zr, nullptr));
            zone->treeNode = zoneNode;
            for (auto& categ : common.categories) {
                rnew_node cr;
                cr.name = categ->name;
                cr.categoryId = categ->id;
                cr.zone = zone;
                cr.category = categ.get();
                const int categNode = newNode(zoneNode, levelCategory, std::make_unique<TNodeData>(cr, nullptr));
                nodes_[size_t(categNode)].visible = false; // visible with its first location
                visibleById_[size_t(categNode)] = 0;
            }
        }
    }
    // Every list that can gain children is here now: their flags are made once, not grown
    // by the merge that marks them.
    unsortedFlag_.assign(nodes_.size(), 0);
    zoneNodeById_.assign(65536, kNoTreeNode);
    for (size_t id = 0; id < firstZoneById.size(); ++id)
        if (firstZoneById[id] >= 0) zoneNodeById_[id] = mapIndex.zones[size_t(firstZoneById[id])]->treeNode;
    rebuildCategoryIndex();
}

void LocationTree::rebuildCategoryIndex()
{
    categoryIndex_.clear();
    categoryTableOf_.assign(nodes_.size(), -1);
    if (!mapIndex_) return;
    for (auto& zone : mapIndex_->zones) {
        if (!isNode(zone->treeNode)) continue;
        std::array<int, 256> table;
        table.fill(kNoTreeNode);
        for (int child : nodes_[size_t(zone->treeNode)].children) {
            const TreeNode& c = nodes_[size_t(child)];
            if (c.level != levelCategory || !c.data || !c.data->category) continue;
            int& slot = table[c.data->category->id];
            if (slot == kNoTreeNode) slot = child;
        }
        categoryTableOf_[size_t(zone->treeNode)] = int(categoryIndex_.size());
        categoryIndex_.push_back(table);
    }
}

int LocationTree::categoryNodeFor(int zoneNode, uint8_t categoryId) const
{
    if (zoneNode < 0 || size_t(zoneNode) >= categoryTableOf_.size() || categoryTableOf_[size_t(zoneNode)] < 0)
        return kNoTreeNode;
    return categoryIndex_[size_t(categoryTableOf_[size_t(zoneNode)])][categoryId];
}

bool LocationTree::hasCategoryNode(int zoneNode, uint32_t categoryId) const
{
    return categoryId <= 255 && categoryNodeFor(zoneNode, uint8_t(categoryId)) != kNoTreeNode;
}

void LocationTree::reserveLocations(size_t count)
{
    nodes_.reserve(nodes_.size() + count);
    visibleById_.reserve(nodes_.size() + count);
    visibilityKeys_.reserve(nodes_.size() + count);
    size_t capacity = std::max<size_t>(pointSlots_.size(), 1024);
    while ((locationCount_ + count) * 2 > capacity) capacity *= 2;
    if (capacity > pointSlots_.size()) resizePointIndex(capacity);
}

int LocationTree::find_map_masternode(int32_t zoneId) const
{
    if (zoneId == -1 || zoneNodeById_.empty()) return kNoTreeNode;
    return zoneNodeById_[uint16_t(zoneId)];
}

int LocationTree::find_region_masternode(int32_t mapId) const
{
    if (mapId == -1 || lastZoneByRegion_.empty() || !mapIndex_) return kNoTreeNode;
    const int32_t idx = lastZoneByRegion_[uint16_t(mapId)];
    return idx < 0 ? kNoTreeNode : mapIndex_->zones[size_t(idx)]->treeNode;
}

int LocationTree::addnode(const rnew_node& record)
{
    return addnodeMove(rnew_node(record));
}

int LocationTree::addnodeMove(rnew_node&& record)
{
    AutosaveAllowed = false;
    int result = kNoTreeNode;
    const int zoneNode = find_map_masternode(int32_t(record.zoneId));
    if (isNode(zoneNode) && record.categoryId <= 255) {
        const int categNode = categoryNodeFor(zoneNode, uint8_t(record.categoryId));
        if (categNode != kNoTreeNode) {
            TreeUpdateBracket bracket(*this);
            rnew_node& r = record;
            const TNodeData& categData = *nodes_[size_t(categNode)].data;
            r.zone = categData.zone;
            r.category = categData.category;
            const bool erased = IsErasedName(r.name);
            const uint16_t x = uint16_t(r.x), y = uint16_t(r.y);
            auto data = std::make_unique<TNodeData>(std::move(r), common_ ? &common_->specColors : nullptr);
            const bool user = data->item && data->item->fromMaster == 0;
            result = newNode(categNode, levelLocation, std::move(data));
            if (user) userNodes_.push_back(result);
            nodes_[size_t(result)].visible = !erased;
            visibleById_[size_t(result)] = !erased;
            setVisibleInBracket(categNode, true);
            markUnsorted(categNode);
            addToPointIndex(pointKey(zoneNode, x, y), result);
            ++locationCount_;
        }
    }
    AutosaveAllowed = true;
    return result;
}

uint32_t LocationTree::pointTag(uint64_t key)
{
    // The 64-bit finaliser of splitmix64: neighbouring points land far apart.
    key ^= key >> 30;
    key *= 0xbf58476d1ce4e5b9ull;
    key ^= key >> 27;
    key *= 0x94d049bb133111ebull;
    key ^= key >> 31;
    return uint32_t(key);
}

void LocationTree::resizePointIndex(size_t capacity)
{
    std::vector<PointSlot> old;
    old.swap(pointSlots_);
    pointSlots_.assign(capacity, PointSlot{});
    const size_t mask = capacity - 1;
    const bool dropRemoved = pointRemoved_ > 0;
    pointUsed_ = 0;
    pointRemoved_ = 0;
    for (const PointSlot& slot : old) {
        if (slot.node == kNoTreeNode) continue;
        if (dropRemoved && !isNode(slot.node)) continue;
        size_t i = slot.tag & mask;
        while (pointSlots_[i].node != kNoTreeNode) i = (i + 1) & mask;
        pointSlots_[i] = slot;
        ++pointUsed_;
    }
}

void LocationTree::addToPointIndex(uint64_t key, int node)
{
    // At most three quarters full; a table that filled up with removed nodes is rebuilt
    // at its size, one that filled up with live ones at twice its size.
    if ((pointUsed_ + 1) * 4 > pointSlots_.size() * 3) {
        const size_t live = pointUsed_ - pointRemoved_ + 1;
        size_t capacity = std::max<size_t>(pointSlots_.size(), 1024);
        while (live * 2 > capacity) capacity *= 2;
        resizePointIndex(capacity);
    }
    const uint32_t tag = pointTag(key);
    const size_t mask = pointSlots_.size() - 1;
    size_t i = tag & mask;
    while (pointSlots_[i].node != kNoTreeNode) i = (i + 1) & mask;
    pointSlots_[i] = PointSlot{int32_t(node), tag};
    ++pointUsed_;
}

void LocationTree::prefetchPoint(int zoneNode, uint32_t categoryId, uint16_t x, uint16_t y, int step) const
{
    // In a large tree the slots, nodes, payloads and lists a merged line reads lie far apart:
    // started a few lines ahead, their loads overlap with the work on the lines between.
    if (pointSlots_.empty() || !isNode(zoneNode)) return;
    const uint32_t tag = pointTag(pointKey(zoneNode, x, y));
    const size_t mask = pointSlots_.size() - 1;
    // The category's node, then the end of its list, where an added location goes.
    const int category = step <= 2 && categoryId <= 255 ? categoryNodeFor(zoneNode, uint8_t(categoryId)) : kNoTreeNode;
    if (step >= 3) {
        __builtin_prefetch(&pointSlots_[tag & mask]);
        if (size_t(zoneNode) < categoryTableOf_.size() && categoryTableOf_[size_t(zoneNode)] >= 0 && categoryId <= 255)
            __builtin_prefetch(&categoryIndex_[size_t(categoryTableOf_[size_t(zoneNode)])][categoryId]);
        return;
    }
    if (step == 2 && category != kNoTreeNode) __builtin_prefetch(&nodes_[size_t(category)]);
    if (step == 1 && category != kNoTreeNode) {
        const TreeNode& c = nodes_[size_t(category)];
        __builtin_prefetch(c.children.data() + c.children.size());
        __builtin_prefetch(c.data.get()); // its zone and category are copied into the new payload
    }
    for (size_t i = tag & mask; pointSlots_[i].node != kNoTreeNode; i = (i + 1) & mask) {
        const PointSlot& slot = pointSlots_[i];
        if (slot.tag != tag) continue;
        const size_t id = size_t(slot.node);
        const TreeNode& n = nodes_[id];
        if (step == 2) {
            __builtin_prefetch(&n);
            // The flags a replaced location's removal clears, kept by id: a store whose page
            // is not mapped in the TLB holds up every instruction after it.
            __builtin_prefetch(&visibleById_[id], 1);
            if (id < visibilityKeys_.size()) __builtin_prefetch(&visibilityKeys_[id], 1);
            continue;
        }
        if (!n.alive || !n.data) continue;
        if (step == 1) {
            __builtin_prefetch(n.data.get());
            __builtin_prefetch(n.data.get() + 1); // the item follows its payload
            if (n.parent != kNoTreeNode) {
                // Where a replaced location is taken from its list.
                const std::vector<int>& siblings = nodes_[size_t(n.parent)].children;
                if (size_t(n.positionHint) < siblings.size()) __builtin_prefetch(siblings.data() + n.positionHint);
            }
            continue;
        }
        if (n.data->item) {
            // The texts the line is compared with, and freed with a replaced location.
            __builtin_prefetch(n.data->item->name.data());
            __builtin_prefetch(n.data->item->description.data());
        }
    }
}

std::vector<int> LocationTree::locationsAt(int zoneNode, uint16_t x, uint16_t y) const
{
    std::vector<int> found;
    if (pointSlots_.empty()) return found;
    const uint64_t key = pointKey(zoneNode, x, y);
    const uint32_t tag = pointTag(key);
    const size_t mask = pointSlots_.size() - 1;
    for (size_t i = tag & mask; pointSlots_[i].node != kNoTreeNode; i = (i + 1) & mask) {
        const PointSlot& slot = pointSlots_[i];
        if (slot.tag != tag || !isNode(slot.node)) continue;
        const TreeNode& n = nodes_[size_t(slot.node)];
        if (!n.data || !n.data->item) continue;
        const int zone = nodes_[size_t(n.parent)].parent;
        if (pointKey(zone, n.data->item->x, n.data->item->y) == key) found.push_back(slot.node);
    }
    if (found.size() < 2) return found;
    // Tree order: category position under the zone, then position in the category.
    std::vector<std::pair<std::pair<int, int>, int>> keyed;
    keyed.reserve(found.size());
    for (const int id : found) keyed.push_back({{positionOf(nodes_[size_t(id)].parent), positionOf(id)}, id});
    std::sort(keyed.begin(), keyed.end());
    for (size_t i = 0; i < keyed.size(); ++i) found[i] = keyed[i].second;
    return found;
}

TNodeData* LocationTree::nodeData(int node) const
{
    return isNode(node) ? nodes_[size_t(node)].data.get() : nullptr;
}

void LocationTree::destroynode(int node)
{
    if (!isNode(node)) return;
    TreeUpdateBracket bracket(*this);
    ++contentVersion_;
    // Children first (only structural nodes have any).
    std::vector<int> kids = nodes_[size_t(node)].children;
    for (int k : kids) destroynode(k);
    TreeNode& n = nodes_[size_t(node)];
    if (n.level == levelLocation) {
        --locationCount_;
        ++pointRemoved_; // its slot in the point index stays until the next growth
    }
    std::vector<int>& siblings = n.parent == kNoTreeNode ? roots_ : nodes_[size_t(n.parent)].children;
    int& drift = n.parent == kNoTreeNode ? rootsDrift_ : nodes_[size_t(n.parent)].childDrift;
    siblings.erase(siblings.begin() + positionOf(node));
    // The siblings after it keep their hints, one too high now, until the list has lost so
    // many that finding a position would take long.
    if (++drift > kMaxChildDrift) renumber(siblings, drift);
    if (n.parent == kNoTreeNode) noteChildrenChange(n.parent);
    else noteListEdit(n.parent, node, false);
    n.alive = false;
    visibleById_[size_t(node)] = 0;
    if (size_t(node) < visibilityKeys_.size()) visibilityKeys_[size_t(node)] = {};
    n.data.reset();
    n.children.clear();
    n.children.shrink_to_fit();
    --aliveCount_;
}

const std::vector<int>& LocationTree::children(int node) const
{
    static const std::vector<int> none;
    if (node == kNoTreeNode) return roots_;
    return isNode(node) ? nodes_[size_t(node)].children : none;
}

void LocationTree::forEachNode(const std::function<void(int node)>& visit) const
{
    std::vector<std::pair<const std::vector<int>*, size_t>> stack;
    stack.push_back({&roots_, 0});
    while (!stack.empty()) {
        auto& [list, pos] = stack.back();
        if (pos >= list->size()) {
            stack.pop_back();
            continue;
        }
        const int id = (*list)[pos++];
        visit(id);
        const TreeNode& n = nodes_[size_t(id)];
        if (!n.children.empty()) stack.push_back({&n.children, 0});
    }
}

void LocationTree::forEachLocation(const std::function<void(int node, const TNodeData& data)>& visit) const
{
    forEachNode([&](int id) {
        const TreeNode& n = nodes_[size_t(id)];
        if (n.level == levelLocation && n.data) visit(id, *n.data);
    });
}

void LocationTree::markUserLocation(int node)
{
    TNodeData* d = levelOf(node) == levelLocation ? nodes_[size_t(node)].data.get() : nullptr;
    if (!d || !d->item) return;
    if (d->item->fromMaster != 0) userNodes_.push_back(node);
    d->item->fromMaster = 0;
}

void LocationTree::forEachUserLocation(const std::function<void(int node, const TNodeData& data)>& visit) const
{
    // Tree order is the order of the positions on the path from the root: map, zone,
    // category, location.
    using Entry = UserEntry;
    // In a large tree the user's nodes, their payloads and their parents lie far apart: the
    // loads of each step are started for every node before the next step reads them, so
    // that the misses overlap instead of following one another.
    for (const int id : userNodes_)
        if (isNode(id)) __builtin_prefetch(&nodes_[size_t(id)]);
    for (const int id : userNodes_) {
        if (!isNode(id)) continue;
        const TreeNode& n = nodes_[size_t(id)];
        __builtin_prefetch(n.data.get());
        __builtin_prefetch(n.data.get() + 1); // the item follows its payload
        if (n.parent != kNoTreeNode) __builtin_prefetch(&nodes_[size_t(n.parent)]);
    }
    for (const int id : userNodes_) {
        if (!isNode(id)) continue;
        const TreeNode& n = nodes_[size_t(id)];
        // A location added after the load may have its item anywhere, not after its payload.
        if (n.data) __builtin_prefetch(n.data->item.get());
        if (n.parent == kNoTreeNode) continue;
        const TreeNode& category = nodes_[size_t(n.parent)];
        if (category.parent != kNoTreeNode) __builtin_prefetch(&nodes_[size_t(category.parent)]);
        // In a list that lost children since it was numbered, the position is looked for in
        // the list, back from the hint.
        if (category.childDrift != 0 && !category.children.empty()) {
            const size_t at = std::min(size_t(n.positionHint), category.children.size() - 1);
            __builtin_prefetch(category.children.data() + at);
            if (at >= size_t(category.childDrift)) __builtin_prefetch(category.children.data() + at - size_t(category.childDrift));
        }
    }
    std::vector<Entry>& entries = userEntries_;
    entries.clear();
    entries.reserve(userNodes_.size());
    for (const int id : userNodes_) {
        if (!isNode(id)) continue;
        const TreeNode& n = nodes_[size_t(id)];
        if (n.level != levelLocation || !n.data || !n.data->item || n.data->item->fromMaster != 0) continue;
        Entry e{{0, 0, 0, positionOf(id)}, id};
        int up = n.parent;
        for (int level = 2; level >= 0 && up != kNoTreeNode; --level) {
            e.path[size_t(level)] = positionOf(up);
            up = nodes_[size_t(up)].parent;
        }
        entries.push_back(e);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });
    // A node marked twice sorts next to itself.
    entries.erase(std::unique(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.node == b.node; }),
                  entries.end());
    userNodes_.clear();
    for (const Entry& e : entries) userNodes_.push_back(e.node);
    constexpr size_t kAhead = 4;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i + kAhead < entries.size()) {
            const rItemdata& ahead = *nodes_[size_t(entries[i + kAhead].node)].data->item;
            __builtin_prefetch(ahead.name.data());
            __builtin_prefetch(ahead.description.data());
        }
        visit(entries[i].node, *nodes_[size_t(entries[i].node)].data);
    }
}

int LocationTree::positionOf(int node) const
{
    const TreeNode& n = nodes_[size_t(node)];
    const int drift = n.parent == kNoTreeNode ? rootsDrift_ : nodes_[size_t(n.parent)].childDrift;
    if (drift == 0) return n.positionHint;
    // Removals only move a child towards the front, by at most `drift` places.
    const std::vector<int>& siblings = children(n.parent);
    if (siblings.empty()) return -1;
    size_t i = std::min(size_t(n.positionHint), siblings.size() - 1);
    for (;; --i) {
        if (siblings[i] == node) return int(i);
        if (i == 0) return -1; // not in its parent's list: a removed node
    }
}

void LocationTree::renumber(std::vector<int>& list, int& drift)
{
    for (size_t i = 0; i < list.size(); ++i) nodes_[size_t(list[i])].positionHint = int(i);
    drift = 0;
}

int LocationTree::nextNode(int node) const
{
    if (!isNode(node)) return kNoTreeNode;
    const TreeNode& n = nodes_[size_t(node)];
    if (!n.children.empty()) return n.children.front();
    for (int cur = node; cur != kNoTreeNode; cur = nodes_[size_t(cur)].parent) {
        const std::vector<int>& siblings = children(nodes_[size_t(cur)].parent);
        const size_t next = size_t(positionOf(cur) + 1);
        if (next < siblings.size()) return siblings[next];
    }
    return kNoTreeNode;
}

std::string LocationTree::get_nodetext(int node) const
{
    if (!isNode(node)) return {};
    const TreeNode& n = nodes_[size_t(node)];
    if (!n.data) return {};
    switch (n.level) {
    case levelMap: return n.data->region ? n.data->region->name : kEmpty;
    case levelZone: return n.data->zone ? n.data->zone->name : kEmpty;
    case levelCategory: return n.data->category ? n.data->category->name : kEmpty;
    default: return n.data->item ? n.data->item->name : kEmpty;
    }
}

void LocationTree::markUnsorted(int parent)
{
    if (allUnsorted_) return;
    if (parent == kNoTreeNode) {
        rootsUnsorted_ = true;
        return;
    }
    if (!isNode(parent)) return;
    // Lists that gain children are those of the structural nodes, made first with the lowest
    // ids: the flags grow to cover them, not every node of a large tree.
    if (unsortedFlag_.size() <= size_t(parent))
        unsortedFlag_.resize(std::max(size_t(parent) + 1, 2 * unsortedFlag_.size()), 0);
    if (unsortedFlag_[size_t(parent)]) return;
    unsortedFlag_[size_t(parent)] = 1;
    unsortedParents_.push_back(parent);
}

void LocationTree::sortChildren(std::vector<int>& list)
{
    auto text = [this](int id) -> const std::string& {
        const TreeNode& n = nodes_[size_t(id)];
        if (!n.data) return kEmpty;
        switch (n.level) {
        case levelMap: return n.data->region ? n.data->region->name : kEmpty;
        case levelZone: return n.data->zone ? n.data->zone->name : kEmpty;
        case levelCategory: return n.data->category ? n.data->category->name : kEmpty;
        default: return n.data->item ? n.data->item->name : kEmpty;
        }
    };
    // Each text is looked up once; the comparisons then touch only the texts.
    std::vector<std::pair<const std::string*, int>> keyed;
    keyed.reserve(list.size());
    // In a large tree a list's nodes lie far apart, and each text is three loads away from its
    // id (node, payload, text): the loads for a few ids ahead are started early, so that the
    // misses overlap instead of following one another.
    constexpr size_t kAhead = 4;
    const size_t count = list.size();
    for (size_t i = 0; i < count && i < 2 * kAhead; ++i) __builtin_prefetch(&nodes_[size_t(list[i])]);
    for (size_t i = 0; i < count; ++i) {
        if (i + 2 * kAhead < count) __builtin_prefetch(&nodes_[size_t(list[i + 2 * kAhead])]);
        if (i + kAhead < count) {
            const TreeNode& ahead = nodes_[size_t(list[i + kAhead])];
            if (ahead.data) __builtin_prefetch(ahead.data.get() + 1); // the item follows its payload
        }
        const std::string& t = text(list[i]);
        __builtin_prefetch(t.data());
        keyed.push_back({&t, list[i]});
    }
    auto less = [](const std::pair<const std::string*, int>& a, const std::pair<const std::string*, int>& b) {
        return CompareText(*a.first, *b.first) < 0;
    };
    if (keyed.size() <= 24) {
        // Most categories hold a handful of locations: a stable insertion sort needs no buffer.
        for (size_t i = 1; i < keyed.size(); ++i) {
            const auto v = keyed[i];
            size_t j = i;
            for (; j > 0 && less(v, keyed[j - 1]); --j) keyed[j] = keyed[j - 1];
            keyed[j] = v;
        }
    } else {
        std::stable_sort(keyed.begin(), keyed.end(), less);
    }
    for (size_t i = 0; i < keyed.size(); ++i) list[i] = keyed[i].second;
    for (size_t i = 0; i < list.size(); ++i) nodes_[size_t(list[i])].positionHint = int(i);
}

void LocationTree::sortAll()
{
    TreeUpdateBracket bracket(*this);
    if (allUnsorted_ || rootsUnsorted_ || !unsortedParents_.empty()) ++contentVersion_;
    bool zoneListsMoved = false;
    if (allUnsorted_) {
        sortChildren(roots_);
        rootsDrift_ = 0;
        for (TreeNode& n : nodes_) {
            if (!n.alive) continue;
            if (n.children.size() > 1) sortChildren(n.children);
            else if (n.childDrift != 0) renumber(n.children, n.childDrift);
            n.childDrift = 0;
        }
        zoneListsMoved = true;
        everythingChanged_ = true;
        changedParents_.clear();
    } else {
        if (rootsUnsorted_) {
            sortChildren(roots_);
            rootsDrift_ = 0;
            noteChildrenChange(kNoTreeNode);
        }
        for (int parent : unsortedParents_) {
            if (!isNode(parent)) continue;
            TreeNode& n = nodes_[size_t(parent)];
            if (n.children.size() > 1) sortChildren(n.children);
            else renumber(n.children, n.childDrift);
            n.childDrift = 0;
            noteChildrenChange(parent);
            // The category index records each zone's category nodes in their order.
            if (n.level == levelZone) zoneListsMoved = true;
        }
    }
    for (int parent : unsortedParents_)
        if (size_t(parent) < unsortedFlag_.size()) unsortedFlag_[size_t(parent)] = 0;
    unsortedParents_.clear();
    allUnsorted_ = false;
    rootsUnsorted_ = false;
    if (zoneListsMoved) rebuildCategoryIndex();
}

VisibilityKey LocationTree::keyOf(size_t id) const
{
    VisibilityKey key;
    const TreeNode& n = nodes_[id];
    if (!n.alive) return key;
    if (n.level == levelCategory) {
        key.rule = VisibilityKey::category;
    } else if (n.level == levelLocation && n.data && n.data->item) {
        const rItemdata& it = *n.data->item;
        key.rule = VisibilityKey::location;
        if (IsErasedName(it.name)) key.rule |= VisibilityKey::erased;
        if (n.data->category && n.data->category->kind == kindCreature) key.rule |= VisibilityKey::creature;
        key.levelMin = it.levelMin;
        key.levelMax = it.levelMax;
    }
    return key;
}

const std::vector<VisibilityKey>& LocationTree::visibilityKeys()
{
    size_t from = visibilityKeys_.size();
    if (keysStale_) from = 0;
    keysStale_ = false;
    visibilityKeys_.resize(nodes_.size());
    for (size_t id = from; id < nodes_.size(); ++id) visibilityKeys_[id] = keyOf(id);
    return visibilityKeys_;
}

void LocationTree::setVisible(int node, bool visible)
{
    if (!isNode(node) || nodes_[size_t(node)].visible == visible) return;
    TreeUpdateBracket bracket(*this);
    setVisibleInBracket(node, visible);
}

void LocationTree::setCheckState(int node, NodeCheck state)
{
    if (!isNode(node)) return;
    std::vector<int> changedNodes;
    // Down: the node and every descendant take the state.
    std::vector<int> stack{node};
    while (!stack.empty()) {
        const int id = stack.back();
        stack.pop_back();
        TreeNode& n = nodes_[size_t(id)];
        if (n.check != state) {
            n.check = state;
            changedNodes.push_back(id);
        }
        for (int c : n.children) stack.push_back(c);
    }
    // Up: each ancestor summarises its children.
    for (int p = nodes_[size_t(node)].parent; p != kNoTreeNode; p = nodes_[size_t(p)].parent) {
        bool all = true, none = true;
        for (int c : nodes_[size_t(p)].children) {
            const NodeCheck s = nodes_[size_t(c)].check;
            if (s != NodeCheck::Checked) all = false;
            if (s != NodeCheck::Unchecked) none = false;
        }
        const NodeCheck summary = all ? NodeCheck::Checked : none ? NodeCheck::Unchecked : NodeCheck::Mixed;
        if (nodes_[size_t(p)].check == summary) break;
        nodes_[size_t(p)].check = summary;
        changedNodes.push_back(p);
    }
    ChecksChanged = true;
    notifyNodesChanged(changedNodes);
}

void LocationTree::notifyNodesChanged(const std::vector<int>& nodes)
{
    if (observer_ && !nodes.empty() && updateDepth_ == 0) observer_->nodesChanged(nodes);
}

#include "name_lookup.h"

#include <algorithm>

#include "delphi_conv.h"
#include "text_helpers.h"

namespace {

bool sameMap(int16_t regionId, int32_t mapId)
{
    // Map ids are 16-bit; compare their 16 bits whatever width the caller keeps.
    return uint16_t(regionId) == uint16_t(mapId);
}

// A location whose name matches the normalised needle.
bool isMatch(const LocationTree& tree, int node, const std::string& needle)
{
    if (tree.levelOf(node) != levelLocation) return false;
    const TNodeData* d = tree.nodeData(node);
    if (!d || !d->item) return false;
    const std::string& name = d->item->name;
    if (IsErasedName(name) || name.size() != needle.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (UpCaseNoAccent(name[i]) != needle[i]) return false;
    return true;
}

bool zoneInMap(const LocationTree& tree, int node, int32_t mapId)
{
    const TNodeData* d = tree.nodeData(node);
    return d && d->zone && sameMap(d->zone->regionId, mapId);
}

// The node after `node`'s subtree in tree order.
int nextAfterSubtree(const LocationTree& tree, int node)
{
    for (int cur = node; cur != kNoTreeNode; cur = tree.parentOf(cur)) {
        const std::vector<int>& siblings = tree.children(tree.parentOf(cur));
        const size_t next = size_t(tree.node(cur).indexInParent) + 1;
        if (next < siblings.size()) return siblings[next];
    }
    return kNoTreeNode;
}

} // namespace

int find_node_byname(const LocationTree& tree, const std::string& name, bool currentMapOnly,
                     int32_t currentMapId, int currentMapNode)
{
    const std::string needle = NormalizeText(DelphiTrim(name));
    int node = kNoTreeNode;
    if (currentMapOnly) {
        if (!tree.isNode(currentMapNode)) return kNoTreeNode;
        node = currentMapNode;
    } else if (!tree.roots().empty()) {
        node = tree.roots().front();
    }
    for (; node != kNoTreeNode; node = tree.nextNode(node)) {
        // Walking on from the map's node, its zones end at the first zone of another map.
        if (currentMapOnly && tree.levelOf(node) == levelZone && !zoneInMap(tree, node, currentMapId)) break;
        if (isMatch(tree, node, needle)) return node;
    }
    return kNoTreeNode;
}

int find_node_byname_inzones(const LocationTree& tree, const std::string& name,
                             std::span<pMap_info* const> displayedZones, int32_t currentMapId)
{
    const std::string needle = NormalizeText(DelphiTrim(name));
    // The walk from a zone goes on through the later zones of the map. Once a zone's walk
    // has found nothing, a later walk that reaches that zone can stop there: the rest is
    // the same ground.
    std::vector<int> searched;
    for (const pMap_info* zone : displayedZones) {
        if (!zone || !tree.isNode(zone->treeNode)) continue;
        const std::vector<int>& top = tree.children(zone->treeNode);
        int node = top.empty() ? kNoTreeNode : top.front();
        while (node != kNoTreeNode) {
            if (!zoneInMap(tree, node, currentMapId)) break;
            const int level = tree.levelOf(node);
            if (level == levelZone && std::find(searched.begin(), searched.end(), node) != searched.end()) break;
            if (level == levelCategory) {
                const TNodeData* d = tree.nodeData(node);
                if (!d || !d->category || d->category->linkable == 0) {
                    node = nextAfterSubtree(tree, node);
                    continue;
                }
            }
            if (isMatch(tree, node, needle)) return node;
            node = tree.nextNode(node);
        }
        searched.push_back(zone->treeNode);
    }
    return kNoTreeNode;
}

LinkTargetIndex::LinkTargetIndex(const LocationTree& tree, std::span<pMap_info* const> displayedZones,
                                 int32_t currentMapId)
{
    // Each walk of find_node_byname_inzones runs from its zone to the end of the map, or to
    // the start of an earlier walk, which ran to the end itself: from any zone already
    // walked on, everything has been seen. A name keeps the first location seen.
    std::vector<int> walked;
    auto seen = [&](int zoneNode) { return std::find(walked.begin(), walked.end(), zoneNode) != walked.end(); };
    for (const pMap_info* zone : displayedZones) {
        if (!zone || !tree.isNode(zone->treeNode) || seen(zone->treeNode)) continue;
        walked.push_back(zone->treeNode);
        const std::vector<int>& top = tree.children(zone->treeNode);
        int node = top.empty() ? kNoTreeNode : top.front();
        while (node != kNoTreeNode) {
            if (!zoneInMap(tree, node, currentMapId)) break;
            const int level = tree.levelOf(node);
            if (level == levelZone) {
                if (seen(node)) break;
                walked.push_back(node);
            } else if (level == levelCategory) {
                const TNodeData* d = tree.nodeData(node);
                if (!d || !d->category || d->category->linkable == 0) {
                    node = nextAfterSubtree(tree, node);
                    continue;
                }
            } else if (level == levelLocation) {
                const TNodeData* d = tree.nodeData(node);
                if (d && d->item && !IsErasedName(d->item->name)) first_.emplace(NormalizeText(d->item->name), node);
            }
            node = tree.nextNode(node);
        }
    }
}

int LinkTargetIndex::find(const std::string& name) const
{
    const auto it = first_.find(NormalizeText(DelphiTrim(name)));
    return it == first_.end() ? kNoTreeNode : it->second;
}

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
        const size_t next = size_t(tree.positionOf(cur)) + 1;
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

namespace {

// The walk of the link lookup: from each zone shown, in their order, on through the later
// zones of the map in tree order, leaving out categories that take no links. Once a zone's
// walk has found nothing, a later walk that reaches that zone stops there: the rest is the
// same ground. With seenZones (by node id) a walk also stops at any zone an earlier walk
// passed through, for a visitor that never stops early (then every node after such a zone
// was visited already). visit(node) returns true to end the walk.
template <class Visit>
void walkLinkable(const LocationTree& tree, std::span<pMap_info* const> displayedZones, int32_t currentMapId,
                  std::vector<char>* seenZones, Visit visit)
{
    std::vector<int> searched;
    const auto seen = [&](int zoneNode) {
        if (!seenZones) return false;
        if ((*seenZones)[size_t(zoneNode)]) return true;
        (*seenZones)[size_t(zoneNode)] = 1;
        return false;
    };
    for (const pMap_info* zone : displayedZones) {
        if (!zone || !tree.isNode(zone->treeNode)) continue;
        if (seen(zone->treeNode)) continue;
        const std::vector<int>& top = tree.children(zone->treeNode);
        int node = top.empty() ? kNoTreeNode : top.front();
        while (node != kNoTreeNode) {
            if (!zoneInMap(tree, node, currentMapId)) break;
            const int level = tree.levelOf(node);
            if (level == levelZone) {
                if (std::find(searched.begin(), searched.end(), node) != searched.end()) break;
                if (seen(node)) break;
            }
            if (level == levelCategory) {
                const TNodeData* d = tree.nodeData(node);
                if (!d || !d->category || d->category->linkable == 0) {
                    node = nextAfterSubtree(tree, node);
                    continue;
                }
            }
            if (visit(node)) return;
            node = tree.nextNode(node);
        }
        searched.push_back(zone->treeNode);
    }
}

} // namespace

int find_node_byname_inzones(const LocationTree& tree, const std::string& name,
                             std::span<pMap_info* const> displayedZones, int32_t currentMapId)
{
    const std::string needle = NormalizeText(DelphiTrim(name));
    int found = kNoTreeNode;
    walkLinkable(tree, displayedZones, currentMapId, nullptr, [&](int node) {
        if (!isMatch(tree, node, needle)) return false;
        found = node;
        return true;
    });
    return found;
}

int LinkTargets::find(const std::string& name) const
{
    if (!gathered_) {
        gathered_ = true;
        std::vector<char> seenZones(tree_.idLimit(), 0);
        walkLinkable(tree_, zones_, mapId_, &seenZones, [&](int node) {
            if (tree_.levelOf(node) != levelLocation) return false;
            const TNodeData* d = tree_.nodeData(node);
            if (!d || !d->item || IsErasedName(d->item->name)) return false;
            first_.try_emplace(NormalizeText(d->item->name), node); // the first in walk order wins
            return false;
        });
    }
    const auto it = first_.find(NormalizeText(DelphiTrim(name)));
    return it == first_.end() ? kNoTreeNode : it->second;
}

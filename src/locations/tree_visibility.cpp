#include "tree_visibility.h"

#include "con_colors.h"
#include "database_globals.h"
#include "preferences.h"
#include "text_helpers.h"

int check_real_mob_lvl(int levelMin, int levelMax)
{
    if (levelMin == 0) return 0;
    const int p = Preferences.NIVP;
    if (levelMin <= p && p <= levelMax) return p;
    if (levelMax < p) return levelMax;
    return levelMin;
}

namespace {
// The visibility rule of one node; False for levels the rule leaves alone.
bool ruledVisibility(const LocationTree& tree, int node, const LevelFilter& filter, bool& visible)
{
    const TreeNode& n = tree.node(node);
    if (n.level == levelCategory) {
        visible = !n.children.empty();
        return true;
    }
    if (n.level != levelLocation || !n.data || !n.data->item) return false;
    const rItemdata& it = *n.data->item;
    visible = !IsErasedName(it.name);
    if (visible && filter.enabled && n.data->category && n.data->category->kind == kindCreature)
        visible = it.levelMax >= filter.LevelMin && it.levelMin <= filter.LevelMax;
    return true;
}
} // namespace

void HideNodes(LocationTree& tree, int node, const LevelFilter& filter)
{
    bool visible;
    if (tree.isNode(node) && ruledVisibility(tree, node, filter, visible)) tree.setVisible(node, visible);
}

void check_node_visibility(LocationTree& tree, int first, const LevelFilter& filter)
{
    tree.BeginUpdate();
    bool visible;
    if (!tree.roots().empty() && first == tree.roots().front()) {
        // The whole tree: a category's rule does not depend on its children's visibility,
        // so the nodes can be visited in storage order.
        for (size_t id = 0; id < tree.idLimit(); ++id)
            if (tree.isNode(int(id)) && ruledVisibility(tree, int(id), filter, visible))
                tree.setVisibleInBracket(int(id), visible);
    } else {
        for (int n = first; n != kNoTreeNode; n = tree.nextNode(n))
            if (ruledVisibility(tree, n, filter, visible)) tree.setVisibleInBracket(n, visible);
    }
    tree.EndUpdate();
}

TColor locationColour(const TNodeData& d, const std::vector<rSpecColor>& specColours)
{
    const rCateg& c = *d.category;
    const rItemdata& it = *d.item;
    if (c.kind == kindCreature)
        return ConColor(Preferences.NIVP, check_real_mob_lvl(it.levelMin, it.levelMax), c.colour, Preferences.CLVL);
    if (c.kind == kindAttributes) return SpecColor(it.attributes, c.colour, specColours);
    return c.colour;
}

void update_concolors(LocationTree& tree, bool& recolourAll)
{
    const bool full = recolourAll;
    if (!tree.mapIndex()) {
        recolourAll = false;
        return;
    }
    static const std::vector<rSpecColor> none;
    const std::vector<rSpecColor>& specColours = tree.common() ? tree.common()->specColors : none;
    std::vector<int> changed;
    for (const auto& zone : tree.mapIndex()->zones) {
        if (!tree.isNode(zone->treeNode)) continue;
        for (int categNode : tree.children(zone->treeNode)) {
            const TNodeData* cd = tree.nodeData(categNode);
            if (!cd || !cd->category) continue;
            if (!full && cd->category->kind != kindCreature) continue; // whole category skipped
            for (int loc : tree.children(categNode)) {
                TNodeData* d = tree.nodeData(loc);
                if (!d || !d->item || !d->category) continue;
                const TColor c = locationColour(*d, specColours);
                if (c != d->item->colour) {
                    d->item->colour = c;
                    changed.push_back(loc);
                }
            }
        }
    }
    recolourAll = false;
    tree.notifyNodesChanged(changed);
}

void update_node_visibility(LocationTree& tree, const LevelFilter& filter, bool& recolourAll)
{
    tree.BeginUpdate();
    update_concolors(tree, recolourAll);
    check_node_visibility(tree, tree.roots().empty() ? kNoTreeNode : tree.roots().front(), filter);
    tree.EndUpdate();
}

bool check_traduc_visibility(const rItemdata& item, TraducCheck state)
{
    if (!Preferences.TRAN) return true;
    switch (state) {
    case TraducCheck::Grayed: return true;
    case TraducCheck::Checked: return item.languageTag == CurrentLangTag;
    default: return item.languageTag != CurrentLangTag;
    }
}

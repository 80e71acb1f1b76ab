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

namespace {

// Recolours one node when it is a location the pass covers (every location on a full
// recolour, else those of creature categories, whose colour follows the player level);
// true when its colour changed.
bool recolourNode(const TreeNode& n, bool full, const std::vector<rSpecColor>& specColours)
{
    if (n.level != levelLocation || !n.data) return false;
    TNodeData& d = *n.data;
    if (!d.item || !d.category || (!full && d.category->kind != kindCreature)) return false;
    const TColor c = locationColour(d, specColours);
    if (c == d.item->colour) return false;
    d.item->colour = c;
    return true;
}

const std::vector<rSpecColor>& specColoursOf(const LocationTree& tree)
{
    static const std::vector<rSpecColor> none;
    return tree.common() ? tree.common()->specColors : none;
}

} // namespace

void update_concolors(LocationTree& tree, bool& recolourAll)
{
    const bool full = recolourAll;
    recolourAll = false;
    if (!tree.mapIndex()) return;
    const std::vector<rSpecColor>& specColours = specColoursOf(tree);
    // Storage order: the nodes, their payloads and items lie in memory in the order they
    // were added, so the walk reads them front to back whatever the sort did.
    std::vector<int> changed;
    for (size_t id = 0; id < tree.idLimit(); ++id)
        if (tree.isNode(int(id)) && recolourNode(tree.node(int(id)), full, specColours)) changed.push_back(int(id));
    tree.notifyNodesChanged(changed);
}

void update_node_visibility(LocationTree& tree, const LevelFilter& filter, bool& recolourAll)
{
    tree.BeginUpdate();
    // Colours and visibility in one walk in storage order: each node is read once. Inside
    // the bracket colour changes reach the view with the bracket's end.
    const bool recolour = tree.mapIndex() != nullptr;
    const bool full = recolourAll;
    recolourAll = false;
    const std::vector<rSpecColor>& specColours = specColoursOf(tree);
    bool visible;
    const size_t limit = tree.idLimit();
    for (size_t id = 0; id < limit; ++id) {
        if (!tree.isNode(int(id))) continue;
        if (recolour) recolourNode(tree.node(int(id)), full, specColours);
        if (ruledVisibility(tree, int(id), filter, visible)) tree.setVisibleInBracket(int(id), visible);
    }
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

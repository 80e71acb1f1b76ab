#include "tree_visibility.h"

#include "con_colors.h"
#include "database_globals.h"
#include "preferences.h"
#include "text_helpers.h"
#include "tree_update_bracket.h"

int check_real_mob_lvl(int levelMin, int levelMax)
{
    if (levelMin == 0) return 0;
    const int p = Preferences.NIVP;
    if (levelMin <= p && p <= levelMax) return p;
    if (levelMax < p) return levelMax;
    return levelMin;
}

namespace {
// The visibility rule of one node from its key; false for nodes the rule leaves alone.
bool ruledVisibility(const LocationTree& tree, int node, VisibilityKey key, const LevelFilter& filter, bool& visible)
{
    if (key.rule & VisibilityKey::location) {
        visible = !(key.rule & VisibilityKey::erased);
        if (visible && filter.enabled && (key.rule & VisibilityKey::creature))
            visible = key.levelMax >= filter.LevelMin && key.levelMin <= filter.LevelMax;
        return true;
    }
    if (key.rule == VisibilityKey::category) {
        visible = !tree.node(node).children.empty();
        return true;
    }
    return false;
}

// The rule over every node in storage order (a node's rule does not depend on the
// visibility of others). Only the nodes whose visibility changes are touched.
void applyRuleToAll(LocationTree& tree, const LevelFilter& filter)
{
    // Showing and hiding nodes leaves the keys alone: their array can be read through a
    // pointer the compiler need not reload.
    const std::vector<VisibilityKey>& keyList = tree.visibilityKeys();
    const VisibilityKey* keys = keyList.data();
    const size_t count = keyList.size();
    bool visible;
    for (size_t id = 0; id < count; ++id) {
        const VisibilityKey key = keys[id];
        if (key.rule != VisibilityKey::none && ruledVisibility(tree, int(id), key, filter, visible) &&
            visible != tree.isVisible(int(id)))
            tree.setVisibleInBracket(int(id), visible);
    }
}
} // namespace

void HideNodes(LocationTree& tree, int node, const LevelFilter& filter)
{
    if (!tree.isNode(node)) return;
    bool visible;
    if (ruledVisibility(tree, node, tree.visibilityKeys()[size_t(node)], filter, visible)) tree.setVisible(node, visible);
}

void check_node_visibility(LocationTree& tree, int first, const LevelFilter& filter)
{
    const TreeUpdateBracket bracket(tree);
    if (!tree.roots().empty() && first == tree.roots().front()) {
        applyRuleToAll(tree, filter);
    } else {
        const std::vector<VisibilityKey>& keys = tree.visibilityKeys();
        bool visible;
        for (int n = first; n != kNoTreeNode; n = tree.nextNode(n))
            if (ruledVisibility(tree, n, keys[size_t(n)], filter, visible)) tree.setVisibleInBracket(n, visible);
    }
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

// Everything a location's level colour is made of, besides its own levels and category:
// a pass after one with the same inputs would change nothing, since every added, removed
// or renamed node, and every level changed in place, moves the tree's content version.
std::vector<uint64_t> levelColourInputs(const LocationTree& tree)
{
    std::vector<uint64_t> in{tree.generation(), tree.contentVersion(), uint64_t(uint32_t(Preferences.NIVP)),
                             uint64_t(Preferences.CLVL)};
    for (TColor c : ConColors) in.push_back(c);
    if (tree.common())
        for (const auto& c : tree.common()->categories) in.push_back(uint64_t(c->kind) << 32 | c->colour);
    return in;
}

// Recolours the locations a pass covers, in storage order (the nodes, their payloads and
// items lie in memory in the order they were added, so the walk reads them front to back
// whatever the sort did). The changed nodes go to `changed` when given.
void recolourLocations(LocationTree& tree, bool full, std::vector<int>* changed)
{
    std::vector<uint64_t> inputs = levelColourInputs(tree);
    // Only the level colours follow a change of the player level: without a full recolour,
    // a pass with the inputs of the last one has nothing to do.
    if (!full && inputs == tree.levelColourInputs) return;
    const std::vector<rSpecColor>& specColours = specColoursOf(tree);
    for (size_t id = 0; id < tree.idLimit(); ++id)
        if (tree.isNode(int(id)) && recolourNode(tree.node(int(id)), full, specColours) && changed)
            changed->push_back(int(id));
    tree.levelColourInputs = std::move(inputs);
}

} // namespace

void update_concolors(LocationTree& tree, bool& recolourAll)
{
    const bool full = recolourAll;
    recolourAll = false;
    if (!tree.mapIndex()) return;
    std::vector<int> changed;
    recolourLocations(tree, full, &changed);
    tree.notifyNodesChanged(changed);
}

void update_node_visibility(LocationTree& tree, const LevelFilter& filter, bool& recolourAll)
{
    const TreeUpdateBracket bracket(tree);
    // Inside the bracket colour changes reach the view with the bracket's end.
    const bool full = recolourAll;
    recolourAll = false;
    if (tree.mapIndex()) recolourLocations(tree, full, nullptr);
    applyRuleToAll(tree, filter);
}

void apply_categfilter(LocationTree& tree, const TData_map& mapIndex, const rCateg* chosen)
{
    const TreeUpdateBracket bracket(tree);
    if (!chosen) {
        for (int map : tree.roots()) tree.setCheckState(map, NodeCheck::Checked);
        return;
    }
    auto checkIf = [&tree](int node, bool on) {
        tree.setCheckState(node, on && tree.isVisible(node) ? NodeCheck::Checked : NodeCheck::Unchecked);
    };
    for (const auto& zone : mapIndex.zones) {
        if (!tree.isNode(zone->treeNode)) continue;
        for (int categ : tree.children(zone->treeNode)) {
            const TNodeData* cd = tree.nodeData(categ);
            const bool same = cd && cd->category == chosen;
            checkIf(categ, same);
            for (int loc : tree.children(categ)) checkIf(loc, same);
        }
    }
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

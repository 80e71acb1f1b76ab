#pragma once
// Which locations the tree and the map show, and the display colours of locations.
#include "location_tree.h"

// The level filter of the tree page.
struct LevelFilter {
    bool enabled = false; // the level check box
    int LevelMin = 0;
    int LevelMax = 99;
};

// The level of a range nearest to the player's level (0 when the range has no level).
int check_real_mob_lvl(int levelMin, int levelMax);

// Visibility of one category or location node.
void HideNodes(LocationTree& tree, int node, const LevelFilter& filter);
// HideNodes on `first` and every node after it in tree order.
void check_node_visibility(LocationTree& tree, int first, const LevelFilter& filter);
// The display colour of a location (its data must have an item and a category): by level
// for creatures, by attributes for kind 4, else its category's colour.
TColor locationColour(const TNodeData& d, const std::vector<rSpecColor>& specColours);
// Recomputes display colours; a full recolour when recolourAll is set (cleared after).
void update_concolors(LocationTree& tree, bool& recolourAll);
// Colours, then visibility of the whole tree, inside one update bracket.
void update_node_visibility(LocationTree& tree, const LevelFilter& filter, bool& recolourAll);

// The category filter of the tree page: with a category chosen, only its nodes under the
// zones of the map index are checked, and only those shown; none chosen checks every map.
void apply_categfilter(LocationTree& tree, const TData_map& mapIndex, const rCateg* chosen);

// Translation-mode filter of the map: the state of the three-state language check box.
enum class TraducCheck { Grayed, Checked, Unchecked };
bool check_traduc_visibility(const rItemdata& item, TraducCheck state);

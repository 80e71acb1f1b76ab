#pragma once
// Holds the location tree's update bracket for a scope: the tree's observers (the model
// and the view) hear of every change made inside it once, when the outermost bracket ends.
#include "location_tree.h"

class TreeUpdateBracket {
public:
    explicit TreeUpdateBracket(LocationTree& tree) : tree_(&tree) { tree_->BeginUpdate(); }
    // No tree (none loaded yet): nothing to bracket.
    explicit TreeUpdateBracket(LocationTree* tree) : tree_(tree)
    {
        if (tree_) tree_->BeginUpdate();
    }
    ~TreeUpdateBracket()
    {
        if (tree_) tree_->EndUpdate();
    }
    TreeUpdateBracket(const TreeUpdateBracket&) = delete;
    TreeUpdateBracket& operator=(const TreeUpdateBracket&) = delete;

private:
    LocationTree* tree_;
};

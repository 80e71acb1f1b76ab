#pragma once
// The attribute trees of the side panel and the location editor: one node per creature
// attribute, grouped under their parent attribute. In the search tree a node's check
// state is the criterion: unchecked 0 (excluded), partly checked 1 (neutral), checked 2
// (required); a click moves it on in that cycle.
#include <vector>

#include "records.h"
#include "spec_set.h"

class QTreeWidget;
class QTreeWidgetItem;

enum class CriteriaKind {
    Search,   // three states, the user cycles them
    ReadOnly, // check boxes the user cannot change
    Editable, // plain check boxes
};

// Role under which a node keeps its attribute id.
constexpr int kSpecIdRole = 0x0100 + 1; // Qt::UserRole + 1

// Fills the tree with the attributes in list order: parent id 0 at the top level, others
// under the first node whose id is their parent id (left out when there is none yet).
// Groups are expanded or collapsed; search nodes start neutral.
void fill_booltree(QTreeWidget* tree, bool expanded, const std::vector<tboolspec>& attributeList, CriteriaKind kind);
// Every node back to neutral.
void resetCriteria(QTreeWidget* tree);
// Checks exactly the nodes whose attribute the flags hold.
void set_flagchecks(QTreeWidget* tree, const SpecFlags& flags);
// Shows only the checked nodes (a hidden group hides its members).
void show_checked_only(QTreeWidget* tree);
// The search criterion of an attribute node: 0, 1 or 2.
int criterionOf(const QTreeWidgetItem* item);

#include "info_attributes.h"

#include "criteria_tree.h"

void showInfoAttributes(QTreeWidget* tree, const SpecFlags& attributes)
{
    if (!tree) return;
    set_flagchecks(tree, attributes);
    show_checked_only(tree);
}

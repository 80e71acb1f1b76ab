#pragma once
// The attribute tree of the info page: the shown location's attributes only.
#include "spec_set.h"

class QTreeWidget;

// Checks exactly the location's attributes in the attribute tree and hides the others.
void showInfoAttributes(QTreeWidget* tree, const SpecFlags& attributes);

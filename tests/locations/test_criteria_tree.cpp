// The attribute criteria trees: groups and members from the attribute table, search states,
// and the read-only list of one location's attributes.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "criteria_tree.h"

namespace {
std::vector<tboolspec> attributeList()
{
    // Two groups (ids 90, 91) with members, a member whose group comes later (left out),
    // and a top-level attribute.
    return {tboolspec(90, 0, "Groupe"), tboolspec(1, 90, "Volant"), tboolspec(2, 91, "Perdu"),
            tboolspec(91, 0, "Autre"), tboolspec(33, 91, "Nageur"), tboolspec(5, 0, "Seul")};
}
} // namespace

TEST(CriteriaTree, GroupsMembersAndSearchStates)
{
    QTreeWidget tree;
    fill_booltree(&tree, false, attributeList(), CriteriaKind::Search);
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    QTreeWidgetItem* group = tree.topLevelItem(0);
    EXPECT_EQ(group->childCount(), 1);
    EXPECT_FALSE(group->isExpanded());
    EXPECT_EQ(tree.topLevelItem(1)->childCount(), 1); // "Perdu" came before its group: left out
    QTreeWidgetItem* flyer = group->child(0);
    EXPECT_EQ(criterionOf(flyer), 1); // neutral at start
    // Neutral (partly checked), required (checked), excluded (unchecked); the clicks and the
    // reset: see the window's search page tests.
    QTreeWidgetItem* seul = tree.topLevelItem(2);
    for (auto [state, criterion] : {std::pair{Qt::Checked, 2}, {Qt::Unchecked, 0}, {Qt::PartiallyChecked, 1}}) {
        seul->setCheckState(0, state);
        EXPECT_EQ(criterionOf(seul), criterion) << state;
    }
}

TEST(CriteriaTree, ReadOnlyListShowsOnlyTheLocationsAttributes)
{
    QTreeWidget tree;
    fill_booltree(&tree, true, attributeList(), CriteriaKind::ReadOnly);
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
    EXPECT_FALSE(tree.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    SpecFlags flags{};
    flags[0] = true;   // id 1, under its group
    flags[32] = true;  // id 33, whose group 91 is not checked
    flags[89] = true;  // the group 90 itself
    set_flagchecks(&tree, flags);
    show_checked_only(&tree);
    EXPECT_FALSE(tree.topLevelItem(0)->isHidden());
    EXPECT_FALSE(tree.topLevelItem(0)->child(0)->isHidden());
    EXPECT_TRUE(tree.topLevelItem(1)->isHidden()); // its member shows nowhere with it
    EXPECT_TRUE(tree.topLevelItem(2)->isHidden());
}

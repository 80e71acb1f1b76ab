#include "criteria_tree.h"

#include <functional>

#include <QTreeWidget>

#include "cp1252.h"

namespace {
void forEachItem(QTreeWidget* tree, const std::function<void(QTreeWidgetItem*)>& visit)
{
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        visit(item);
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) walk(tree->topLevelItem(i));
}
} // namespace

void fill_booltree(QTreeWidget* tree, bool expanded, const std::vector<tboolspec>& attributeList, CriteriaKind kind)
{
    tree->clear();
    tree->setRootIsDecorated(true);
    tree->setHeaderHidden(true);
    std::vector<QTreeWidgetItem*> made; // in tree order of creation, for the parent lookup
    for (const tboolspec& attribute : attributeList) {
        QTreeWidgetItem* parent = nullptr;
        if (attribute.parentId != 0) {
            // The first node, in tree order, whose attribute is the parent.
            forEachItem(tree, [&](QTreeWidgetItem* item) {
                if (!parent && item->data(0, kSpecIdRole).toInt() == attribute.parentId) parent = item;
            });
            if (!parent) continue;
        }
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, ToDisplay(attribute.name));
        item->setData(0, kSpecIdRole, int(attribute.id));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (kind == CriteriaKind::Search) flags |= Qt::ItemIsUserCheckable | Qt::ItemIsUserTristate;
        if (kind == CriteriaKind::Editable) flags |= Qt::ItemIsUserCheckable;
        item->setFlags(flags);
        item->setCheckState(0, kind == CriteriaKind::Search ? Qt::PartiallyChecked : Qt::Unchecked);
        if (parent) parent->setExpanded(expanded);
    }
    if (tree->topLevelItemCount() > 0) tree->scrollToItem(tree->topLevelItem(0));
}

void resetCriteria(QTreeWidget* tree)
{
    tree->setUpdatesEnabled(false);
    forEachItem(tree, [](QTreeWidgetItem* item) { item->setCheckState(0, Qt::PartiallyChecked); });
    tree->setUpdatesEnabled(true);
}

void set_flagchecks(QTreeWidget* tree, const SpecFlags& flags)
{
    tree->setUpdatesEnabled(false);
    forEachItem(tree, [&](QTreeWidgetItem* item) {
        const int id = item->data(0, kSpecIdRole).toInt();
        const bool on = id >= 1 && id <= 96 && flags[size_t(id - 1)];
        item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    });
    tree->setUpdatesEnabled(true);
}

void show_checked_only(QTreeWidget* tree)
{
    forEachItem(tree, [](QTreeWidgetItem* item) { item->setHidden(item->checkState(0) != Qt::Checked); });
}

int criterionOf(const QTreeWidgetItem* item)
{
    switch (item->checkState(0)) {
    case Qt::Unchecked: return 0;
    case Qt::PartiallyChecked: return 1;
    default: return 2;
    }
}

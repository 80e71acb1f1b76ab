#pragma once
// Draws an item view's cells as usual, then solid grid lines along each cell's right and
// bottom edges, so that the columns and rows of a flat list stand apart.
#include <QColor>
#include <QStyledItemDelegate>

class GridLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    GridLineDelegate(QColor colour, QObject* parent) : QStyledItemDelegate(parent), colour_(colour) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QColor colour_;
};

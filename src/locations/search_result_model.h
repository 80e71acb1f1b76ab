#pragma once
// The search result list: one row per found location, held by its node id (ids are never
// reused while the tree lives, and a cleared tree changes its generation), so a row whose
// location was removed since the search simply has no location any more.
//
// Columns (logical): 0 the name, 1 the zone's name, 2 the category's tree icon, 3 the
// zone's icon. The view shows them in the order 3, 2, 0, 1.
#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QPixmap>

#include "location_tree.h"

class LocationSearch;

class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { colName = 0, colZone = 1, colCategory = 2, colZoneIcon = 3, columnCount_ = 4 };

    explicit SearchResultModel(const LocationTree& tree, QObject* parent = nullptr);

    // The tree's image list (icon_c.bmp): zone icons by index, category icons at tree icon + 4.
    void setImages(const std::vector<QImage>& images);
    // The search whose index gives the names to sort by while it is up to date (the tree's
    // own names otherwise): its folded names lie together, the tree's are scattered.
    void setNameSource(std::function<const LocationSearch*()> source) { nameSource_ = std::move(source); }
    // Text colour of the rows whose location is visible in the tree.
    void setTextColour(QColor colour) { textColour_ = colour; }

    // New results, in the order given; no sort column.
    void setResults(std::vector<int> nodes);
    void clear();
    int count() const { return int(rows_.size()); }
    // The location node of a row; kNoTreeNode when the row is out of range or its
    // location no longer exists.
    int nodeAt(int row) const;
    int rowOf(int node) const;

    // Sorts by a logical column (stable); -1 leaves the order as it is.
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // A left click on a column's header: a new column sorts ascending, the sorting one
    // turns round.
    void headerClick(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows whose location is hidden in the tree are written in this colour ($BFC5CA).
    static QColor hiddenColour();

signals:
    void sortChanged(int column, Qt::SortOrder order);

private:
    const TNodeData* location(int node) const;

    const LocationTree& tree_;
    std::function<const LocationSearch*()> nameSource_;
    std::vector<int> rows_;
    size_t generation_ = 0;
    std::vector<QPixmap> images_;
    QColor textColour_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

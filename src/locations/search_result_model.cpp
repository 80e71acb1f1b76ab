#include "search_result_model.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "cp1252.h"
#include "search.h"

namespace {
// TColor values ($00BBGGRR) of the list.
QColor fromTColor(uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
} // namespace

QColor SearchResultModel::hiddenColour()
{
    return fromTColor(0xBFC5CA);
}

SearchResultModel::SearchResultModel(const LocationTree& tree, QObject* parent)
    : QAbstractTableModel(parent), tree_(tree), textColour_(fromTColor(0xDEF0EF))
{
}

void SearchResultModel::setImages(const std::vector<QImage>& images)
{
    images_.clear();
    for (const QImage& image : images) images_.push_back(QPixmap::fromImage(image));
}

void SearchResultModel::setResults(std::vector<int> nodes)
{
    beginResetModel();
    rows_ = std::move(nodes);
    generation_ = tree_.generation();
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    endResetModel();
    emit sortChanged(sortColumn_, sortOrder_);
}

void SearchResultModel::clear()
{
    setResults({});
}

const TNodeData* SearchResultModel::location(int node) const
{
    if (generation_ != tree_.generation() || tree_.levelOf(node) != levelLocation) return nullptr;
    const TNodeData* d = tree_.nodeData(node);
    return d && d->item ? d : nullptr;
}

int SearchResultModel::nodeAt(int row) const
{
    if (row < 0 || size_t(row) >= rows_.size()) return kNoTreeNode;
    const int node = rows_[size_t(row)];
    return location(node) ? node : kNoTreeNode;
}

int SearchResultModel::rowOf(int node) const
{
    const auto it = std::find(rows_.begin(), rows_.end(), node);
    return it == rows_.end() ? -1 : int(it - rows_.begin());
}

void SearchResultModel::sortBy(int column, Qt::SortOrder order)
{
    sortColumn_ = column;
    sortOrder_ = order;
    if (column >= 0 && column < columnCount_) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const std::vector<int> before = rows_;
        // One key per row, then a stable sort on the keys: the comparisons touch no tree.
        // Names sort as CompareText orders them: bytes compared unsigned after folding
        // a..z to capitals, a shorter name first when it is the other's beginning.
        struct Keyed {
            std::string_view name;
            int32_t number;
            int node;
        };
        // The index's names, when it matches the tree the rows were found in: a row it
        // holds is a live location with that name, and its node need not be read at all.
        const LocationSearch* index = nameSource_ ? nameSource_() : nullptr;
        if (column != colName || !index || !index->upToDate() || generation_ != tree_.generation()) index = nullptr;
        std::string folded;
        if (column == colName) folded.reserve(rows_.size() * 24);
        std::vector<Keyed> keyed;
        keyed.reserve(rows_.size());
        std::vector<std::pair<size_t, size_t>> spans; // by row: a name folded here, else (0, npos)
        if (column == colName) spans.assign(rows_.size(), {0, std::string::npos});
        for (size_t i = 0; i < rows_.size(); ++i) {
            const int node = rows_[i];
            const size_t n = rows_.size();
            if (index) {
                // Each step of the next rows' lookups fetched ahead, one further than the next.
                if (i + 24 < n)
                    if (const int32_t* slot = index->slotAddress(rows_[i + 24])) __builtin_prefetch(slot);
                if (i + 16 < n)
                    if (const uint32_t* start = index->nameStartAddress(rows_[i + 16])) __builtin_prefetch(start);
                if (i + 8 < n)
                    if (const char* text = index->sortNameAddress(rows_[i + 8])) __builtin_prefetch(text);
                if (const std::optional<std::string_view> name = index->sortName(node)) {
                    // Copied next to the others: the sort then compares names that lie
                    // together in the rows' order.
                    spans[i] = {folded.size(), name->size()};
                    folded.append(*name);
                    keyed.push_back({{}, 0, node});
                    continue;
                }
            } else {
                // Fetch the texts of later rows ahead (see LocationSearch::refresh).
                auto dataOf = [this](size_t k) -> const TNodeData* {
                    return size_t(rows_[k]) < tree_.idLimit() ? tree_.node(rows_[k]).data.get() : nullptr;
                };
                if (i + 24 < n && size_t(rows_[i + 24]) < tree_.idLimit()) __builtin_prefetch(&tree_.node(rows_[i + 24]));
                if (i + 16 < n)
                    if (const TNodeData* d = dataOf(i + 16)) __builtin_prefetch(d);
                if (i + 8 < n)
                    if (const TNodeData* d = dataOf(i + 8); d && d->item) __builtin_prefetch(d->item.get());
                if (i + 4 < n)
                    if (const TNodeData* d = dataOf(i + 4); d && d->item) __builtin_prefetch(d->item->name.data());
            }
            const TNodeData* d = location(node);
            Keyed k{{}, 0, node};
            if (d) {
                if (column == colName) {
                    const size_t at = folded.size();
                    for (char c : d->item->name) folded += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
                    spans[i] = {at, d->item->name.size()};
                } else if (column == colZone) {
                    k.number = d->zone ? int16_t(d->zone->zoneId) : 0;
                } else if (column == colCategory) {
                    k.number = d->category ? d->category->id : 0;
                } else {
                    k.number = d->zone ? d->zone->group : 0;
                }
            }
            keyed.push_back(k);
        }
        for (size_t i = 0; i < spans.size(); ++i)
            if (spans[i].second != std::string::npos) keyed[i].name = std::string_view(folded).substr(spans[i].first, spans[i].second);
        const bool up = order == Qt::AscendingOrder;
        if (column == colName)
            std::stable_sort(keyed.begin(), keyed.end(), [up](const Keyed& a, const Keyed& b) {
                return up ? a.name < b.name : b.name < a.name;
            });
        else
            std::stable_sort(keyed.begin(), keyed.end(), [up](const Keyed& a, const Keyed& b) {
                return up ? a.number < b.number : a.number > b.number;
            });
        for (size_t i = 0; i < keyed.size(); ++i) rows_[i] = keyed[i].node;
        // Keep the focused row on its location.
        const QModelIndexList old = persistentIndexList();
        if (!old.isEmpty()) {
            std::unordered_map<int, int> newRow;
            for (size_t i = 0; i < rows_.size(); ++i) newRow.emplace(rows_[i], int(i));
            QModelIndexList moved;
            for (const QModelIndex& index : old)
                moved.push_back(this->index(newRow[before[size_t(index.row())]], index.column()));
            changePersistentIndexList(old, moved);
        }
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    emit sortChanged(sortColumn_, sortOrder_);
}

void SearchResultModel::headerClick(int column)
{
    if (column != sortColumn_)
        sortBy(column, Qt::AscendingOrder);
    else
        sortBy(column, sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

int SearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCount_;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= rows_.size()) return {};
    const TNodeData* d = location(rows_[size_t(index.row())]);
    if (!d) return {};
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == colName) return ToDisplay(d->item->name);
        if (index.column() == colZone) return d->zone ? ToDisplay(d->zone->name) : QString();
        return {};
    case Qt::DecorationRole: {
        size_t image = images_.size();
        if (index.column() == colZoneIcon && d->zone) image = d->zone->icon;
        if (index.column() == colCategory && d->category) image = size_t(d->category->treeIcon) + 4;
        if (image < images_.size()) return images_[image];
        return {};
    }
    case Qt::ForegroundRole:
        return tree_.isVisible(rows_[size_t(index.row())]) ? textColour_ : hiddenColour();
    case Qt::TextAlignmentRole:
        if (index.column() == colCategory) return int(Qt::AlignCenter);
        return {};
    default: return {};
    }
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    (void)section;
    return QString(); // the columns carry no captions, only sort glyphs
}

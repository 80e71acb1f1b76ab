#include "location_tree_model.h"

#include <algorithm>

#include <QColor>

#include "cp1252.h"
#include "preferences.h"

namespace {
QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
const QColor kOtherMapZone = fromTColor(0xBFC5CA);
} // namespace

LocationTreeModel::LocationTreeModel(LocationTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree)
{
    tree_.setObserver(this);
    rebuildVisible();
}

LocationTreeModel::~LocationTreeModel()
{
    tree_.setObserver(nullptr);
}

void LocationTreeModel::refreshChildLists()
{
    const size_t limit = tree_.idLimit();
    if (kidsBuilt_ && kidsGeneration_ == tree_.generation() && kidsContent_ == tree_.contentVersion() &&
        kidsIdLimit_ == limit)
        return;
    kidsFlat_.clear();
    kidsFlat_.reserve(tree_.nodeCount());
    kidsStart_.clear();
    kidsCount_.clear();
    // Breadth first from the roots down to the categories: the runs of the nodes above the
    // locations, the lists read front to back once.
    std::vector<int> queue(tree_.roots().begin(), tree_.roots().end());
    for (size_t q = 0; q < queue.size(); ++q) {
        const int id = queue[q];
        const TreeNode& n = tree_.node(id);
        if (n.children.empty()) continue;
        if (kidsStart_.size() <= size_t(id)) {
            kidsStart_.resize(size_t(id) + 1, 0);
            kidsCount_.resize(size_t(id) + 1, 0);
        }
        kidsStart_[size_t(id)] = int(kidsFlat_.size());
        kidsCount_[size_t(id)] = int(n.children.size());
        kidsFlat_.insert(kidsFlat_.end(), n.children.begin(), n.children.end());
        if (n.level + 1 < levelLocation) queue.insert(queue.end(), n.children.begin(), n.children.end());
    }
    kidsBuilt_ = true;
    kidsGeneration_ = tree_.generation();
    kidsContent_ = tree_.contentVersion();
    kidsIdLimit_ = limit;
}

std::span<const int> LocationTreeModel::childrenOf(int node) const
{
    if (size_t(node) >= kidsCount_.size()) return {};
    return std::span<const int>(kidsFlat_.data() + kidsStart_[size_t(node)], size_t(kidsCount_[size_t(node)]));
}

void LocationTreeModel::rebuildVisible()
{
    refreshChildLists();
    const size_t maxId = tree_.idLimit();
    visibleRoots_.clear();
    visibleFlat_.clear();
    extras_.clear();
    extraOf_.clear();
    appendedFlat_.clear();
    // Room to grow: a batch that adds nodes after a load (a merge of additions) would
    // otherwise copy every by-id array and the shown lists whole on its first node.
    const size_t room = maxId / 8 + 4096;
    visibleFlat_.reserve(tree_.nodeCount() + room);
    visibleStart_.reserve(maxId + room);
    visibleCount_.reserve(maxId + room);
    visibleRow_.reserve(maxId + room);
    visibleStart_.assign(maxId, 0);
    visibleCount_.assign(maxId, 0);
    visibleRow_.assign(maxId, -1);
    for (int id : tree_.roots())
        if (tree_.isVisible(id)) {
            visibleRow_[size_t(id)] = int(visibleRoots_.size());
            visibleRoots_.push_back(id);
        }
    // Breadth first over shown nodes only: hidden nodes hide their subtree. The shown
    // children appended to visibleFlat_ are themselves the queue of nodes to expand.
    auto expand = [&](int id) {
        visibleStart_[size_t(id)] = int(visibleFlat_.size());
        int row = 0;
        for (int child : childrenOf(id))
            if (tree_.isVisible(child)) {
                visibleRow_[size_t(child)] = row++;
                visibleFlat_.push_back(child);
            }
        visibleCount_[size_t(id)] = row;
    };
    for (int id : visibleRoots_) expand(id);
    // Locations have no children, and breadth first they come last: the walk ends at the
    // first one, so it never reads the nodes of the locations themselves.
    for (size_t q = 0; q < visibleFlat_.size(); ++q) {
        const int id = visibleFlat_[q];
        if (tree_.node(id).level == levelLocation) break;
        expand(id);
    }
}

LocationTreeModel::ShownList LocationTreeModel::visibleChildren(int node) const
{
    if (node == kNoTreeNode) return {visibleRoots_, {}};
    if (size_t(node) >= visibleCount_.size()) return {};
    ShownList list{std::span<const int>(visibleFlat_.data() + visibleStart_[size_t(node)],
                                        size_t(visibleCount_[size_t(node)])),
                   {}};
    if (size_t(node) < extraOf_.size() && extraOf_[size_t(node)] >= 0) {
        const ListExtra& x = extras_[size_t(extraOf_[size_t(node)])];
        list.appended = std::span<const int>(appendedFlat_.data() + x.appendStart, size_t(x.appendCount));
    }
    return list;
}

int LocationTreeModel::rowOf(int parent, int node) const
{
    if (size_t(node) >= visibleRow_.size()) return -1;
    const int hint = visibleRow_[size_t(node)];
    if (hint < 0) return -1;
    const int drift = parent != kNoTreeNode && size_t(parent) < extraOf_.size() && extraOf_[size_t(parent)] >= 0
                          ? extras_[size_t(extraOf_[size_t(parent)])].drift
                          : 0;
    if (drift == 0) return hint;
    // Removals only move a child towards the front, by at most `drift` rows.
    const ShownList list = visibleChildren(parent);
    if (list.empty()) return -1;
    for (int row = std::min(hint, int(list.size()) - 1); row >= 0 && row >= hint - drift; --row)
        if (list[size_t(row)] == node) return row;
    return -1;
}

void LocationTreeModel::dropListExtra(int parent)
{
    if (size_t(parent) >= extraOf_.size() || extraOf_[size_t(parent)] < 0) return;
    ListExtra& x = extras_[size_t(extraOf_[size_t(parent)])];
    x.appendCount = 0;
    x.drift = 0;
}

int LocationTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? int(index.internalId()) : kNoTreeNode;
}

QModelIndex LocationTreeModel::indexOf(int node, int column) const
{
    if (!tree_.isNode(node) || size_t(node) >= visibleRow_.size() || visibleRow_[size_t(node)] < 0) return {};
    const int row = rowOf(tree_.parentOf(node), node);
    return row < 0 ? QModelIndex() : createIndex(row, column, quintptr(node));
}

QModelIndex LocationTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column > 1 || row < 0 || (parent.isValid() && parent.column() != 0)) return {};
    const auto kids = visibleChildren(nodeOf(parent));
    if (size_t(row) >= kids.size()) return {};
    return createIndex(row, column, quintptr(kids[size_t(row)]));
}

QModelIndex LocationTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid()) return {};
    return indexOf(tree_.parentOf(nodeOf(child)));
}

int LocationTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0) return 0;
    return int(visibleChildren(nodeOf(parent)).size());
}

int LocationTreeModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QVariant LocationTreeModel::data(const QModelIndex& index, int role) const
{
    const int node = nodeOf(index);
    if (!tree_.isNode(node)) return {};
    const TNodeData* d = tree_.nodeData(node);
    const int level = tree_.levelOf(node);
    if (index.column() == MarkColumn) {
        if (role == Qt::DecorationRole && !images_.empty())
            for (int s : selectionChain_)
                if (s == node) return images_[0];
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return ToDisplay(tree_.get_nodetext(node));
    case Qt::DecorationRole: {
        int image = -1;
        if (level == levelMap && d && d->region) image = d->region->icon;
        else if (level == levelZone && d && d->zone) image = d->zone->icon;
        else if (level == levelCategory && d && d->category) image = d->category->treeIcon + 4;
        if (image >= 0 && size_t(image) < images_.size()) return images_[size_t(image)];
        return {};
    }
    case Qt::ForegroundRole:
        if (level == levelZone && d && d->zone && d->zone->regionId != currentMapId_) return kOtherMapZone;
        if (level == levelLocation && Preferences.CLVL && d && d->item && d->category &&
            d->category->kind == kindCreature)
            return fromTColor(d->item->colour);
        return {};
    case Qt::CheckStateRole:
        switch (tree_.checkState(node)) {
        case NodeCheck::Checked: return Qt::Checked;
        case NodeCheck::Mixed: return Qt::PartiallyChecked;
        default: return Qt::Unchecked;
        }
    default:
        return {};
    }
}

bool LocationTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int node = nodeOf(index);
    if (role != Qt::CheckStateRole || index.column() != TextColumn || !tree_.isNode(node)) return false;
    const auto state = static_cast<Qt::CheckState>(value.toInt());
    tree_.setCheckState(node, state == Qt::Unchecked ? NodeCheck::Unchecked : NodeCheck::Checked);
    return true;
}

Qt::ItemFlags LocationTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == TextColumn) f |= Qt::ItemIsUserCheckable;
    return f;
}

void LocationTreeModel::setImages(std::vector<QIcon> images)
{
    images_ = std::move(images);
    if (!visibleRoots_.empty()) emit dataChanged(index(0, 0), index(int(visibleRoots_.size()) - 1, 1));
}

void LocationTreeModel::setSelectionChain(const std::array<int, 4>& chain)
{
    std::vector<int> touched(selectionChain_.begin(), selectionChain_.end());
    touched.insert(touched.end(), chain.begin(), chain.end());
    selectionChain_ = chain;
    for (int n : touched) {
        QModelIndex i = indexOf(n, MarkColumn);
        if (i.isValid()) emit dataChanged(i, i, {Qt::DecorationRole});
    }
}

void LocationTreeModel::setCurrentMapId(int mapId)
{
    currentMapId_ = mapId;
    // Zone colours depend on it: refresh every shown zone row.
    for (int m : visibleRoots_) {
        const auto zones = visibleChildren(m);
        if (!zones.empty())
            emit dataChanged(indexOf(zones[0]), indexOf(zones[zones.size() - 1]), {Qt::ForegroundRole});
    }
}

void LocationTreeModel::treeAboutToChange()
{
    generationAtStart_ = tree_.generation();
    emit layoutAboutToBeChanged();
}

void LocationTreeModel::updateVisible()
{
    const size_t maxId = tree_.idLimit();
    const std::vector<int>& changed = tree_.changedParents();
    // A few lists changed: each gets a fresh run at the end of the flat array, its old run
    // left as garbage until the next full rebuild.
    if (tree_.everythingChanged() || visibleFlat_.size() + appendedFlat_.size() > 2 * tree_.nodeCount() + 1024) {
        rebuildVisible();
        return;
    }
    visibleStart_.resize(maxId, 0);
    visibleCount_.resize(maxId, 0);
    visibleRow_.resize(maxId, -1);
    // Each list once, however often the batch named it.
    std::vector<int> lists(changed.begin(), changed.end());
    std::sort(lists.begin(), lists.end());
    lists.erase(std::unique(lists.begin(), lists.end()), lists.end());
    // Lists that only gained children at their end or lost some keep their shown run and
    // replay those edits: a long list with a few edits costs what the edits cost.
    std::vector<LocationTree::ListEdit> edits;
    std::vector<int> reshaped;
    if (tree_.appendLogComplete()) {
        edits = tree_.listEdits();
        std::stable_sort(edits.begin(), edits.end(),
                         [](const auto& a, const auto& b) { return a.parent < b.parent; }); // in order within a list
        reshaped = tree_.reshapedParents();
        std::sort(reshaped.begin(), reshaped.end());
        prefetchRemovals(edits);
        // The lists' extras grow once for the batch, not edit by edit.
        appendedFlat_.reserve(appendedFlat_.size() + edits.size());
        extras_.reserve(extras_.size() + lists.size());
        if (!lists.empty() && extraOf_.size() <= size_t(std::max(lists.back(), 0)))
            extraOf_.resize(size_t(lists.back()) + 1, -1);
    }
    for (int parent : lists) {
        if (parent == kNoTreeNode) {
            for (int id : visibleRoots_)
                if (size_t(id) < maxId) visibleRow_[size_t(id)] = -1;
            visibleRoots_.clear();
            for (int id : tree_.roots())
                if (tree_.isVisible(id)) {
                    visibleRow_[size_t(id)] = int(visibleRoots_.size());
                    visibleRoots_.push_back(id);
                }
            continue;
        }
        if (!tree_.isNode(parent)) continue;
        const auto byParent = [](const LocationTree::ListEdit& e, int p) { return e.parent < p; };
        const auto first = std::lower_bound(edits.begin(), edits.end(), parent, byParent);
        auto last = first;
        while (last != edits.end() && last->parent == parent) ++last;
        if (first != last && !std::binary_search(reshaped.begin(), reshaped.end(), parent)) {
            replayEdits(parent, std::span<const LocationTree::ListEdit>(&*first, size_t(last - first)));
            continue;
        }
        const ShownList shown = visibleChildren(parent);
        for (size_t i = 0; i < shown.size(); ++i) visibleRow_[size_t(shown[i])] = -1;
        dropListExtra(parent);
        visibleStart_[size_t(parent)] = int(visibleFlat_.size());
        int row = 0;
        for (int child : tree_.children(parent))
            if (tree_.isVisible(child)) {
                visibleRow_[size_t(child)] = row++;
                visibleFlat_.push_back(child);
            }
        visibleCount_[size_t(parent)] = row;
    }
}

void LocationTreeModel::prefetchRemovals(std::span<const LocationTree::ListEdit> edits) const
{
    // In a large tree the rows of the removed children and the runs they are taken from lie
    // far apart in memory, and each row is needed to find its place in the run. Loading them
    // one removal at a time makes every miss wait for the one before; started for the whole
    // batch first, a pass for the rows, then one for the rest of each run from that row on
    // (a removal moves it), the misses overlap.
    for (const LocationTree::ListEdit& e : edits)
        if (!e.added && size_t(e.node) < visibleRow_.size()) __builtin_prefetch(&visibleRow_[size_t(e.node)]);
    constexpr int kLineInts = 64 / int(sizeof(int));
    for (const LocationTree::ListEdit& e : edits) {
        if (e.added || size_t(e.node) >= visibleRow_.size() || size_t(e.parent) >= visibleCount_.size()) continue;
        const int row = visibleRow_[size_t(e.node)];
        const int count = visibleCount_[size_t(e.parent)];
        if (row < 0 || row >= count) continue;
        const int* run = visibleFlat_.data() + visibleStart_[size_t(e.parent)];
        for (int r = row; r < count; r += kLineInts) __builtin_prefetch(run + r);
        __builtin_prefetch(run + count - 1);
    }
}

void LocationTreeModel::replayEdits(int parent, std::span<const LocationTree::ListEdit> edits)
{
    if (extraOf_.size() <= size_t(parent)) extraOf_.resize(size_t(parent) + 1, -1);
    if (extraOf_[size_t(parent)] < 0) {
        extraOf_[size_t(parent)] = int(extras_.size());
        extras_.emplace_back();
    }
    ListExtra& x = extras_[size_t(extraOf_[size_t(parent)])];
    // The run stays where it is: children appended go after it, a removal closes the gap
    // inside it (its last place left as garbage until the next full rebuild), and the rows
    // after a removal stay one too high until the list has drifted too far. The children
    // appended before move to the end of their array, so that this batch's follow them.
    if (size_t(x.appendStart + x.appendCount) != appendedFlat_.size()) {
        const size_t from = size_t(x.appendStart);
        x.appendStart = int(appendedFlat_.size());
        for (size_t i = 0; i < size_t(x.appendCount); ++i) {
            const int kept = appendedFlat_[from + i];
            appendedFlat_.push_back(kept);
        }
    }
    const size_t start = size_t(visibleStart_[size_t(parent)]);
    for (const LocationTree::ListEdit& e : edits) {
        size_t count = size_t(visibleCount_[size_t(parent)]);
        if (e.added) {
            // A child removed again later in the batch is gone already; one hidden later
            // would have made the list reshaped.
            if (!tree_.isVisible(e.node)) continue;
            visibleRow_[size_t(e.node)] = int(count) + x.appendCount++;
            appendedFlat_.push_back(e.node);
            continue;
        }
        const int row = rowOf(parent, e.node);
        if (row < 0) continue; // it was not shown
        visibleRow_[size_t(e.node)] = -1;
        if (size_t(row) < count) {
            int* run = visibleFlat_.data() + start;
            std::copy(run + row + 1, run + count, run + row);
            visibleCount_[size_t(parent)] = int(count - 1);
        } else { // among the appended children
            int* appended = appendedFlat_.data() + x.appendStart;
            const size_t at = size_t(row) - count;
            std::copy(appended + at + 1, appended + x.appendCount, appended + at);
            --x.appendCount;
        }
        if (++x.drift <= kMaxDrift) continue;
        const ShownList shown = visibleChildren(parent);
        for (size_t i = 0; i < shown.size(); ++i) visibleRow_[size_t(shown[i])] = int(i);
        x.drift = 0;
    }
}

void LocationTreeModel::treeChanged()
{
    updateVisible();
    const bool sameTree = tree_.generation() == generationAtStart_;
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from) {
        const int node = int(i.internalId());
        to.append(sameTree ? indexOf(node, i.column()) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
}

void LocationTreeModel::nodesChanged(const std::vector<int>& nodes)
{
    for (int n : nodes) {
        QModelIndex a = indexOf(n, TextColumn);
        if (a.isValid()) emit dataChanged(a, indexOf(n, MarkColumn));
    }
}

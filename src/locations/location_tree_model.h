#pragma once
// The location tree as a Qt item model: two columns (the text with its icon and check
// box, and the selection mark), only visible nodes, rows in tree order.
#include <array>
#include <span>
#include <vector>

#include <QAbstractItemModel>
#include <QIcon>

#include "location_tree.h"

class LocationTreeModel : public QAbstractItemModel, public TreeObserver {
    Q_OBJECT
public:
    enum Column { TextColumn = 0, MarkColumn = 1 };

    explicit LocationTreeModel(LocationTree& tree, QObject* parent = nullptr);
    ~LocationTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The node of an index (kNoTreeNode for the root) and the index of a visible node.
    int nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(int node, int column = TextColumn) const;

    // Tree images (the icon strip of the tree), addressed by image index.
    void setImages(std::vector<QIcon> images);
    // The selected node with its ancestors, marked in the mark column.
    void setSelectionChain(const std::array<int, 4>& chain);
    // Zones of other maps than this one are written in grey.
    void setCurrentMapId(int mapId);

    // TreeObserver
    void treeAboutToChange() override;
    void treeChanged() override;
    void nodesChanged(const std::vector<int>& nodes) override;

private:
    void rebuildVisible();
    // After a bracket: the lists the tree reports changed, or everything.
    void updateVisible();
    // The shown children of a node: its run in visibleFlat_, then the children appended
    // since the run was made.
    struct ShownList {
        std::span<const int> run;
        std::span<const int> appended;
        size_t size() const { return run.size() + appended.size(); }
        bool empty() const { return size() == 0; }
        int operator[](size_t row) const { return row < run.size() ? run[row] : appended[row - run.size()]; }
    };
    ShownList visibleChildren(int node) const;
    // Row of a shown node under its parent (kNoTreeNode: the roots); -1 when not shown.
    int rowOf(int parent, int node) const;
    // A list whose only changes since the last update were children appended or removed.
    void replayEdits(int parent, std::span<const LocationTree::ListEdit> edits);
    // Starts loading, for every removal of the batch, the child's row and the place in its
    // list's run that the removal closes.
    void prefetchRemovals(std::span<const LocationTree::ListEdit> edits) const;
    // Ends the appended children and the drift of a list: it is made anew.
    void dropListExtra(int parent);

    LocationTree& tree_;
    // Shown children of every node, each node's run contiguous in one array.
    std::vector<int> visibleFlat_;
    std::vector<int> visibleStart_; // by node id: first index in visibleFlat_
    std::vector<int> visibleCount_; // by node id
    std::vector<int> visibleRoots_;
    // By node id; -1 when not shown. A removal does not renumber the rows after it (in a
    // long list they lie far apart in memory): a row here may be higher than the node's row
    // by the list's drift, the children removed from it since it was last numbered.
    std::vector<int> visibleRow_;
    // Lists edited by appends and removals since the last full rebuild: the children appended
    // after the run (so that a run never moves to grow), a run of appendedFlat_, and the
    // list's drift. The appended runs share one array so that a merge into thousands of
    // lists does not allocate for each.
    struct ListExtra {
        int appendStart = 0;
        int appendCount = 0;
        int drift = 0;
    };
    std::vector<ListExtra> extras_;
    std::vector<int> appendedFlat_;
    std::vector<int> extraOf_; // by node id, below the last edited list: index into extras_, -1 for none
    static constexpr int kMaxDrift = 64; // beyond it, the list's rows are numbered again
    std::vector<QIcon> images_;
    std::array<int, 4> selectionChain_{kNoTreeNode, kNoTreeNode, kNoTreeNode, kNoTreeNode};
    int currentMapId_ = -1;
    size_t generationAtStart_ = 0;
    // Every node's children as the tree last had them, each node's run contiguous in one
    // array (locations have none). While the tree's shape stays the same, a change of
    // visibility alone (the level filter) rebuilds the shown lists from it instead of
    // reading the tree's scattered child lists again.
    void refreshChildLists();
    std::span<const int> childrenOf(int node) const;
    std::vector<int> kidsFlat_;
    std::vector<int> kidsStart_; // by node id, below the last node with children
    std::vector<int> kidsCount_;
    bool kidsBuilt_ = false;
    size_t kidsGeneration_ = 0;
    uint64_t kidsContent_ = 0;
    size_t kidsIdLimit_ = 0;
};

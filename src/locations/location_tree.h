#pragma once
// The location tree: the one index of a loaded database. Four levels, map > zone >
// category > location; every node owns its TNodeData. Nodes have stable integer ids;
// a removed node's id is never reused while the tree lives.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "data_model.h"
#include "node_store.h"

enum class NodeCheck : uint8_t { Unchecked, Checked, Mixed };

enum TreeLevel : uint8_t { levelMap = 0, levelZone = 1, levelCategory = 2, levelLocation = 3 };

struct TreeNode {
    int parent = kNoTreeNode;
    // Position among the parent's children when the list was last numbered. A removal does
    // not renumber the siblings after it (in a long list they lie far apart in memory), so
    // this may be higher than the position by the siblings removed before it since; read
    // positions through LocationTree::positionOf.
    int positionHint = 0;
    uint8_t level = 0;
    bool alive = true;
    bool visible = true;
    NodeCheck check = NodeCheck::Checked;
    // Children removed from this node's list since it was last numbered; 0: every child's
    // positionHint is its position.
    int childDrift = 0;
    std::vector<int> children;
    std::unique_ptr<TNodeData> data;
};

// Compact inputs of one node's visibility rule. Kept by node id next to the nodes, so a walk
// over the whole tree reads one small array instead of each location's payload.
struct VisibilityKey {
    enum : uint8_t { none = 0, category = 1, location = 2, creature = 4, erased = 8 };
    uint8_t rule = none; // none for maps, zones, removed nodes and locations without an item
    uint8_t levelMin = 0;
    uint8_t levelMax = 0;
};

// Told around every change of the tree's shape or visibility, so a view can follow.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void treeAboutToChange() = 0;
    virtual void treeChanged() = 0;
    // Check marks or colours changed on these nodes; the shape did not.
    virtual void nodesChanged(const std::vector<int>& nodes) = 0;
};

class LocationTree : public NodeStore {
public:
    LocationTree();
    ~LocationTree() override;

    void setObserver(TreeObserver* observer) { observer_ = observer; }

    // Update bracket: observers hear of a batch of changes once, at the outermost end.
    void BeginUpdate();
    void EndUpdate();

    // Removes every node.
    void clear();
    // Builds the map, zone and category levels for a map index and categories.
    void init_tree(TData_map& mapIndex, TData_common& common);

    // NodeStore
    int addnode(const rnew_node& record) override;
    int addnodeMove(rnew_node&& record) override;
    int find_map_masternode(int32_t zoneId) const override;
    bool hasCategoryNode(int zoneNode, uint32_t categoryId) const override;
    std::vector<int> locationsAt(int zoneNode, uint16_t x, uint16_t y) const override;
    TNodeData* nodeData(int node) const override;
    void destroynode(int node) override;
    void forEachLocation(const std::function<void(int node, const TNodeData& data)>& visit) const override;
    void forEachUserLocation(const std::function<void(int node, const TNodeData& data)>& visit) const override;
    // A location read from the master file becomes the user's (its fromMaster goes to 0):
    // the additions file carries it from now on.
    void markUserLocation(int node);
    void reserveLocations(size_t count) override;
    void prefetchPoint(int zoneNode, uint32_t categoryId, uint16_t x, uint16_t y, int step) const override;

    // The node of the last zone whose region id (16 bits) matches; kNoTreeNode for -1 or none.
    int find_region_masternode(int32_t mapId) const;
    // Map, zone, category or location name (Windows-1252).
    std::string get_nodetext(int node) const;
    // Sorts every level by node text, ASCII letters without case, stable. Only the child
    // lists that changed since the last sort are sorted again (the others are in order
    // already, so a stable sort would leave them as they are).
    void sortAll();
    // The children of `parent` (kNoTreeNode: the roots) may be out of order: a name of one
    // of them changed in place. The next sortAll sorts them.
    void markUnsorted(int parent);

    // Structure access.
    bool isNode(int node) const { return node >= 0 && size_t(node) < nodes_.size() && nodes_[size_t(node)].alive; }
    const TreeNode& node(int id) const { return nodes_[size_t(id)]; }
    const std::vector<int>& roots() const { return roots_; }
    const std::vector<int>& children(int node) const;
    int parentOf(int node) const { return isNode(node) ? nodes_[size_t(node)].parent : kNoTreeNode; }
    // Position of a live node among its parent's children (the roots for a map).
    int positionOf(int node) const;
    int levelOf(int node) const { return isNode(node) ? nodes_[size_t(node)].level : -1; }
    size_t nodeCount() const { return aliveCount_; }
    size_t idLimit() const { return nodes_.size(); } // every node id is below it
    size_t locationCount() const { return locationCount_; }
    // Every live node in tree order (pre-order, children before siblings).
    void forEachNode(const std::function<void(int node)>& visit) const;
    // The next node in tree order after `node` (kNoTreeNode at the end).
    int nextNode(int node) const;

    // Visibility flag of a node; changes run inside an update bracket.
    // A packed copy of the flags by node id (0 for removed nodes) lets whole-tree walks in
    // tree order read them without touching the scattered nodes.
    bool isVisible(int node) const { return node >= 0 && size_t(node) < visibleById_.size() && visibleById_[size_t(node)]; }
    void setVisible(int node, bool visible);
    // Inside an update bracket the caller opened: no bracket of its own.
    void setVisibleInBracket(int node, bool visible)
    {
        if (nodes_[size_t(node)].visible == visible) return;
        nodes_[size_t(node)].visible = visible;
        visibleById_[size_t(node)] = visible;
        noteVisibilityChange(node);
    }

    // What changed in the shape or visibility since the outermost BeginUpdate, for the
    // observers' treeChanged: the nodes whose list of children (or the visibility of one
    // of them) changed, kNoTreeNode standing for the roots; or everything.
    bool everythingChanged() const { return everythingChanged_; }
    const std::vector<int>& changedParents() const { return changedParents_; }
    // Finer detail on the same batch, while appendLogComplete(): the children appended at
    // the end of a list or removed from it, in the order it happened, and the lists that
    // changed in any other way.
    struct ListEdit {
        int parent;
        int node;
        bool added;
    };
    bool appendLogComplete() const { return appendLogComplete_; }
    const std::vector<ListEdit>& listEdits() const { return listEdits_; }
    const std::vector<int>& reshapedParents() const { return reshapedParents_; }

    // Tri-state checks: a change goes down to every descendant and up to the ancestors
    // (checked when all children are, unchecked when none is, mixed otherwise).
    NodeCheck checkState(int node) const { return isNode(node) ? nodes_[size_t(node)].check : NodeCheck::Unchecked; }
    void setCheckState(int node, NodeCheck state);
    bool ChecksChanged = false; // a check mark changed since the tree was last painted

    bool AutosaveAllowed = true; // False while addnode runs
    // Changes whenever the tree is cleared, so holders of node ids can tell them stale.
    size_t generation() const { return generation_; }
    // Changes with every added, removed or reordered node, so indexes built over the tree
    // can tell they are stale. Whoever changes a location's name or note in place calls
    // contentChanged().
    uint64_t contentVersion() const { return contentVersion_; }
    void contentChanged()
    {
        ++contentVersion_;
        keysStale_ = true;
    }

    // The visibility key of every node id below idLimit(), brought up to date first: nodes
    // added since the last call get theirs, and all are read again after contentChanged().
    const std::vector<VisibilityKey>& visibilityKeys();
    // What the last pass of level colours ran with (kept by the visibility code): a pass
    // with the same inputs would change no colour.
    std::vector<uint64_t> levelColourInputs;

    TData_map* mapIndex() const { return mapIndex_; }
    TData_common* common() const { return common_; }
    // Tells observers that colours or marks of these nodes changed.
    void notifyNodesChanged(const std::vector<int>& nodes);

private:
    int newNode(int parent, uint8_t level, std::unique_ptr<TNodeData> data);
    uint64_t pointKey(int zoneNode, uint16_t x, uint16_t y) const
    {
        return uint64_t(uint32_t(zoneNode)) << 32 | uint32_t(x) << 16 | y;
    }
    int categoryNodeFor(int zoneNode, uint8_t categoryId) const;
    void rebuildCategoryIndex();
    void sortChildren(std::vector<int>& list);
    // Numbers every child of the list again, so that each positionHint is its position.
    void renumber(std::vector<int>& list, int& drift);
    // Beyond this many removals since a list was numbered, it is numbered again: a position
    // is then found within this many steps back from its hint.
    static constexpr int kMaxChildDrift = 64;
    void noteChildrenChange(int parent);
    void noteListEdit(int parent, int node, bool added);
    void noteListChange(int parent);
    void resetChangeLog();
    // A node shown or hidden: its parent's list, and its own children's reachability.
    void noteVisibilityChange(int node)
    {
        const TreeNode& n = nodes_[size_t(node)];
        noteChildrenChange(n.parent);
        if (n.children.empty()) return;
        // Above the categories a shown node reveals lists that were never reachable.
        if (n.level < levelCategory) everythingChanged_ = true;
        noteChildrenChange(node);
    }

    std::vector<TreeNode> nodes_;
    std::vector<int> roots_;
    int rootsDrift_ = 0; // TreeNode::childDrift of the roots' list
    size_t aliveCount_ = 0;
    size_t locationCount_ = 0;
    TData_map* mapIndex_ = nullptr;
    TData_common* common_ = nullptr;
    TreeObserver* observer_ = nullptr;
    int updateDepth_ = 0;
    size_t generation_ = 0;
    uint64_t contentVersion_ = 0;
    std::vector<uint8_t> visibleById_; // TreeNode::visible of live nodes by id
    VisibilityKey keyOf(size_t id) const;
    std::vector<VisibilityKey> visibilityKeys_; // by node id, up to the last visibilityKeys()
    bool keysStale_ = false;                    // a name or levels changed in place since
    bool everythingChanged_ = false;
    std::vector<int> changedParents_;
    static constexpr size_t kChangeLogLimit = 4096; // beyond it: everything changed
    bool appendLogComplete_ = true;
    std::vector<ListEdit> listEdits_;
    std::vector<int> reshapedParents_;
    static constexpr size_t kAppendLogLimit = 4 * kChangeLogLimit; // beyond it: no detail
    // Lists to sort at the next sortAll: every list after a load, else the ones marked.
    bool allUnsorted_ = true;
    bool rootsUnsorted_ = false;
    std::vector<int> unsortedParents_;
    std::vector<uint8_t> unsortedFlag_; // by node id
    // Zone id (16 bits) -> tree node of its first zone in the zone list, kNoTreeNode for none:
    // every merged line looks its zone up, and this one small table is all it reads.
    std::vector<int32_t> zoneNodeById_;
    // Region id (16 bits) -> index in the zone list of its last zone.
    std::vector<int32_t> lastZoneByRegion_;
    // Per zone node, the first category node of each category id under it, in current order.
    std::vector<std::array<int, 256>> categoryIndex_;
    std::vector<int> categoryTableOf_; // by node id: index into categoryIndex_, -1 for none
    // (zone node, x, y) -> location nodes at that point: an open-addressing table kept by
    // every add, so a lookup costs the same whatever the size of the tree. A slot holds a
    // node id and 32 bits of its point's hash (the slot index comes from them, so the table
    // grows without reading a node). Removed nodes stay in their slots until the next growth
    // (ids are never reused): lookups skip them.
    struct PointSlot {
        int32_t node = kNoTreeNode; // kNoTreeNode: empty
        uint32_t tag = 0;
    };
    static uint32_t pointTag(uint64_t key);
    void addToPointIndex(uint64_t key, int node);
    void resizePointIndex(size_t capacity);
    std::vector<PointSlot> pointSlots_; // power-of-two size, or empty
    size_t pointUsed_ = 0;              // slots holding a node, removed ones included
    size_t pointRemoved_ = 0;           // of those, nodes removed since
    // Ids of the location nodes added with fromMaster 0 or marked the user's since, so the
    // save finds them without a walk over the tree. Removed nodes and repeats are dropped
    // at the next forEachUserLocation.
    mutable std::vector<int> userNodes_;
    // The user's nodes with their paths of positions, sorted into tree order by
    // forEachUserLocation; kept between calls so that a save does not allocate it again.
    struct UserEntry {
        std::array<int, 4> path;
        int node;
    };
    mutable std::vector<UserEntry> userEntries_;
};

// ASCII case-insensitive comparison of Windows-1252 texts (only a..z fold), <0, 0, >0.
int CompareText(const std::string& a, const std::string& b);

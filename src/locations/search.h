#pragma once
// The location search: the search page's values become one rSearchArea, which is matched
// against every location of the tree, hidden and unchecked ones included, in tree order.
//
// Names and notes are matched through a folded copy (NormalizeText) of all of them, laid
// out in two contiguous buffers (in the order the locations were made) and rebuilt only
// when the tree changes: a search then scans two buffers instead of two hundred thousand
// scattered strings. The entries that describe the locations lie in the same order, and a
// list of the location nodes in tree order gives the results their order.
//
// The index can be built in slices (buildFor), so that the window can bring it up to date
// while the program is idle, a few milliseconds at a time, and a search then finds it
// ready. A slice build gives the same index as a build at once: a change of the tree
// between two slices starts it again.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "location_tree.h"
#include "spec_set.h"
#include "tree_visibility.h"

// One search, as the search page describes it.
struct rSearchArea {
    std::string text;                               // as typed (Windows-1252)
    TraducCheck translation = TraducCheck::Grayed;  // counts only for "nothing to search for"
    int32_t itemType = 0;                           // 0: any type
    int32_t levelLow = 0;
    int32_t levelHigh = 0;
    int32_t categoryId = 0;
    int32_t scope = 0;                              // 0 all, 1 the map shown, n >= 2 realm n - 1
    SpecSet neutral;                                // attributes allowed, not required
    SpecSet required;
    SpecSet excluded;                               // not (neutral or required), word by word
    bool inName = false;
    bool inNote = false;
    bool byCategory = false;
    bool byLevel = false;
    bool exact = false;
    bool byAttributes = false;
    bool freeze = false;
    bool getnews = false;
};

// The search page's controls as values. buildSearchArea rewrites the fields the page
// shows back (level texts, the two text check boxes).
struct SearchPageValues {
    std::string text;            // Edit1
    bool inName = true;          // CheckBox1
    bool inNote = true;          // CheckBox2
    bool exact = false;          // CheckBox6
    bool byCategory = false;     // CheckBox3
    int categoryId = 0;          // of the category chosen in ComboCateg
    bool byLevel = false;        // CheckBox4
    std::string levelLow = "5";  // Edit3
    std::string levelHigh = "5"; // Edit2
    bool byType = false;         // CheckBox15
    int typeIndex = 0;           // ComboBox8's item index
    int scope = 0;               // ComboBox6's item index
    TraducCheck translation = TraducCheck::Grayed; // CheckBox17
    bool freeze = false;         // CheckBox16
    bool getnews = false;        // CheckBox5
    // Every node of the criteria tree: (attribute id, criterion 0 excluded, 1 neutral, 2 required).
    std::vector<std::pair<int, int>> criteria;
};

// NormalizeInto's folding (UpCaseNoAccent of every byte), eight bytes at a time where
// they are plain ASCII: the index folds every name and note of the tree with it.
void FoldText(const char* src, size_t n, char* dst);

// A level edit's text as the edit may hold it: digits only, at most three of them.
std::string levelEditText(const std::string& text);

// Builds the search from the page; nothing when there is nothing to search for (the
// caller shows message S21 and keeps the old results). Empty level texts become "1", a
// high level below the low one takes its value, an empty trimmed text unchecks both text
// boxes; the values show what the page must show afterwards.
std::optional<rSearchArea> buildSearchArea(SearchPageValues& page);

class LocationSearch {
public:
    explicit LocationSearch(const LocationTree& tree) : tree_(tree) {}

    // The location nodes that pass every test, in tree order. Scope 1 looks in the map
    // shown (currentMapNode is its tree node; none shown finds nothing).
    std::vector<int> run(const rSearchArea& area, int32_t currentMapId, int currentMapNode);

    // The first location in tree order whose folded name equals the folded, trimmed
    // name; with currentMapOnly only in the map shown. Erased locations never match.
    int findByName(const std::string& name, bool currentMapOnly, int32_t currentMapId, int currentMapNode);

    // Rebuilds the folded index when the tree changed since it was built (what a slice
    // build has left to do, or all of it).
    void refresh();
    // Goes on with building the index for about this long, at least one step; true once
    // it is up to date.
    bool buildFor(std::chrono::nanoseconds budget);
    // The location's name folded as the result list orders names (a..z to capitals, every
    // other byte as it is), read from the index; nothing when the index is not up to date
    // or does not hold the location (an erased name).
    std::optional<std::string_view> sortName(int node) const
    {
        if (!upToDate()) return std::nullopt;
        const int32_t slot = slotOf(node);
        if (slot < 0) return std::nullopt;
        return slotText(sortNames_, nameStarts_, size_t(slot)); // laid out as names_
    }
    // The steps of sortName, for fetching them ahead: the slot, its name's start, the name.
    const int32_t* slotAddress(int node) const
    {
        return node >= 0 && size_t(node) < slotOf_.size() ? &slotOf_[size_t(node)] : nullptr;
    }
    // (While a build runs, a slot may not be made yet: nothing then.)
    const uint32_t* nameStartAddress(int node) const
    {
        const int32_t slot = slotOf(node);
        return slot < 0 || size_t(slot) >= nameStarts_.size() ? nullptr : &nameStarts_[size_t(slot)];
    }
    const char* sortNameAddress(int node) const
    {
        const int32_t slot = slotOf(node);
        return slot < 0 || size_t(slot) >= nameStarts_.size() ? nullptr : sortNames_.data() + nameStarts_[size_t(slot)];
    }

    // The index matches the tree as it is.
    bool upToDate() const
    {
        return built_ && builtGeneration_ == tree_.generation() && builtVersion_ == tree_.contentVersion();
    }

private:
    // What the tests read of a location, by slot (its node and texts: see treeOrder_,
    // slotPosition_ and the text buffers).
    struct Entry {
        int32_t mapNode;      // the map node above it
        int16_t regionId;     // its zone's map id
        uint8_t realm;        // its map's realm number
        uint8_t categoryId;
        uint8_t levelMin;
        uint8_t levelMax;
        uint8_t typeId;
        SpecSet attributes;
    };
    struct MapRange {
        int32_t first; // tree position of the map's first location
        int32_t map;
        uint8_t realm;
    };
    enum class Phase : uint8_t { none, order, texts };
    void startBuild();
    // One step of the build in progress (where the lists of a few zones begin in tree order,
    // or a run of locations placed and their texts folded); false once the build is complete.
    bool buildStep();
    void orderStep();
    void startTexts();
    void foldTexts(size_t idEnd);
    void placeFromLists();

    // A slot's folded text in names_ or notes_: every text is followed by a 0 byte, and the
    // next slot's text by that.
    static std::string_view slotText(const std::string& buffer, const std::vector<uint32_t>& starts, size_t slot)
    {
        const size_t start = starts[slot];
        const size_t end = slot + 1 < starts.size() ? starts[slot + 1] : buffer.size();
        return std::string_view(buffer.data() + start, end - 1 - start);
    }
    int32_t slotOf(int node) const
    {
        return node >= 0 && size_t(node) < slotOf_.size() ? slotOf_[size_t(node)] : -1;
    }
    bool inScope(const Entry& e, int32_t scope, int32_t currentMapId, int currentMapNode) const;
    // Marks the entries whose folded text (names or notes) holds the needle.
    void markContaining(const std::string& buffer, bool names, const std::string& needle,
                        std::vector<uint8_t>& marks) const;

    const LocationTree& tree_;
    bool built_ = false;
    size_t builtGeneration_ = 0;
    uint64_t builtVersion_ = 0;
    // The build in progress: what the tree was when it started and how far it got.
    Phase phase_ = Phase::none;
    size_t buildGeneration_ = 0;
    uint64_t buildVersion_ = 0;
    size_t rootAt_ = 0, zoneAt_ = 0; // order: the next zone
    size_t idAt_ = 0;                // texts: the next node id
    std::vector<MapRange> maps_;     // where each map's locations begin in tree order
    std::vector<Entry> entries_;   // one per slot
    std::vector<int32_t> treeOrder_; // every location node in tree order
    std::string names_; // folded names, one text slot per entry, each followed by a 0 byte
    std::string notes_; // folded notes, in the same slots
    std::string sortNames_; // names folded for sorting, laid out as names_
    std::vector<int32_t> slotOf_; // by node id: its entry's slot, -1 for none
    std::vector<uint32_t> nameStarts_, noteStarts_; // by slot, ascending
    std::vector<int32_t> slotPosition_;             // by slot: its location's tree position
    // While building: where each category's locations begin in tree order, by node id.
    struct ListPlace {
        int32_t start;    // -1: not a category of the tree
        int32_t mapPlace; // its map in maps_; -1 - that when its nodes' places in it are stale
        bool numbered() const { return mapPlace >= 0; }
        size_t map() const { return size_t(mapPlace >= 0 ? mapPlace : -1 - mapPlace); }
    };
    std::vector<ListPlace> lists_;
    size_t listsSpan_ = 0;        // the highest category id of the last build, plus one
    std::vector<int> staleLists_; // the categories whose lists are not numbered
    size_t listed_ = 0;           // locations in the lists seen so far
    size_t placed_ = 0;           // locations placed from their nodes so far
    bool misplaced_ = false;      // two locations claimed one place
    std::vector<uint8_t> marks_;                    // by slot
    std::vector<uint8_t> passed_;                   // by tree position
};

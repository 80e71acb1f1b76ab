#include "search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "delphi_conv.h"
#include "text_helpers.h"

namespace {

constexpr size_t kLevelDigits = 3;

int levelOf(std::string& text)
{
    text = levelEditText(text);
    if (text.empty()) {
        text.assign(1, '1');
        return 1;
    }
    return std::stoi(text); // at most three digits
}

// UpCaseNoAccent of every byte value, made on first use (its own table is another file's
// static, not ready before main).
const std::array<char, 256>& foldTable()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int i = 0; i < 256; ++i) t[size_t(i)] = UpCaseNoAccent(char(i));
        return t;
    }();
    return table;
}

constexpr uint64_t kHigh = 0x8080808080808080ull;
constexpr uint64_t kOnes = 0x0101010101010101ull;

// Eight bytes at once: a..z lose their 0x20, every other byte stays as it is. A byte's high
// bit after adding 0x1F to its low seven bits says it is at least 'a', after adding 0x05 that
// it is past 'z'; no sum carries into the next byte, and bytes from 0x80 up are left out.
inline uint64_t upcaseLetters8(uint64_t w)
{
    const uint64_t low = w & ~kHigh;
    const uint64_t atLeastA = low + kOnes * (0x80 - 'a');
    const uint64_t pastZ = low + kOnes * (0x80 - 'z' - 1);
    return w - ((atLeastA & ~pastZ & ~w & kHigh) >> 2);
}

// a..z to capitals, every other byte as it is (CompareText's folding), eight bytes at a time.
void FoldLetters(const char* src, size_t n, char* dst)
{
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, src + i, 8);
        w = upcaseLetters8(w);
        std::memcpy(dst + i, &w, 8);
    }
    for (; i < n; ++i) dst[i] = (src[i] >= 'a' && src[i] <= 'z') ? char(src[i] - 'a' + 'A') : src[i];
}

// Fetches the line `bytes` past the end of a buffer that is being appended to, for writing:
// the appends then find their lines in the cache.
template <typename Buffer>
inline void prefetchAppend(const Buffer& buffer, size_t bytes)
{
    const size_t at = buffer.size() * sizeof(typename Buffer::value_type) + bytes;
    if (at < buffer.capacity() * sizeof(typename Buffer::value_type))
        __builtin_prefetch(reinterpret_cast<const char*>(buffer.data()) + at, 1);
}

} // namespace

void FoldText(const char* src, size_t n, char* dst)
{
    const std::array<char, 256>& fold = foldTable();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, src + i, 8);
        if (w & kHigh) {
            for (size_t k = i; k < i + 8; ++k) dst[k] = fold[static_cast<unsigned char>(src[k])];
            continue;
        }
        // Eight bytes below 0x80: only a..z change.
        w = upcaseLetters8(w);
        std::memcpy(dst + i, &w, 8);
    }
    for (; i < n; ++i) dst[i] = fold[static_cast<unsigned char>(src[i])];
}

std::string levelEditText(const std::string& text)
{
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9' && digits.size() < kLevelDigits) digits += c;
    return digits;
}

std::optional<rSearchArea> buildSearchArea(SearchPageValues& page)
{
    rSearchArea area;
    area.levelLow = levelOf(page.levelLow);
    area.levelHigh = levelOf(page.levelHigh);
    if (area.levelHigh < area.levelLow) {
        area.levelHigh = area.levelLow;
        page.levelHigh = std::to_string(area.levelHigh);
    }
    if (DelphiTrim(page.text).empty()) {
        page.inName = false;
        page.inNote = false;
    }
    for (const auto& [id, state] : page.criteria)
        if (state != 1) area.byAttributes = true;
    if (!area.byAttributes && !page.inName && !page.inNote && !page.byCategory && !page.byLevel && !page.byType &&
        !page.freeze && !page.getnews && page.translation == TraducCheck::Grayed)
        return std::nullopt;

    SpecFlags neutral{}, required{};
    for (const auto& [id, state] : page.criteria) {
        if (id < 1 || id > 96) continue;
        neutral[size_t(id - 1)] = state == 1;
        required[size_t(id - 1)] = state == 2;
    }
    area.neutral = PackSpecs(neutral);
    area.required = PackSpecs(required);
    for (int i = 0; i < 3; ++i) area.excluded.w[i] = ~(area.neutral.w[i] | area.required.w[i]);

    area.itemType = page.byType ? page.typeIndex + 1 : 0;
    area.text = page.text;
    area.translation = page.translation;
    area.categoryId = page.categoryId;
    area.scope = page.scope;
    area.inName = page.inName;
    area.inNote = page.inNote;
    area.byCategory = page.byCategory;
    area.byLevel = page.byLevel;
    area.exact = page.exact;
    area.freeze = page.freeze;
    area.getnews = page.getnews;
    return area;
}

void LocationSearch::refresh()
{
    if (upToDate()) return;
    if (phase_ == Phase::none || buildGeneration_ != tree_.generation() || buildVersion_ != tree_.contentVersion())
        startBuild();
    while (buildStep()) {
    }
}

bool LocationSearch::buildFor(std::chrono::nanoseconds budget)
{
    if (upToDate()) return true;
    // A build begun on a tree that changed since is of no use: begin again.
    if (phase_ == Phase::none || buildGeneration_ != tree_.generation() || buildVersion_ != tree_.contentVersion())
        startBuild();
    const auto deadline = std::chrono::steady_clock::now() + budget;
    while (buildStep())
        if (std::chrono::steady_clock::now() >= deadline) return false;
    return true;
}

void LocationSearch::startBuild()
{
    phase_ = Phase::order;
    built_ = false;
    buildGeneration_ = tree_.generation();
    buildVersion_ = tree_.contentVersion();
    rootAt_ = 0;
    zoneAt_ = 0;
    maps_.clear();
    // By node id, up to the highest category of the last build (every id at first): the
    // categories are made with the tree, before its locations.
    const size_t span = listsSpan_ > 0 ? std::min(listsSpan_, tree_.idLimit()) : tree_.idLimit();
    lists_.assign(span, ListPlace{-1, 0});
    listsSpan_ = 0;
    staleLists_.clear();
    listed_ = 0;
}

bool LocationSearch::buildStep()
{
    if (phase_ == Phase::order) {
        orderStep();
        return true;
    }
    if (phase_ == Phase::texts) {
        // A few thousand locations a step: a step stays well under a millisecond.
        constexpr size_t kTextsPerStep = 4096;
        const size_t limit = tree_.idLimit();
        if (idAt_ < limit) {
            const size_t end = std::min(limit, idAt_ + kTextsPerStep);
            foldTexts(end);
            idAt_ = end;
            return true;
        }
        placeFromLists();
        // The lists' places serve the build only: given back between builds.
        std::vector<ListPlace>().swap(lists_);
        phase_ = Phase::none;
        built_ = true;
        builtGeneration_ = buildGeneration_;
        builtVersion_ = buildVersion_;
    }
    return false;
}

void LocationSearch::orderStep()
{
    // Tree order (map > zone > category > location, each level in its current order): where
    // each category's list of locations begins in it, from the lists' sizes alone, a few
    // zones a step. The lists themselves lie scattered over the heap and are not read: a
    // location's place is its list's start and its place in the list, which its node keeps
    // (see foldTexts). A map's locations follow one another, so a short list of where each
    // map begins gives a place its map.
    const std::vector<int>& roots = tree_.roots();
    if (rootAt_ >= roots.size()) {
        startTexts();
        return;
    }
    const int map = roots[rootAt_];
    if (zoneAt_ == 0) {
        const TNodeData* md = tree_.nodeData(map);
        maps_.push_back({int32_t(listed_), map, uint8_t(md && md->region ? md->region->realm : 0)});
    }
    const std::vector<int>& zones = tree_.children(map);
    if (zoneAt_ >= zones.size()) {
        ++rootAt_;
        zoneAt_ = 0;
        return;
    }
    constexpr size_t kZonesPerStep = 16;
    const size_t zoneEnd = std::min(zones.size(), zoneAt_ + kZonesPerStep);
    const int32_t mapIndex = int32_t(maps_.size() - 1);
    for (size_t z = zoneAt_; z < zoneEnd; ++z) {
        if (z + 2 < zoneEnd) __builtin_prefetch(tree_.node(zones[z + 2]).children.data());
        for (const int categ : tree_.node(zones[z]).children) {
            const TreeNode& c = tree_.node(categ);
            if (size_t(categ) >= lists_.size())
                lists_.resize(std::min(tree_.idLimit(), std::max(size_t(categ) + 1, 2 * lists_.size())),
                              ListPlace{-1, 0});
            listsSpan_ = std::max(listsSpan_, size_t(categ) + 1);
            // A list that lost children since it was last numbered: its nodes' places in it
            // may be too high, so its locations are placed from the list itself at the end.
            const bool numbered = c.childDrift == 0;
            lists_[size_t(categ)] = {int32_t(listed_), numbered ? mapIndex : -1 - mapIndex};
            if (!numbered) staleLists_.push_back(categ);
            listed_ += c.children.size();
        }
    }
    zoneAt_ = zoneEnd;
}

void LocationSearch::startTexts()
{
    phase_ = Phase::texts;
    idAt_ = 0;
    placed_ = 0;
    misplaced_ = false;
    // Each place is written once, by its location (see foldTexts).
    treeOrder_.assign(listed_, -1);
    slotOf_.resize(tree_.idLimit()); // every id's is written by foldTexts
    entries_.clear();
    names_.clear();
    notes_.clear();
    sortNames_.clear();
    nameStarts_.clear();
    noteStarts_.clear();
    slotPosition_.clear();
    entries_.reserve(listed_);
    nameStarts_.reserve(listed_);
    slotPosition_.reserve(listed_);
    noteStarts_.reserve(listed_);
    // The text buffers are sized from a sample of the locations, so that a first build does
    // not copy them over and over as they grow; a wrong guess only costs that growth.
    const size_t limit = tree_.idLimit();
    if (listed_ == 0) return;
    const size_t step = std::max<size_t>(1, limit / 1024);
    size_t sampled = 0, nameBytes = 0, noteBytes = 0;
    for (size_t id = 0; id < limit; id += step) {
        if (tree_.levelOf(int(id)) != levelLocation) continue;
        const TNodeData* d = tree_.nodeData(int(id));
        if (!d || !d->item) continue;
        ++sampled;
        nameBytes += d->item->name.size() + 1;
        noteBytes += d->item->description.size() + 1;
    }
    if (sampled > 0) {
        const double scale = 1.05 * double(listed_) / double(sampled);
        names_.reserve(size_t(double(nameBytes) * scale));
        sortNames_.reserve(names_.capacity());
        notes_.reserve(size_t(double(noteBytes) * scale));
    }
}

void LocationSearch::foldTexts(size_t idEnd)
{
    // The texts are read in id order, the order the locations were made in and so the order
    // their nodes, records and texts lie in memory: the walk streams through them instead of
    // waiting on a scattered node, record and string at every step, which at a million
    // locations cost far more than the copying. Entries and folded texts are laid out in that
    // order too, one slot each.
    auto append = [](std::string& buffer, const std::string& text) {
        const size_t at = buffer.size();
        if (buffer.capacity() < at + text.size() + 1)
            buffer.reserve(std::max(buffer.capacity() * 2, at + text.size() + 1));
        buffer.append(text.size() + 1, '\0');
        FoldText(text.data(), text.size(), buffer.data() + at);
        return uint32_t(at);
    };
    auto locationAt = [this](size_t id) -> const TreeNode* {
        const TreeNode& n = tree_.node(int(id));
        return n.alive && n.level == levelLocation ? &n : nullptr;
    };
    const size_t idLimit = tree_.idLimit();
    for (size_t id = idAt_; id < idEnd; ++id) {
        // Every step still waits on the one before (node, record, item, texts): each link of
        // the chain is fetched further ahead than the next, the nodes by their address alone.
        // Records made later (a user's additions) and removed ones break the streaming.
        if (id + 48 < idLimit) {
            const char* node = reinterpret_cast<const char*>(&tree_.node(int(id + 48)));
            __builtin_prefetch(node);
            __builtin_prefetch(node + sizeof(TreeNode) - 1);
        }
        if (id + 32 < idLimit)
            if (const TreeNode* n = locationAt(id + 32); n && n->data) {
                __builtin_prefetch(n->data.get());
                __builtin_prefetch(reinterpret_cast<const char*>(n->data.get()) + sizeof(TNodeData) - 1);
                if (size_t(n->parent) < lists_.size()) __builtin_prefetch(&lists_[size_t(n->parent)]);
            }
        if (id + 16 < idLimit)
            if (const TreeNode* n = locationAt(id + 16); n && n->data && n->data->item) {
                if (n->data->zone) __builtin_prefetch(&n->data->zone->regionId);
                const char* item = reinterpret_cast<const char*>(n->data->item.get());
                __builtin_prefetch(item);
                __builtin_prefetch(item + 64);
                __builtin_prefetch(item + sizeof(rItemdata) - 1);
                if (size_t(n->parent) < lists_.size()) {
                    const size_t at = size_t(lists_[size_t(n->parent)].start) + size_t(n->positionHint);
                    if (at < treeOrder_.size()) __builtin_prefetch(&treeOrder_[at], 1);
                }
            }
        if (id + 8 < idLimit)
            if (const TreeNode* n = locationAt(id + 8); n && n->data && n->data->item) {
                __builtin_prefetch(n->data->item->name.data());
                __builtin_prefetch(n->data->item->description.data());
            }
        prefetchAppend(names_, 1024);
        prefetchAppend(sortNames_, 1024);
        prefetchAppend(notes_, 2048);
        prefetchAppend(entries_, 2048);
        if (id % 16 == 0) {
            prefetchAppend(nameStarts_, 1024);
            prefetchAppend(noteStarts_, 1024);
            prefetchAppend(slotPosition_, 1024);
        }

        slotOf_[id] = -1;
        const TreeNode* node = locationAt(id);
        // A location in no list of the tree (a category that is not under a zone) has no place.
        if (!node || size_t(node->parent) >= lists_.size() || lists_[size_t(node->parent)].start < 0) continue;
        const ListPlace list = lists_[size_t(node->parent)];
        int32_t at = -1; // a stale list's places are given by placeFromLists
        if (list.numbered()) {
            at = list.start + node->positionHint;
            if (size_t(at) < treeOrder_.size() && treeOrder_[size_t(at)] < 0) {
                treeOrder_[size_t(at)] = int32_t(id);
                ++placed_;
            } else {
                misplaced_ = true; // two locations at one place: every one is placed from its list
            }
        }
        const TNodeData* d = node->data.get();
        if (!d || !d->item || IsErasedName(d->item->name)) continue;
        const rItemdata& item = *d->item;
        const MapRange& map = maps_[list.map()];
        Entry e;
        const uint32_t nameStart = append(names_, item.name);
        // The sort folding, at the same place of its own buffer.
        sortNames_.resize(names_.size());
        FoldLetters(item.name.data(), item.name.size(), sortNames_.data() + nameStart);
        const uint32_t noteStart = append(notes_, item.description);
        e.mapNode = map.map;
        e.regionId = d->zone ? d->zone->regionId : 0;
        e.realm = map.realm;
        e.categoryId = d->category ? d->category->id : 0;
        e.levelMin = item.levelMin;
        e.levelMax = item.levelMax;
        e.typeId = item.typeId;
        e.attributes = item.attributes;
        slotOf_[id] = int32_t(entries_.size());
        entries_.push_back(e);
        nameStarts_.push_back(nameStart);
        slotPosition_.push_back(at);
        noteStarts_.push_back(noteStart);
    }
}

void LocationSearch::placeFromLists()
{
    // The lists whose nodes' places could not be used are read themselves: the ones that
    // lost children since they were last numbered. Should the places have disagreed with the
    // lists (two locations at one place, or a place left empty), every list is read: the
    // index then follows the lists whatever the places said.
    auto place = [this](int categ) {
        size_t at = size_t(lists_[size_t(categ)].start);
        bool agreed = true;
        for (const int loc : tree_.node(categ).children) {
            agreed = agreed && treeOrder_[at] < 0;
            treeOrder_[at] = loc;
            if (const int32_t slot = slotOf_[size_t(loc)]; slot >= 0) slotPosition_[size_t(slot)] = int32_t(at);
            ++at;
        }
        return agreed;
    };
    size_t placed = placed_;
    for (const int categ : staleLists_) {
        misplaced_ = !place(categ) || misplaced_;
        placed += tree_.node(categ).children.size();
    }
    if (!misplaced_ && placed == treeOrder_.size()) return;
    std::fill(treeOrder_.begin(), treeOrder_.end(), -1);
    std::fill(slotPosition_.begin(), slotPosition_.end(), -1);
    for (const int map : tree_.roots())
        for (const int zone : tree_.children(map))
            for (const int categ : tree_.node(zone).children) place(categ);
}

bool LocationSearch::inScope(const Entry& e, int32_t scope, int32_t currentMapId, int currentMapNode) const
{
    if (scope == 1) return e.mapNode == currentMapNode && uint16_t(e.regionId) == uint16_t(currentMapId);
    if (scope >= 2) return int32_t(e.realm) == scope - 1;
    return true;
}

void LocationSearch::markContaining(const std::string& buffer, bool names, const std::string& needle,
                                    std::vector<uint8_t>& marks) const
{
    const std::vector<uint32_t>& starts = names ? nameStarts_ : noteStarts_;
    // Marks are by slot, as the buffers are laid out.
    if (needle.find('\0') != std::string::npos) {
        // A needle with a 0 byte could span two texts of the buffer: test each text alone.
        for (size_t i = 0; i < entries_.size(); ++i)
            if (slotText(buffer, starts, i).find(needle) != std::string_view::npos) marks[i] = 1;
        return;
    }
    const char* base = buffer.data();
    size_t from = 0;
    size_t slot = 0;
    while (from < buffer.size()) {
        const void* hit = memmem(base + from, buffer.size() - from, needle.data(), needle.size());
        if (!hit) break;
        const uint32_t at = uint32_t(static_cast<const char*>(hit) - base);
        // The text holding the hit: the last one starting at or before it.
        slot = size_t(std::upper_bound(starts.begin() + ptrdiff_t(slot), starts.end(), at) - starts.begin()) - 1;
        marks[slot] = 1;
        // Go on with the next text: one hit is enough for this one.
        if (++slot >= starts.size()) break;
        from = starts[slot];
    }
}

std::vector<int> LocationSearch::run(const rSearchArea& area, int32_t currentMapId, int currentMapNode)
{
    refresh();
    std::vector<int> found;
    if (area.scope == 1 && !tree_.isNode(currentMapNode)) return found;
    const std::string needle = NormalizeText(DelphiTrim(area.text));
    const bool byText = area.inName || area.inNote;
    marks_.assign(entries_.size(), 0);
    if (byText) {
        if (area.exact) {
            for (size_t i = 0; i < entries_.size(); ++i)
                marks_[i] = (area.inName && slotText(names_, nameStarts_, i) == needle) ||
                            (area.inNote && slotText(notes_, noteStarts_, i) == needle);
        } else if (!needle.empty()) {
            // An empty needle is in no text: containment needs something to contain.
            if (area.inName) markContaining(names_, true, needle, marks_);
            if (area.inNote) markContaining(notes_, false, needle, marks_);
        }
    }
    // The tests run slot by slot, through the entries as they lie; the passes are marked
    // by tree position and collected in that order.
    // A search by text alone reads no entry: the marks and the slots' places decide.
    const bool entryTests = area.scope != 0 || area.byCategory || area.byLevel || area.itemType > 0 || area.byAttributes;
    passed_.assign(treeOrder_.size(), 0);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (byText && !marks_[i]) continue;
        if (entryTests) {
            const Entry& e = entries_[i];
            if (!inScope(e, area.scope, currentMapId, currentMapNode)) continue;
            if (area.byCategory && int32_t(e.categoryId) != area.categoryId) continue;
            if (area.byLevel && !(int32_t(e.levelMin) <= area.levelHigh && int32_t(e.levelMax) >= area.levelLow)) continue;
            if (area.itemType > 0 && int32_t(e.typeId) != area.itemType) continue;
            if (area.byAttributes) {
                bool ok = true;
                for (int w = 0; w < 3 && ok; ++w) {
                    const uint32_t v = e.attributes.w[w] | area.neutral.w[w];
                    ok = (v & area.required.w[w]) == area.required.w[w] && ~v == area.excluded.w[w];
                }
                if (!ok) continue;
            }
        }
        if (const int32_t at = slotPosition_[i]; at >= 0) passed_[size_t(at)] = 1; // else in no list
    }
    // Locations without an entry (erased names, no record) never pass.
    for (size_t p = 0; p < passed_.size(); ++p)
        if (passed_[p]) found.push_back(treeOrder_[p]);
    return found;
}

int LocationSearch::findByName(const std::string& name, bool currentMapOnly, int32_t currentMapId, int currentMapNode)
{
    refresh();
    if (currentMapOnly && !tree_.isNode(currentMapNode)) return kNoTreeNode;
    const std::string needle = NormalizeText(DelphiTrim(name));
    // Slots lie in id order: of the matches, the one first in tree order.
    int32_t first = -1; // its tree position
    for (size_t i = 0; i < entries_.size(); ++i) {
        const std::string_view text = slotText(names_, nameStarts_, i);
        if (text.size() != needle.size()) continue;
        if (currentMapOnly && !inScope(entries_[i], 1, currentMapId, currentMapNode)) continue;
        if (slotPosition_[i] < 0 || (first >= 0 && first < slotPosition_[i])) continue;
        if (text == needle) first = slotPosition_[i];
    }
    return first >= 0 ? treeOrder_[size_t(first)] : kNoTreeNode;
}

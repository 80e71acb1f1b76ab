#include "search.h"

#include <algorithm>
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

} // namespace

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
    if (built_ && builtGeneration_ == tree_.generation() && builtVersion_ == tree_.contentVersion()) return;
    built_ = true;
    builtGeneration_ = tree_.generation();
    builtVersion_ = tree_.contentVersion();
    entries_.clear();
    names_.clear();
    notes_.clear();
    nameStarts_.clear();
    noteStarts_.clear();
    entries_.reserve(tree_.locationCount());
    nameStarts_.reserve(tree_.locationCount());
    noteStarts_.reserve(tree_.locationCount());

    auto append = [](std::string& buffer, const std::string& text) {
        const size_t at = buffer.size();
        buffer.resize(at + text.size() + 1);
        NormalizeInto(text.data(), text.size(), buffer.data() + at);
        buffer[at + text.size()] = '\0';
        return uint32_t(at);
    };
    // Map > zone > category > location, each level in its current order: tree order.
    struct Place {
        int map;
        uint8_t realm;
    };
    std::vector<int> order;
    std::vector<Place> places;
    order.reserve(tree_.locationCount());
    places.reserve(tree_.locationCount());
    for (int map : tree_.roots()) {
        const TNodeData* md = tree_.nodeData(map);
        const uint8_t realm = md && md->region ? md->region->realm : 0;
        for (int zone : tree_.children(map))
            for (int categ : tree_.children(zone))
                for (int loc : tree_.children(categ)) {
                    order.push_back(loc);
                    places.push_back({map, realm});
                }
    }
    for (size_t i = 0; i < order.size(); ++i) {
        // Every location's texts lie behind three dependent pointers (tree node, node data,
        // item, strings): a walk that reads them one after the other waits on memory at
        // every step. Fetch the later locations' links ahead, one step further for each
        // link of the chain, so the walk finds them in the cache.
        auto dataOf = [this](int at) { return tree_.node(at).data.get(); };
        const size_t n = order.size();
        if (i + 24 < n) __builtin_prefetch(&tree_.node(order[i + 24]));
        if (i + 16 < n)
            if (const TNodeData* d = dataOf(order[i + 16])) __builtin_prefetch(d);
        if (i + 8 < n)
            if (const TNodeData* d = dataOf(order[i + 8]); d && d->item) {
                __builtin_prefetch(d->item.get());
                __builtin_prefetch(reinterpret_cast<const char*>(d->item.get()) + 64);
            }
        if (i + 4 < n)
            if (const TNodeData* d = dataOf(order[i + 4]); d && d->item) {
                __builtin_prefetch(d->item->name.data());
                __builtin_prefetch(d->item->description.data());
            }
        const int node = order[i];
        const Place& place = places[i];
        if (tree_.levelOf(node) != levelLocation) continue;
        const TNodeData* d = tree_.node(node).data.get();
        if (!d || !d->item || IsErasedName(d->item->name)) continue;
        const rItemdata& item = *d->item;
        Entry e;
        e.node = node;
        e.nameStart = append(names_, item.name);
        e.nameLength = uint32_t(item.name.size());
        e.noteStart = append(notes_, item.description);
        e.noteLength = uint32_t(item.description.size());
        e.mapNode = place.map;
        e.regionId = d->zone ? d->zone->regionId : 0;
        e.realm = place.realm;
        e.categoryId = d->category ? d->category->id : 0;
        e.levelMin = item.levelMin;
        e.levelMax = item.levelMax;
        e.typeId = item.typeId;
        e.attributes = item.attributes;
        entries_.push_back(e);
        nameStarts_.push_back(e.nameStart);
        noteStarts_.push_back(e.noteStart);
    }
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
    if (needle.find('\0') != std::string::npos) {
        // A needle with a 0 byte could span two texts of the buffer: test each text alone.
        for (size_t i = 0; i < entries_.size(); ++i) {
            const Entry& e = entries_[i];
            const std::string_view text(buffer.data() + (names ? e.nameStart : e.noteStart),
                                        names ? e.nameLength : e.noteLength);
            if (text.find(needle) != std::string_view::npos) marks[i] = 1;
        }
        return;
    }
    const char* base = buffer.data();
    size_t from = 0;
    size_t entry = 0;
    while (from < buffer.size()) {
        const void* hit = memmem(base + from, buffer.size() - from, needle.data(), needle.size());
        if (!hit) break;
        const uint32_t at = uint32_t(static_cast<const char*>(hit) - base);
        // The text holding the hit: the last one starting at or before it.
        entry = size_t(std::upper_bound(starts.begin() + ptrdiff_t(entry), starts.end(), at) - starts.begin()) - 1;
        marks[entry] = 1;
        // Go on with the next text: one hit is enough for this one.
        if (++entry >= starts.size()) break;
        from = starts[entry];
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
            for (size_t i = 0; i < entries_.size(); ++i) {
                const Entry& e = entries_[i];
                const bool name = area.inName && e.nameLength == needle.size() &&
                                  std::memcmp(names_.data() + e.nameStart, needle.data(), needle.size()) == 0;
                const bool note = !name && area.inNote && e.noteLength == needle.size() &&
                                  std::memcmp(notes_.data() + e.noteStart, needle.data(), needle.size()) == 0;
                marks_[i] = name || note;
            }
        } else if (!needle.empty()) {
            // An empty needle is in no text: containment needs something to contain.
            if (area.inName) markContaining(names_, true, needle, marks_);
            if (area.inNote) markContaining(notes_, false, needle, marks_);
        }
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (!inScope(e, area.scope, currentMapId, currentMapNode)) continue;
        if (byText && !marks_[i]) continue;
        if (area.byCategory && int32_t(e.categoryId) != area.categoryId) continue;
        if (area.byLevel && !(int32_t(e.levelMin) <= area.levelHigh && int32_t(e.levelMax) >= area.levelLow)) continue;
        if (area.itemType > 0 && int32_t(e.typeId) != area.itemType) continue;
        if (area.byAttributes) {
            bool pass = true;
            for (int w = 0; w < 3 && pass; ++w) {
                const uint32_t v = e.attributes.w[w] | area.neutral.w[w];
                pass = (v & area.required.w[w]) == area.required.w[w] && ~v == area.excluded.w[w];
            }
            if (!pass) continue;
        }
        found.push_back(e.node);
    }
    return found;
}

int LocationSearch::findByName(const std::string& name, bool currentMapOnly, int32_t currentMapId, int currentMapNode)
{
    refresh();
    if (currentMapOnly && !tree_.isNode(currentMapNode)) return kNoTreeNode;
    const std::string needle = NormalizeText(DelphiTrim(name));
    for (const Entry& e : entries_) {
        if (e.nameLength != needle.size()) continue;
        if (currentMapOnly && !inScope(e, 1, currentMapId, currentMapNode)) continue;
        if (std::memcmp(names_.data() + e.nameStart, needle.data(), needle.size()) == 0) return e.node;
    }
    return kNoTreeNode;
}

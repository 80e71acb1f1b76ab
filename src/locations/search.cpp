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
    position_.assign(tree_.idLimit(), -1);
    slotOf_.assign(tree_.idLimit(), -1);
    treeOrder_.clear();
    treeOrder_.reserve(tree_.locationCount());
}

bool LocationSearch::buildStep()
{
    if (phase_ == Phase::order) {
        // Tree order (map > zone > category > location, each level in its current order)
        // comes from the child lists alone: every location's place in it, one zone a step.
        // A map's locations follow one another, so a short list of where each map begins
        // gives a place its map.
        const std::vector<int>& roots = tree_.roots();
        if (rootAt_ >= roots.size()) {
            startTexts();
            return true;
        }
        const int map = roots[rootAt_];
        if (zoneAt_ == 0) {
            const TNodeData* md = tree_.nodeData(map);
            maps_.push_back({int32_t(treeOrder_.size()), map, uint8_t(md && md->region ? md->region->realm : 0)});
        }
        const std::vector<int>& zones = tree_.children(map);
        if (zoneAt_ >= zones.size()) {
            ++rootAt_;
            zoneAt_ = 0;
            return true;
        }
        const std::vector<int>& categs = tree_.children(zones[zoneAt_++]);
        for (size_t c = 0; c < categs.size(); ++c) {
            // Category nodes lie scattered: fetch the next ones' child lists ahead.
            if (c + 8 < categs.size()) __builtin_prefetch(&tree_.node(categs[c + 8]));
            if (c + 4 < categs.size()) __builtin_prefetch(tree_.node(categs[c + 4]).children.data());
            for (int loc : tree_.children(categs[c])) {
                // The node itself is read with the texts, in id order (its level checked there).
                position_[size_t(loc)] = int32_t(treeOrder_.size());
                treeOrder_.push_back(loc);
            }
        }
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
        // The places by node id serve the build only: given back between builds.
        std::vector<int32_t>().swap(position_);
        phase_ = Phase::none;
        built_ = true;
        builtGeneration_ = buildGeneration_;
        builtVersion_ = buildVersion_;
    }
    return false;
}

void LocationSearch::startTexts()
{
    phase_ = Phase::texts;
    idAt_ = 0;
    entries_.clear();
    names_.clear();
    notes_.clear();
    sortNames_.clear();
    nameStarts_.clear();
    noteStarts_.clear();
    slotPosition_.clear();
    entries_.reserve(treeOrder_.size());
    nameStarts_.reserve(treeOrder_.size());
    slotPosition_.reserve(treeOrder_.size());
    noteStarts_.reserve(treeOrder_.size());
    // The text buffers are sized from a sample of the locations, so that a first build does
    // not copy them over and over as they grow; a wrong guess only costs that growth.
    if (treeOrder_.empty()) return;
    const size_t step = std::max<size_t>(1, treeOrder_.size() / 512);
    size_t sampled = 0, nameBytes = 0, noteBytes = 0;
    for (size_t i = 0; i < treeOrder_.size(); i += step) {
        const TNodeData* d = tree_.nodeData(treeOrder_[i]);
        if (!d || !d->item) continue;
        ++sampled;
        nameBytes += d->item->name.size() + 1;
        noteBytes += d->item->description.size() + 1;
    }
    if (sampled > 0) {
        const double scale = 1.05 * double(treeOrder_.size()) / double(sampled);
        names_.reserve(size_t(double(nameBytes) * scale));
        sortNames_.reserve(names_.capacity());
        notes_.reserve(size_t(double(noteBytes) * scale));
    }
}

void LocationSearch::foldTexts(size_t idEnd)
{
    // The texts are read in id order, the order the locations were made in and so the order
    // their records lie in memory: the walk streams through them instead of waiting on a
    // scattered node, record and string at every step, which at a million locations cost
    // far more than the copying. Entries and folded texts are laid out in that order too,
    // one slot each.
    auto append = [](std::string& buffer, const std::string& text) {
        const size_t at = buffer.size();
        if (buffer.capacity() < at + text.size() + 1) buffer.reserve(std::max(buffer.capacity() * 2, at + text.size() + 1));
        buffer.append(text.size() + 1, '\0');
        FoldText(text.data(), text.size(), buffer.data() + at);
        return uint32_t(at);
    };
    auto dataOf = [this](size_t id) { return tree_.node(int(id)).data.get(); };
    const size_t idLimit = tree_.idLimit();
    for (size_t id = idAt_; id < idEnd; ++id) {
        // Records made later (a user's additions) and removed ones break the streaming:
        // fetch a few steps ahead, each link of the chain to the texts one step further
        // than the next.
        if (id + 16 < idLimit && position_[id + 16] >= 0)
            if (const TNodeData* d = dataOf(id + 16)) __builtin_prefetch(d);
        if (id + 8 < idLimit && position_[id + 8] >= 0)
            if (const TNodeData* d = dataOf(id + 8); d && d->item) {
                if (d->zone) __builtin_prefetch(&d->zone->regionId);
                __builtin_prefetch(d->item.get());
                __builtin_prefetch(reinterpret_cast<const char*>(d->item.get()) + 64);
            }
        if (id + 4 < idLimit && position_[id + 4] >= 0)
            if (const TNodeData* d = dataOf(id + 4); d && d->item) {
                __builtin_prefetch(d->item->name.data());
                __builtin_prefetch(d->item->description.data());
            }
        const int32_t at = position_[id];
        if (at < 0 || tree_.levelOf(int(id)) != levelLocation) continue;
        const TNodeData* d = dataOf(id);
        if (!d || !d->item || IsErasedName(d->item->name)) continue;
        const rItemdata& item = *d->item;
        const MapRange& map = *(std::upper_bound(maps_.begin(), maps_.end(), at,
                                                 [](int32_t p, const MapRange& m) { return p < m.first; }) - 1);
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
        passed_[size_t(slotPosition_[i])] = 1;
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
        if (first >= 0 && first < slotPosition_[i]) continue;
        if (text == needle) first = slotPosition_[i];
    }
    return first >= 0 ? treeOrder_[size_t(first)] : kNoTreeNode;
}

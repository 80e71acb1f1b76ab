// The additions file: any bytes merge without harm, the file entry point and line-by-line
// merging agree, and what is saved afterwards loses no line: every location line written
// reads back as a location, every kept line is written back and read again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "additions.h"
#include "fake_node_store.h"
#include "fuzz_qt.h"
#include "message_boxes.h"
#include "utf8_text.h"

namespace {

class SilentHost : public AdditionsHost {
public:
    std::string ask_pseudo() override { return {}; }
    void show_feedback(int, int, const std::string&, const std::string&) override {}
    void setAutosaveTimer(bool) override {}
    void setSaveControlsEnabled(bool) override {}
    void log(const std::string&) override {}
};

// A database with three zones (one of them 40000 = -25536), three categories and a few
// database locations, one of them locked.
struct World {
    World()
    {
        store.addZone(7);
        store.addZone(int16_t(-25536));
        store.addZone(300);
        store.addCategory(0, kindNoLevel);
        store.addCategory(1, kindCreature);
        store.addCategory(2, kindAttributes);
        realm.headerValue = 1;
        const struct { uint16_t zone; uint8_t categ; uint16_t x, y; uint32_t id; uint32_t locked; } masters[] = {
            {7, 1, 100, 200, 0x298, 0}, {7, 2, 100, 200, 0x299, 0}, {7, 1, 5, 5, 0x300, 1},
            {40000, 0, 0, 0, 1, 0}, {300, 1, 65535, 65535, 0xFFFFFFFF, 0}};
        for (const auto& m : masters) {
            rnew_node r;
            r.name = "M";
            r.zoneId = m.zone;
            r.categoryId = m.categ;
            r.x = m.x;
            r.y = m.y;
            r.id = m.id;
            r.locked = m.locked;
            r.fromMaster = 1;
            r.hasItem = 1;
            store.addnode(r);
        }
    }
    FakeNodeStore store;
    TRealm_info realm{std::make_unique<TData_map>()};
    SilentHost host;
    AdditionsFile file{store, realm, host, "Vmar_ajouts_fuzz.txt"};
};

std::vector<std::string> splitLines(const std::string& bytes)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        out.push_back(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartQuietFuzzQt();

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    World a;
    if (!a.file.LoadRef_AddBytes(bytes)) return 0;
    // A file with a UTF-8 byte-order mark is read converted: its raw lines are not what merged.
    if (HasUtf8Mark(bytes)) return 0;

    // The same lines one by one.
    const std::vector<std::string> lines = splitLines(bytes);
    const bool is250 = lines[0].compare(0, 5, "#v250") == 0;
    World b;
    int added = 0, dropped = 0, kept = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (i == 1 && IsAdditionsVersionLine(lines[i])) continue; // rewritten, not kept
        switch (b.file.AnalyseStringComp(lines[i], is250)) {
        case MergeOutcome::Added:
        case MergeOutcome::Replaced: ++added; break;
        case MergeOutcome::Dropped: ++dropped; break;
        case MergeOutcome::Kept:
        case MergeOutcome::Locked: ++kept; break; // a line aimed at a locked location stays in the file
        case MergeOutcome::Ignored: break;
        }
    }
    const std::string saved = a.file.additionsText("123456", "fuzz");
    if (saved != b.file.additionsText("123456", "fuzz")) __builtin_trap();
    if (added != b.realm.mergeCount || dropped != b.file.DroppedAdditions || size_t(kept) != b.file.KeptLines.size())
        __builtin_trap();

    // Every line of the saved text is whole: CR LF ends, no empty line.
    size_t userLocations = 0;
    a.store.forEachLocation([&](int, const TNodeData& d) { userLocations += d.item->fromMaster == 0; });
    const std::vector<std::string> out = splitLines(saved);
    if (out.size() != 2 + userLocations + a.file.KeptLines.size()) __builtin_trap();
    if (saved.size() < 2 || saved.compare(saved.size() - 2, 2, "\r\n") != 0) __builtin_trap();

    // Reloaded: the tree's lines are locations again, the kept lines are not ignored.
    World c;
    for (size_t i = 2; i < out.size(); ++i) {
        const MergeOutcome o = c.file.AnalyseStringComp(out[i], true);
        if (o == MergeOutcome::Ignored) __builtin_trap();
        if (i < 2 + userLocations && o == MergeOutcome::Kept) __builtin_trap();
        if (i >= 2 + userLocations && out[i] != a.file.KeptLines[i - 2 - userLocations]) __builtin_trap();
    }
    return 0;
}

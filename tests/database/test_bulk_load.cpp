// The bulk load of a database: the master file's tag loop cut at every byte, the record
// pools, and link texts taken over from the records they come in.
#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "block_pool.h"
#include "byte_io.h"
#include "data_model.h"
#include "fake_node_store.h"
#include "master_file.h"
#include "ressource.h"
#include "test_util.h"

namespace {

TEST(MasterFileCuts, EveryCutKeepsTheRecordsReadBeforeItAndNothingAfter)
{
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.bytes("VMARV100", 8);
    std::vector<size_t> recordEnds; // offset just past each tag 199
    size_t firstDateEnd = 0;
    const auto str = [&](uint8_t tag, const std::string& s) { w.u8(tag), w.u16(uint16_t(s.size())), w.bytes(s); };
    const std::vector<std::string> names{"Loup gris des collines du nord", "Gu\xe9", "Tour de guet abandonn\xe9" "e"};
    for (size_t i = 0; i < names.size(); ++i) {
        str(1, names[i]);
        w.u8(2), w.u16(7), w.u8(3), w.u8(3), w.u8(4), w.u16(uint16_t(100 + i)), w.u8(11), w.u32(uint32_t(i + 1));
        w.u8(10), w.u32(0x80000001u), w.u8(60), w.u16(2), w.bytes("\xc7\xc7", 2); // unknown tag, skipped
        str(12, std::string(40, char('a' + i)));
        if (i == 1) str(13, "S_0000100000002000");
        w.u8(200), w.u32(9), w.u8(202), w.f64(45000.25);
        if (!firstDateEnd) firstDateEnd = bytes.size();
        w.u8(199);
        recordEnds.push_back(bytes.size());
    }
    w.u8(255);

    Ressources.reset();
    RecordingBoxes boxes;
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        FakeNodeStore store;
        store.addZone(7);
        store.addCategory(3);
        TRealm_info realm{std::make_unique<TData_map>()};
        MasterFileLoader loader(store, realm);
        MemoryStream s;
        s.data.assign(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut));
        const bool whole = loader.process_file(s);
        EXPECT_EQ(whole, cut == bytes.size()) << cut;
        EXPECT_EQ(s.position, cut) << cut;
        const auto items = store.items();
        const size_t complete = size_t(std::count_if(recordEnds.begin(), recordEnds.end(), [&](size_t e) { return e <= cut; }));
        ASSERT_EQ(items.size(), complete) << cut;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->name, names[i].substr(0, kItemNameMax));
            EXPECT_EQ(std::tuple(items[i]->x, items[i]->id, items[i]->description), std::tuple(100 + i, i + 1, std::string(40, char('a' + i))));
            EXPECT_EQ(items[i]->command != nullptr, i == 1);
        }
        EXPECT_EQ(loader.DatabaseDate, cut >= firstDateEnd ? 45000.25 : 0.0) << cut;
    }
    EXPECT_EQ(boxes.shown.size(), 8u); // the magic cut short: message S35 for cuts 0..7
}

TEST(RecordPools, BlocksAreCarvedInOrderReusedBySizeAndCounted)
{
    BlockPool pool;
    // Blocks of two sizes asked for in turn lie one after the other.
    std::vector<std::pair<void*, size_t>> blocks;
    for (int i = 0; i < 6000; ++i) { // more than one slab
        const size_t size = i % 2 ? 100 : 36;
        blocks.push_back({pool.allocate(size), size});
        std::memset(blocks.back().first, 0xAB, size);
    }
    EXPECT_EQ(pool.bytesInUse(), 3000u * (104 + 40));
    if (pool.slabBytes() > 0) { // not under AddressSanitizer, where blocks come from the heap
        EXPECT_EQ(static_cast<char*>(blocks[1].first), static_cast<char*>(blocks[0].first) + 40);
        EXPECT_EQ(static_cast<char*>(blocks[2].first), static_cast<char*>(blocks[1].first) + 104);
    }
    std::vector<std::pair<char*, size_t>> sorted;
    for (auto [p, size] : blocks) sorted.push_back({static_cast<char*>(p), size});
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 1; i < sorted.size(); ++i) // no two blocks overlap
        EXPECT_GE(sorted[i].first - sorted[i - 1].first, std::ptrdiff_t((sorted[i - 1].second + 7) / 8 * 8));

    // Freed blocks serve later requests of their own size only.
    const size_t slabs = pool.slabBytes();
    for (size_t i = 0; i < blocks.size(); i += 3) pool.deallocate(blocks[i].first, blocks[i].second);
    for (size_t i = 0; i < blocks.size(); i += 3) {
        blocks[i].first = pool.allocate(blocks[i].second);
        std::memset(blocks[i].first, 0xCD, blocks[i].second);
    }
    EXPECT_EQ(pool.slabBytes(), slabs);
    // A large block and a fifth size come from the heap, and go back to it.
    void* large = pool.allocate(200000);
    void* sizes[] = {pool.allocate(8), pool.allocate(16), pool.allocate(24)};
    EXPECT_EQ(pool.slabBytes(), slabs);
    pool.deallocate(large, 200000);
    for (size_t i = 0; i < 3; ++i) pool.deallocate(sizes[i], 8 * (i + 1));
    for (auto [p, size] : blocks) pool.deallocate(p, size);
    EXPECT_EQ(pool.bytesInUse(), 0u);

    // Node data and items of locations come from the record pool, next to each other.
    const size_t used = RecordPool().bytesInUse();
    rnew_node r;
    r.name = "Loup";
    r.hasItem = 1;
    auto data = std::make_unique<TNodeData>(r, nullptr);
    EXPECT_GE(RecordPool().bytesInUse(), used + sizeof(TNodeData) + sizeof(rItemdata));
    data.reset();
    EXPECT_EQ(RecordPool().bytesInUse(), used);

    // A larger class derived from the node data is freed by its own size through the base.
    struct Larger : TNodeData {
        std::string extra = std::string(100, 'x');
    };
    std::unique_ptr<TNodeData> larger = std::make_unique<Larger>();
    larger.reset();
    EXPECT_EQ(RecordPool().bytesInUse(), used);
}

TEST(LinkTexts, ARecordsLinkTextIsDecodedAlikeWhetherCopiedOrTakenOver)
{
    for (const std::string& link : std::vector<std::string>{"", "RC", "W_x", "V_1234", "S_0000100000002000", "P_0004000000060000abc",
                                   "P_00040000000600000001FFFF", std::string(300, 'V')}) {
        rnew_node r;
        r.linkText = link;
        r.hasItem = 1;
        pMap_info zone;
        zone.regionId = 3;
        r.zone = &zone;
        const TNodeData copied(r, nullptr);
        const TNodeData taken(std::move(r), nullptr);
        ASSERT_EQ(copied.item->command != nullptr, taken.item->command != nullptr) << link;
        EXPECT_EQ(copied.item->command != nullptr, !link.empty());
        if (!copied.item->command) continue;
        const rCommand &a = *copied.item->command, &b = *taken.item->command;
        EXPECT_EQ(std::tuple(a.text, a.route, a.worldRoute, a.colour32, a.colourIndex, a.alwaysShown),
                  std::tuple(b.text, b.route, b.worldRoute, b.colour32, b.colourIndex, b.alwaysShown))
            << link;
        if (link == "RC") {
            EXPECT_EQ(a.text, "");
        }
    }
}

} // namespace

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

TEST(RecordPools, BlocksAreReusedAndCountedAndOtherSizesUseTheHeap)
{
    BlockPool pool(20);
    EXPECT_EQ(pool.blockSize(), 24u);
    std::vector<void*> blocks;
    for (int i = 0; i < 5000; ++i) blocks.push_back(pool.allocate()); // more than one slab
    EXPECT_EQ(pool.blocksInUse(), 5000u);
    std::vector<void*> sorted = blocks;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 1; i < sorted.size(); ++i) // no two blocks overlap
        EXPECT_GE(static_cast<char*>(sorted[i]) - static_cast<char*>(sorted[i - 1]), 24);
    for (void* b : blocks) std::memset(b, 0xAB, 24);
    const size_t slabs = pool.slabBytes();
    for (size_t i = 0; i < blocks.size(); i += 2) pool.deallocate(blocks[i]);
    EXPECT_EQ(pool.blocksInUse(), 2500u);
    for (size_t i = 0; i < blocks.size(); i += 2) blocks[i] = pool.allocate();
    EXPECT_EQ(pool.slabBytes(), slabs); // the freed blocks served the new ones
    for (void* b : blocks) pool.deallocate(b);
    EXPECT_EQ(pool.blocksInUse(), 0u);

    // Node data and items of locations come from their pools.
    const size_t nodes = NodeDataPool().blocksInUse(), items = ItemDataPool().blocksInUse();
    rnew_node r;
    r.name = "Loup";
    r.hasItem = 1;
    auto data = std::make_unique<TNodeData>(r, nullptr);
    EXPECT_EQ(std::pair(NodeDataPool().blocksInUse(), ItemDataPool().blocksInUse()), std::pair(nodes + 1, items + 1));
    data.reset();
    EXPECT_EQ(std::pair(NodeDataPool().blocksInUse(), ItemDataPool().blocksInUse()), std::pair(nodes, items));

    // A larger class derived from the node data takes its memory from the heap, also when it
    // is deleted through the base.
    struct Larger : TNodeData {
        std::string extra = std::string(100, 'x');
    };
    std::unique_ptr<TNodeData> larger = std::make_unique<Larger>();
    EXPECT_EQ(NodeDataPool().blocksInUse(), nodes);
    larger.reset();
    EXPECT_EQ(NodeDataPool().blocksInUse(), nodes);
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

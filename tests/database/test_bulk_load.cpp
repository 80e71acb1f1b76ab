// The bulk load of a database: the master file's tag loop cut at every byte, and link texts
// taken over from the records they come in.
#include <algorithm>

#include <gtest/gtest.h>

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
    const auto str = [&](uint8_t tag, const std::string& s) {
        w.u8(tag), w.u16(uint16_t(s.size())), w.bytes(s);
    };
    const std::vector<std::string> names{"Loup gris des collines du nord et du grand lac", "Gu\xe9", "Tour"};
    for (size_t i = 0; i < names.size(); ++i) {
        str(1, names[i]);
        w.u8(2), w.u16(7), w.u8(3), w.u8(3), w.u8(4), w.u16(uint16_t(100 + i));
        w.u8(11), w.u32(uint32_t(i + 1));
        w.u8(10), w.u32(0x80000001u), w.u8(60), w.u16(2), w.bytes("\xc7\xc7", 2); // unknown tag, skipped
        str(12, std::string(40, char('a' + i)));
        if (i == 1) str(13, "S_0000100000002000");
        w.u8(200), w.u32(9), w.u8(202), w.f64(45000.25);
        firstDateEnd = firstDateEnd ? firstDateEnd : bytes.size();
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
        EXPECT_EQ(loader.process_file(s), cut == bytes.size()) << cut;
        EXPECT_EQ(s.position, cut) << cut;
        EXPECT_EQ(loader.DatabaseDate, cut >= firstDateEnd ? 45000.25 : 0.0) << cut;
        const auto items = store.items();
        ASSERT_EQ(items.size(), size_t(std::count_if(recordEnds.begin(), recordEnds.end(),
                                                     [&](size_t e) { return e <= cut; })))
            << cut;
        for (size_t i = 0; i < items.size(); ++i) {
            const rItemdata& it = *items[i];
            EXPECT_EQ(std::tuple(it.name, it.x, it.id, it.description, it.command != nullptr),
                      std::tuple(names[i].substr(0, kItemNameMax), 100 + i, i + 1,
                                 std::string(40, char('a' + i)), i == 1));
        }
    }
    EXPECT_EQ(boxes.shown.size(), 8u); // the magic cut short: message S35 for cuts 0..7
}

TEST(LinkTexts, ARecordsLinkTextIsDecodedAlikeWhetherCopiedOrTakenOver)
{
    const std::vector<std::string> links{"", "RC", "W_x", "V_1234", "S_0000100000002000",
                                         "P_00040000000600000001FFFF", std::string(300, 'V')};
    for (const std::string& link : links) {
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
    }
}

} // namespace

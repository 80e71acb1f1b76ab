// The master location file: tags into records, header values and their log lines, the
// progress bar, and the files that load nothing.
#include <limits>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "compressed.h"
#include "fake_node_store.h"
#include "folders.h"
#include "master_file.h"
#include "ressource.h"
#include "test_util.h"

namespace {

// The inflated file: the magic, then tags.
struct MasterWriter {
    std::vector<uint8_t> bytes;
    ByteWriter w{bytes};
    MasterWriter() { w.bytes("VMARV100", 8); }
    MasterWriter& str(uint8_t tag, const std::string& s) { return w.u8(tag), w.u16(uint16_t(s.size())), w.bytes(s), *this; }
    MasterWriter& u8(uint8_t tag, uint8_t v) { return w.u8(tag), w.u8(v), *this; }
    MasterWriter& u16(uint8_t tag, uint16_t v) { return w.u8(tag), w.u16(v), *this; }
    MasterWriter& u32(uint8_t tag, uint32_t v) { return w.u8(tag), w.u32(v), *this; }
    MasterWriter& f64(uint8_t tag, double v) { return w.u8(tag), w.f64(v), *this; }
    MasterWriter& end(uint8_t tag = 199) { return w.u8(tag), *this; }
    std::string deflated() const
    {
        const auto z = DeflateBytes(bytes.data(), bytes.size());
        return std::string(z.begin(), z.end());
    }
    MemoryStream stream() const
    {
        MemoryStream s;
        s.data.assign(bytes.begin(), bytes.end());
        return s;
    }
};

class MasterFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Ressources.reset();
        ParseRessourceText("I001 -\nI002 header %1\nI003 date %1\nI004 took %1\nI005 -\nI006 -\nI007 -\nI008 -\n"
                           "I009 -\nI010 -\nI011 no master %1\n",
                           Ressources);
        Ressources.message.resize(39);
        Ressources.message[35] = "bad magic";
        Ressources.message[38] = "cannot inflate %1";
        DatabaseLangDir = dir.path() + "/";
        store.addZone(7);
        store.addZone(int16_t(-25536));
        store.addCategory(3);
    }
    void TearDown() override
    {
        Ressources.reset();
        DatabaseLangDir.clear();
    }
    bool loadFile(const std::string& fileBytes)
    {
        writeBytes(dir.filePath("master_vmar.loc"), fileBytes);
        return loader.loadmaster2();
    }

    QTemporaryDir dir;
    RecordingBoxes boxes;
    FakeNodeStore store;
    TRealm_info realm{std::make_unique<TData_map>()};
    MasterFileLoader loader{store, realm,
                            {[this](int max) { starts.push_back(max); }, [this](int pos) { positions.push_back(pos); },
                             nullptr, [this](const std::string& l) { logs.push_back(l); }}};
    std::vector<std::string> logs;
    std::vector<int> starts, positions;
};

TEST_F(MasterFileTest, RecordsTakeTheirOwnTagsOnly)
{
    MasterWriter m;
    m.str(1, "first").str(1, "Loup gris").u16(2, 7).u8(3, 3).u16(4, 65535).u16(5, 1234).u8(6, 10).u8(7, 12);
    m.u32(8, 1).u32(9, 0x80000000u).u32(10, 2).u32(11, 0x298);   // attribute words 1, 2, 0
    m.w.u8(50), m.w.u16(3), m.w.bytes("\x01\x0c\xc7", 3);        // unknown tag: 3 bytes skipped
    m.w.u8(0), m.w.u16(0);
    m.str(12, "line 1|line 2").str(13, "V_1234").u8(14, 1).u8(15, 5).u8(16, 2).end();
    m.str(1, "bare").u16(2, 40000).u8(3, 3).end();               // tags 1, 2, 3 only
    m.end(255).str(1, "after the end").u16(2, 7).u8(3, 3).end();
    MasterFileLoader withoutHooks(store, realm);
    MemoryStream s = m.stream();
    ASSERT_TRUE(withoutHooks.process_file(s));

    const auto items = store.items();
    ASSERT_EQ(items.size(), 2u);
    const rItemdata& a = *items[0];
    EXPECT_EQ(std::tuple(a.name, a.x, a.y, a.levelMin, a.levelMax, a.id), std::tuple("Loup gris", 65535, 1234, 10, 12, 0x298u));
    EXPECT_EQ(a.attributes, (SpecSet{{2u, 1u, 0x80000000u}})); // tag 8 = 1 is id 64
    EXPECT_EQ(std::pair(a.description, a.command->text), (std::pair<std::string, std::string>("line 1|line 2", "V_1234")));
    EXPECT_EQ(std::tuple(a.locked, a.typeId, a.languageTag, a.fromMaster), std::tuple(1, 5, 2, 1));

    const rItemdata& b = *items[1]; // in zone 40000 = -25536; nothing of the record before
    EXPECT_EQ(std::tuple(b.name, b.x, b.y, b.levelMin, b.levelMax, b.id, b.description), std::tuple("bare", 0, 0, 0, 0, 0u, ""));
    EXPECT_TRUE(b.attributes == SpecSet{} && !b.command);
    EXPECT_EQ(std::tuple(b.locked, b.typeId, b.languageTag, b.fromMaster), std::tuple(0, 0, 0, 1));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MasterFileTest, HeaderValuesAreKeptAndLoggedAndProgressMovesEvery1024Tags)
{
    MasterWriter m;
    m.u32(201, 4711).f64(202, 45000.5); // 2023-03-15 12:00
    for (int i = 2; i < 2999; ++i) m.u32(200, 0);
    m.end(255);                         // tag 3000
    ASSERT_TRUE(loadFile(m.deflated()));
    EXPECT_EQ(std::pair(realm.headerValue, loader.DatabaseDate), std::pair(4711u, 45000.5));
    ASSERT_EQ(logs.size(), 4u);
    EXPECT_EQ(std::tuple(logs[0], logs[1], logs[3]), std::tuple("header 4711", "date 15/03/2023 12:00:00", ""));
    EXPECT_TRUE(logs[2].starts_with("took ") && logs[2].find('.') == std::string::npos) << logs[2];
    EXPECT_EQ(starts, (std::vector<int>{0, int(m.bytes.size() / 1024)}));
    // Before tag bytes 1024 and 2048 are read: 8 + 5 + 9 bytes, then tags of 5 bytes.
    EXPECT_EQ(positions, (std::vector<int>{(22 + 1021 * 5) / 1024, (22 + 2045 * 5) / 1024}));

    // A date no calendar holds is logged as its number; the load goes on.
    MemoryStream odd = MasterWriter().f64(202, 1e300).u32(201, 0).end(255).stream();
    logs.clear();
    EXPECT_TRUE(loader.process_file(odd));
    EXPECT_EQ(logs, (std::vector<std::string>{"date 1e+300", "header 0"}));
}

TEST_F(MasterFileTest, BadFilesAddNothing)
{
    EXPECT_FALSE(loader.loadmaster2());
    EXPECT_EQ(logs, (std::vector<std::string>{"no master vmar", ""}));

    MasterWriter wrong; // the magic differs in its last character only
    wrong.bytes[7] = '1';
    wrong.u32(201, 5).str(1, "x").u16(2, 7).u8(3, 3).end();
    EXPECT_FALSE(loadFile(wrong.deflated()));

    std::string damaged = MasterWriter().u32(201, 5).deflated();
    damaged.resize(damaged.size() - 3);
    EXPECT_FALSE(loadFile(damaged));
    // The box of the unknown mark names the file and what is wrong with it.
    EXPECT_EQ(boxes.shown, (QStringList{"info:bad magic\n" + QDir::toNativeSeparators(dir.filePath("master_vmar.loc"))
                                            + ": does not start with the mark of a location file",
                                        "info:cannot inflate master_vmar.loc"}));
    EXPECT_EQ(logs.size(), 6u); // the timing and an empty line after each
    EXPECT_EQ(realm.headerValue, 0u);

    // Cut short: the open record, a string running past the end, half a u32. Records read
    // before the cut stay, but the file is not whole (S38: the additions are not merged).
    for (const std::vector<uint8_t>& tail : {std::vector<uint8_t>{}, {1, 200, 0, 'a'}, {201, 1, 2}}) {
        MasterWriter cut;
        cut.str(1, "cut").u16(2, 7).u8(3, 3).bytes.insert(cut.bytes.end(), tail.begin(), tail.end());
        MemoryStream s = cut.stream();
        EXPECT_FALSE(loader.process_file(s));
    }
    MemoryStream tiny;
    tiny.write("VMAR", 4);
    EXPECT_FALSE(loader.process_file(tiny));
    EXPECT_EQ(store.liveLocations(), 0u);
    EXPECT_EQ(realm.headerValue, 0u);

    // A whole file but for its end tag: its records stay, and the file is damaged.
    boxes.shown.clear();
    EXPECT_FALSE(loadFile(MasterWriter().u32(201, 5).str(1, "x").u16(2, 7).u8(3, 3).end().deflated()));
    EXPECT_EQ(boxes.shown, QStringList{"info:cannot inflate master_vmar.loc"});
    EXPECT_EQ(store.liveLocations(), 1u);
}

} // namespace

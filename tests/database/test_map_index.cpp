// The map index (vmarmap.bin): the three sections, truncation inside each,
// clamped short strings, the zone sort, the missing file and the database root.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "compressed.h"
#include "data_model.h"
#include "folders.h"
#include "message_boxes.h"
#include "ressource.h"
#include "test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

class RecordingBoxes : public MessageBoxes {
public:
    std::vector<QString> info;
    void information(const QString& t) override { info.push_back(t); }
    int confirm(const QString&) override { return kAnswerCancel; }
    void plain(const QString& t) override { info.push_back(t); }
};

void realmRecord(Bytes& out, const std::string& name)
{
    ByteWriter(out).shortString(name, 42);
}

struct MapFields {
    int16_t id = 0;
    uint8_t realm = 0;
    uint8_t icon = 0;
    uint16_t home = 0;
    std::string name;
    uint8_t menu = 0;
};

void mapRecord(Bytes& out, const MapFields& m)
{
    ByteWriter w(out);
    w.i16(m.id);
    w.u8(m.realm);
    w.u8(m.icon);
    w.u16(m.home);
    w.u16(0xBEEF);      // not read
    w.u32(0x12345678);  // the tree node slot: never read from the file
    w.shortString(m.name, 40);
    w.u8(m.menu);
    w.u16(0xCAFE);      // not read
}

struct ZoneFields {
    std::string name;
    std::string file;
    int16_t id = 0;
    int16_t region = 0;
    uint8_t group = 0;
    uint8_t icon = 0;
    int32_t ox = 0;
    int32_t oy = 0;
};

void zoneRecord(Bytes& out, const ZoneFields& z)
{
    ByteWriter w(out);
    w.shortString(z.name, 30);
    w.shortString(z.file, 16);
    w.i16(z.id);
    w.i16(z.region);
    w.u8(z.group);
    w.u8(z.icon);
    w.u16(0xFFFF);
    w.i32(z.ox);
    w.i32(z.oy);
    w.u8(9);
    w.zeros(7);
}

Bytes indexBytes(int32_t realmCount, const std::vector<std::string>& realms, int32_t mapCount,
                 const std::vector<MapFields>& maps, const std::vector<ZoneFields>& zones)
{
    Bytes out;
    ByteWriter(out).i32(realmCount);
    for (const auto& r : realms) realmRecord(out, r);
    ByteWriter(out).i32(mapCount);
    for (const auto& m : maps) mapRecord(out, m);
    for (const auto& z : zones) zoneRecord(out, z);
    return out;
}

std::string asString(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::vector<std::string> zoneNames(const TData_map& m)
{
    std::vector<std::string> names;
    for (const auto& z : m.zones) names.push_back(z->name);
    return names;
}

class MapIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        DatabaseLang = "Base";
        SetProgramFolder(dir.path());
        setMessageBoxes(&boxes);
        Ressources.reset();
        Ressources.message.resize(13);
        Ressources.message[12] = "Fichier %1map.bin introuvable";
    }
    void TearDown() override
    {
        setMessageBoxes(nullptr);
        Ressources.reset();
        DatabaseLang.clear();
        ExeDir.clear();
        DataDir.clear();
        DatabaseDir.clear();
        DatabaseLangDir.clear();
        MapsDir.clear();
        ResDir.clear();
        AjoutsDir.clear();
    }
    void writeIndex(const Bytes& plain)
    {
        ASSERT_TRUE(writeBytes(DatabaseLangDir + "vmarmap.bin", asString(DeflateBytes(plain.data(), plain.size()))));
    }
    static TData_map load(const Bytes& b)
    {
        TData_map m;
        m.LoadMapIndexBytes(b.data(), b.size());
        return m;
    }
    QTemporaryDir dir;
    RecordingBoxes boxes;
};

TEST_F(MapIndexTest, EmptyCountsPutZonesAtOffsetEight)
{
    Bytes b = indexBytes(0, {}, 0, {}, {{"Alpha", "alpha", 12, 3, 4, 5, -65535, 131070}, {"Beta", "b", -2, 0, 0, 0, 0, 0}});
    ASSERT_EQ(b.size(), 8 + 2 * 72u);
    TData_map m = load(b);
    EXPECT_TRUE(m.realms.empty());
    EXPECT_TRUE(m.maps.empty());
    ASSERT_EQ(m.zones.size(), 2u);
    const pMap_info& z = *m.zones[0];
    EXPECT_EQ(z.name, "Alpha");
    EXPECT_EQ(z.fileName, "alpha");
    EXPECT_EQ(z.zoneId, 12);
    EXPECT_EQ(z.regionId, 3);
    EXPECT_EQ(z.group, 4);
    EXPECT_EQ(z.icon, 5);
    EXPECT_EQ(z.originX, -65535);
    EXPECT_EQ(z.originY, 131070);
    EXPECT_EQ(z.treeNode, kNoTreeNode);
    EXPECT_EQ(m.zones[1]->zoneId, -2); // one signed 16-bit quantity
}

TEST_F(MapIndexTest, NegativeCountsReadNoRecord)
{
    Bytes b = indexBytes(-5, {}, -1, {}, {{"Z", "z"}});
    TData_map m = load(b);
    EXPECT_TRUE(m.realms.empty());
    EXPECT_TRUE(m.maps.empty());
    ASSERT_EQ(m.zones.size(), 1u);
    EXPECT_EQ(m.zones[0]->name, "Z");
}

TEST_F(MapIndexTest, FewerThanFourBytesGiveEmptyLists)
{
    for (size_t n = 0; n < 8; ++n) {
        Bytes b(n, 0);
        TData_map m = load(b);
        EXPECT_TRUE(m.realms.empty() && m.maps.empty() && m.zones.empty()) << n;
    }
    TData_map m = load(Bytes{});
    EXPECT_TRUE(m.zones.empty());
}

TEST_F(MapIndexTest, RealmsMapsAndZonesThroughTheFile)
{
    MapFields map{-7, 2, 9, 0xFFFE, "Albion", 1};
    writeIndex(indexBytes(2, {"Albion", "Midgard"}, 1, {map},
                          {{"zeta", "z1", 1, -7}, {"Alpha", "a1", 2, -7}, {"beta", "b1", 3, -7}}));
    auto m = TData_map::Create();
    EXPECT_TRUE(boxes.info.empty());
    ASSERT_EQ(m->realms.size(), 2u);
    EXPECT_EQ(m->realms[0].name, "Albion");
    EXPECT_EQ(m->realms[1].name, "Midgard");
    ASSERT_EQ(m->maps.size(), 1u);
    const rRegion& r = *m->maps[0];
    EXPECT_EQ(r.mapId, -7);
    EXPECT_EQ(r.realm, 2);
    EXPECT_EQ(r.icon, 9);
    EXPECT_EQ(r.homeZoneId, 0xFFFE);
    EXPECT_EQ(r.treeNode, kNoTreeNode);
    EXPECT_EQ(r.name, "Albion");
    EXPECT_EQ(r.menuFlag, 1);
    EXPECT_EQ(zoneNames(*m), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
    EXPECT_EQ(m->zones[0]->fileName, "a1");
}

TEST_F(MapIndexTest, MenuFlagZeroIsKept)
{
    MapFields map{1, 1, 0, 5, "Hidden", 0};
    TData_map m = load(indexBytes(0, {}, 1, {map}, {{"Z", "z"}}));
    ASSERT_EQ(m.maps.size(), 1u);
    EXPECT_EQ(m.maps[0]->menuFlag, 0);
}

TEST_F(MapIndexTest, TruncationInsideTheRealmSection)
{
    // Three realms announced, two whole ones and half a third: two realms, nothing after.
    Bytes b = indexBytes(3, {"One", "Two"}, 0, {}, {});
    b.resize(4 + 2 * 43);
    b.insert(b.end(), 20, 'x');
    TData_map m = load(b);
    ASSERT_EQ(m.realms.size(), 2u);
    EXPECT_EQ(m.realms[1].name, "Two");
    EXPECT_TRUE(m.maps.empty());
    EXPECT_TRUE(m.zones.empty());

    // A realm record that ends exactly at the end of the data ends the load and is dropped.
    Bytes exact = indexBytes(2, {"One", "Two"}, 0, {}, {});
    exact.resize(4 + 2 * 43);
    m = load(exact);
    ASSERT_EQ(m.realms.size(), 1u);
    EXPECT_EQ(m.realms[0].name, "One");

    // A count far beyond the data reads the bytes that are there, then stops.
    Bytes huge = indexBytes(0x7FFFFFFF, {"One", "Two"}, 0, {}, {});
    huge.resize(4 + 2 * 43 + 5);
    m = load(huge);
    EXPECT_EQ(m.realms.size(), 2u);
    EXPECT_TRUE(m.maps.empty());
}

TEST_F(MapIndexTest, TruncationInsideTheMapSection)
{
    MapFields a{1, 1, 0, 0, "A", 1}, b{2, 1, 0, 0, "B", 1};
    Bytes cut = indexBytes(1, {"R"}, 3, {a, b}, {});
    cut.resize(cut.size() - 10); // the second map record is cut short
    TData_map m = load(cut);
    EXPECT_EQ(m.realms.size(), 1u);
    ASSERT_EQ(m.maps.size(), 1u);
    EXPECT_EQ(m.maps[0]->name, "A");
    EXPECT_TRUE(m.zones.empty());

    // The last map record ends exactly at the end: dropped, the rest kept.
    m = load(indexBytes(1, {"R"}, 2, {a, b}, {}));
    EXPECT_EQ(m.realms.size(), 1u);
    ASSERT_EQ(m.maps.size(), 1u);
    EXPECT_EQ(m.maps[0]->name, "A");

    // The map count itself cut short.
    Bytes noCount = indexBytes(1, {"R"}, 0, {}, {});
    noCount.resize(noCount.size() - 2);
    m = load(noCount);
    EXPECT_EQ(m.realms.size(), 1u);
    EXPECT_TRUE(m.maps.empty());
}

TEST_F(MapIndexTest, TruncationInsideTheZoneSection)
{
    Bytes b = indexBytes(0, {}, 0, {}, {{"A", "a"}, {"B", "b"}, {"C", "c"}});
    b.resize(b.size() - 1); // a trailing partial zone record (71 bytes)
    TData_map m = load(b);
    EXPECT_EQ(zoneNames(m), (std::vector<std::string>{"A", "B"}));
}

TEST_F(MapIndexTest, LengthByteOf255IsClampedToItsField)
{
    Bytes b;
    ByteWriter w(b);
    w.i32(1);
    w.u8(255);
    w.bytes(std::string(42, 'r'));
    w.i32(1);
    w.zeros(12);
    w.u8(255);
    w.bytes(std::string(40, 'm'));
    w.u8(1);
    w.zeros(2);
    w.u8(255);
    w.bytes(std::string(30, 'z'));
    w.u8(255);
    w.bytes(std::string(16, 'f'));
    w.i16(4);
    w.zeros(72 - 50);
    ASSERT_EQ(b.size(), 4 + 43 + 4 + 56 + 72u);
    TData_map m = load(b);
    ASSERT_EQ(m.realms.size(), 1u);
    EXPECT_EQ(m.realms[0].name, std::string(42, 'r'));
    ASSERT_EQ(m.maps.size(), 1u);
    EXPECT_EQ(m.maps[0]->name, std::string(40, 'm'));
    EXPECT_EQ(m.maps[0]->menuFlag, 1);
    ASSERT_EQ(m.zones.size(), 1u);
    EXPECT_EQ(m.zones[0]->name, std::string(30, 'z'));
    EXPECT_EQ(m.zones[0]->fileName, std::string(16, 'f'));
    EXPECT_EQ(m.zones[0]->zoneId, 4);
}

TEST_F(MapIndexTest, ZonesSortByNameFoldingOnlyAsciiLetters)
{
    TData_map m;
    const std::vector<std::string> names = {"b", "_x", "A", "\xE9t\xE9", "Zeta", "abc", "a", "Ab", "[", "\xC9t\xE9", "1"};
    for (size_t i = 0; i < names.size(); ++i) {
        auto z = std::make_unique<pMap_info>();
        z->name = names[i];
        z->zoneId = int16_t(i);
        m.zones.push_back(std::move(z));
    }
    m.SortZones();
    // Letters compare without case; "_" (5F) and "[" (5B) come after "Z" (5A); accented
    // letters keep their codes (C9 before E9); equal names keep their order.
    EXPECT_EQ(zoneNames(m), (std::vector<std::string>{"1", "A", "a", "Ab", "abc", "b", "Zeta", "[", "_x",
                                                      "\xC9t\xE9", "\xE9t\xE9"}));
    EXPECT_EQ(m.zones[1]->zoneId, 2); // "A" came before "a"
    EXPECT_EQ(m.zones[2]->zoneId, 6);
}

TEST_F(MapIndexTest, MissingFileShowsS12AndLeavesListsEmpty)
{
    auto m = TData_map::Create();
    ASSERT_EQ(boxes.info.size(), 1u);
    EXPECT_EQ(boxes.info[0], "Fichier vmarmap.bin introuvable");
    EXPECT_TRUE(m->realms.empty() && m->maps.empty() && m->zones.empty());
}

TEST_F(MapIndexTest, DamagedFileGivesEmptyListsWithoutMessage)
{
    ASSERT_TRUE(writeBytes(DatabaseLangDir + "vmarmap.bin", "not a zlib stream"));
    auto m = TData_map::Create();
    EXPECT_TRUE(boxes.info.empty());
    EXPECT_TRUE(m->realms.empty() && m->maps.empty() && m->zones.empty());
}

TEST_F(MapIndexTest, FileNameIsMatchedWithoutCase)
{
    Bytes plain = indexBytes(0, {}, 0, {}, {{"A", "a"}});
    ASSERT_TRUE(writeBytes(DatabaseLangDir + "VMARMAP.BIN", asString(DeflateBytes(plain.data(), plain.size()))));
    auto m = TData_map::Create();
    EXPECT_TRUE(boxes.info.empty());
    EXPECT_EQ(m->zones.size(), 1u);
}

TEST_F(MapIndexTest, RealmInfoOwnsTheMapIndex)
{
    writeIndex(indexBytes(1, {"R"}, 0, {}, {{"b", "b"}, {"a", "a"}}));
    TRealm_info info;
    ASSERT_TRUE(info.mapIndex);
    EXPECT_EQ(zoneNames(*info.mapIndex), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(info.headerValue, 0u);
    EXPECT_EQ(info.mergeWeight, 0.0f);
    EXPECT_EQ(info.mergeCount, 0);

    TRealm_info given(nullptr);
    ASSERT_TRUE(given.mapIndex);
    EXPECT_TRUE(given.mapIndex->zones.empty());
}

} // namespace

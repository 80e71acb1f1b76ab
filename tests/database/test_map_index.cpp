// The map index (vmarmap.bin): the three sections, truncation inside each,
// clamped short strings, the zone sort, the missing file and the database root.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "compressed.h"
#include "data_model.h"
#include "folders.h"
#include "ressource.h"
#include "test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

struct MapFields {
    int16_t id = 0;
    uint8_t realm = 0, icon = 0;
    uint16_t home = 0;
    std::string name;
    uint8_t menu = 0;
};

struct ZoneFields {
    std::string name, file;
    int16_t id = 0, region = 0;
    uint8_t group = 0, icon = 0;
    int32_t ox = 0, oy = 0;
};

// Realm records are 43 bytes, map records 56, zone records 72; the filler bytes are never read.
Bytes indexBytes(int32_t realmCount, const Names& realms, int32_t mapCount, const std::vector<MapFields>& maps,
                 const std::vector<ZoneFields>& zones)
{
    Bytes out;
    ByteWriter w(out);
    w.i32(realmCount);
    for (const auto& r : realms) w.shortString(r, 42);
    w.i32(mapCount);
    for (const auto& m : maps) {
        w.i16(m.id), w.u8(m.realm), w.u8(m.icon), w.u16(m.home), w.u16(0xBEEF);
        w.u32(0x12345678); // the tree node slot: never read from the file
        w.shortString(m.name, 40), w.u8(m.menu), w.u16(0xCAFE);
    }
    for (const auto& z : zones) {
        w.shortString(z.name, 30), w.shortString(z.file, 16);
        w.i16(z.id), w.i16(z.region), w.u8(z.group), w.u8(z.icon), w.u16(0xFFFF);
        w.i32(z.ox), w.i32(z.oy), w.u8(9), w.zeros(7);
    }
    return out;
}

Names zoneNames(const TData_map& m)
{
    Names names;
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
        Ressources.reset();
        Ressources.message.resize(13);
        Ressources.message[12] = "Fichier %1map.bin introuvable";
    }
    void TearDown() override
    {
        Ressources.reset();
        for (QString* s :
             {&DatabaseLang, &ExeDir, &DataDir, &DatabaseDir, &DatabaseLangDir, &MapsDir, &ResDir, &AjoutsDir})
            s->clear();
    }
    void writeIndex(const QString& name, const Bytes& plain)
    {
        const Bytes packed = DeflateBytes(plain.data(), plain.size());
        ASSERT_TRUE(writeBytes(DatabaseLangDir + name, std::string(packed.begin(), packed.end())));
    }
    static TData_map load(const Bytes& b) { TData_map m; m.LoadMapIndexBytes(b.data(), b.size()); return m; }
    QTemporaryDir dir;
    RecordingBoxes boxes;
};

TEST_F(MapIndexTest, EmptyCountsPutZonesAtOffsetEight)
{
    Bytes b = indexBytes(0, {}, 0, {}, {{"Alpha", "alpha", -2, 3, 4, 5, -65535, 131070}, {"Beta", "b"}});
    ASSERT_EQ(b.size(), 8 + 2 * 72u);
    TData_map m = load(b);
    EXPECT_TRUE(m.realms.empty() && m.maps.empty());
    ASSERT_EQ(zoneNames(m), (Names{"Alpha", "Beta"}));
    const pMap_info& z = *m.zones[0];
    EXPECT_EQ(std::tuple(z.fileName, z.zoneId, z.regionId, z.group, z.icon, z.originX, z.originY, z.treeNode),
              std::tuple("alpha", -2, 3, 4, 5, -65535, 131070, kNoTreeNode));

    // Negative counts read no record; fewer than eight bytes give empty lists.
    m = load(indexBytes(-5, {}, -1, {}, {{"Z", "z"}}));
    EXPECT_EQ(zoneNames(m), (Names{"Z"}));
    for (size_t n = 0; n < 8; ++n) {
        m = load(Bytes(n, 0));
        EXPECT_TRUE(m.realms.empty() && m.maps.empty() && m.zones.empty()) << n;
    }
}

TEST_F(MapIndexTest, TruncationInsideEachSection)
{
    const MapFields a{1, 1, 0, 0, "A", 1}, b{2, 1, 0, 0, "B", 1};
    // Drops the last `drop` bytes and appends `junk` bytes of filler.
    auto cut = [](Bytes bytes, size_t drop, size_t junk = 0) {
        bytes.resize(bytes.size() - drop);
        bytes.insert(bytes.end(), junk, 'x');
        return bytes;
    };
    // Whole: every counted realm and map is there (a trailing partial zone takes nothing away).
    struct Case { const char* what; Bytes bytes; size_t realms, maps; Names zones; bool whole = false; };
    const Case cases[] = {
        // A short record ends its section and everything after it.
        {"half a third realm", cut(indexBytes(3, {"One", "Two"}, 0, {}, {}), 4, 20), 2, 0, {}},
        {"a realm count far beyond the data", indexBytes(0x7FFFFFFF, {"One", "Two"}, 0, {}, {}), 2, 0, {}},
        {"the second map cut short", cut(indexBytes(1, {"R"}, 3, {a, b}, {}), 10), 1, 1, {}},
        {"the map count cut short", cut(indexBytes(1, {"R"}, 0, {}, {}), 2), 1, 0, {}},
        // A realm or map record that ends exactly at the end of the data ends the load and is dropped.
        {"last realm at the very end", cut(indexBytes(2, {"One", "Two"}, 0, {}, {}), 4), 1, 0, {}},
        {"last map at the very end", indexBytes(1, {"R"}, 2, {a, b}, {}), 1, 1, {}},
        // Zones: a trailing partial record (71 bytes) is ignored.
        {"a trailing partial zone", cut(indexBytes(0, {}, 0, {}, {{"A", "a"}, {"B", "b"}, {"C", "c"}}), 1), 0, 0,
         {"A", "B"}, true},
    };
    for (const Case& c : cases) {
        TData_map m = load(c.bytes);
        EXPECT_EQ(m.realms.size(), c.realms) << c.what;
        EXPECT_EQ(m.maps.size(), c.maps) << c.what;
        EXPECT_EQ(zoneNames(m), c.zones) << c.what;
        EXPECT_TRUE(m.maps.empty() || m.maps[0]->name == "A") << c.what;
        EXPECT_EQ(m.loadedWhole, c.whole) << c.what;
    }
}

TEST_F(MapIndexTest, LengthByteOf255IsClampedToItsField)
{
    Bytes b;
    ByteWriter w(b);
    w.i32(1), w.u8(255), w.bytes(std::string(42, 'r'));
    w.i32(1), w.zeros(12), w.u8(255), w.bytes(std::string(40, 'm')), w.u8(1), w.zeros(2);
    w.u8(255), w.bytes(std::string(30, 'z')), w.u8(255), w.bytes(std::string(16, 'f')), w.i16(4), w.zeros(72 - 50);
    ASSERT_EQ(b.size(), 4 + 43 + 4 + 56 + 72u);
    TData_map m = load(b);
    ASSERT_TRUE(m.realms.size() == 1 && m.maps.size() == 1 && m.zones.size() == 1);
    EXPECT_EQ(std::tuple(m.realms[0].name, m.maps[0]->name, m.maps[0]->menuFlag),
              std::tuple(std::string(42, 'r'), std::string(40, 'm'), 1)); // what follows is still in step
    EXPECT_EQ(std::tuple(m.zones[0]->name, m.zones[0]->fileName, m.zones[0]->zoneId),
              std::tuple(std::string(30, 'z'), std::string(16, 'f'), 4));
}

TEST_F(MapIndexTest, ZonesSortByNameFoldingOnlyAsciiLetters)
{
    const Names names = {"b", "_x", "A", "\xE9t\xE9", "Zeta", "abc", "a", "Ab", "[", "\xC9t\xE9", "1"};
    std::vector<ZoneFields> zones;
    for (size_t i = 0; i < names.size(); ++i) zones.push_back({names[i], "", int16_t(i)});
    TData_map m = load(indexBytes(0, {}, 0, {}, zones));
    m.SortZones();
    // Letters compare without case; "_" (5F) and "[" (5B) come after "Z" (5A); accented
    // letters keep their codes (C9 before E9); equal names keep their order.
    EXPECT_EQ(zoneNames(m), (Names{"1", "A", "a", "Ab", "abc", "b", "Zeta", "[", "_x", "\xC9t\xE9", "\xE9t\xE9"}));
    EXPECT_EQ(std::pair(m.zones[1]->zoneId, m.zones[2]->zoneId), (std::pair<int16_t, int16_t>(2, 6))); // "A" came before "a"
}

TEST_F(MapIndexTest, FileMissingDamagedOrWhole)
{
    // A missing file and a damaged one: S12 and empty lists.
    auto m = TData_map::Create();
    EXPECT_EQ(boxes.shown, QStringList{"info:Fichier vmarmap.bin introuvable"});
    EXPECT_TRUE(m->realms.empty() && m->maps.empty() && m->zones.empty());

    ASSERT_TRUE(writeBytes(DatabaseLangDir + "VMARMAP.BIN", "not a zlib stream"));
    m = TData_map::Create();
    EXPECT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown.back(), boxes.shown.front());
    EXPECT_TRUE(m->realms.empty() && m->maps.empty() && m->zones.empty());
    boxes.shown.clear();

    const MapFields shown{-7, 2, 9, 0xFFFE, "Albion", 1}, hidden{1, 1, 0, 5, "Hidden", 0};
    // The file name is matched without case.
    writeIndex("VMARMAP.BIN", indexBytes(2, {"Albion", "Midgard"}, 2, {shown, hidden},
                                         {{"zeta", "z1"}, {"Alpha", "a1"}, {"beta", "b1"}}));
    m = TData_map::Create();
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(m->realms.size(), 2u);
    EXPECT_EQ(m->realms[1].name, "Midgard");
    ASSERT_EQ(m->maps.size(), 2u);
    const rRegion& r = *m->maps[0];
    EXPECT_EQ(std::tuple(r.mapId, r.realm, r.icon, r.homeZoneId, r.treeNode, r.name, r.menuFlag),
              std::tuple(-7, 2, 9, 0xFFFE, kNoTreeNode, "Albion", 1));
    EXPECT_EQ(m->maps[1]->menuFlag, 0); // a map kept out of the menu is still loaded
    EXPECT_EQ(zoneNames(*m), (Names{"Alpha", "beta", "zeta"}));
    EXPECT_EQ(m->zones[0]->fileName, "a1");
}

} // namespace

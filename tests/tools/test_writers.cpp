// The file writers against the formats, byte for byte, and against the program's loaders.
#include <gtest/gtest.h>

#include "compressed.h"
#include "data_model.h"
#include "sample_writers.h"
#include "vector_file.h"

using namespace sample;

namespace {

std::vector<uint8_t> inflate(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(InflateBytes(file.data(), file.size(), out));
    return out;
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t u16At(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

std::string textAt(const std::vector<uint8_t>& b, size_t at, size_t n) { return std::string(b.begin() + at, b.begin() + at + n); }

pMap_info zone(std::string name, std::string file, int16_t id, int16_t region, int32_t ox, int32_t oy)
{
    pMap_info z;
    z.name = std::move(name);
    z.fileName = std::move(file);
    z.zoneId = id;
    z.regionId = region;
    z.group = 3;
    z.icon = 2;
    z.originX = ox;
    z.originY = oy;
    return z;
}

MapIndexContent smallIndex()
{
    MapIndexContent index;
    index.realms = {{"Nord"}, {"Sud"}};
    rRegion map;
    map.mapId = 7;
    map.realm = 2;
    map.icon = 1;
    map.homeZoneId = 301;
    map.name = "Carte";
    map.menuFlag = 1;
    index.maps.push_back(map);
    index.zones.push_back(zone("Zeta", "z_one", 301, 7, 0, 0));
    index.zones.push_back(zone("Alpha", "a_two", 302, 7, 65535, -65535));
    index.zones.push_back(zone("Mu", "m_three", -2, 7, -131070, 0));
    return index;
}

rCateg category()
{
    rCateg c;
    c.name = "Marchands";
    c.id = 9;
    c.treeIcon = 4;
    c.kind = kindLevelRange;
    c.colour = 0x00A1B2C3;
    c.iconIndex = 0x01020304;
    c.defaultNameFlag = 1;
    c.defaultName = "Marchand";
    c.visible = 1;
    c.linkable = 0;
    c.detailClass = 3;
    c.font.setFamily("Arial");
    c.font.setPointSize(9);
    c.font.setBold(true);
    c.font.setItalic(true);
    return c;
}

} // namespace

TEST(MapIndexWriter, RecordsSitAtTheirOffsets)
{
    const std::vector<uint8_t> b = mapIndexPayload(smallIndex());
    ASSERT_EQ(b.size(), 4 + 2 * 43 + 4 + 56 + 3 * 72u);
    EXPECT_EQ(u32At(b, 0), 2u);
    EXPECT_EQ(b[4], 4);                          // realm name length byte
    EXPECT_EQ(textAt(b, 5, 4), "Nord");
    EXPECT_EQ(u32At(b, 90), 1u);                 // map count after two realms
    const size_t map = 94;
    EXPECT_EQ(u16At(b, map), 7);
    EXPECT_EQ(b[map + 2], 2);                    // realm number, 1-based
    EXPECT_EQ(u16At(b, map + 4), 301);           // home zone
    EXPECT_EQ(b[map + 12], 5);                   // name
    EXPECT_EQ(textAt(b, map + 13, 5), "Carte");
    EXPECT_EQ(b[map + 53], 1);                   // menu flag
    const size_t second = map + 56 + 72;
    EXPECT_EQ(textAt(b, second + 1, 5), "Alpha");
    EXPECT_EQ(b[second + 31], 5);                // file name
    EXPECT_EQ(textAt(b, second + 32, 5), "a_two");
    EXPECT_EQ(u16At(b, second + 48), 302);
    EXPECT_EQ(u16At(b, second + 50), 7);
    EXPECT_EQ(b[second + 52], 3);                // group
    EXPECT_EQ(b[second + 53], 2);                // icon
    EXPECT_EQ(int32_t(u32At(b, second + 56)), 65535);
    EXPECT_EQ(int32_t(u32At(b, second + 60)), -65535);

    EXPECT_EQ(inflate(writeMapIndex(smallIndex())), b);
}

TEST(MapIndexWriter, LoadsBackThroughTheMapIndexReader)
{
    const std::vector<uint8_t> b = mapIndexPayload(smallIndex());
    TData_map map;
    map.LoadMapIndexBytes(b.data(), b.size());
    map.SortZones();
    ASSERT_EQ(map.realms.size(), 2u);
    ASSERT_EQ(map.maps.size(), 1u);
    ASSERT_EQ(map.zones.size(), 3u);
    EXPECT_EQ(map.realms[1].name, "Sud");
    EXPECT_EQ(map.maps[0]->homeZoneId, 301);
    EXPECT_EQ(map.zones[0]->name, "Alpha");
    EXPECT_EQ(map.zones[1]->zoneId, -2);
    EXPECT_EQ(map.zones[1]->originX, -131070);
    EXPECT_EQ(map.zones[2]->fileName, "z_one");
}

TEST(CategoryWriters, ItemCategoryRecordFields)
{
    const std::vector<uint8_t> b = itemCategoriesPayload({category(), category()});
    ASSERT_EQ(b.size(), 2 * 84u);
    EXPECT_EQ(textAt(b, 0, 10), "\x09Marchands");
    EXPECT_EQ(b[21], 9);
    EXPECT_EQ(b[22], 4);
    EXPECT_EQ(b[23], kindLevelRange);
    EXPECT_EQ(u32At(b, 24), 0x00A1B2C3u);
    EXPECT_EQ(u32At(b, 28), 0x01020304u);
    EXPECT_EQ(b[32], 1);
    EXPECT_EQ(textAt(b, 33, 9), "\x08Marchand");
    EXPECT_EQ(b[54], 1);
    EXPECT_EQ(b[55], 0);
    EXPECT_EQ(b[56], 3);
    EXPECT_EQ(b[57], 3);                         // bold and italic
    EXPECT_EQ(textAt(b, 58, 6), "\x05" "Arial");
    EXPECT_EQ(b[79], 9);
    EXPECT_EQ(b[84 + 21], 9);

    TData_common common;
    common.savePrefsOnDestroy = false;
    common.LoadItemCategoriesBytes(b.data(), b.size());
    ASSERT_EQ(common.categories.size(), 2u);
    EXPECT_EQ(common.categories[0]->defaultName, "Marchand");
    EXPECT_EQ(common.categories[0]->colour, 0x00A1B2C3u);
    EXPECT_TRUE(common.categories[0]->font.bold() && common.categories[0]->font.italic());
}

TEST(CategoryWriters, PreferenceRecordFields)
{
    rCateg c = category();
    c.font.setUnderline(true);
    const std::vector<uint8_t> b = writeCategoryPrefs({c});
    ASSERT_EQ(b.size(), 56u);
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(textAt(b, 1, 3), std::string(3, '\0'));
    EXPECT_EQ(u32At(b, 4), 0x00A1B2C3u);
    EXPECT_EQ(u32At(b, 8), 0x01020304u);
    EXPECT_EQ(b[12], 1);
    EXPECT_EQ(b[13], 1 | 2 | 4);                 // style bits, underline included
    EXPECT_EQ(textAt(b, 14, 6), "\x05" "Arial");
    EXPECT_EQ(textAt(b, 20, 35), std::string(35, '\0'));
    EXPECT_EQ(b[55], 9);
}

TEST(MasterWriter, ExactBytesOfAFileWithOneRecord)
{
    MasterFile file;
    file.headerValue = 0x01020304;
    file.databaseDate = 1.5;
    MasterRecord rec;
    rec.node.name = "Loup";
    rec.node.zoneId = 0x0102;
    rec.node.categoryId = 3;
    rec.node.attributes.w[0] = 0xA;
    rec.node.attributes.w[1] = 0xB;
    rec.node.attributes.w[2] = 0xC;
    rec.node.description = "never written";
    rec.fields = 1u << 1 | 1u << 2 | 1u << 3 | 1u << 8 | 1u << 9 | 1u << 10;
    rec.skipped = {{50, "xyz"}};
    file.records.push_back(rec);

    std::vector<uint8_t> want = {'V', 'M', 'A', 'R', 'V', '1', '0', '0', 201, 4, 3, 2, 1, 202, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F,
                                 1, 4, 0, 'L', 'o', 'u', 'p', 2, 0x02, 0x01, 3, 3,
                                 8, 0xB, 0, 0, 0, 9, 0xC, 0, 0, 0, 10, 0xA, 0, 0, 0, // tag 10 holds the first word
                                 50, 3, 0, 'x', 'y', 'z', 199, 255};
    EXPECT_EQ(masterPayload(file), want);
    const std::vector<uint8_t> inflated = inflate(writeMasterFile(file));
    EXPECT_EQ(inflated, want);
}

TEST(MasterWriter, UsedFieldsLeaveOutEmptyValues)
{
    rnew_node r;
    EXPECT_EQ(usedMasterFields(r), 0x3Eu); // name, zone, category, x and y always
    r.description = "a";
    r.attributes.w[2] = 1;
    r.languageTag = 2;
    EXPECT_EQ(usedMasterFields(r), 0x3Eu | 1u << 12 | 1u << 9 | 1u << 16);
}

TEST(AdditionsWriter, LocationLineFields)
{
    rnew_node r;
    r.name = "Loup gris";
    r.zoneId = 0xFFFE; // above 32767: written as a negative number
    r.categoryId = 1;
    r.x = 100;
    r.y = 65535;
    r.levelMin = 5;
    r.levelMax = 7;
    r.typeId = 2;
    r.languageTag = 1;
    r.attributes.w[0] = 2;
    r.attributes.w[2] = 0x80000001;
    r.id = 0x298;
    r.linkText = "J_1000C0000FFFF";
    r.description = "a|b";
    EXPECT_EQ(additionsLine(r), "Loup gris||-2|1|100|65535|5|7||2|1||000000020000000080000001|000298|J_1000C0000FFFF|a|b");
    r.id = 0x1234567;
    r.name = std::string(45, 'n');
    r.description.clear();
    r.linkText.clear();
    EXPECT_EQ(additionsLine(r), std::string(40, 'n') + "||-2|1|100|65535|5|7||2|1||000000020000000080000001|1234567||");
}

TEST(AdditionsWriter, HeaderLines)
{
    AdditionsFile file;
    file.saveDigits = "918273";
    EXPECT_EQ(writeAdditionsFile(file), "#v250-id=918273-Anonymous\r\n#v2.52\r\n");
    file.nickname = "Elyas";
    file.version = "#v200";
    file.locations.resize(1);
    file.locations[0].name = "x";
    EXPECT_EQ(writeAdditionsFile(file), "#v200-id=918273-Elyas\r\n#v2.52\r\nx||0|0|0|0|0|0||0|0||000000000000000000000000|||\r\n");
}

TEST(UrlWriter, UnscramblesBackToItsLines)
{
    const std::vector<std::string> lines = {"1", "cartes@127.0.0.1", "http://127.0.0.1:8080/", "maj/", "liste.txt",
                                            "http://127.0.0.1:8080/envoi.php"};
    MemoryStream stream;
    const std::vector<uint8_t> file = writeUrlBin(lines);
    ASSERT_TRUE(InflateBytes(file.data(), file.size(), stream.data));
    const std::string text = textLines(lines);
    EXPECT_NE(stream.toString(), text); // stored scrambled
    ScrambleStream(stream, "qzlwrnvt");
    EXPECT_EQ(stream.toString(), text);
}

TEST(VectorWriter, BlocksConvertThroughTheVectorReader)
{
    const std::vector<uint8_t> b = writeVectorFile({{{0, 0}, {65535, 65535}}, {{1, 2}}});
    const std::vector<uint8_t> want = {2, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0, 2, 0};
    EXPECT_EQ(b, want);
    MemoryStream converted;
    EXPECT_EQ(ConvertVectorBytes(b.data(), b.size(), converted), 2u);
}

TEST(TableWriters, FixedColumnsLoadBack)
{
    const std::string mob = writeMobSpecTxt({tboolspec(33, 32, "\311lite"), tboolspec(2, 1, "Agressif")},
                                            {{33, 0x00C0FF}, {70, 0x123456}}, {" comment"});
    EXPECT_EQ(mob, "# comment\r\n033 032 00C0FF \311lite\r\n002 001 000000 Agressif\r\n070 000 123456 \r\n@eof\r\n");
    EXPECT_EQ(writeColorTxt({{"Rouge", 0x0000FF}}), "0000FFRouge\r\n");
    EXPECT_EQ(writeTypeTxt({"Aucun", "B\352te"}), "#types\r\nAucun\r\nB\352te\r\n");

    TData_common common;
    common.savePrefsOnDestroy = false;
    common.LoadMobSpecsText(mob);
    ASSERT_EQ(common.specNames.size(), 2u);
    EXPECT_EQ(common.specNames[0].name, "\311lite");
    EXPECT_EQ(common.specNames[0].parentId, 32);
    ASSERT_EQ(common.specColors.size(), 2u);
    EXPECT_EQ(common.specColors[1].id, 70);
}

TEST(RessourceWriter, NumbersSectionsAndCrLf)
{
    const std::string text = writeRessourceTxt({{'C', 1, "Nom"}, {'C', 2, "Note"}, {'S', 1, "%1 ?"}});
    EXPECT_NE(text.find("\r\nC001 Nom\r\nC002 Note\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nS001 %1 ?\r\n"), std::string::npos);
}

// The file writers, read back through the program's own loaders where it has one.
#include <tuple>

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

} // namespace

TEST(MapIndexWriter, LoadsBackThroughTheMapIndexReader)
{
    MapIndexContent index;
    index.realms = {{"Nord"}, {"Sud"}};
    rRegion& region = index.maps.emplace_back();
    region.mapId = 7;
    region.realm = 2;
    region.homeZoneId = 301;
    region.name = "Carte";
    const std::tuple<const char*, const char*, int16_t, int32_t, int32_t> zones[] = {
        {"Zeta", "z_one", 301, 0, 0}, {"Alpha", "a_two", 302, 65535, -65535}, {"Mu", "m_three", -2, -131070, 0}};
    for (const auto& [name, file, id, ox, oy] : zones) {
        pMap_info& z = index.zones.emplace_back();
        std::tie(z.name, z.fileName, z.zoneId, z.originX, z.originY) = std::tie(name, file, id, ox, oy);
        z.regionId = 7;
    }
    const std::vector<uint8_t> b = mapIndexPayload(index);
    EXPECT_EQ(inflate(writeMapIndex(index)), b);

    TData_map map;
    map.LoadMapIndexBytes(b.data(), b.size());
    map.SortZones();
    ASSERT_EQ(map.realms.size(), 2u);
    ASSERT_EQ(map.maps.size(), 1u);
    ASSERT_EQ(map.zones.size(), 3u);
    EXPECT_EQ(map.realms[1].name, "Sud");
    EXPECT_EQ(map.maps[0]->name, "Carte");
    EXPECT_EQ(map.maps[0]->homeZoneId, 301);
    EXPECT_EQ(map.zones[0]->name, "Alpha");
    EXPECT_EQ(map.zones[0]->originY, -65535);
    EXPECT_EQ(map.zones[1]->zoneId, -2);
    EXPECT_EQ(map.zones[1]->originX, -131070);
    EXPECT_EQ(map.zones[2]->fileName, "z_one");
}

TEST(CategoryWriters, CategoriesAndPreferencesLoadBack)
{
    rCateg written;
    written.name = "Marchands";
    written.id = 9;
    written.kind = kindLevelRange;
    written.colour = 0x00A1B2C3;
    written.iconIndex = 0x01020304;
    written.defaultName = "Marchand";
    written.font = QFont("Arial", 9, QFont::Bold, true);
    TData_common common;
    common.savePrefsOnDestroy = false;
    const std::vector<uint8_t> b = itemCategoriesPayload({written, written});
    EXPECT_EQ(inflate(writeItemCategories({written, written})), b);
    common.LoadItemCategoriesBytes(b.data(), b.size());
    ASSERT_EQ(common.categories.size(), 2u);
    const rCateg& c = *common.categories[0];
    EXPECT_EQ(c.name, "Marchands");
    EXPECT_EQ(c.kind, kindLevelRange);
    EXPECT_EQ(c.defaultName, "Marchand");
    EXPECT_EQ(c.colour, 0x00A1B2C3u);
    EXPECT_EQ(c.iconIndex, 0x01020304u);
    EXPECT_EQ(c.font.family(), "Arial");
    EXPECT_TRUE(c.font.bold() && c.font.italic() && !c.font.underline());

    // Preferences override colour and style, and the program writes them back identically.
    written.colour = 0x00112233;
    written.font.setUnderline(true);
    const std::vector<uint8_t> prefs = writeCategoryPrefs({written});
    common.LoadCategoryPrefsBytes(prefs.data(), prefs.size());
    EXPECT_EQ(c.colour, 0x00112233u);
    EXPECT_TRUE(c.font.underline());
    EXPECT_EQ(c.font.pointSize(), 9);
    EXPECT_EQ(writeCategoryPrefs({c, *common.categories[1]}), common.CategoryPrefsBytes());
}

TEST(MasterWriter, WritesTheChosenFieldsAndSkippedItems)
{
    MasterFile file;
    file.headerValue = 0x01020304;
    file.databaseDate = 1.5;
    MasterRecord& rec = file.records.emplace_back();
    rec.node.name = "Loup";
    rec.node.zoneId = 0x0102;
    rec.node.categoryId = 3;
    rec.node.attributes = SpecSet{{0xA, 0xB, 0xC}};
    rec.node.description = "never written";
    rec.fields = 1u << 1 | 1u << 2 | 1u << 3 | 1u << 8 | 1u << 9 | 1u << 10;
    rec.skipped = {{50, "xyz"}};
    const std::vector<uint8_t> want = {'V', 'M', 'A', 'R', 'V', '1', '0', '0', 201, 4, 3, 2, 1, 202, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F,
                                       1, 4, 0, 'L', 'o', 'u', 'p', 2, 0x02, 0x01, 3, 3,
                                       8, 0xB, 0, 0, 0, 9, 0xC, 0, 0, 0, 10, 0xA, 0, 0, 0, // tag 10 holds the first word
                                       50, 3, 0, 'x', 'y', 'z', 199, 255};
    EXPECT_EQ(inflate(writeMasterFile(file)), want);

    rnew_node r;
    EXPECT_EQ(usedMasterFields(r), 0x3Eu); // name, zone, category, x and y always
    r.description = "a";
    r.attributes.w[2] = 1;
    r.languageTag = 2;
    EXPECT_EQ(usedMasterFields(r), 0x3Eu | 1u << 12 | 1u << 9 | 1u << 16);
}

TEST(AdditionsWriter, HeaderAndLocationLines)
{
    // The name is cut to 40 characters; a zone above 32767 is written as a negative number.
    rnew_node r;
    r.name = std::string(45, 'n');
    r.zoneId = 0xFFFE;
    r.categoryId = 1;
    r.x = 100;
    r.y = 65535;
    r.levelMin = 5;
    r.levelMax = 7;
    r.typeId = 2;
    r.languageTag = 1;
    r.attributes = SpecSet{{2, 0, 0x80000001}};
    r.id = 0x298;
    r.linkText = "J_1000C0000FFFF";
    r.description = "a|b";
    EXPECT_EQ(additionsLine(r), std::string(40, 'n') +
                                    "||-2|1|100|65535|5|7||2|1||000000020000000080000001|000298|J_1000C0000FFFF|a|b");

    AdditionsFile file;
    file.saveDigits = "918273";
    EXPECT_EQ(writeAdditionsFile(file), "#v250-id=918273-Anonymous\r\n#v2.52\r\n");
    file.version = "#v200";
    file.nickname = "Elyas";
    file.locations.emplace_back().name = "x";
    EXPECT_EQ(writeAdditionsFile(file), "#v200-id=918273-Elyas\r\n#v2.52\r\nx||0|0|0|0|0|0||0|0||000000000000000000000000|||\r\n");
}

TEST(SmallFileWriters, UrlVectorsAndTablesReadBack)
{
    const std::vector<std::string> lines = {"1", "cartes@127.0.0.1", "http://127.0.0.1:8080/", "maj/"};
    MemoryStream url;
    const std::vector<uint8_t> file = writeUrlBin(lines);
    ASSERT_TRUE(InflateBytes(file.data(), file.size(), url.data));
    EXPECT_NE(url.toString(), textLines(lines)); // stored scrambled
    ScrambleStream(url, kUrlKey);
    EXPECT_EQ(url.toString(), textLines(lines));

    const std::vector<uint8_t> vec = writeVectorFile({{{0, 0}, {65535, 65535}}, {{1, 2}}});
    MemoryStream converted;
    EXPECT_EQ(ConvertVectorBytes(vec.data(), vec.size(), converted), 2u);

    TData_common common;
    common.savePrefsOnDestroy = false;
    common.LoadMobSpecsText(writeMobSpecTxt({tboolspec(33, 32, "\311lite"), tboolspec(2, 1, "Agressif")},
                                            {{33, 0x00C0FF}, {70, 0x123456}}, {" comment"}));
    ASSERT_EQ(common.specNames.size(), 2u);
    EXPECT_EQ(common.specNames[0].name, "\311lite");
    EXPECT_EQ(common.specNames[0].parentId, 32);
    ASSERT_EQ(common.specColors.size(), 2u);
    EXPECT_EQ(common.specColors[1].id, 70);
    common.LoadTypeNamesText(writeTypeTxt({"Aucun", "B\352te"}));
    EXPECT_EQ(common.typeNames, (std::vector<std::string>{"Aucun", "B\352te"}));
    const std::string colours = writeColorTxt({{"Rouge", 0x0000FF}});
    common.LoadColorsText(&colours);
    ASSERT_FALSE(common.colors.empty());
    EXPECT_EQ(common.colors[0].name, "Rouge");
    EXPECT_EQ(common.colors[0].colour, 0x0000FFu);
}

// The common reference data: itemcateg.bin, the categpref.bin round trip,
// color.txt, mobspec.txt with SpecColor, type.txt, and the order in which the tables load.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "compressed.h"
#include "data_model.h"
#include "folders.h"
#include "log.h"
#include "ressource.h"
#include "test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct CategFields {
    uint8_t id = 1, kind = 1;
    uint32_t icon = 0;
    uint8_t style = 0;
    std::string font = "Arial";
    uint8_t size = 10;
    TColor colour = 0x0000FF;
};

// One 84-byte itemcateg.bin record per category.
Bytes categBytes(const std::vector<CategFields>& cs)
{
    Bytes out;
    ByteWriter w(out);
    for (const auto& c : cs) {
        w.shortString("Monstres", 20), w.u8(c.id), w.u8(2), w.u8(c.kind), w.u32(c.colour), w.u32(c.icon);
        w.u8(1), w.shortString("Nouveau", 20), w.u8(1), w.u8(0), w.u8(3), w.u8(c.style);
        w.shortString(c.font, 20), w.u8(c.size), w.u32(0xDEADBEEF); // the last four bytes are not read
    }
    return out;
}

struct PrefFields {
    uint8_t id = 1;
    TColor colour = 0;
    uint32_t icon = 0;
    uint8_t visible = 0, style = 0;
    std::string font = "Arial";
    uint8_t size = 10;
};

// One 56-byte categpref.bin record per entry.
Bytes prefBytes(const std::vector<PrefFields>& ps)
{
    Bytes out;
    ByteWriter w(out);
    for (const auto& p : ps)
        w.u8(p.id), w.zeros(3), w.u32(p.colour), w.u32(p.icon), w.u8(p.visible), w.u8(p.style),
            w.shortString(p.font, 40), w.u8(p.size);
    return out;
}

// The record written for a category that kept its itemcateg.bin values.
PrefFields unchanged(uint8_t id) { return {id, 0x0000FF, 0, 1, 0, "Arial", 10}; }

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::string asString(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::vector<CategFields> withIds(std::initializer_list<uint8_t> ids)
{
    std::vector<CategFields> cs;
    for (uint8_t id : ids) cs.push_back(CategFields{.id = id});
    return cs;
}

class DataTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        DatabaseLang = "Base";
        SetProgramFolder(dir.path());
        InterfaceLang = "Francais";
        Ressources.reset();
        Ressources.message.resize(23);
        Ressources.message[15] = "Aucune categorie";
        Ressources.caption.resize(121);
        Ressources.caption[120] = "Couleur sans nom";
        SetLogSink([](const std::string&) {});
        // Three 11 x 11 icons: red, green, blue.
        QImage strip(33, 11, QImage::Format_RGB32);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 33; ++x) strip.setPixel(x, y, x < 11 ? 0xFFFF0000 : x < 22 ? 0xFF00FF00 : 0xFF0000FF);
        QDir().mkpath(DataDir);
        ASSERT_TRUE(strip.save(DataDir + "baseico.bmp", "BMP"));
    }
    void TearDown() override
    {
        SetLogSink({});
        Ressources.reset();
        for (QString* s : {&DatabaseLang, &InterfaceLang, &ExeDir, &DataDir, &DatabaseDir, &DatabaseLangDir, &MapsDir,
                           &ResDir, &AjoutsDir})
            s->clear();
    }
    // A TData_common holding these categories.
    static std::unique_ptr<TData_common> withCategories(const std::vector<CategFields>& cs)
    {
        auto c = std::make_unique<TData_common>();
        Bytes b = categBytes(cs);
        c->LoadItemCategoriesBytes(b.data(), b.size());
        return c;
    }
    QString prefPath() const { return ExeDir + "categpref.bin"; }

    QTemporaryDir dir;
    RecordingBoxes boxes;
};

// ---- itemcateg.bin ----

TEST_F(DataTablesTest, ItemCategoriesFieldsIconsAndTrailingPiece)
{
    Bytes b = categBytes({{.id = 42, .kind = 4, .icon = 1, .style = 3, .font = "Times New Roman", .size = 14,
                           .colour = 0x00336699},
                          {.id = 2}});
    b.insert(b.end(), 83, 0x41); // a trailing piece is ignored
    TData_common c;
    c.LoadItemCategoriesBytes(b.data(), b.size());
    ASSERT_EQ(c.categories.size(), 2u);
    EXPECT_TRUE(c.categoriesWhole); // the trailing piece is no damage
    const rCateg& k = *c.categories[0];
    EXPECT_EQ(std::tuple(k.name, k.kind, k.colour, k.defaultName, k.detailClass, k.font.family(), k.font.pointSize()),
              std::tuple("Monstres", 4, 0x00336699u, "Nouveau", 3, "Times New Roman", 14));
    EXPECT_EQ(c.categoryById(42), &k);
    EXPECT_EQ(c.categoryById(41), nullptr);

    // The icon is its place in the strip (white and places past the strip's end: see the icon tests).
    ASSERT_EQ(k.icon.size(), QSize(11, 11));
    EXPECT_EQ(k.icon.pixel(5, 5), 0xFF00FF00u); // green: the second icon
}

// ---- categpref.bin ----

TEST_F(DataTablesTest, PrefsRoundTripByteForByteWithUnknownIdsAfterTheCategories)
{
    Bytes foreign1 = prefBytes({{100, 0x00AABBCC, 3, 1, fsBold, "Other", 11}});
    foreign1[1] = 0x55; // kept whole, whatever its bytes
    foreign1[50] = 0x66;
    const Bytes foreign2 = prefBytes({{4, 1, 2, 0, 0, "", 0}});
    const Bytes own7 = prefBytes({{7, 0x00FFFFFF, 0, 0, fsItalic | fsUnderline, "Times New Roman", 12}});
    const uint8_t allStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    const Bytes own9 = prefBytes({{9, 0, 77, 1, allStyles, "Comic Sans MS", 255}});
    // A trailing piece is ignored.
    ASSERT_TRUE(writeBytes(prefPath(), asString(concat({foreign1, own9, own7, foreign2, Bytes(30, 0x77)}))));
    auto c = withCategories(withIds({3, 7, 9}));
    c->LoadCategoryPrefs(prefPath());
    const QString out = dir.filePath("out.bin");
    ASSERT_TRUE(c->SaveCategoryPrefs(out));
    // The categories in their order (3 kept its itemcateg.bin values), then the others in file order.
    const std::string written = readBytes(out);
    EXPECT_EQ(written, asString(concat({prefBytes({unchanged(3)}), own7, own9, foreign1, foreign2})));
    EXPECT_TRUE(boxes.shown.empty());
    const rCateg& k = *c->categoryById(9);
    EXPECT_EQ(std::tuple(k.iconIndex, k.font.family(), k.font.pointSize()), std::tuple(77u, "Comic Sans MS", 255));
    EXPECT_EQ(k.defaultIconIndex, 0u); // the itemcateg.bin values stay for the reset

    // Reading the written file again keeps the same records: no growth.
    auto d = withCategories(withIds({3, 7, 9}));
    d->LoadCategoryPrefs(out);
    EXPECT_EQ(asString(d->CategoryPrefsBytes()), written);
}

TEST_F(DataTablesTest, SharedIdPrefsGoToTheFirstCategoryWithThatId)
{
    auto c = withCategories(withIds({7, 7, 3}));
    const Bytes file = prefBytes({{7, 0x00010203, 9, 0, fsBold, "Courier", 20}});
    c->LoadCategoryPrefsBytes(file.data(), file.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(c->categories[i]->colour, i == 0 ? 0x00010203u : 0x0000FFu) << i;
        EXPECT_EQ(c->categories[i]->font.family(), i == 0 ? "Courier" : "Arial") << i;
    }
    EXPECT_TRUE(c->foreignPrefRecords.empty());

    // Written one per category, both id-7 records go to the first when read back, the last winning.
    c->categories[1]->colour = 0x00000022;
    const Bytes out = c->CategoryPrefsBytes();
    EXPECT_EQ(out.size(), 3 * 56u);
    auto d = withCategories(withIds({7, 7, 3}));
    d->LoadCategoryPrefsBytes(out.data(), out.size());
    EXPECT_EQ(d->categories[0]->colour, 0x00000022u);
    EXPECT_EQ(d->categories[1]->colour, 0x0000FFu);
}

TEST_F(DataTablesTest, StyleCodesAndBitsIncludingUnderline)
{
    // itemcateg.bin knows only 1, 2 and 3; categpref.bin keeps them and adds underline (4) and
    // strike-out (8), higher bits ignored.
    const uint8_t B = fsBold, I = fsItalic, U = fsUnderline, S = fsStrikeOut;
    const std::tuple<uint8_t, uint8_t, uint8_t> cases[] = {{0, 0, 0}, {1, B, B}, {2, I, I}, {3, B | I, B | I},
                                                           {4, 0, U}, {7, 0, B | I | U}, {8, 0, S}, {16, 0, 0},
                                                           {0xF5, 0, B | U}, {255, 0, B | I | U | S}};
    for (auto [code, fromCateg, fromPref] : cases) {
        auto c = withCategories({{.style = code}});
        EXPECT_EQ(FontStyleBits(c->categories[0]->font), fromCateg) << int(code);
        EXPECT_EQ(c->categories[0]->defaultFontStyle, fromCateg) << int(code);
        const Bytes rec = prefBytes({{1, 0, 0, 0, code, "Arial", 10}});
        c->LoadCategoryPrefsBytes(rec.data(), rec.size());
        EXPECT_EQ(FontStyleBits(c->categories[0]->font), fromPref) << int(code);
    }

    // Underline added to a bold italic font is written as 7 and read back as written.
    auto c = withCategories({{.style = 3}});
    c->categories[0]->font.setUnderline(true);
    const Bytes out = c->CategoryPrefsBytes();
    EXPECT_EQ(out[13], 7);
    auto d = withCategories({{}});
    d->LoadCategoryPrefsBytes(out.data(), out.size());
    EXPECT_EQ(d->CategoryPrefsBytes(), out);
}

// ---- color.txt ----

TEST_F(DataTablesTest, ColorLines)
{
    std::string tenLines;
    for (int i = 1; i <= 10; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "0000%02XCouleur %d\r\n", i, i);
        tenLines += i == 4 ? "# comment line\r\n" : line;
    }
    const rColor none{"Couleur sa", 0xFFFFFF}; // the caption cut to 10, white
    struct Case { std::string text; size_t count; std::vector<rColor> first; };
    const Case cases[] = {
        {tenLines, 9, {{"Couleur 1", 0x01}, {"Couleur 2", 0x02}, {"Couleur 3", 0x03}, {"Couleur 5", 0x05}}},
        // Characters 7 to 23 hold the name, cut to 10; missing lines take the placeholder.
        {"FF8000Rouge tres vif!ZZZZZZ\nabcdefBleu\n", 10, {{"Rouge tres", 0xFF8000}, {"Bleu", 0xABCDEF}, none}},
        // An empty line and a line without a colour keep their places; a bare colour has no name.
        {"00FF00Vert\n\nxyzVide\r\n123456", 10, {{"Vert", 0x00FF00}, none, none, {"", 0x123456}, none}},
    };
    for (const Case& k : cases) {
        TData_common c;
        std::string text = k.text;
        c.LoadColorsText(&text);
        ASSERT_EQ(c.colors.size(), k.count) << k.text;
        for (size_t i = 0; i < k.first.size(); ++i)
            EXPECT_EQ(std::tie(c.colors[i].name, c.colors[i].colour), std::tie(k.first[i].name, k.first[i].colour))
                << k.text << i;
    }

    // No color.txt: ten placeholders.
    TData_common c;
    c.LoadColors();
    ASSERT_EQ(c.colors.size(), 10u);
    for (const rColor& k : c.colors) EXPECT_EQ(std::tie(k.name, k.colour), std::tie(none.name, none.colour));
}

// ---- mobspec.txt and type.txt ----

TEST_F(DataTablesTest, MobSpecsCommentsBadLinesAndEnd)
{
    const std::string text = "# id par colour name\r\n"
                             "001 000 000000 Groupe\r\n"
                             "003 001 0000FF Rapide\r\n"
                             "\r\n"
                             " 40   1 00FF00 Lent\r\n"
                             "041 001 FF0000\r\n"
                             "abc 001 FFFFFF Bad id\r\n"
                             "042 0x1 FFFFFF Bad parent\r\n"
                             "043 002 zzzzzz Pas de couleur\r\n"
                             "@eof\r\n"
                             "044 001 00FFFF Apres la fin\r\n";
    std::string lf = text;
    std::erase(lf, '\r');
    for (const std::string& t : {text, lf}) {
        TData_common c;
        c.LoadMobSpecsText(t);
        std::vector<std::tuple<int, int, std::string>> names;
        for (const auto& s : c.specNames) names.emplace_back(s.id, s.parentId, s.name);
        EXPECT_EQ(names, (decltype(names){{1, 0, "Groupe"}, {3, 1, "Rapide"}, {40, 1, "Lent"},
                                          {43, 2, "Pas de couleur"}}));
        std::vector<std::pair<int, TColor>> colours; // black means none; a colour may come without a name
        for (const auto& s : c.specColors) colours.emplace_back(s.id, s.colour);
        EXPECT_EQ(colours, (decltype(colours){{3, 0x0000FF}, {40, 0x00FF00}, {41, 0xFF0000}}));
    }

    TData_common c;
    c.LoadMobSpecsText(text);
    c.LoadMobSpecs(); // no file: both lists empty
    EXPECT_TRUE(c.specNames.empty() && c.specColors.empty());
}

TEST_F(DataTablesTest, SpecColorLastMatchWins)
{
    TData_common c;
    c.LoadMobSpecsText("003 000 0000FF Trois\n040 000 00FF00 Quarante\n");
    SpecSet both, only3;
    SetSpec(both, 3, true), SetSpec(both, 40, true), SetSpec(only3, 3, true);
    EXPECT_EQ(SpecColor(both, 0x777777, c.specColors), 0x00FF00u);
    EXPECT_EQ(SpecColor(only3, 0x777777, c.specColors), 0x0000FFu);
    EXPECT_EQ(SpecColor(SpecSet{}, 0x777777, c.specColors), 0x777777u);
    c.LoadMobSpecsText("040 000 00FF00 Quarante\n003 000 0000FF Trois\n");
    EXPECT_EQ(SpecColor(both, 0x777777, c.specColors), 0x0000FFu);
}

TEST_F(DataTablesTest, TypeNamesDropTheFirstLine)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"Types\r\nAucun\r\nMarchand\r\n\r\nBanque", {"Aucun", "Marchand", "", "Banque"}},
        {"Types\nAucun\nMarchand\n", {"Aucun", "Marchand"}}, {"Header only\r\n", {}}, {"", {}}};
    TData_common c;
    for (const auto& [text, names] : cases) {
        c.LoadTypeNamesText(text);
        EXPECT_EQ(c.typeNames, names) << text;
    }
    // Type ids are bytes: 300 names after the header (CR-only line ends) keep the first 256.
    std::string many = "Types";
    for (int i = 0; i < 300; ++i) many += "\rT" + std::to_string(i);
    c.LoadTypeNamesText(many);
    ASSERT_EQ(c.typeNames.size(), 256u);
    EXPECT_EQ(c.typeNames.back(), "T255");
    c.LoadTypeNamesText("x\ny");
    c.LoadTypeNames(); // no file
    EXPECT_TRUE(c.typeNames.empty());
}

// ---- the whole load ----

TEST_F(DataTablesTest, CreateLoadsEveryTableAndTheSaveWritesPrefsBack)
{
    // No category: S15, and no categpref.bin written, nor an existing one (of other databases) touched.
    auto c = TData_common::Create();
    EXPECT_EQ(boxes.shown, QStringList{"info:Aucune categorie"});
    EXPECT_EQ(c->colors.size(), 10u);
    EXPECT_TRUE(c->SaveProgramCategoryPrefs());
    EXPECT_FALSE(QFileInfo::exists(prefPath()));
    const Bytes prefs = prefBytes({{2, 0x00ABCDEF, 1, 0, fsItalic, "Georgia", 16}, {99, 0, 0, 0, 0, "", 0}});
    ASSERT_TRUE(writeBytes(prefPath(), asString(prefs)));
    EXPECT_TRUE(TData_common::Create()->SaveProgramCategoryPrefs());
    EXPECT_EQ(readBytes(prefPath()), asString(prefs));
    EXPECT_EQ(boxes.shown.size(), 2);

    // (type.txt and mobspec.txt: see the sample round trip.)
    const Bytes categ = categBytes(withIds({1, 2}));
    ASSERT_TRUE(writeBytes(DatabaseLangDir + "ItemCateg.bin", asString(DeflateBytes(categ.data(), categ.size()))));
    ASSERT_TRUE(writeBytes(ResDir + "Francais/color.txt", "00FF00Vert\r\n"));
    c = TData_common::Create();
    EXPECT_EQ(boxes.shown.size(), 2);
    ASSERT_EQ(c->categories.size(), 2u);
    EXPECT_EQ(c->categories[1]->font.family(), "Georgia");
    EXPECT_EQ(c->colors[0].name, "Vert");

    // The save writes categpref.bin back: both categories, then the unknown record.
    c->categories[0]->visible = 0;
    EXPECT_TRUE(c->SaveProgramCategoryPrefs());
    PrefFields first = unchanged(1);
    first.visible = 0;
    EXPECT_EQ(readBytes(prefPath()), asString(concat({prefBytes({first}), prefs})));
}

} // namespace

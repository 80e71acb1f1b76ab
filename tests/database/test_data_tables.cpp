// The common reference data: itemcateg.bin, the categpref.bin round trip,
// color.txt, mobspec.txt with SpecColor, type.txt, and the order in which the tables load.
#include <csignal>
#include <sys/resource.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "compressed.h"
#include "data_model.h"
#include "folders.h"
#include "log.h"
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

struct CategFields {
    std::string name = "Monstres";
    uint8_t id = 1;
    uint8_t treeIcon = 2;
    uint8_t kind = 1;
    TColor colour = 0x0000FF;
    uint32_t icon = 0;
    uint8_t defaultNameFlag = 1;
    std::string defaultName = "Nouveau";
    uint8_t visible = 1;
    uint8_t linkable = 1;
    uint8_t detail = 2;
    uint8_t style = 0;
    std::string font = "Arial";
    uint8_t size = 10;
};

void categRecord(Bytes& out, const CategFields& c)
{
    ByteWriter w(out);
    w.shortString(c.name, 20);
    w.u8(c.id);
    w.u8(c.treeIcon);
    w.u8(c.kind);
    w.u32(c.colour);
    w.u32(c.icon);
    w.u8(c.defaultNameFlag);
    w.shortString(c.defaultName, 20);
    w.u8(c.visible);
    w.u8(c.linkable);
    w.u8(c.detail);
    w.u8(c.style);
    w.shortString(c.font, 20);
    w.u8(c.size);
    w.u32(0xDEADBEEF); // not read
}

Bytes categBytes(const std::vector<CategFields>& cs)
{
    Bytes out;
    for (const auto& c : cs) categRecord(out, c);
    return out;
}

struct PrefFields {
    uint8_t id = 1;
    TColor colour = 0;
    uint32_t icon = 0;
    uint8_t visible = 0;
    uint8_t style = 0;
    std::string font = "Arial";
    uint8_t size = 10;
};

void prefRecord(Bytes& out, const PrefFields& p)
{
    ByteWriter w(out);
    w.u8(p.id);
    w.zeros(3);
    w.u32(p.colour);
    w.u32(p.icon);
    w.u8(p.visible);
    w.u8(p.style);
    w.shortString(p.font, 40);
    w.u8(p.size);
}

Bytes prefBytes(const std::vector<PrefFields>& ps)
{
    Bytes out;
    for (const auto& p : ps) prefRecord(out, p);
    return out;
}

std::string asString(const Bytes& b) { return std::string(b.begin(), b.end()); }

uint8_t styleOf(const QFont& f) { return FontStyleBits(f); }

class DataTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        DatabaseLang = "Base";
        SetProgramFolder(dir.path());
        InterfaceLang = "Francais";
        setMessageBoxes(&boxes);
        Ressources.reset();
        Ressources.message.resize(23);
        Ressources.message[15] = "Aucune categorie";
        Ressources.message[22] = "categpref.bin ne peut pas etre ecrit";
        Ressources.caption.resize(121);
        Ressources.caption[120] = "Couleur sans nom";
        SetLogSink([this](const std::string& line) { logLines.push_back(line); });
        writeStrip();
    }
    void TearDown() override
    {
        SetLogSink({});
        setMessageBoxes(nullptr);
        Ressources.reset();
        DatabaseLang.clear();
        InterfaceLang.clear();
        ExeDir.clear();
        DataDir.clear();
        DatabaseDir.clear();
        DatabaseLangDir.clear();
        MapsDir.clear();
        ResDir.clear();
        AjoutsDir.clear();
    }
    // Three 11 x 11 icons: red, green (its top left pixel white), blue.
    void writeStrip()
    {
        QImage strip(33, 11, QImage::Format_RGB32);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 33; ++x) strip.setPixel(x, y, x < 11 ? 0xFFFF0000 : x < 22 ? 0xFF00FF00 : 0xFF0000FF);
        strip.setPixel(11, 0, 0xFFFFFFFF);
        QDir().mkpath(DataDir);
        ASSERT_TRUE(strip.save(DataDir + "baseico.bmp", "BMP"));
    }
    void writeDeflated(const QString& path, const Bytes& plain)
    {
        ASSERT_TRUE(writeBytes(path, asString(DeflateBytes(plain.data(), plain.size()))));
    }
    // A TData_common that writes nothing when it goes.
    static std::unique_ptr<TData_common> withCategories(const std::vector<CategFields>& cs)
    {
        auto c = std::make_unique<TData_common>();
        c->savePrefsOnDestroy = false;
        Bytes b = categBytes(cs);
        c->LoadItemCategoriesBytes(b.data(), b.size());
        return c;
    }
    QString prefPath() const { return ExeDir + "categpref.bin"; }

    QTemporaryDir dir;
    RecordingBoxes boxes;
    std::vector<std::string> logLines;
};

// ---- itemcateg.bin ----

TEST_F(DataTablesTest, ItemCategoryFieldsFontIconAndDefaults)
{
    CategFields f;
    f.name = "Marchands";
    f.id = 42;
    f.treeIcon = 7;
    f.kind = 4;
    f.colour = 0x00336699;
    f.icon = 1;
    f.defaultNameFlag = 1;
    f.defaultName = "Marchand";
    f.visible = 1;
    f.linkable = 0;
    f.detail = 3;
    f.style = 3;
    f.font = "Times New Roman";
    f.size = 14;
    auto c = withCategories({f});
    ASSERT_EQ(c->categories.size(), 1u);
    const rCateg& k = *c->categories[0];
    EXPECT_EQ(k.name, "Marchands");
    EXPECT_EQ(k.id, 42);
    EXPECT_EQ(k.treeIcon, 7);
    EXPECT_EQ(k.kind, 4);
    EXPECT_EQ(k.colour, 0x00336699u);
    EXPECT_EQ(k.iconIndex, 1u);
    EXPECT_EQ(k.defaultNameFlag, 1);
    EXPECT_EQ(k.defaultName, "Marchand");
    EXPECT_EQ(k.visible, 1);
    EXPECT_EQ(k.linkable, 0);
    EXPECT_EQ(k.detailClass, 3);
    EXPECT_EQ(k.iconsNow, 0);
    EXPECT_EQ(k.labelsNow, 0);
    EXPECT_EQ(k.font.family(), "Times New Roman");
    EXPECT_EQ(k.font.pointSize(), 14);
    EXPECT_TRUE(k.font.bold());
    EXPECT_TRUE(k.font.italic());
    EXPECT_EQ(k.defaultFontName, "Times New Roman");
    EXPECT_EQ(k.defaultFontSize, 14);
    EXPECT_EQ(k.defaultFontStyle, fsBold | fsItalic);
    EXPECT_EQ(k.defaultIconIndex, 1u);
    EXPECT_EQ(k.defaultColour, 0x00336699u);
    EXPECT_EQ(k.defaultVisible, 1);

    // The icon: the second of the strip, white made transparent.
    ASSERT_EQ(k.icon.size(), QSize(11, 11));
    EXPECT_EQ(k.icon.pixel(5, 5), 0xFF00FF00u);
    EXPECT_EQ(qAlpha(k.icon.pixel(0, 0)), 0);
    EXPECT_EQ(c->categoryById(42), c->categories[0].get());
    EXPECT_EQ(c->categoryById(41), nullptr);
}

TEST_F(DataTablesTest, ItemCategoryStyleCodes)
{
    std::vector<CategFields> cs;
    const uint8_t codes[] = {0, 1, 2, 3, 4, 7, 8, 255};
    for (uint8_t code : codes) {
        CategFields f;
        f.id = code;
        f.style = code;
        cs.push_back(f);
    }
    auto c = withCategories(cs);
    ASSERT_EQ(c->categories.size(), std::size(codes));
    const uint8_t expected[] = {0, fsBold, fsItalic, fsBold | fsItalic, 0, 0, 0, 0};
    for (size_t i = 0; i < std::size(codes); ++i) {
        EXPECT_EQ(styleOf(c->categories[i]->font), expected[i]) << "code " << int(codes[i]);
        EXPECT_EQ(c->categories[i]->defaultFontStyle, expected[i]);
    }
}

TEST_F(DataTablesTest, TrailingPieceAndIconOutsideTheStrip)
{
    CategFields a, b;
    b.id = 2;
    b.icon = 1000; // past the end of the strip: a transparent icon and a log line
    Bytes bytes = categBytes({a, b});
    bytes.insert(bytes.end(), 83, 0x41);
    auto c = std::make_unique<TData_common>();
    c->savePrefsOnDestroy = false;
    c->LoadItemCategoriesBytes(bytes.data(), bytes.size());
    ASSERT_EQ(c->categories.size(), 2u);
    EXPECT_EQ(c->categories[1]->icon.size(), QSize(11, 11));
    EXPECT_EQ(qAlpha(c->categories[1]->icon.pixel(5, 5)), 0);
    EXPECT_EQ(c->categories[0]->icon.pixel(5, 5), 0xFFFF0000u);
}

TEST_F(DataTablesTest, ItemCategoriesFromTheFile)
{
    writeDeflated(DatabaseLangDir + "itemcateg.bin", categBytes({CategFields{}, CategFields{}}));
    TData_common c;
    c.savePrefsOnDestroy = false;
    c.LoadItemCategories(DatabaseLangDir + "itemcateg.bin");
    EXPECT_EQ(c.categories.size(), 2u);

    ASSERT_TRUE(writeBytes(DatabaseLangDir + "itemcateg.bin", "damaged"));
    c.LoadItemCategories(DatabaseLangDir + "itemcateg.bin");
    EXPECT_TRUE(c.categories.empty());
}

// ---- categpref.bin ----

std::vector<CategFields> threeCategories()
{
    CategFields a, b, c;
    a.id = 3;
    b.id = 7;
    c.id = 9;
    return {a, b, c};
}

TEST_F(DataTablesTest, PrefsRoundTripByteForByte)
{
    auto c = withCategories(threeCategories());
    const Bytes file = prefBytes({
        {3, 0x00112233, 4, 1, fsBold, "Verdana", 8},
        {7, 0x00FFFFFF, 0, 0, fsItalic | fsUnderline, "Times New Roman", 12},
        {9, 0x00000000, 77, 1, fsBold | fsItalic | fsUnderline | fsStrikeOut, "Comic Sans MS", 255},
        {200, 0x00ABCDEF, 5, 1, 2, "Foreign", 9}, // another database's category
    });
    c->LoadCategoryPrefsBytes(file.data(), file.size());
    EXPECT_EQ(c->CategoryPrefsBytes(), file);

    // The fields really were applied.
    const rCateg& k = *c->categoryById(9);
    EXPECT_EQ(k.iconIndex, 77u);
    EXPECT_EQ(k.colour, 0u);
    EXPECT_EQ(k.font.family(), "Comic Sans MS");
    EXPECT_EQ(k.font.pointSize(), 255);
    EXPECT_TRUE(k.font.bold() && k.font.italic() && k.font.underline() && k.font.strikeOut());
    EXPECT_EQ(k.defaultIconIndex, 0u); // the itemcateg.bin values stay for the reset

    // Through the files.
    ASSERT_TRUE(writeBytes(prefPath(), asString(file)));
    auto d = withCategories(threeCategories());
    d->LoadCategoryPrefs(prefPath());
    const QString out = dir.filePath("out.bin");
    ASSERT_TRUE(d->SaveCategoryPrefs(out));
    EXPECT_EQ(readBytes(out), asString(file));
    EXPECT_TRUE(boxes.info.empty());
}

TEST_F(DataTablesTest, PrefsWithoutFileChangeNothing)
{
    auto c = withCategories(threeCategories());
    const Bytes before = c->CategoryPrefsBytes();
    c->LoadCategoryPrefs(prefPath());
    EXPECT_EQ(c->CategoryPrefsBytes(), before);
    EXPECT_EQ(before.size(), 3 * 56u);
    // Written in list order from the itemcateg.bin values.
    EXPECT_EQ(before, prefBytes({{3, 0x0000FF, 0, 1, 0, "Arial", 10}, {7, 0x0000FF, 0, 1, 0, "Arial", 10},
                                 {9, 0x0000FF, 0, 1, 0, "Arial", 10}}));
}

TEST_F(DataTablesTest, PrefsRecordTakesOnlyTheFirstCategoryWithItsId)
{
    CategFields a, b, c;
    a.id = 7;
    b.id = 7;
    c.id = 3;
    auto d = withCategories({a, b, c});
    const Bytes file = prefBytes({{7, 0x00010203, 9, 0, fsBold, "Courier", 20}});
    d->LoadCategoryPrefsBytes(file.data(), file.size());
    const rCateg& first = *d->categories[0];
    const rCateg& second = *d->categories[1];
    const rCateg& other = *d->categories[2];
    EXPECT_EQ(first.colour, 0x00010203u);
    EXPECT_EQ(first.iconIndex, 9u);
    EXPECT_EQ(first.visible, 0);
    EXPECT_EQ(first.font.family(), "Courier");
    EXPECT_EQ(first.font.pointSize(), 20);
    EXPECT_TRUE(first.font.bold());
    for (const rCateg* k : {&second, &other}) {
        EXPECT_EQ(k->colour, 0x0000FFu);
        EXPECT_EQ(k->iconIndex, 0u);
        EXPECT_EQ(k->visible, 1);
        EXPECT_EQ(k->font.family(), "Arial");
        EXPECT_EQ(k->font.pointSize(), 10);
        EXPECT_FALSE(k->font.bold());
    }
    EXPECT_TRUE(d->foreignPrefRecords.empty());
    EXPECT_EQ(d->CategoryPrefsBytes().size(), 3 * 56u); // one record per category
}

TEST_F(DataTablesTest, SharedIdRecordsAllGoToTheFirstCategory)
{
    // Written one per category, the second id-7 record also goes to the first id-7
    // category when read back (the Part's first-category rule), last one winning.
    CategFields a, b;
    a.id = 7;
    b.id = 7;
    auto c = withCategories({a, b});
    c->categories[0]->colour = 0x00000011;
    c->categories[1]->colour = 0x00000022;
    const Bytes out = c->CategoryPrefsBytes();
    auto d = withCategories({a, b});
    d->LoadCategoryPrefsBytes(out.data(), out.size());
    EXPECT_EQ(d->categories[0]->colour, 0x00000022u);
    EXPECT_EQ(d->categories[1]->colour, 0x0000FFu);
}

TEST_F(DataTablesTest, ForeignRecordsAreKeptAndWrittenAfterTheCategories)
{
    auto c = withCategories(threeCategories());
    Bytes foreign1 = prefBytes({{100, 0x00AABBCC, 3, 1, fsBold, "Other", 11}});
    foreign1[1] = 0x55; // kept whole, whatever its bytes
    foreign1[50] = 0x66;
    const Bytes foreign2 = prefBytes({{4, 1, 2, 0, 0, "", 0}});
    Bytes file = foreign1;
    Bytes own = prefBytes({{7, 0x00000001, 1, 0, fsItalic, "Tahoma", 9}});
    file.insert(file.end(), own.begin(), own.end());
    file.insert(file.end(), foreign2.begin(), foreign2.end());
    file.insert(file.end(), 30, 0x77); // a trailing piece is ignored
    c->LoadCategoryPrefsBytes(file.data(), file.size());
    ASSERT_EQ(c->foreignPrefRecords.size(), 2u);
    EXPECT_EQ(c->foreignPrefRecords[0], foreign1);
    EXPECT_EQ(c->foreignPrefRecords[1], foreign2);

    const Bytes out = c->CategoryPrefsBytes();
    ASSERT_EQ(out.size(), 5 * 56u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[56], 7);
    EXPECT_EQ(out[2 * 56], 9);
    EXPECT_EQ(Bytes(out.begin() + 3 * 56, out.begin() + 4 * 56), foreign1);
    EXPECT_EQ(Bytes(out.begin() + 4 * 56, out.end()), foreign2);
    EXPECT_EQ(Bytes(out.begin() + 56, out.begin() + 112), own);

    // Reading the written file again keeps the same foreign records: no growth.
    auto d = withCategories(threeCategories());
    d->LoadCategoryPrefsBytes(out.data(), out.size());
    EXPECT_EQ(d->CategoryPrefsBytes(), out);
}

TEST_F(DataTablesTest, StyleBitsIncludingUnderlineReadBackAsWritten)
{
    CategFields f;
    f.style = 3;
    auto c = withCategories({f});
    Bytes out = c->CategoryPrefsBytes();
    EXPECT_EQ(out[13], 3); // bold and italic

    c->categories[0]->font.setUnderline(true);
    out = c->CategoryPrefsBytes();
    EXPECT_EQ(out[13], 7);

    // Read back: bold, italic and underline (no longer plain).
    auto d = withCategories({CategFields{}});
    d->LoadCategoryPrefsBytes(out.data(), out.size());
    const QFont& font = d->categories[0]->font;
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    EXPECT_EQ(d->CategoryPrefsBytes(), out);

    // The values 1, 2 and 3 mean what they meant; strike-out is bit 8; higher bits are ignored.
    const std::pair<uint8_t, uint8_t> cases[] = {{0, 0}, {1, fsBold}, {2, fsItalic}, {3, fsBold | fsItalic},
                                                 {4, fsUnderline}, {8, fsStrikeOut}, {16, 0}, {0xF5, fsBold | fsUnderline}};
    for (auto [stored, bits] : cases) {
        auto e = withCategories({CategFields{}});
        Bytes rec = prefBytes({{1, 0, 0, 0, stored, "Arial", 10}});
        e->LoadCategoryPrefsBytes(rec.data(), rec.size());
        EXPECT_EQ(styleOf(e->categories[0]->font), bits) << int(stored);
    }
}

TEST_F(DataTablesTest, PrefsFontNameCutTo40AndSizeToLowByte)
{
    auto c = withCategories({CategFields{}});
    c->categories[0]->font.setFamily(QString(45, QChar('n')));
    c->categories[0]->font.setPointSize(300);
    const Bytes out = c->CategoryPrefsBytes();
    ASSERT_EQ(out.size(), 56u);
    EXPECT_EQ(out[14], 40);
    EXPECT_EQ(std::string(out.begin() + 15, out.begin() + 55), std::string(40, 'n'));
    EXPECT_EQ(out[55], 300 & 0xFF);
}

TEST_F(DataTablesTest, NoFileWrittenWithoutCategories)
{
    {
        TData_common c; // no category, saving on
        EXPECT_TRUE(c.SaveCategoryPrefs(prefPath()));
        EXPECT_FALSE(QFileInfo::exists(prefPath()));
    }
    EXPECT_FALSE(QFileInfo::exists(prefPath()));

    // An existing file (of other databases) stays as it was.
    const Bytes old = prefBytes({{5, 1, 2, 3, 4, "Keep", 6}});
    ASSERT_TRUE(writeBytes(prefPath(), asString(old)));
    {
        TData_common c;
        c.LoadCategoryPrefs(prefPath());
        EXPECT_EQ(c.foreignPrefRecords.size(), 1u);
    }
    EXPECT_EQ(readBytes(prefPath()), asString(old));
    EXPECT_TRUE(boxes.info.empty());
}

TEST_F(DataTablesTest, DestructorWritesThePreferences)
{
    {
        auto c = withCategories(threeCategories());
        c->savePrefsOnDestroy = true;
        c->categories[1]->visible = 0;
    }
    const std::string written = readBytes(prefPath());
    ASSERT_EQ(written.size(), 3 * 56u);
    EXPECT_EQ(written[56], 7);
    EXPECT_EQ(written[56 + 12], 0);

    ASSERT_TRUE(QFile::remove(prefPath()));
    {
        auto c = withCategories(threeCategories()); // saving off
    }
    EXPECT_FALSE(QFileInfo::exists(prefPath()));
}

TEST_F(DataTablesTest, UnwritableDestinationShowsS22AndKeepsTheOldFile)
{
    const Bytes old = prefBytes({{3, 0x00123456, 1, 1, 1, "Old", 9}});
    ASSERT_TRUE(writeBytes(prefPath(), asString(old)));
    auto c = withCategories(threeCategories());

    // A file size limit makes every write past 16 bytes fail, for root too.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = c->SaveCategoryPrefs(prefPath());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.info.size(), 1u);
    EXPECT_EQ(boxes.info[0], "categpref.bin ne peut pas etre ecrit");
    EXPECT_EQ(readBytes(prefPath()), asString(old));
    EXPECT_EQ(QDir(ExeDir).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";

    // A destination whose folder is a file: S22 again, nothing thrown.
    ASSERT_TRUE(writeBytes(dir.filePath("plainfile"), "x"));
    EXPECT_FALSE(c->SaveCategoryPrefs(dir.filePath("plainfile/categpref.bin")));
    EXPECT_EQ(boxes.info.size(), 2u);

    // The destructor goes on after a failure.
    ExeDir = dir.filePath("plainfile") + "/";
    c->savePrefsOnDestroy = true;
    EXPECT_NO_THROW(c.reset());
    EXPECT_EQ(boxes.info.size(), 3u);
}

// ---- color.txt ----

TEST_F(DataTablesTest, ColorsWithACommentLine)
{
    std::string text;
    for (int i = 1; i <= 10; ++i) {
        char line[64];
        if (i == 4)
            std::snprintf(line, sizeof line, "# comment line\r\n");
        else
            std::snprintf(line, sizeof line, "0000%02XCouleur %d\r\n", i, i);
        text += line;
    }
    TData_common c;
    c.LoadColorsText(&text);
    ASSERT_EQ(c.colors.size(), 9u);
    EXPECT_EQ(c.colors[0].name, "Couleur 1");
    EXPECT_EQ(c.colors[0].colour, 0x01u);
    EXPECT_EQ(c.colors[3].name, "Couleur 5");
    EXPECT_EQ(c.colors[3].colour, 0x05u);
    EXPECT_EQ(c.colors[8].name, "Couleur 10");
}

TEST_F(DataTablesTest, ColorNamesAreCutToTen)
{
    // Characters 7 to 23 hold a 15-character name; anything past character 23 is not read.
    std::string text = "FF8000Rouge tres vif!ZZZZZZ\nabcdefBleu\n";
    TData_common c;
    c.LoadColorsText(&text);
    ASSERT_EQ(c.colors.size(), 10u);
    EXPECT_EQ(c.colors[0].name, "Rouge tres");
    EXPECT_EQ(c.colors[0].colour, 0xFF8000u);
    EXPECT_EQ(c.colors[1].name, "Bleu");
    EXPECT_EQ(c.colors[1].colour, 0xABCDEFu);
    // The missing lines: C120 cut to 10, white.
    for (size_t i = 2; i < 10; ++i) {
        EXPECT_EQ(c.colors[i].name, "Couleur sa");
        EXPECT_EQ(c.colors[i].colour, 0xFFFFFFu);
    }
}

TEST_F(DataTablesTest, MissingColorFileGivesTenWhiteC120)
{
    TData_common c;
    c.LoadColors();
    ASSERT_EQ(c.colors.size(), 10u);
    for (const rColor& k : c.colors) {
        EXPECT_EQ(k.name, "Couleur sa");
        EXPECT_EQ(k.colour, 0xFFFFFFu);
    }
    c.LoadColorsText(nullptr);
    EXPECT_EQ(c.colors.size(), 10u);
}

TEST_F(DataTablesTest, ColorsFromTheLanguageFolderAndOddLines)
{
    // An empty line and a line without a colour keep their places with the missing-line entry.
    ASSERT_TRUE(writeBytes(ResDir + "Francais/color.txt", "00FF00Vert\n\nxyzVide\r\n0000FFRouge"));
    TData_common c;
    c.LoadColors();
    ASSERT_EQ(c.colors.size(), 10u);
    EXPECT_EQ(c.colors[0].name, "Vert");
    EXPECT_EQ(c.colors[1].name, "Couleur sa");
    EXPECT_EQ(c.colors[2].colour, 0xFFFFFFu);
    EXPECT_EQ(c.colors[3].name, "Rouge");
    EXPECT_EQ(c.colors[3].colour, 0x0000FFu);
    // A line with only the colour has an empty name.
    std::string text = "123456";
    c.LoadColorsText(&text);
    EXPECT_EQ(c.colors[0].name, "");
    EXPECT_EQ(c.colors[0].colour, 0x123456u);
}

// ---- mobspec.txt ----

const std::string kMobSpec =
    "# id par colour name\r\n"
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

TEST_F(DataTablesTest, MobSpecsColumnsCommentsAndEnd)
{
    TData_common c;
    c.LoadMobSpecsText(kMobSpec);
    ASSERT_EQ(c.specNames.size(), 4u);
    EXPECT_EQ(c.specNames[0].id, 1);
    EXPECT_EQ(c.specNames[0].parentId, 0);
    EXPECT_EQ(c.specNames[0].name, "Groupe");
    EXPECT_EQ(c.specNames[1].id, 3);
    EXPECT_EQ(c.specNames[1].parentId, 1);
    EXPECT_EQ(c.specNames[1].name, "Rapide");
    EXPECT_EQ(c.specNames[2].id, 40);
    EXPECT_EQ(c.specNames[2].name, "Lent");
    EXPECT_EQ(c.specNames[3].id, 43);
    EXPECT_EQ(c.specNames[3].parentId, 2);
    ASSERT_EQ(c.specColors.size(), 3u);
    EXPECT_EQ(c.specColors[0].id, 3);
    EXPECT_EQ(c.specColors[0].colour, 0x0000FFu);
    EXPECT_EQ(c.specColors[1].id, 40);
    EXPECT_EQ(c.specColors[2].id, 41); // a colour without a name
    EXPECT_EQ(c.specColors[2].colour, 0xFF0000u);
    EXPECT_TRUE(logLines.empty());

    // LF line ends read the same.
    std::string lf = kMobSpec;
    std::string::size_type at;
    while ((at = lf.find("\r\n")) != std::string::npos) lf.erase(at, 1);
    TData_common d;
    d.LoadMobSpecsText(lf);
    EXPECT_EQ(d.specNames.size(), 4u);
    EXPECT_EQ(d.specColors.size(), 3u);
}

TEST_F(DataTablesTest, MobSpecsFromTheFileOrNone)
{
    TData_common c;
    c.LoadMobSpecsText(kMobSpec);
    c.LoadMobSpecs(); // no file: both lists empty
    EXPECT_TRUE(c.specNames.empty());
    EXPECT_TRUE(c.specColors.empty());
    ASSERT_TRUE(writeBytes(DatabaseLangDir + "mobspec.txt", kMobSpec));
    c.LoadMobSpecs();
    EXPECT_EQ(c.specNames.size(), 4u);
}

TEST_F(DataTablesTest, SpecColorLastMatchWins)
{
    TData_common c;
    c.LoadMobSpecsText("003 000 0000FF Trois\n040 000 00FF00 Quarante\n");
    SpecSet both;
    SetSpec(both, 3, true);
    SetSpec(both, 40, true);
    EXPECT_EQ(SpecColor(both, 0x777777, c.specColors), 0x00FF00u);
    SpecSet only3;
    SetSpec(only3, 3, true);
    EXPECT_EQ(SpecColor(only3, 0x777777, c.specColors), 0x0000FFu);
    EXPECT_EQ(SpecColor(SpecSet{}, 0x777777, c.specColors), 0x777777u);

    c.LoadMobSpecsText("040 000 00FF00 Quarante\n003 000 0000FF Trois\n");
    EXPECT_EQ(SpecColor(both, 0x777777, c.specColors), 0x0000FFu);
}

// ---- type.txt ----

TEST_F(DataTablesTest, TypeNamesDropTheHeader)
{
    TData_common c;
    c.LoadTypeNamesText("Types\r\nAucun\r\nMarchand\r\n\r\nBanque");
    EXPECT_EQ(c.typeNames, (std::vector<std::string>{"Aucun", "Marchand", "", "Banque"}));
    c.LoadTypeNamesText("Types\nAucun\nMarchand\n");
    EXPECT_EQ(c.typeNames, (std::vector<std::string>{"Aucun", "Marchand"}));
    c.LoadTypeNamesText("");
    EXPECT_TRUE(c.typeNames.empty());
    c.LoadTypeNamesText("Header only\r\n");
    EXPECT_TRUE(c.typeNames.empty());
    c.LoadTypeNamesText("x\ny");
    c.LoadTypeNames(); // no file
    EXPECT_TRUE(c.typeNames.empty());
}

// ---- the whole load ----

TEST_F(DataTablesTest, CreateLoadsEveryTableInOrder)
{
    CategFields a, b;
    a.id = 1;
    b.id = 2;
    b.kind = 4;
    writeDeflated(DatabaseLangDir + "ItemCateg.bin", categBytes({a, b}));
    const Bytes prefs = prefBytes({{2, 0x00ABCDEF, 1, 0, fsItalic, "Georgia", 16}, {99, 0, 0, 0, 0, "", 0}});
    ASSERT_TRUE(writeBytes(ExeDir + "categpref.bin", asString(prefs)));
    ASSERT_TRUE(writeBytes(ResDir + "Francais/color.txt", "00FF00Vert\r\n"));
    ASSERT_TRUE(writeBytes(DatabaseLangDir + "type.txt", "Types\r\nAucun\r\nMarchand\r\n"));
    ASSERT_TRUE(writeBytes(DatabaseLangDir + "mobspec.txt", "003 000 0000FF Trois\r\n"));

    auto c = TData_common::Create();
    EXPECT_TRUE(boxes.info.empty());
    ASSERT_EQ(c->categories.size(), 2u);
    EXPECT_EQ(c->categories[1]->colour, 0x00ABCDEFu);
    EXPECT_EQ(c->categories[1]->font.family(), "Georgia");
    EXPECT_EQ(c->foreignPrefRecords.size(), 1u);
    ASSERT_EQ(c->colors.size(), 10u);
    EXPECT_EQ(c->colors[0].name, "Vert");
    EXPECT_EQ(c->typeNames, (std::vector<std::string>{"Aucun", "Marchand"}));
    ASSERT_EQ(c->specNames.size(), 1u);
    ASSERT_EQ(c->specColors.size(), 1u);

    // Destroying it writes categpref.bin back: both categories, then the foreign record.
    c->categories[0]->visible = 0;
    c.reset();
    const std::string written = readBytes(ExeDir + "categpref.bin");
    ASSERT_EQ(written.size(), 3 * 56u);
    EXPECT_EQ(written[0], 1);
    EXPECT_EQ(written[12], 0);
    EXPECT_EQ(written.substr(56), asString(prefs)); // category 2 as read, then the foreign record
}

TEST_F(DataTablesTest, CreateWithoutCategoriesShowsS15)
{
    auto c = TData_common::Create();
    ASSERT_EQ(boxes.info.size(), 1u);
    EXPECT_EQ(boxes.info[0], "Aucune categorie");
    EXPECT_TRUE(c->categories.empty());
    EXPECT_EQ(c->colors.size(), 10u);
    c.reset();
    EXPECT_FALSE(QFileInfo::exists(ExeDir + "categpref.bin"));
}

} // namespace

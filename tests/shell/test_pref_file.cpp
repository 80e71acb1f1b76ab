// pref.ini: the written bytes, reading back, damaged files, and failed writes.
#include <tuple>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "pref_file.h"
#include "ressource.h"
#include "test_util.h"

namespace {

const std::string kHeader = "#fichier autog\xE9n\xE9r\xE9, de pas \xE9" "diter.\r\n[VERS]=1\r\n";

// A settings file with the given key lines after the two header lines.
std::string prefFile(std::initializer_list<std::string> lines)
{
    std::string s = kHeader;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

// Every setting away from its default.
void changeAll(rPreference& p, WindowSettings& w)
{
    p.GPAT = "chemin"; p.TRAN = true; p.LOCA = false; p.CLVL = false;
    p.LODA = 210; p.LODB = 420; p.LODC = 630; p.LODV = 510; p.MAHD = 560;
    p.AVCT = false; p.WPSU = false; p.AUTO = true; p.NIVP = 42; p.HINT = 7000;
    p.DATU = 3; p.DATW = 39417.5; p.MCUR = true; p.ALFA = true; p.ALFV = 128;
    p.PRXS = "proxy.example"; p.PRXP = 8080; p.PRXN = "jean"; p.PRXM = "s\xE9same";
    p.PRXB = true; p.HTTP = 0; p.LIAR = false; p.PSEU = "Ren\xE9";
    w.InterfaceLang = QStringLiteral(u"fran\u00e7ais"); w.DatabaseLang = "Europe";
    w.But_Leg = false; w.but_editmode = true; w.but_tips = false; w.but_grid = true;
    w.but_chemin = false; w.MasterListShown = false; w.OffsetX = -1234; w.OffsetY = 567;
    w.Zoom = 2500; w.MAPW = 1024; w.MAPH = 700; w.MAPT = -8; w.MAPL = 1930;
    w.CurrentMapId = 17; w.Edit_lvl_min = ""; w.Edit_lvl_max = "60";
}

class PrefFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("pref.ini");
    }
    void TearDown() override { Ressources.reset(); }
    PrefLoadResult load(const std::string& bytes) { return LoadPrefBytes(bytes, prefs, window); }

    QTemporaryDir dir;
    QString path;
    RecordingBoxes boxes;
    rPreference prefs;
    WindowSettings window;
};

TEST_F(PrefFileTest, WritesTheFileByteForByteAndReadsBackEveryField)
{
    changeAll(prefs, window);
    const std::string expected = prefFile({
        "[LANG]=fran\xE7" "ais", "[TRAN]=True", "[GPAT]=chemin", "[DBDB]=Europe", "[LGNA]=False", "[LOCR]=17",
        "[LOCX]=-1234", "[LOCY]=567", "[LOCZ]=2500", "[LOCA]=False", "[EDIT]=True", "[CLVL]=False", "[TIPS]=False",
        "[LODA]=210", "[LODB]=420", "[LODC]=630", "[LODV]=510", "[MAHD]=560", "[AVCT]=False", "[WPSU]=False",
        "[AUTO]=True", "[NIVP]=42", "[HINT]=7000", "[MASL]=False", "[DATU]=3", "[DATW]=39417,5", "[MAPW]=1024",
        "[MAPH]=700", "[MAPT]=-8", "[MAPL]=1930", "[MINN]=", "[MAXN]=60", "[GRID]=True", "[CHEM]=False",
        "[MCUR]=True", "[ALFA]=True", "[ALFV]=128", "[PRXS]=proxy.example", "[PRXP]=8080", "[PRXN]=jean",
        "[PRXM]=s\xE9same", "[PRXB]=True", "[HTTP]=0", "[LIAR]=False", "[PSEU]=Ren\xE9"});
    ASSERT_TRUE(save_prefs(path, prefs, window));
    EXPECT_EQ(readBytes(path), expected);

    rPreference back;
    WindowSettings backWindow;
    load_prefs(path, back, backWindow);
    EXPECT_TRUE(boxes.shown.empty());
    // These are read into other places than they are written from; [TRAN] is not read.
    EXPECT_EQ(std::tuple(back.LOCR, back.MINN, back.MAXN, back.TRAN), std::tuple(17, 0, 60, false));
    back.TRAN = true;
    backWindow.CurrentMapId = back.LOCR;
    backWindow.Edit_lvl_min = "";
    backWindow.Edit_lvl_max = "60";
    // Every other field differs from its default, so writing again shows any field lost.
    EXPECT_EQ(PrefFileBytes(back, backWindow), expected);
}

TEST_F(PrefFileTest, IgnoresOtherVersionsAndShortFilesSilently)
{
    for (const std::string& bytes : {std::string("#\r\n[VERS]=2\r\n[NIVP]=30\r\n"), std::string("#\n[vers]=1\n[NIVP]=30"),
                                     kHeader, std::string("#"), std::string()}) {
        ASSERT_TRUE(writeBytes(path, bytes));
        load_prefs(path, prefs, window);
        EXPECT_EQ(prefs.NIVP, 5);
    }
    QFile::remove(path);
    load_prefs(path, prefs, window);
    ASSERT_TRUE(QDir(dir.path()).mkdir("pref.ini")); // a folder in its place counts as no file
    load_prefs(path, prefs, window);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PrefFileTest, SkipsLinesThatDoNotConvertWithOneBox)
{
    ASSERT_TRUE(writeBytes(path, prefFile({"[LANG]=English", "[LOCY]=-40", "[LOCZ]=abc", "[DATW]=39417.5",
                                           "[AUTO]=yes", "[LOCX]=", "[NIVP]=30"})));
    load_prefs(path, prefs, window);
    // The box names the file and the lines that were skipped.
    EXPECT_EQ(boxes.shown, QStringList{"info:prefs error\n" + QDir::toNativeSeparators(path)
                                       + ": values that do not convert: [LOCZ]=abc, [DATW]=39417.5, [AUTO]=yes, [LOCX]="});
    EXPECT_EQ(window.InterfaceLang, "English");
    EXPECT_EQ(std::tuple(window.OffsetY, window.Zoom, window.OffsetX), std::tuple(-40, 100, 0));
    EXPECT_EQ(std::tuple(prefs.DATW, prefs.AUTO), std::tuple(0.0, false));
    EXPECT_EQ(prefs.NIVP, 30); // lines after a bad one still apply
}

TEST_F(PrefFileTest, LineRules)
{
    window.DatabaseLang = "Europe";
    EXPECT_EQ(load(prefFile({"[MINN]=", "[MAXN]=", "[LANG]=", "[DBDB]=", "[locz]=800", "[LOCZ] =800", "[LOCZ]",
                             "", "[TRAN]=True", "[NIVP]=10", "[NIVP]=12"})),
              PrefLoadResult::Loaded);
    EXPECT_EQ(std::tuple(prefs.MINN, prefs.MAXN, window.Zoom, prefs.TRAN, prefs.NIVP), std::tuple(0, 99, 100, false, 12));
    EXPECT_EQ(window.InterfaceLang, QStringLiteral(u"fran\u00e7ais"));
    EXPECT_TRUE(window.DatabaseLang.isEmpty());
    EXPECT_EQ(load("#\n[VERS]=1\r[NIVP]=20\n[HINT]=0"), PrefLoadResult::Loaded); // lone LF and CR
    EXPECT_EQ(prefs.NIVP, 20);
}

TEST_F(PrefFileTest, ValueFormsClampsAndTheNicknameLength)
{
    for (const char* v : {"1", "true", "TRUE", "-3", "0,5"}) {
        prefs.AUTO = false;
        EXPECT_TRUE(parse_prefline(std::string("[AUTO]=") + v, prefs, window) && prefs.AUTO) << v;
    }
    for (const char* v : {"0", "fAlSe"}) {
        prefs.AUTO = true;
        EXPECT_TRUE(parse_prefline(std::string("[AUTO]=") + v, prefs, window) && !prefs.AUTO) << v;
    }
    for (const char* line : {"[AUTO]=yes", "[AUTO]=True ", "[ALFA]=", "[HINT]=", "[DATW]=", "[DATW]=39417.5",
                             "[LOCX]=2147483648"})
        EXPECT_FALSE(parse_prefline(line, prefs, window)) << line;
    EXPECT_TRUE(parse_prefline("[DATW]=39417,5", prefs, window));
    EXPECT_DOUBLE_EQ(prefs.DATW, 39417.5);
    // Values that would break the program are clamped.
    EXPECT_EQ(load(prefFile({"[LOCZ]=5", "[ALFV]=0", "[NIVP]=2147483647"})), PrefLoadResult::Loaded);
    EXPECT_EQ(std::tuple(window.Zoom, prefs.ALFV, prefs.NIVP), std::tuple(20, 1, 50));
    EXPECT_EQ(load(prefFile({"[LOCZ]=99999", "[ALFV]=256", "[NIVP]=-4"})), PrefLoadResult::Loaded);
    EXPECT_EQ(std::tuple(window.Zoom, prefs.ALFV, prefs.NIVP), std::tuple(3500, 255, 1));
    // The nickname holds forty characters, read or written.
    const std::string forty(40, 'a');
    ASSERT_TRUE(parse_prefline("[PSEU]=" + forty, prefs, window));
    EXPECT_EQ(prefs.PSEU, forty);
    const std::string file = PrefFileBytes(prefs, window);
    EXPECT_NE(file.find("\r\n[PSEU]=" + forty + "\r\n"), std::string::npos); // a line of 47 characters
    ASSERT_TRUE(parse_prefline("[PSEU]=" + forty + "bcdef", prefs, window));
    EXPECT_EQ(prefs.PSEU, forty);
    prefs.PSEU = forty + "bcdef"; // set longer by a caller: still written as 40
    EXPECT_EQ(PrefFileBytes(prefs, window), file);
}

TEST_F(PrefFileTest, LineBreaksInsideTextsCannotAddLines)
{
    prefs.PRXM = "pw\r\n[LOCZ]=5";
    window.Edit_lvl_min = "3\n";
    const std::string file = PrefFileBytes(prefs, window);
    EXPECT_NE(file.find("\r\n[PRXM]=pw\r\n[PRXB]"), std::string::npos);
    EXPECT_NE(file.find("\r\n[MINN]=3\r\n[MAXN]"), std::string::npos);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 47);
}

TEST_F(PrefFileTest, KeepsAnotherVersionsFileAsBak)
{
    const std::string other = "#\r\n[VERS]=2\r\n[NEW!]=x\r\n";
    ASSERT_TRUE(writeBytes(path, other));
    ASSERT_TRUE(save_prefs(path, prefs, window));
    EXPECT_EQ(readBytes(path + ".bak"), other);
    EXPECT_EQ(readBytes(path), PrefFileBytes(prefs, window));
    // Our own version is simply replaced.
    QFile::remove(path + ".bak");
    prefs.NIVP = 9;
    ASSERT_TRUE(save_prefs(path, prefs, window));
    EXPECT_FALSE(QFile::exists(path + ".bak"));
    EXPECT_EQ(readBytes(path), PrefFileBytes(prefs, window));
    // When the copy cannot be made, the other version's file is not overwritten.
    ASSERT_TRUE(writeBytes(path, other));
    ASSERT_TRUE(QDir(dir.path()).mkdir("pref.ini.bak"));
    EXPECT_FALSE(save_prefs(path, prefs, window));
    EXPECT_EQ(readBytes(path), other);
    EXPECT_EQ(boxes.shown.size(), 1);
}

} // namespace

TEST_F(PrefFileTest, PlacementAndPanValuesAreHeldToWhatFits)
{
    const std::string top = "2147483647", bottom = "-2147483648";
    for (const std::string& v : {top, bottom}) {
        ASSERT_EQ(load(prefFile({"[MAPW]=" + v, "[MAPH]=" + v, "[MAPT]=" + v, "[MAPL]=" + v, "[LOCX]=" + v,
                                 "[LOCY]=" + v})),
                  PrefLoadResult::Loaded);
        const int32_t size = v == top ? 32767 : 0, place = v == top ? 32767 : -32768;
        const int32_t pan = v == top ? (1 << 27) : -(1 << 27);
        EXPECT_EQ(std::tuple(window.MAPW, window.MAPH, window.MAPT, window.MAPL, window.OffsetX, window.OffsetY),
                  std::tuple(size, size, place, place, pan, pan));
    }
}

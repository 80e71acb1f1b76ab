// The additions file: its exact format, the merge rules, the lines kept as they stand,
// and the writes that must never lose what the file holds.
#include <regex>

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "additions.h"
#include "fake_node_store.h"
#include "folders.h"
#include "preferences.h"
#include "ressource.h"
#include "test_util.h"

namespace {

class RecordingHost : public AdditionsHost {
public:
    std::string nickname;
    int nicknameAsked = 0;
    std::vector<std::string> feedback, logs;
    std::vector<bool> timer, controls;
    std::string ask_pseudo() override { return ++nicknameAsked, nickname; }
    void show_feedback(int id, int seconds, const std::string& a1, const std::string& a2) override
    {
        feedback.push_back("S" + std::to_string(id) + "/" + std::to_string(seconds) + ":" + a1 + ":" + a2);
    }
    void setAutosaveTimer(bool on) override { timer.push_back(on); }
    void setSaveControlsEnabled(bool on) override { controls.push_back(on); }
    void log(const std::string& line) override { logs.push_back(line); }
};

const std::string kZeros(24, '0');

// A location line: levels 10 and 12, type and language 0, no link text.
std::string line(const std::string& name, const std::string& zoneCategXY, const std::string& id = "",
                 const std::string& desc = "", const std::string& attrs = kZeros)
{
    return name + "||" + zoneCategXY + "|10|12||0|0||" + attrs + "|" + id + "||" + desc;
}

rnew_node location(const std::string& name, uint16_t zone, uint8_t categ, uint16_t x, uint16_t y, uint32_t id,
                   uint32_t fromMaster)
{
    return {.x = x, .y = y, .name = name, .zoneId = zone, .categoryId = categ, .description = "d", .levelMin = 10,
            .levelMax = 12, .attributes = {}, .id = id, .fromMaster = fromMaster, .linkText = {}, .hasItem = 1};
}

// Zones 7, 40000 (-25536 on 16 bits) and 300, categories 1 and 2; with masters, the
// database locations "Loup" (id $298 at 100, 200) and the locked "Garde" (id $300).
struct World {
    explicit World(bool withMasters = true)
    {
        for (int16_t z : {7, -25536, 300}) store.addZone(z);
        store.addCategory(1);
        store.addCategory(2);
        realm.headerValue = 1;
        if (!withMasters) return;
        loup = store.addnode(location("Loup", 7, 1, 100, 200, 0x298, 1));
        rnew_node garde = location("Garde", 7, 1, 300, 300, 0x300, 1);
        garde.locked = 1;
        store.addnode(garde);
    }
    FakeNodeStore store;
    TRealm_info realm{std::make_unique<TData_map>()};
    RecordingHost host;
    AdditionsFile file{store, realm, host, MakeAdditionsFileName("Test")};
    int loup = kNoTreeNode;
};

std::vector<std::string> fileLines(const QString& path)
{
    const std::string text = readBytes(path);
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2) out.push_back(text.substr(start, p - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return out;
}

class AdditionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Ressources.reset();
        std::string texts = "I001 -\nI002 -\nI003 -\nI004 -\nI005 merged %1\n";
        for (int i = 1; i <= 64; ++i) texts += "S000 s" + std::to_string(i) + ":%1:%2\n";
        ParseRessourceText(texts, Ressources);
        boxes.answer = kAnswerYes;
        InitPreferences();
        Preferences.PSEU = "Tester";
        AjoutsDir = dir.path() + "/";
    }
    void TearDown() override
    {
        Ressources.reset();
        InitPreferences();
        AjoutsDir.clear();
    }

    QTemporaryDir dir;
    RecordingBoxes boxes;
    const QString path = dir.filePath("Vmar_ajouts_Test.txt");
    const std::string header = "#v250-id=123456-Me\r\n#v2.52\r\n";
};

TEST_F(AdditionsTest, SavedFileHasTheExactFormatAndLoadsBackFieldForField)
{
    World w;
    rnew_node camp = location("Camp", 7, 2, 1, 2, 0x298, 0);
    camp.typeId = 5;
    camp.languageTag = 6;
    camp.attributes = SpecSet{{0x12345678u, 0x9ABCDEF0u, 0xFFFFFFFFu}};
    camp.linkText = "S_0000000100000002abc";
    camp.description = "one|two|three";
    w.store.addnode(camp);
    w.store.addnode(location("Far", 40000, 1, 65535, 0, 0x1234567, 0));
    w.store.addnode(location("Plain", 300, 1, 9, 9, 0, 0));
    ASSERT_TRUE(w.file.SaveRef_add(path));

    const auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("#v250-id=[1-9]{6}-Tester")));
    EXPECT_EQ(lines[1], "#v2.52");
    EXPECT_EQ(lines[2], "Camp||7|2|1|2|10|12||5|6||123456789ABCDEF0FFFFFFFF|000298|S_0000000100000002abc|one|two|three");
    EXPECT_EQ(lines[3], "Far||-25536|1|65535|0|10|12||0|0||000000000000000000000000|1234567||d");
    EXPECT_EQ(lines[4], "Plain||300|1|9|9|10|12||0|0||000000000000000000000000|||d");
    EXPECT_EQ(w.host.feedback, std::vector<std::string>{"S5/4:Vmar_ajouts_Test.txt:" + AjoutsDir.toStdString()});

    World back(false); // the ids name database locations at those points
    back.store.addnode(location("Old camp", 7, 2, 1, 2, 0x298, 1));
    back.store.addnode(location("Old far", 40000, 1, 65535, 0, 0x1234567, 1));
    back.file.LoadRef_Add(path);
    const auto a = w.store.items();
    const auto b = back.store.items();
    ASSERT_EQ(b.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const rItemdata &x = *a[i + 2], &y = *b[i];
        EXPECT_EQ(std::tuple(y.name, y.x, y.y, y.levelMin, y.levelMax, y.typeId, y.languageTag, y.id, y.description),
                  std::tuple(x.name, x.x, x.y, x.levelMin, x.levelMax, x.typeId, x.languageTag, x.id, x.description));
        EXPECT_EQ(y.attributes, x.attributes);
        EXPECT_EQ(y.command ? y.command->text : "", x.command ? x.command->text : "");
    }
    EXPECT_EQ(back.host.logs, (std::vector<std::string>{"merged 3 [2]", ""})); // weights 0.5 + 0.5 + 1

    Preferences.PSEU.clear(); // the nickname is asked; none given
    ASSERT_TRUE(w.file.SaveRef(path));
    EXPECT_TRUE(fileLines(path)[0].ends_with("-Anonymous"));
    EXPECT_EQ(w.host.nicknameAsked, 1);
}

struct MergeCase {
    const char* what;
    bool is250;
    std::string line;
    MergeOutcome outcome;
    int merged;
    float weight;
    int dropped;
    int liveDelta; // locations afterwards minus before
    bool loupStays;
};

TEST_F(AdditionsTest, MergeRules)
{
    using O = MergeOutcome;
    const std::vector<MergeCase> cases = {
        {"new location on a free point", true, line("Camp", "7|1|5|5"), O::Added, 1, 1, 0, 1, true},
        {"new location on an occupied point", true, line("Camp", "7|2|100|200"), O::Dropped, 0, 0, 1, 0, true},
        {"exact copy of a database location", true, line("Loup", "7|1|100|200", "000298", "d"), O::Dropped, 0, 0, 1, 0, true},
        {"change of a database location", true, line("Loup", "7|1|100|200", "0000298", "new"), O::Replaced, 1, 0.5f, 0, 0, false},
        {"change of a locked location", true, line("Garde", "7|1|300|300", "000300", "new"), O::Locked, 0, 0, 0, 0, true},
        {"erasure of a database location", true, line("@Loup", "7|1|100|200", "000298", "d"), O::Replaced, 1, 0, 0, 0, false},
        {"erasure without an id", true, line("@Camp", "7|1|5|5"), O::Dropped, 0, 0, 1, 0, true},
        {"older format: another location on the point", false, line("Camp", "7|1|100|200", "000298"), O::Added, 1, 1, 0, 1, true},
        {"older format: an exact copy", false, line("Loup", "7|1|100|200", "", "d"), O::Dropped, 0, 0, 1, 0, true},
        {"zone 40000 is zone -25536", true, line("Camp", "40000|1|5|5"), O::Added, 1, 1, 0, 1, true},
        {"unknown zone", true, line("Camp", "8|1|5|5"), O::Kept, 0, 0, 0, 0, true},
        {"unknown category", true, line("Camp", "7|9|5|5"), O::Kept, 0, 0, 0, 0, true},
        {"replacement into an unknown category", true, line("Loup", "7|9|100|200", "000298", "x"), O::Kept, 0, 0, 0, 0, true},
        {"zone beyond 16 bits", true, line("Camp", "65543|1|5|5"), O::Kept, 0, 0, 0, 0, true},
        {"category beyond 255", true, line("Camp", "7|257|5|5"), O::Kept, 0, 0, 0, 0, true},
        {"attributes not hexadecimal", true, line("Camp", "7|1|5|5", "", "", "G" + kZeros.substr(1)), O::Kept, 0, 0, 0, 0, true},
        {"too few fields", true, "Camp||7|1|5|5", O::Kept, 0, 0, 0, 0, true},
        {"empty name", true, line("", "7|1|5|5"), O::Kept, 0, 0, 0, 0, true},
        {"a comment of the user's", true, "# checked in game", O::Kept, 0, 0, 0, 0, true},
        {"numbers after blanks", true, line("Camp", " 7|  1|\t5|5"), O::Added, 1, 1, 0, 1, true},
        {"a blank inside a number", true, line("Camp", "7|1|5 |5"), O::Kept, 0, 0, 0, 0, true},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        const size_t before = w.store.liveLocations();
        EXPECT_EQ(w.file.AnalyseStringComp(c.line, c.is250), c.outcome);
        EXPECT_EQ(w.realm.mergeCount, c.merged);
        EXPECT_FLOAT_EQ(w.realm.mergeWeight, c.weight);
        EXPECT_EQ(w.file.DroppedAdditions, c.dropped);
        EXPECT_EQ(int(w.store.liveLocations()) - int(before), c.liveDelta);
        EXPECT_EQ(w.store.nodeData(w.loup) != nullptr, c.loupStays);
        const bool kept = c.outcome == O::Kept || c.outcome == O::Locked;
        EXPECT_EQ(w.file.KeptLines, kept ? std::vector<std::string>{c.line} : std::vector<std::string>{});
    }

    // 20 hex digits, of either case, fill the first two words and leave the third 0.
    World w;
    EXPECT_EQ(w.file.AnalyseStringComp(line("Attr", "7|1|6|6", "", "", "0000000a00000001FFFF"), true), O::Added);
    EXPECT_EQ(w.store.items().back()->attributes, (SpecSet{{0xAu, 1u, 0u}}));
}

TEST_F(AdditionsTest, LoadRewritesDroppedLinesAndKeepsUnplacedOnesInFileOrder)
{
    const std::string lost = line("Lost", "8|1|5|5"), bad = "Bad||7|one|5|5||";
    writeBytes(path, header + line("Camp", "7|1|5|5") + "\r\n" + lost + "\n" + line("Copy", "7|1|5|5") + "\r" + bad);
    World w;
    w.file.Loadref(true);
    EXPECT_EQ(w.host.logs.at(0), "merged 1 [1]");
    EXPECT_EQ(w.host.feedback, std::vector<std::string>{"S4/6:1:Vmar_ajouts_Test.txt"});
    EXPECT_EQ(w.file.DroppedAdditions, 0);
    const auto lines = fileLines(path);
    EXPECT_EQ(std::vector(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{"Camp||7|1|5|5|10|12||0|0||000000000000000000000000|||", lost, bad}));
    // The file as it was before the rewrite is kept beside it.
    EXPECT_EQ(readBytes(path + ".bak"), header + line("Camp", "7|1|5|5") + "\r\n" + lost + "\n" + line("Copy", "7|1|5|5") + "\r" + bad);

    // Without a backup nothing is dropped: the file stays and the lines are kept, in their
    // order, for the next save.
    const std::string withCopy = header + line("Camp", "7|1|5|5") + "\r\n" + line("Copy", "7|1|5|5") + "\r\n"
                                 + line("Autre copie", "7|1|5|5") + "\r\n";
    writeBytes(path, withCopy);
    QFile::remove(path + ".bak");
    QDir().mkpath(path + ".bak");
    World noBackup;
    noBackup.file.Loadref(true);
    EXPECT_EQ(readBytes(path), withCopy);
    EXPECT_EQ(noBackup.file.DroppedAdditions, 0);
    EXPECT_EQ(noBackup.file.KeptLines, (std::vector<std::string>{line("Copy", "7|1|5|5"), line("Autre copie", "7|1|5|5")}));
    QDir(path + ".bak").removeRecursively();

    writeBytes(path, header); // nothing merged, nothing rewritten
    World empty;
    empty.file.Loadref(true);
    EXPECT_EQ(empty.host.logs, (std::vector<std::string>{"merged 0 [0]", ""}));
    EXPECT_EQ(readBytes(path), header);

    // An older-format line kept under the newer header loses field 14: it still has no id.
    writeBytes(path, "#v200\r\n" + line("Lost", "8|1|5|5", "ABC", "x|y"));
    World old;
    old.file.Loadref(true);
    ASSERT_TRUE(old.file.SaveRef_add(path));
    EXPECT_EQ(fileLines(path).at(2), line("Lost", "8|1|5|5", "", "x|y"));
}

TEST_F(AdditionsTest, ALaterLoadThatDropsLinesKeepsTheEarlierBackup)
{
    // A first load drops a copy: the file as it was goes to ".bak".
    const std::string first = header + line("Camp", "7|1|5|5") + "\r\n" + line("Copy", "7|1|5|5") + "\r\n";
    writeBytes(path, first);
    World w1;
    w1.file.Loadref(true);
    ASSERT_EQ(readBytes(path + ".bak"), first);
    // The same file dropped again (a copy put back by hand) finds its backup already made.
    writeBytes(path, first);
    World again;
    again.file.Loadref(true);
    EXPECT_FALSE(QFile::exists(path + ".bak2"));
    // Another state dropping other lines goes next to it: the lines the first backup kept
    // are never overwritten.
    const std::string second = header + line("Camp", "7|1|5|5") + "\r\n" + line("Autre", "7|1|5|5") + "\r\n";
    writeBytes(path, second);
    World w2;
    w2.file.Loadref(true);
    EXPECT_EQ(readBytes(path + ".bak"), first);
    EXPECT_EQ(readBytes(path + ".bak2"), second);
    EXPECT_NE(std::find(w2.host.logs.begin(), w2.host.logs.end(),
                        "1 lines dropped; the file as it was is kept in Vmar_ajouts_Test.txt.bak2"),
              w2.host.logs.end());
}

TEST_F(AdditionsTest, FileNotMergedKeepsEveryLineAndStillSaves)
{
    const std::string mine = line("Mine", "7|1|5|5"), change = line("Loup", "7|1|100|200", "000298", "new");
    struct Case {
        const char* what;
        std::string file;
        uint32_t headerValue;
        bool databaseWhole;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        {"header value 0", header + mine + "\r\n" + change + "\r\n# note\r\n", 0, true, {mine, change, "# note"}},
        {"older format", "#v200\r\n" + line("Old", "7|1|5|5", "AB"), 0, true, {line("Old", "7|1|5|5")}},
        {"unknown header", "#v300-x\r\n" + mine, 1, true, {"#v300-x", mine}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, c.file);
        World w;
        w.realm.headerValue = c.headerValue;
        w.file.Loadref(c.databaseWhole);
        EXPECT_EQ(w.store.liveLocations(), 2u); // nothing merged, the database location stays
        EXPECT_EQ(w.file.DroppedAdditions, 0);
        EXPECT_EQ(readBytes(path), c.file);
        EXPECT_FALSE(QFile::exists(path + ".bak"));

        // Saves, autosaves and the closing question work; the old lines follow the tree's.
        w.store.addnode(location("New", 7, 1, 9, 9, 0, 0));
        w.file.toggle_tagnew(true);
        boxes.answer = kAnswerYes;
        EXPECT_TRUE(w.file.confirm_sauver(1));
        EXPECT_TRUE(w.file.SaveRef(path));
        auto lines = fileLines(path);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[2], "New||7|1|9|9|10|12||0|0||000000000000000000000000|||d");
        EXPECT_EQ(std::vector(lines.begin() + 3, lines.end()), c.kept);
        EXPECT_EQ(w.host.feedback.back(), "S5/4:Vmar_ajouts_Test.txt:" + AjoutsDir.toStdString());
    }
    // The box names the file and its first line.
    EXPECT_EQ(boxes.shown.filter("info:"), QStringList{"info:s37::\n" + QDir::toNativeSeparators(path)
                                                       + ": the first line \"#v300-x\" starts with neither #v200 nor #v250"});

    // A file that cannot be read is never written over.
    QFile::remove(path);
    QDir().mkpath(path);
    World unreadable;
    unreadable.file.Loadref(true);
    unreadable.file.toggle_tagnew(true);
    EXPECT_FALSE(unreadable.file.SaveRef(path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    QDir(path).removeRecursively();

    writeBytes(path, ""); // an empty file holds nothing to protect
    World emptyFile;
    emptyFile.file.Loadref(true);
    EXPECT_TRUE(emptyFile.file.SaveRef_add(path));
}

TEST_F(AdditionsTest, SecondLineIsSkippedOnlyWhenItNamesAVersion)
{
    for (const char* version : {"#v2.52", "#v2.40", " #v3 "}) EXPECT_TRUE(IsAdditionsVersionLine(version)) << version;
    for (const char* comment : {"# v2.52", "#note", "#v", "#vieux", "#v2.52 mine"})
        EXPECT_FALSE(IsAdditionsVersionLine(comment)) << comment;
    writeBytes(path, "#v250-id=1-x\r\n#to check in game\r\n" + line("Mine", "7|1|5|5") + "\r\n");
    World w;
    w.file.Loadref(true);
    EXPECT_EQ(w.file.KeptLines, std::vector<std::string>{"#to check in game"});
    EXPECT_EQ(w.realm.mergeCount, 1);
}

TEST_F(AdditionsTest, QuestionWhenSendingOrSwitching)
{
    // (Cancel, No, Yes and a failed write when leaving: see the window's close tests.)
    writeBytes(path, header + line("Mine", "7|1|5|5") + "\r\n");
    World w;
    w.file.Loadref(true);
    EXPECT_TRUE(w.file.confirm_sauver(1)); // nothing modified: no question
    w.file.toggle_tagnew(true);
    boxes.answer = kAnswerNo;
    EXPECT_TRUE(w.file.confirm_sauver(29) && w.file.AdditionsModified); // sending: changes stay marked
    EXPECT_TRUE(w.file.confirm_sauver(1) && !w.file.AdditionsModified);  // leaving: changes abandoned
    EXPECT_EQ(boxes.shown.filter("confirm:").size(), 2);
    w.file.toggle_tagnew(true);
    boxes.answer = kAnswerYes;
    EXPECT_TRUE(w.file.confirm_sauver(63) && !w.file.AdditionsModified);
    EXPECT_EQ(w.host.controls.front(), true);
    EXPECT_EQ(w.host.controls.back(), false);
}

TEST_F(AdditionsTest, FieldsNeverBreakTheirLine)
{
    World w;
    rnew_node odd = location("#Bad|name\r", 7, 1, 5, 5, 0, 0);
    odd.linkText = "S_1|2\nx";
    odd.description = "a\r\nb\rc|d\n";
    w.store.addnode(odd);
    w.store.addnode(location("##", 7, 1, 6, 6, 0, 0));
    Preferences.PSEU = "me\r\n#v200";
    ASSERT_TRUE(w.file.SaveRef_add(path));
    const auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].ends_with("-me  #v200"));
    EXPECT_TRUE(lines[2].starts_with(" Bad name ||") && lines[3].starts_with("  ||")) << lines[2] << lines[3];

    World back(false);
    back.file.LoadRef_Add(path);
    const auto items = back.store.items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::tuple(items[0]->name, items[0]->command->text, items[0]->description),
              std::tuple("Bad name ", "S_1 2 x", "a|b|c|d|"));
    EXPECT_EQ(back.file.KeptLines, std::vector<std::string>{lines[3]}); // a name of "#" only reads back empty
}

} // namespace

// The additions file as the window loads it: tables that end with a partial record, a cut
// master file, a damaged map index, and a file an editor saved as UTF-8 with a comment and
// an over-long name.

#include <algorithm>
#include <set>

#include "compressed.h"
#include "main_window_fixture.h"
#include "sample_writers.h"

namespace {

std::set<std::string> linesAfterHeader(const std::string& text)
{
    std::set<std::string> lines;
    size_t start = 0, index = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        if (index++ >= 2 && end > start) lines.insert(text.substr(start, end - start));
    return lines;
}

// The location lines a save would write from the window's tree (the kept lines left out).
std::set<std::string> treeLines(TForm4& w)
{
    const AdditionsFile& file = *w.additions();
    std::set<std::string> lines = linesAfterHeader(file.additionsText("123456", "x"));
    for (const std::string& kept : file.KeptLines) lines.erase(kept);
    return lines;
}

struct AdditionsLoad : MainWindowFixture {
    sample::DemoDatabase db = sample::buildDemoDatabase(sampleOptions()); // the folder's content
    QString dbFile(const char* name) const { return "database/" + QString::fromStdString(database()) + "/" + name; }
    // The file's lines, with one more: a new location on the point of the first addition,
    // which a whole database drops.
    std::string duplicate;
    std::set<std::string> original;
    void addDuplicate()
    {
        rnew_node d = db.additions.locations.front();
        d.id = 0;
        d.name = "Twin";
        duplicate = sample::additionsLine(d);
        const std::string text = readFile(additionsPath()).toStdString();
        original = linesAfterHeader(text);
        writeFile(additionsPath(), text + duplicate + "\r\n");
    }
    // Whether the database location with that id, as the master file has it, is in the tree.
    static bool masterLocationShown(TForm4& w, uint32_t id)
    {
        bool found = false;
        w.MyTreeStore.forEachLocation(
            [&](int, const TNodeData& d) { found |= d.item->fromMaster && d.item->id == id; });
        return found;
    }
};

} // namespace

TEST(AdditionsLoad, TablesEndingWithAPartialRecordAreWhole)
{
    AdditionsLoad f;
    std::vector<uint8_t> index = sample::mapIndexPayload(f.db.mapIndex);
    std::vector<uint8_t> categories = sample::itemCategoriesPayload(f.db.categories);
    index.insert(index.end(), 71, 'z');
    categories.insert(categories.end(), 83, 'c');
    f.writeFile(f.dbFile("vmarmap.bin"), deflated(index));
    f.writeFile(f.dbFile("itemcateg.bin"), deflated(categories));
    f.addDuplicate();

    auto w = f.start();
    // Every line is in the tree: new locations added, changed and erased ones in place of
    // their database locations.
    EXPECT_EQ(treeLines(*w), f.original);
    for (const rnew_node& r : f.db.additions.locations)
        EXPECT_FALSE(r.id != 0 && AdditionsLoad::masterLocationShown(*w, r.id)) << r.name;
    EXPECT_TRUE(w->additions()->KeptLines.empty());
    // A whole database drops the duplicate, after a backup that the log names.
    EXPECT_TRUE(QFile::exists(f.exe + f.additionsPath() + ".bak"));
    EXPECT_TRUE(w->Memo1->toPlainText().contains("1 lines dropped; the file as it was is kept in "
                                                 + f.additionsPath().mid(7) + ".bak"))
        << w->Memo1->toPlainText().toStdString();
    EXPECT_EQ(linesAfterHeader(f.readFile(f.additionsPath()).toStdString()), f.original);
    EXPECT_FALSE(f.boxes.saw(messageText(12, "vmar")));
}

TEST(AdditionsLoad, CutMasterFileStillShowsTheAdditionsAndDropsNothing)
{
    AdditionsLoad f;
    std::vector<uint8_t> master = sample::masterPayload(f.db.master);
    master.resize(master.size() / 2);
    f.writeFile(f.dbFile("master_vmar.loc"), deflated(master));
    // A change of a database location from the half that is gone.
    rnew_node late;
    for (const sample::MasterRecord& rec : f.db.master.records)
        if (!rec.node.locked) late = rec.node;
    late.fromMaster = 0;
    late.description = "seen again";
    f.db.additions.locations.push_back(late);
    f.writeFile(f.additionsPath(), f.readFile(f.additionsPath()).toStdString() + sample::additionsLine(late) + "\r\n");
    f.addDuplicate();
    const QByteArray file = f.readFile(f.additionsPath());

    auto w = f.startShown();
    const std::set<std::string> shown = treeLines(*w);
    const std::vector<std::string>& kept = w->additions()->KeptLines;
    size_t placedChanges = 0;
    for (const rnew_node& r : f.db.additions.locations) {
        const std::string l = sample::additionsLine(r);
        if (r.id == 0) { // a new location is always placed
            EXPECT_TRUE(shown.count(l)) << l;
            continue;
        }
        // A change whose database location was read is placed instead of it; the others
        // wait, as they stand, for a whole database.
        const bool placed = shown.count(l) != 0;
        placedChanges += placed;
        EXPECT_NE(placed, std::count(kept.begin(), kept.end(), l) == 1) << l;
        EXPECT_FALSE(placed && AdditionsLoad::masterLocationShown(*w, r.id)) << l;
    }
    EXPECT_GT(placedChanges, 0u);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), sample::additionsLine(late)), 1);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), f.duplicate), 1);
    // Nothing is rewritten at the load; a save through the button keeps every line.
    EXPECT_EQ(f.readFile(f.additionsPath()), file);
    EXPECT_FALSE(QFile::exists(f.exe + f.additionsPath() + ".bak"));
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    std::set<std::string> expected = f.original;
    expected.insert(f.duplicate);
    EXPECT_EQ(linesAfterHeader(f.readFile(f.additionsPath()).toStdString()), expected);
}

TEST(AdditionsLoad, DamagedMapIndexSaysSo)
{
    const sample::DemoDatabase db = sample::buildDemoDatabase(MainWindowFixture::sampleOptions());
    const std::vector<uint8_t> whole = sample::writeMapIndex(db.mapIndex);
    std::vector<uint8_t> cutInMaps = sample::mapIndexPayload(db.mapIndex);
    cutInMaps.resize(8 + 43 * db.mapIndex.realms.size() + 56 + 20);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"random bytes", std::string("\x9C\x13\xF0\x01garbage\x7F\x00\x11", 14)},
        {"file cut in half", std::string(whole.begin(), whole.begin() + long(whole.size() / 2))},
        {"cut inside its maps", deflated(cutInMaps)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        AdditionsLoad f;
        f.writeFile(f.dbFile("vmarmap.bin"), bytes);
        const auto w = f.start();
        EXPECT_TRUE(f.boxes.saw(messageText(12, "vmar")));
    }
}

TEST(AdditionsLoad, FileSavedAsUtf8WithACommentAndALongName)
{
    AdditionsLoad f;
    // A new location of the sample, renamed: 41 characters with an accent and a snowman.
    rnew_node r;
    for (const rnew_node& a : f.db.additions.locations)
        if (a.id == 0) r = a;
    const QString longName = QString::fromUtf8("Rocher d'\xC3\x89t\xC3\xA9 \xE2\x98\x83 ") + QString(26, 'x');
    ASSERT_EQ(longName.size(), 41);
    r.name = "NAME";
    QString utf8Line = FromCp1252(sample::additionsLine(r));
    utf8Line.replace(0, 4, longName);
    const std::string bytes = "\xEF\xBB\xBF#v250-id=123456-Testeur\r\n# \xC3\xA0 v\xC3\xA9rifier\r\n"
                              + utf8Line.toUtf8().toStdString() + "\r\n";
    f.writeFile(f.additionsPath(), bytes);

    auto w = f.startShown();
    // Read as Windows-1252, the character without a form as "?", the name cut to 40.
    const std::string name = ToCp1252(longName.left(40).replace(QChar(0x2603), '?')).value();
    r.name = name;
    EXPECT_EQ(treeLines(*w), std::set<std::string>{sample::additionsLine(r)});
    EXPECT_EQ(w->additions()->KeptLines, std::vector<std::string>{"# \xE0 v\xE9rifier"});
    const QString memo = w->Memo1->toPlainText();
    EXPECT_TRUE(memo.contains("line 3: characters with no Windows-1252 form")) << memo.toStdString();
    EXPECT_TRUE(memo.contains("line 3: name longer than 40 characters cut to \"" + ToDisplay(name) + "\""));
    EXPECT_EQ(f.readFile(f.additionsPath()).toStdString(), bytes); // nothing written at the load

    // The first save keeps the file as it was; the next one has nothing more to keep.
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    EXPECT_EQ(f.readFile(f.additionsPath() + ".bak").toStdString(), bytes);
    const std::string saved = f.readFile(f.additionsPath()).toStdString();
    EXPECT_TRUE(saved.starts_with("#v250-id=")) << saved;
    EXPECT_EQ(linesAfterHeader(saved), (std::set<std::string>{sample::additionsLine(r), "# \xE0 v\xE9rifier"}));
    QFile::remove(f.exe + f.additionsPath() + ".bak");
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(f.exe + f.additionsPath() + ".bak"));
}

TEST(AdditionsLoad, SaveInAFolderNamedOutsideWindows1252SaysWhereWithMarks)
{
    AdditionsLoad f;
    // The program folder moved into a folder with a Greek name.
    const QString root = f.dir.path() + "/";
    const QString moved = root + QString::fromUtf8("\xCE\xA7\xCE\xAC\xCF\x81\xCF\x84\xCE\xB5\xCF\x82") + "/";
    ASSERT_TRUE(QDir().mkpath(moved));
    for (const QString& entry : QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (root + entry + "/" != moved) {
            ASSERT_TRUE(QDir().rename(root + entry, moved + entry));
        }
    f.exe = moved;

    auto w = f.startShown();
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    EXPECT_FALSE(w->AdditionsModified());
    // The folder's letters with no Windows-1252 form show as "?", not as their UTF-8 bytes.
    const std::string fileName = f.additionsPath().mid(7).toStdString();
    const QString said = messageText(5, fileName, (root + QString(6, '?') + "/ajouts/").toStdString());
    QStringList shown;
    for (const auto& line : w->FeedbackList) shown << ToDisplay(line.text);
    EXPECT_TRUE(shown.contains(said)) << shown.join(" | ").toStdString();
}

TEST(AdditionsLoad, AnOlderFileLineTakingTheSpotOfAnEarlierOneIsBackedUpBeforeTheSave)
{
    AdditionsLoad f;
    // Two new locations of the older format on one point: the second takes the first's place.
    rnew_node first;
    for (const rnew_node& a : f.db.additions.locations)
        if (a.id == 0 && !IsErasedName(a.name)) first = a;
    rnew_node second = first;
    first.name = "Premier";
    second.name = "Second";
    const std::string bytes = "#v200-id=123456-Ancien\r\n" + sample::additionsLine(first) + "\r\n"
                              + sample::additionsLine(second) + "\r\n";
    f.writeFile(f.additionsPath(), bytes);

    auto w = f.startShown();
    EXPECT_EQ(treeLines(*w), std::set<std::string>{sample::additionsLine(second)});
    EXPECT_TRUE(w->Memo1->toPlainText().contains("line 3: takes the place of \"Premier\", placed by an earlier line"))
        << w->Memo1->toPlainText().toStdString();
    EXPECT_EQ(f.readFile(f.additionsPath()).toStdString(), bytes); // nothing written at the load
    // The save that leaves the first line out keeps the file as it was beside it.
    w->toggle_tagnew(true);
    QTest::mouseClick(w->but_sav, Qt::LeftButton);
    EXPECT_EQ(f.readFile(f.additionsPath() + ".bak").toStdString(), bytes);
    EXPECT_EQ(linesAfterHeader(f.readFile(f.additionsPath()).toStdString()),
              std::set<std::string>{sample::additionsLine(second)});
}

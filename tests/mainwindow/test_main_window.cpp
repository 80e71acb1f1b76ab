// The program's start and close through the real window, and what they do with bad input:
// whatever is wrong with the database, the load and close keep every line of the additions
// file; oversized text files do not stall the start.

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "compressed.h"
#include "file_io.h"
#include "log.h"
#include "main_window_fixture.h"
#include "pref_file.h"
#include "sample_writers.h"

namespace {

bool memoHas(TForm4& w, int infoId)
{
    // The I line's text up to its first placeholder.
    QString prefix = ToDisplay(GetInfoText(infoId));
    prefix = prefix.left(prefix.indexOf('%'));
    return w.Memo1->toPlainText().contains(prefix);
}

// The files named by the boxes that said the settings could not be saved, in the order
// shown; each box gives S22, then the file's path and the reason after a colon.
QStringList settingsWriteFailures(const ScriptedBoxes& boxes)
{
    QStringList files;
    const QString head = "info:" + messageText(22) + "\n";
    for (const QString& box : boxes.shown) {
        if (!box.startsWith(head)) continue;
        const QString detail = box.mid(head.size());
        const qsizetype colon = detail.indexOf(": ");
        EXPECT_GT(colon, 0) << detail.toStdString();
        EXPECT_GT(detail.size(), colon + 2) << "no reason given: " << detail.toStdString();
        files << detail.left(colon);
    }
    return files;
}

// Whether an information box showed the message, then the file's path and a reason.
bool sawFileFailure(const ScriptedBoxes& boxes, const QString& message, const QString& path)
{
    const QString head = "info:" + message + "\n" + path + ": ";
    return std::any_of(boxes.shown.begin(), boxes.shown.end(),
                       [&](const QString& box) { return box.startsWith(head) && box.size() > head.size(); });
}

std::set<std::string> locationLines(const QByteArray& file)
{
    std::set<std::string> lines;
    const QList<QByteArray> all = file.split('\n');
    for (qsizetype i = 2; i < all.size(); ++i) { // after the header and the version line
        QByteArray l = all[i];
        if (l.endsWith('\r')) l.chop(1);
        if (!l.isEmpty()) lines.insert(l.toStdString());
    }
    return lines;
}

struct Fault {
    const char* what;
    const char* file; // the database file changed, if any
    std::function<std::optional<std::string>(sample::DemoDatabase&)> bytes; // its new bytes; none: removed
    std::vector<std::string> extraLines = {}; // appended to the additions file before the start
    bool dropsDuplicate = false; // merged against a whole database, where the duplicate is dropped
};

} // namespace

TEST(AdditionsUnderFaults, NoFaultLosesALine)
{
    const auto options = MainWindowFixture::sampleOptions();
    const sample::DemoDatabase demo = sample::buildDemoDatabase(options);
    const rnew_node* locked = nullptr;
    for (const auto& rec : demo.master.records)
        if (rec.node.locked) locked = &rec.node;
    ASSERT_NE(locked, nullptr);
    rnew_node change = *locked;
    change.fromMaster = 0;
    change.description = "seen elsewhere";
    const std::string lockedLine = sample::additionsLine(change);

    const auto removed = [](sample::DemoDatabase&) -> std::optional<std::string> { return std::nullopt; };
    const std::vector<Fault> faults = {
        {"categories missing", "itemcateg.bin", removed},
        {"categories empty", "itemcateg.bin", [](auto&) { return std::string(); }},
        {"categories garbage", "itemcateg.bin", [](auto&) { return std::string(500, 'x'); }},
        {"categories ending in a partial record", "itemcateg.bin",
         [](auto& db) {
             auto p = sample::itemCategoriesPayload(db.categories);
             p.insert(p.end(), 40, 'x');
             return deflated(p, p.size());
         }, {}, true},
        {"a category the lines use is missing", "itemcateg.bin",
         [](auto& db) {
             uint32_t gone = 0; // the category of a change to a database location
             for (const rnew_node& r : db.additions.locations)
                 if (r.id != 0) gone = r.categoryId;
             std::vector<rCateg> fewer;
             for (const rCateg& c : db.categories)
                 if (c.id != gone) fewer.push_back(c);
             return bytesOf(sample::writeItemCategories(fewer));
         }, {}, true},
        {"map index missing", "vmarmap.bin", removed},
        {"map index ending in a partial zone record", "vmarmap.bin",
         [](auto& db) {
             auto p = sample::mapIndexPayload(db.mapIndex);
             p.insert(p.end(), 30, 'x');
             return deflated(p, p.size());
         }, {}, true},
        {"map index cut inside its maps", "vmarmap.bin",
         [](auto& db) {
             const auto p = sample::mapIndexPayload(db.mapIndex);
             return deflated(p, 8 + 43 * db.mapIndex.realms.size() + 56 + 20);
         }},
        {"master file missing", "master_vmar.loc", removed},
        {"master file cut in half", "master_vmar.loc",
         [](auto& db) { const auto p = sample::masterPayload(db.master); return deflated(p, p.size() / 2); }},
        {"master file without its end tag", "master_vmar.loc",
         [](auto& db) { db.master.endTag = false; return bytesOf(sample::writeMasterFile(db.master)); }},
        {"master header value 0", "master_vmar.loc",
         [](auto& db) { db.master.headerValue = 0; return bytesOf(sample::writeMasterFile(db.master)); }},
        {"a locked target and a comment", nullptr, {}, {lockedLine, "# to check in game"}, true},
    };

    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        MainWindowFixture f;
        sample::DemoDatabase db = sample::buildDemoDatabase(options); // the folder's content
        if (fault.file) {
            const QString file = "database/" + QString::fromStdString(f.database()) + "/" + fault.file;
            const std::optional<std::string> bytes = fault.bytes(db);
            bytes ? f.writeFile(file, *bytes) : void(QFile::remove(f.exe + file));
        }
        const QString additions = f.additionsPath();
        QByteArray original = f.readFile(additions);
        for (const std::string& l : fault.extraLines) original += QByteArray::fromStdString(l + "\r\n");
        // A duplicate (a new location on the point of the first one) is the one line a whole
        // database may drop.
        const std::string duplicate = [&] {
            rnew_node d = db.additions.locations.front();
            d.id = 0;
            d.name = "Twin";
            return sample::additionsLine(d);
        }();
        f.writeFile(additions, (original + QByteArray::fromStdString(duplicate + "\r\n")).toStdString());
        const std::set<std::string> before = locationLines(original);
        ASSERT_GE(before.size(), 6u);

        auto w = f.start();
        // Whole or not, the load rewrites the file only after a backup of it.
        EXPECT_EQ(QFile::exists(f.exe + additions + ".bak"), fault.dropsDuplicate);
        w->show();
        w->toggle_tagnew(true);
        f.boxes.answers = {kAnswerYes};
        EXPECT_TRUE(w->close()); // the closing question's Yes saves, and the window closes
        w.reset();

        const std::set<std::string> after = locationLines(f.readFile(additions));
        for (const std::string& l : before) EXPECT_TRUE(after.count(l)) << "lost: " << l;
        EXPECT_EQ(after.count(duplicate), fault.dropsDuplicate ? 0u : 1u);
        EXPECT_EQ(after.size(), before.size() + (fault.dropsDuplicate ? 0 : 1));
    }
}

TEST(AdditionsUnderFaults, AutosaveAsksTheNicknameOnce)
{
    MainWindowFixture f;
    int asked = 0;
    MainWindowDialogs dialogs = f.dialogs();
    dialogs.pseudo = [&asked](QWidget*) { return ++asked, std::string("Autosaver"); };
    auto w = std::make_unique<TForm4>(f.exe, dialogs);
    w->FormActivate();
    Preferences.PSEU.clear();
    Preferences.AUTO = true;
    int fired = 0; // counted after the window's own handler has run
    QObject::connect(&w->Timer3, &QTimer::timeout, w.get(), [&fired] { ++fired; });
    for (int i = 0; i < 2; ++i) {
        const int before = fired;
        w->Timer3.start(1);
        ASSERT_EVENTUALLY(fired > before) << "the autosave timer fires";
    }
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(f.readFile(f.additionsPath()).split('\r').front().endsWith("-Autosaver"));
    EXPECT_TRUE(w->Timer3.isActive()); // the autosave goes on with setting AUTO
}

TEST(AdditionsUnderFaults, AutosaveFromTheSettingWritesTheEditsEveryFiveMinutes)
{
    MainWindowFixture f;
    f.writePrefs("[AUTO]=True\r\n");
    auto w = f.startShown();
    ASSERT_TRUE(w->Timer3.isActive());
    EXPECT_EQ(w->Timer3.interval(), 300000);
    // A location cut in edit mode, then the timer's time comes.
    int cutNode = kNoTreeNode;
    w->MyTreeStore.forEachLocation([&](int node, const TNodeData& d) {
        if (cutNode == kNoTreeNode && d.item->fromMaster && !d.item->locked) cutNode = node;
    });
    ASSERT_NE(cutNode, kNoTreeNode);
    const std::string name = "@" + w->MyTreeStore.nodeData(cutNode)->item->name;
    w->couper_node(cutNode);
    ASSERT_TRUE(w->AdditionsModified());
    ASSERT_TRUE(w->but_sav->isEnabled());
    const QByteArray before = f.readFile(f.additionsPath());
    int fired = 0;
    QObject::connect(&w->Timer3, &QTimer::timeout, w.get(), [&fired] { ++fired; });
    w->Timer3.start(1);
    ASSERT_EVENTUALLY(fired > 0);
    const QByteArray after = f.readFile(f.additionsPath());
    EXPECT_NE(after, before);
    EXPECT_TRUE(after.contains(QByteArray::fromStdString("\r\n" + name + "|")));
    EXPECT_FALSE(w->AdditionsModified());
    EXPECT_FALSE(w->but_sav->isEnabled());
    EXPECT_TRUE(w->Timer3.isActive()); // on again, for the next five minutes
    EXPECT_EQ(w->Timer3.interval(), 300000);
}

TEST(BadInput, OversizedTextFilesDoNotStallTheStart)
{
    MainWindowFixture f;
    auto big = [](const std::string& first, const std::string& line) {
        std::string text = first + "\r\n";
        while (text.size() < (size_t(24) << 20)) text += line;
        return text;
    };
    f.writeFile("res/Francais/link.txt", big("#links", "Site=http://127.0.0.1/\r\n"));
    f.writeFile("res/Francais/tips.txt", big("a tip", "another tip\r\n"));
    f.writeFile("database/" + QString::fromStdString(f.database()) + "/type.txt", big("#types", "Type\r"));
    f.writeFile("readme.txt", big("readme", "line\n"));
    QElapsedTimer clock;
    clock.start();
    auto w = f.start();
    EXPECT_LT(clock.elapsed(), 5000); // about 0.1 s; minutes before the files were capped
    EXPECT_EQ(w->SiteList.size(), kSmallTextLines);
    EXPECT_EQ(w->TipsList.size(), kSmallTextLines);
    EXPECT_EQ(w->ComboBox8->count(), 255); // type names 1 to 255
}

TEST(MainWindowStart, StartsInOrderAndLoadsTheDatabase)
{
    MainWindowFixture f;
    auto w = f.start();
    const std::vector<std::string> expected{"create", "folders", "killlist", "prefs", "texts", "urllist", "icons",
                                            "created", "activate", "commondata", "load_database", "init_tree",
                                            "loadmaster2", "loadref", "database loaded", "activated"};
    EXPECT_EQ(w->startupTrace, expected);
    EXPECT_EQ(f.firstInfoCalls, 0);
    EXPECT_GT(w->MyTreeStore.locationCount(), 200u);
    EXPECT_FALSE(w->FirstActivate);
    for (int id : {2, 3, 4, 5, 7}) EXPECT_TRUE(memoHas(*w, id)) << "I" << id;
    ASSERT_FALSE(w->FeedbackList.empty());
    EXPECT_EQ(ToDisplay(w->FeedbackList.front().text), messageText(64, f.database()).section('\n', 0, 0));
    EXPECT_FALSE(UrlList.empty());
    EXPECT_EQ(w->windowTitle(), "Vmar Plotterwerk  v2.52");
    // A second activation loads nothing.
    w->startupTrace.clear();
    w->FormActivate();
    EXPECT_TRUE(w->startupTrace.empty());
}

TEST(MainWindowStart, FirstStartAsksOnceAndMissingFoldersDoNotCrash)
{
    {
        MainWindowFixture f(false);
        auto w = f.start();
        EXPECT_EQ(f.firstInfoCalls, 1);
        EXPECT_GT(w->MyTreeStore.locationCount(), 0u);
        EXPECT_EQ(w->size(), QSize(800, 600));
    }
    {
        MainWindowFixture f(true);
        QDir(f.exe + "res").removeRecursively();
        QDir(f.exe + "database").removeRecursively();
        auto w = f.start();
        // The box names the file it looked for.
        EXPECT_TRUE(f.boxes.saw(QString(kRessourceError) + "\n" + f.exe + "res/Francais/ressource.txt: missing"))
            << f.boxes.shown.join(" | ").toStdString();
        EXPECT_EQ(w->MyTreeStore.locationCount(), 0u);
    }
}

TEST(MainWindowStart, SettingsNameFoldersNeverPaths)
{
    MainWindowFixture f;
    // A database outside the program folder, named by a path in pref.ini.
    QTemporaryDir outside;
    const QString db = QString::fromStdString(f.database());
    QDir().mkpath(outside.path() + "/elsewhere");
    for (const QString& name : QDir(f.exe + "database/" + db).entryList(QDir::Files))
        QFile::copy(f.exe + "database/" + db + "/" + name, outside.path() + "/elsewhere/" + name);
    const std::string path = QDir(f.exe + "database").relativeFilePath(outside.path() + "/elsewhere").toStdString();
    for (const std::string& prefs : {"[LANG]=Francais\r\n[DBDB]=" + path, std::string("[LANG]=Francais\r\n[DBDB]=Nowhere"),
                                     "[LANG]=../res/Francais\r\n[DBDB]=" + f.database()}) {
        SCOPED_TRACE(prefs);
        f.firstInfoCalls = 0;
        f.writeFile("pref.ini", "#\r\n[VERS]=1\r\n" + prefs + "\r\n");
        auto w = f.start();
        EXPECT_EQ(f.firstInfoCalls, 1); // the first-start dialog chooses among the folders
        EXPECT_EQ(DatabaseLangDir, f.exe + "database/" + db + "/");
        EXPECT_EQ(InterfaceLang, "Francais");
    }
}

TEST(MainWindowClose, TheSaveQuestionDecidesAndFailedWritesKeepTheFiles)
{
    MainWindowFixture f;
    const QString additions = f.additionsPath();
    f.start().reset(); // a first run writes categpref.bin
    auto w = f.start();
    const QByteArray before = f.readFile(additions), prefBefore = f.readFile("pref.ini");
    const QByteArray categBefore = f.readFile("categpref.bin");
    ASSERT_GT(before.size(), 64);
    ASSERT_GT(categBefore.size(), 64);

    w->toggle_tagnew(true);
    f.boxes.answers = {kAnswerCancel};
    EXPECT_FALSE(w->FormCloseQuery());
    EXPECT_TRUE(w->AdditionsModified());
    f.boxes.answers = {kAnswerNo};
    EXPECT_TRUE(w->FormCloseQuery());
    EXPECT_EQ(f.readFile(additions), before);
    // Yes, but every write fails, as on a full disk: the window stays, the changes stay marked.
    w->toggle_tagnew(true);
    f.boxes.answers = {kAnswerYes};
    EXPECT_FALSE(withFailingWrites([&] { return w->FormCloseQuery(); }));
    EXPECT_TRUE(w->AdditionsModified());
    withFailingWrites([&] {
        w.reset(); // writes pref.ini and categpref.bin
        return true;
    });
    EXPECT_TRUE(sawFileFailure(f.boxes, messageText(6, additions.mid(7).toStdString()), f.exe + additions))
        << f.boxes.shown.join(" | ").toStdString();
    // One box for each of pref.ini and categpref.bin, naming the file and the reason.
    EXPECT_EQ(settingsWriteFailures(f.boxes), (QStringList{f.exe + "pref.ini", f.exe + "categpref.bin"}));
    EXPECT_EQ(f.readFile(additions), before);
    EXPECT_EQ(f.readFile("pref.ini"), prefBefore);
    EXPECT_EQ(f.readFile("categpref.bin"), categBefore);
    // No half-written temporary is left beside them.
    EXPECT_EQ(QDir(f.exe + "ajouts").entryList(QDir::Files), QStringList{additions.mid(7)});
    EXPECT_EQ(QDir(f.exe).entryList({"*pref.*"}, QDir::Files), (QStringList{"categpref.bin", "pref.ini"}));

    // Yes writes the file anew.
    w = f.start();
    w->toggle_tagnew(true);
    f.boxes.answers = {kAnswerYes};
    EXPECT_TRUE(w->FormCloseQuery());
    EXPECT_FALSE(w->AdditionsModified());
    EXPECT_TRUE(f.readFile(additions).startsWith("#v250-id="));
    EXPECT_NE(f.readFile(additions), before);
}

TEST(MainWindowStart, KillListAndStaleTemporariesGoInsideTheProgramFolderOnly)
{
    QTemporaryDir outside;
    MainWindowFixture f;
    const QString sentinel = outside.path() + "/sentinel.txt", rel = QDir(f.exe).relativeFilePath(sentinel);
    const QString additions = f.additionsPath();
    QDir(f.exe).mkdir("old");
    f.writeFile("categpref.bin", std::string(56, '\0'));
    const QByteArray userFiles = f.readFile("pref.ini") + f.readFile("categpref.bin") + f.readFile(additions);
    f.writeFile("data/kill", "\r\n" + rel.toStdString() + "\r\n" + sentinel.toStdString() +
                                 "\r\nold\\obsolete.dll\r\n..\r\ndata\r\nPREF.INI\r\ncategpref.bin\r\n" +
                                 additions.toUpper().toStdString() + "\r\n");
    // Temporaries of saves go when a minute old at least: a fresh one may be another
    // instance's save.
    const QStringList gone{"old/Obsolete.DLL", additions + ".eiJujp", additions + ".bak.Ab12Cd", additions + ".bak2.Zz9Yy8",
                           "pref.ini.x1Y2z3", "categpref.bin.QWERTY"};
    const QStringList kept{additions + ".fresh1", additions + ".bak2", "pref.ini.toolong7", "notes.txt.abcdef",
                           "ajouts/mine.txt.abcdef", rel, "data/kill"};
    for (const QString& name : gone + kept.mid(0, 6)) {
        f.writeFile(name, std::string(1000, 'x'));
        QFile file(f.exe + name);
        file.open(QIODevice::ReadWrite);
        if (name != kept.front())
            file.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime);
    }
    auto w = f.start();
    EXPECT_EQ(f.readFile("pref.ini").size() + f.readFile("categpref.bin").size() + f.readFile(additions).size(),
              userFiles.size()); // the user's own files are never the kill list's
    for (const QString& name : gone) EXPECT_FALSE(QFile::exists(f.exe + name)) << name.toStdString();
    for (const QString& name : kept) EXPECT_TRUE(QFile::exists(f.exe + name)) << name.toStdString();
}

TEST(MainWindowStart, ExtremePlacementAndPanValuesAreHeldToWhatFitsAndWrittenBackAsUsed)
{
    for (const std::string v : {"2147483647", "-2147483648"}) {
        MainWindowFixture f;
        std::string lines;
        for (const char* key : {"MAPW", "MAPH", "MAPT", "MAPL", "LOCX", "LOCY"})
            lines += std::string("[") + key + "]=" + v + "\r\n";
        const auto demo = sample::buildDemoDatabase(MainWindowFixture::sampleOptions());
        f.writePrefs(lines + "[LOCR]=" + std::to_string(demo.mapIndex.maps.front().mapId) + "\r\n");
        int32_t offsetX = 0, offsetY = 0;
        {
            auto w = f.start();
            w->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
            w->grab(); // paints the map, its markers and compass
            offsetX = w->scene.view.OffsetX;
            offsetY = w->scene.view.OffsetY;
        }
        rPreference prefs;
        WindowSettings back;
        const QByteArray written = f.readFile("pref.ini");
        ASSERT_EQ(LoadPrefBytes(written.toStdString(), prefs, back), PrefLoadResult::Loaded) << v;
        EXPECT_EQ(std::pair(back.OffsetX, back.OffsetY), std::pair(offsetX, offsetY)) << v;
        EXPECT_LE(std::abs(int64_t(offsetX)), int64_t(1) << 27) << v;
        for (int32_t placed : {back.MAPW, back.MAPH, back.MAPT, back.MAPL}) {
            EXPECT_GE(placed, -32768) << v;
            EXPECT_LE(placed, 32767) << v;
        }
        EXPECT_GT(back.MAPW, 0) << v;
        EXPECT_GT(back.MAPH, 0) << v;
    }
}

TEST(MainWindowStart, TheKillListDeletesNothingThroughALinkLeadingOutside)
{
    QTemporaryDir outside;
    MainWindowFixture f;
    writeBytes(outside.path() + "/victim.txt", "outside");
    ASSERT_TRUE(QFile::link(outside.path(), f.exe + "old"));                              // folder link
    ASSERT_TRUE(QFile::link(outside.path() + "/victim.txt", f.exe + "data/victim.txt")); // file link
    f.writeFile("data/kill", "old\\victim.txt\r\ndata\\victim.txt\r\n");
    auto w = f.start();
    EXPECT_EQ(readBytes(outside.path() + "/victim.txt"), "outside");
    EXPECT_TRUE(QFileInfo(f.exe + "data/victim.txt").isSymLink());
}

TEST(MainWindowClose, SavesNeverGoThroughALinkLeadingOutside)
{
    QTemporaryDir outsideDir;
    const QString outside = outsideDir.path() + "/";
    MainWindowFixture f;
    const QString additions = f.additionsPath();
    f.start().reset(); // a first run writes categpref.bin
    // The user's files moved out of the program folder, links left in their place: they
    // are read through the links, but never written through them.
    QDir(f.exe).rename("ajouts", outside + "ajouts");
    QDir().rename(f.exe + "pref.ini", outside + "pref.ini");
    QDir().rename(f.exe + "categpref.bin", outside + "categpref.bin");
    ASSERT_TRUE(QFile::link(outside + "ajouts", f.exe + "ajouts"));
    ASSERT_TRUE(QFile::link(outside + "pref.ini", f.exe + "pref.ini"));
    ASSERT_TRUE(QFile::link(outside + "categpref.bin", f.exe + "categpref.bin"));
    const QByteArray before = f.readFile(additions), prefBefore = f.readFile("pref.ini");
    const QByteArray categBefore = f.readFile("categpref.bin");
    ASSERT_GT(before.size(), 64);
    // An old temporary beside the additions file out there is not this folder's to clean.
    const QString temporary = outside + "ajouts/" + additions.mid(7) + ".Ab12Cd";
    writeBytes(temporary, "x");
    {
        QFile file(temporary);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime);
    }

    auto w = f.start();
    w->toggle_tagnew(true);
    f.boxes.answers = {kAnswerYes};
    EXPECT_FALSE(w->FormCloseQuery());
    w.reset(); // writes pref.ini and categpref.bin
    EXPECT_TRUE(sawFileFailure(f.boxes, messageText(6, additions.mid(7).toStdString()), f.exe + additions))
        << f.boxes.shown.join(" | ").toStdString();
    EXPECT_EQ(settingsWriteFailures(f.boxes), (QStringList{f.exe + "pref.ini", f.exe + "categpref.bin"}));
    EXPECT_EQ(f.readFile(additions), before);
    EXPECT_EQ(f.readFile("pref.ini"), prefBefore);
    EXPECT_EQ(f.readFile("categpref.bin"), categBefore);
    EXPECT_EQ(QDir(outside + "ajouts").entryList(QDir::Files),
              (QStringList{additions.mid(7), QFileInfo(temporary).fileName()}));
}

TEST(MainWindowStart, OnlyRegularFilesAreReadSoNoFileStallsTheStart)
{
    MainWindowFixture f;
    // Every zone's vector file becomes a FIFO or a link to an endless device, every zone
    // image a FIFO: the start must neither block nor read without end.
    const QStringList vectors = QDir(f.exe + "maps").entryList({"*.vec"}, QDir::Files);
    const QStringList images = QDir(f.exe + "maps").entryList({"*.jpg"}, QDir::Files);
    ASSERT_GE(vectors.size(), 2);
    ASSERT_FALSE(images.isEmpty());
    for (int i = 0; i < vectors.size(); ++i) {
        const QString path = f.exe + "maps/" + vectors[i];
        QFile::remove(path);
        if (i % 2 == 0)
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link("/dev/zero", path));
    }
    for (const QString& image : images) {
        const QString path = f.exe + "maps/" + image;
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    // The marker and splash bitmaps likewise.
    QFile::remove(f.exe + "data/cible.bmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(f.exe + "data/cible.bmp").constData(), 0600), 0);
    QFile::remove(f.exe + "data/vmar.bmp");
    ASSERT_TRUE(QFile::link("/dev/zero", f.exe + "data/vmar.bmp"));
    const auto demo = sample::buildDemoDatabase(MainWindowFixture::sampleOptions());
    f.writePrefs("[LOCR]=" + std::to_string(demo.mapIndex.maps.front().mapId) + "\r\n");
    std::vector<std::string> log;
    SetLogSink([&log](const std::string& line) { log.push_back(line); });
    auto w = f.startShown();
    SetLogSink({});
    EXPECT_TRUE(f.boxes.saw(messageText(53))); // zone images missing
    const auto logged = [&log](const QString& name) {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) {
            return l.find("not a regular file") != std::string::npos && l.find(name.toStdString()) != std::string::npos;
        });
    };
    EXPECT_TRUE(std::any_of(vectors.begin(), vectors.end(), logged));
    EXPECT_TRUE(std::any_of(images.begin(), images.end(), logged));
    EXPECT_TRUE(logged("data/cible.bmp"));
    EXPECT_TRUE(logged("data/vmar.bmp"));
    EXPECT_TRUE(w->scene.Splash.isNull());
}

TEST(MainWindowStart, AZoneImageMissingInBothFormsIsNamedInTheLog)
{
    MainWindowFixture f;
    const QStringList images = QDir(f.exe + "maps").entryList({"*.jpg"}, QDir::Files);
    ASSERT_FALSE(images.isEmpty());
    for (const QString& image : images) {
        QFile::remove(f.exe + "maps/" + image);
        QFile::remove(f.exe + "maps/" + QFileInfo(image).completeBaseName() + ".bmp");
    }
    const auto demo = sample::buildDemoDatabase(MainWindowFixture::sampleOptions());
    f.writePrefs("[LOCR]=" + std::to_string(demo.mapIndex.maps.front().mapId) + "\r\n");
    std::vector<std::string> log;
    SetLogSink([&log](const std::string& line) { log.push_back(line); });
    auto w = f.startShown();
    SetLogSink({});
    EXPECT_TRUE(f.boxes.saw(messageText(53)));
    const auto named = [&log](const QString& image) {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) {
            return l.find("zone image not found") != std::string::npos &&
                   l.find("maps/" + image.toStdString()) != std::string::npos;
        });
    };
    // Every zone of the map shown is named; zones of other maps are not loaded.
    ASSERT_FALSE(w->scene.DisplayedZones.empty());
    for (const pMap_info* zone : w->scene.DisplayedZones)
        EXPECT_TRUE(named(QString::fromStdString(zone->fileName) + ".jpg")) << zone->fileName;
}

TEST(MainWindowStart, AnAdditionsFilePastItsSizeIsNamedAndLeftAsItIs)
{
    MainWindowFixture f;
    const QString additions = f.exe + f.additionsPath();
    ASSERT_TRUE(QFile::resize(additions, kAdditionsFileCap + 1)); // sparse: no disk used
    std::vector<std::string> log;
    SetLogSink([&log](const std::string& line) { log.push_back(line); });
    {
        auto w = f.start();
        w->toggle_tagnew(true);
        f.boxes.answers = {kAnswerYes};
        w->FormCloseQuery();
    }
    SetLogSink({});
    EXPECT_TRUE(f.boxes.saw(messageText(38, QFileInfo(additions).fileName().toStdString())));
    EXPECT_EQ(QFileInfo(additions).size(), kAdditionsFileCap + 1);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& l) {
        return l.find("larger than") != std::string::npos && l.find(additions.toStdString()) != std::string::npos;
    }));
}

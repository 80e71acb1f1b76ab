#include <csignal>
#include <sys/resource.h>

#include "main_window_fixture.h"

namespace {
bool memoHas(TForm4& w, int infoId)
{
    // The I line's text up to its first placeholder.
    QString prefix = ToDisplay(GetInfoText(infoId));
    prefix = prefix.left(prefix.indexOf('%'));
    return w.Memo1->toPlainText().contains(prefix);
}
} // namespace

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
        EXPECT_TRUE(f.boxes.saw(kRessourceError));
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
    auto w = f.start();
    const QByteArray before = f.readFile(additions), prefBefore = f.readFile("pref.ini");
    ASSERT_GT(before.size(), 64);

    w->toggle_tagnew(true);
    f.boxes.answers = {kAnswerCancel};
    EXPECT_FALSE(w->FormCloseQuery());
    EXPECT_TRUE(w->AdditionsModified());
    f.boxes.answers = {kAnswerNo};
    EXPECT_TRUE(w->FormCloseQuery());
    EXPECT_EQ(f.readFile(additions), before);
    {
        // Yes, but every write fails past 64 bytes, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &small);
        w->toggle_tagnew(true);
        f.boxes.answers = {kAnswerYes};
        EXPECT_FALSE(w->FormCloseQuery());
        EXPECT_TRUE(w->AdditionsModified());
        w.reset(); // writes pref.ini
        setrlimit(RLIMIT_FSIZE, &old);
    }
    EXPECT_TRUE(f.boxes.saw(messageText(6, additions.mid(7).toStdString())));
    EXPECT_TRUE(f.boxes.saw(messageText(22)));
    EXPECT_EQ(f.readFile(additions), before);
    EXPECT_EQ(f.readFile("pref.ini"), prefBefore);

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
    const QStringList gone{"old/Obsolete.DLL", additions + ".eiJujp", additions + ".bak.Ab12Cd",
                           "pref.ini.x1Y2z3", "categpref.bin.QWERTY"};
    const QStringList kept{additions + ".fresh1", "pref.ini.toolong7", "notes.txt.abcdef",
                           "ajouts/mine.txt.abcdef", rel, "data/kill"};
    for (const QString& name : gone + kept.mid(0, 5)) {
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

// Language and database switch from the menu and from the preferences dialog, on a
// sample folder with a second database (one map fewer) and a third without categories.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "database_globals.h"
#include "demo_content.h"
#include "main_window_fixture.h"
#include "map_widget.h"
#include "name_lookup.h"
#include "preferences.h"
#include "preferences_dialog.h"
#include "sample_writers.h"

namespace {

constexpr const char* kProbe = "Reload probe";

struct ReloadFixture : MainWindowFixture {
    std::string first;
    int32_t keptMap = -1, removedMap = -1;

    ReloadFixture()
    {
        first = database();
        sample::SampleOptions options;
        options.locations = 300;
        options.zones = 6;
        options.categories = 6;
        options.imageSize = 64;
        sample::DemoDatabase db = sample::buildDemoDatabase(options);
        copyDatabase("Second");
        copyDatabase("Third");
        QFile::remove(exe + "database/Third/itemcateg.bin");
        // "Second" lacks the last map and its zones.
        removedMap = db.mapIndex.maps.back().mapId;
        keptMap = db.mapIndex.maps.front().mapId;
        db.mapIndex.maps.pop_back();
        std::erase_if(db.mapIndex.zones, [&](const pMap_info& z) { return z.regionId == removedMap; });
        const auto index = sample::writeMapIndex(db.mapIndex);
        writeFile("database/Second/vmarmap.bin", std::string(index.begin(), index.end()));
        // Its additions hold a location of their own.
        for (rnew_node r : db.additions.locations) {
            if (r.id != 0) continue;
            r.name = kProbe;
            sample::AdditionsFile probe;
            probe.locations = {r};
            writeFile("ajouts/Vmar_ajouts_Second.txt", sample::writeAdditionsFile(probe));
            break;
        }
    }
    void copyDatabase(const QString& name)
    {
        const QString from = exe + "database/" + QString::fromStdString(first) + "/";
        QDir().mkpath(exe + "database/" + name);
        for (const QString& f : QDir(from).entryList(QDir::Files)) QFile::copy(from + f, exe + "database/" + name + "/" + f);
    }
    std::unique_ptr<TForm4> open()
    {
        MainWindowDialogs d = dialogs();
        d.preferences = [](QWidget* owner, const std::vector<QImage>& icons) { return run_preferences(owner, icons); };
        auto w = std::make_unique<TForm4>(exe, d);
        w->FormActivate();
        w->show();
        return w;
    }
};

QAction* folderItem(QMenu* menu, const QString& folder)
{
    for (QAction* a : menu->actions())
        if (a->data().toString() == folder) return a;
    return nullptr;
}

QString checkedFolder(QMenu* menu)
{
    for (QAction* a : menu->actions())
        if (a->isChecked()) return a->data().toString();
    return {};
}

// Opens the sub-menu and clicks the folder's item, as the user does from but_pref's arrow.
void clickFolder(QMenu* menu, const QString& folder)
{
    QAction* item = folderItem(menu, folder);
    ASSERT_NE(item, nullptr) << folder.toStdString();
    menu->popup(QPoint(10, 10));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

void clickPref(TForm4& w)
{
    QTest::mouseClick(w.but_pref, Qt::LeftButton, {}, QPoint(4, w.but_pref->height() / 2));
}

QString lastFeedback(const TForm4& w)
{
    for (auto it = w.FeedbackList.rbegin(); it != w.FeedbackList.rend(); ++it)
        if (!it->text.empty()) return ToDisplay(it->text);
    return {};
}

bool traced(const TForm4& w, const std::string& step)
{
    return std::find(w.startupTrace.begin(), w.startupTrace.end(), step) != w.startupTrace.end();
}

// Works the dialog through the runner: the page's tab, then the steps.
struct DialogScript {
    explicit DialogScript(std::function<void(TForm3&)> steps)
    {
        setPreferencesRunner([steps](TForm3& d) {
            d.show();
            steps(d);
        });
    }
    ~DialogScript() { setPreferencesRunner({}); }
};

void chooseDatabase(TForm3& d, const QString& name)
{
    const auto found = d.ListBox2->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(d.ListBox2->viewport(), Qt::LeftButton, {}, d.ListBox2->visualItemRect(found[0]).center());
}

} // namespace

TEST(Reload, DatabaseSwitchFromTheMenuKeepsTheView)
{
    ReloadFixture f;
    auto w = f.open();
    const QString first = QString::fromStdString(f.first);
    EXPECT_EQ(checkedFolder(w->Database1), first);
    EXPECT_EQ(find_node_byname(w->MyTreeStore, kProbe, false, -1, kNoTreeNode), kNoTreeNode);

    auto showMap = [&](int32_t mapId) {
        w->localize_data(w->MyTreeStore.find_region_masternode(mapId), false);
        ASSERT_EQ(w->scene.CurrentMapId, mapId);
        w->scene.view.restoreZoom(300);
        w->scene.view.OffsetX = -123;
        w->scene.view.OffsetY = 45;
    };
    showMap(f.keptMap);
    w->startupTrace.clear();
    clickFolder(w->Database1, "Second");
    EXPECT_TRUE(traced(*w, "load_database"));
    EXPECT_EQ(DatabaseLang, "Second");
    EXPECT_EQ(checkedFolder(w->Database1), "Second");
    EXPECT_EQ(w->scene.CurrentMapId, f.keptMap);
    EXPECT_EQ(w->scene.view.Zoom, 300);
    EXPECT_EQ(w->ZoomBar->value(), 300);
    EXPECT_EQ(w->scene.view.OffsetX, -123);
    EXPECT_EQ(w->scene.view.OffsetY, 45);
    EXPECT_EQ(w->additions()->AdditionsFileName, "Vmar_ajouts_Second.txt");
    EXPECT_NE(find_node_byname(w->MyTreeStore, kProbe, false, -1, kNoTreeNode), kNoTreeNode);
    EXPECT_EQ(lastFeedback(*w), messageText(64, "Second").section('\n', 0, 0));
    EXPECT_TRUE(QFile::exists(f.exe + "categpref.bin"));
    EXPECT_FALSE(w->scene.common == nullptr);
    EXPECT_EQ(w->scene.common, CommonData.get());

    // Back, then to a database without the map shown: the splash, the view kept.
    clickFolder(w->Database1, first);
    EXPECT_EQ(DatabaseLang, first);
    showMap(f.removedMap);
    clickFolder(w->Database1, "Second");
    EXPECT_EQ(w->scene.CurrentMapId, -1);
    EXPECT_EQ(w->scene.view.Zoom, 300);
    EXPECT_EQ(w->scene.view.OffsetX, -123);
    const QImage shot = w->ImageMapView->grab().toImage();
    EXPECT_FALSE(shot.isNull());
}

TEST(Reload, LanguageSwitchTranslatesAndNamesTheDatabase)
{
    ReloadFixture f;
    auto w = f.open();
    const QString frenchCaption = w->CheckBox4->text();
    const QString frenchMenu = w->infos2->text();
    clickFolder(w->Langage1, "English");
    EXPECT_EQ(InterfaceLang, "English");
    EXPECT_EQ(checkedFolder(w->Langage1), "English");
    EXPECT_EQ(w->CheckBox4->text(), "Levels");
    EXPECT_NE(w->CheckBox4->text(), frenchCaption);
    EXPECT_NE(w->infos2->text(), frenchMenu);
    EXPECT_EQ(lastFeedback(*w), "Database " + QString::fromStdString(f.first) + " loaded.");

    // A language folder without texts falls back to "Francais", and so does the mark.
    QDir().mkpath(f.exe + "res/Vide");
    w->init_menulang();
    clickFolder(w->Langage1, "Vide");
    EXPECT_EQ(InterfaceLang, "Francais");
    EXPECT_EQ(checkedFolder(w->Langage1), "Francais");
    EXPECT_EQ(w->CheckBox4->text(), frenchCaption);
}

TEST(Reload, CategoryLooksChosenWithASwitchSurviveIt)
{
    ReloadFixture f;
    auto w = f.open();
    uint8_t id = 0;
    {
        DialogScript script([&](TForm3& d) {
            d.pickers.colour = [](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(1, 2, 3); };
            QTabBar* tabs = d.PageControl1->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(d.PageControl1->indexOf(d.TabSheet3)).center());
            QTreeWidgetItem* first = d.Tree_leg->topLevelItem(0);
            QTest::mouseClick(d.Tree_leg->viewport(), Qt::LeftButton, {}, d.Tree_leg->visualItemRect(first).center());
            id = d.currentEntry()->category->id;
            QTest::mouseClick(d.Button5, Qt::LeftButton);
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(d.PageControl1->indexOf(d.TabSheet1)).center());
            chooseDatabase(d, "Second");
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        });
        clickPref(*w);
    }
    EXPECT_EQ(DatabaseLang, "Second");
    ASSERT_NE(id, 0);
    ASSERT_NE(CommonData->categoryById(id), nullptr);
    EXPECT_EQ(CommonData->categoryById(id)->colour, 0x030201u); // written, then read back
}

TEST(Reload, SaveQuestionBeforeASwitch)
{
    ReloadFixture f;
    auto w = f.open();
    const QString first = QString::fromStdString(f.first);
    const std::string firstFile = ToCp1252(MakeAdditionsFileName(first)).value();
    w->toggle_tagnew(true);

    // The database already shown: no question, nothing changes, the edits stay unsaved.
    w->startupTrace.clear();
    clickFolder(w->Database1, first);
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_TRUE(w->AdditionsModified());
    EXPECT_TRUE(w->sauver1->isEnabled());
    EXPECT_EQ(checkedFolder(w->Database1), first);

    // Cancel: the mark goes back, nothing reloads.
    f.boxes.answers = {kAnswerCancel};
    clickFolder(w->Database1, "Second");
    EXPECT_TRUE(f.boxes.saw(messageText(1, firstFile)));
    EXPECT_EQ(DatabaseLang, first);
    EXPECT_EQ(checkedFolder(w->Database1), first);
    EXPECT_FALSE(traced(*w, "load_database"));
    EXPECT_TRUE(w->AdditionsModified());

    // No at the preferences' question keeps the edits; the reload the dialog asks for
    // then asks again, and Cancel brings the loaded names and marks back.
    f.boxes.shown.clear();
    f.boxes.answers = {kAnswerNo, kAnswerCancel};
    {
        DialogScript script([](TForm3& d) {
            chooseDatabase(d, "Second");
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        });
        clickPref(*w);
    }
    ASSERT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_EQ(f.boxes.shown[0], messageText(63, firstFile));
    EXPECT_EQ(f.boxes.shown[1], messageText(1, firstFile));
    EXPECT_EQ(DatabaseLang, first);
    EXPECT_EQ(checkedFolder(w->Database1), first);
    EXPECT_FALSE(traced(*w, "load_database"));
    EXPECT_TRUE(w->AdditionsModified());

    // Yes writes the edits to the file of the database they belong to, then switches.
    const QByteArray secondBefore = f.readFile("ajouts/Vmar_ajouts_Second.txt");
    const std::string expected = w->additions()->additionsText("123456", "Testeur");
    QFile::remove(f.exe + "ajouts/" + MakeAdditionsFileName(first));
    f.boxes.shown.clear();
    f.boxes.answers = {kAnswerNo, kAnswerYes};
    {
        DialogScript script([](TForm3& d) {
            chooseDatabase(d, "Second");
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        });
        clickPref(*w);
    }
    EXPECT_EQ(DatabaseLang, "Second");
    EXPECT_TRUE(traced(*w, "load_database"));
    EXPECT_FALSE(w->AdditionsModified());
    EXPECT_FALSE(w->sauver1->isEnabled());
    EXPECT_EQ(f.readFile("ajouts/Vmar_ajouts_Second.txt"), secondBefore);
    // The file as the loaded tree makes it; only the save id of its first line is drawn anew.
    const std::string written = f.readFile("ajouts/" + MakeAdditionsFileName(first)).toStdString();
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_EQ(written.substr(0, 9), "#v250-id=");
    EXPECT_EQ(written.substr(15), expected.substr(15));
}

TEST(Reload, PreferencesWithoutSwitchApplyInPlace)
{
    ReloadFixture f;
    auto w = f.open();
    EXPECT_FALSE(w->Timer3.isActive());
    w->startupTrace.clear();
    {
        DialogScript script([](TForm3& d) {
            QTest::mouseClick(d.CheckBox8, Qt::LeftButton); // autosave
            QTest::mouseClick(d.CheckBox4, Qt::LeftButton); // transparency
            QTabBar* tabs = d.PageControl1->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(d.PageControl1->indexOf(d.TabSheet2)).center());
            d.TrackBarLod2->setFocus();
            QTest::keyClick(d.TrackBarLod2, Qt::Key_Home);
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        });
        clickPref(*w);
    }
    EXPECT_FALSE(traced(*w, "load_database"));
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_TRUE(Preferences.AUTO);
    EXPECT_TRUE(w->Timer3.isActive());
    EXPECT_NEAR(w->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(Preferences.LODA, 20);
    EXPECT_EQ(Preferences.LODC, 20);

    // Cancel leaves the settings as they were.
    const rPreference before = Preferences;
    {
        DialogScript script([](TForm3& d) {
            QTest::mouseClick(d.CheckBox8, Qt::LeftButton);
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        clickPref(*w);
    }
    EXPECT_EQ(Preferences.AUTO, before.AUTO);
    EXPECT_TRUE(w->Timer3.isActive());
}

namespace {
// A box that runs the event loop as a real one does: paints, and the user clicking
// around and trying to close the window while the data are half loaded.
struct BusyBoxes : ScriptedBoxes {
    TForm4* w = nullptr;
    int grabs = 0;
    void information(const QString& text) override
    {
        ScriptedBoxes::information(text);
        if (!w) return;
        QCoreApplication::processEvents();
        if (!w->ImageMapView->grab().isNull()) ++grabs;
        if (QAction* english = folderItem(w->Langage1, "English")) english->trigger();
        clickPref(*w);
        w->but_mail->click();
        w->close();
        visibleAfterClose += w->isVisible() ? 1 : 0;
    }
    int visibleAfterClose = 0;
};
} // namespace

TEST(Reload, BoxesDuringTheLoadSeeNoStaleDataAndStartNothing)
{
    ReloadFixture f;
    BusyBoxes boxes;
    setMessageBoxes(&boxes);
    auto w = f.open();
    boxes.w = w.get();
    int dialogs = 0;
    DialogScript script([&](TForm3& d) {
        ++dialogs;
        d.reject();
    });
    clickFolder(w->Database1, "Third");
    EXPECT_TRUE(boxes.saw(messageText(15)));
    EXPECT_GT(boxes.grabs, 0);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(DatabaseLang, "Third");
    EXPECT_EQ(InterfaceLang, "Francais");
    EXPECT_EQ(checkedFolder(w->Langage1), "Francais");
    EXPECT_EQ(boxes.visibleAfterClose, 1);
    // The close asked for during the load happens once it is over.
    EXPECT_TRUE(w->isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->isVisible());
    w->show();
    boxes.w = nullptr;
    // Back to a full database: the map paints with its categories again.
    clickFolder(w->Database1, QString::fromStdString(f.first));
    EXPECT_FALSE(CommonData->categories.empty());
    w->localize_data(w->MyTreeStore.find_region_masternode(f.keptMap), false);
    EXPECT_FALSE(w->ImageMapView->grab().isNull());
    setMessageBoxes(&f.boxes);
}

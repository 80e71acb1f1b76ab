// Language and database switch from the menu and from the preferences dialog, on a
// sample folder with a second database (one map fewer) and a third without categories.
#include <optional>

#include "demo_content.h"
#include "main_window_fixture.h"
#include "name_lookup.h"
#include "preferences_driver.h"
#include "sample_writers.h"
#include "search_result_model.h"

namespace {

constexpr const char* kProbe = "Reload probe";

struct ReloadFixture : MainWindowFixture {
    std::string first;
    int32_t keptMap = -1, removedMap = -1;

    ReloadFixture() : first(database())
    {
        sample::DemoDatabase db = sample::buildDemoDatabase(sampleOptions());
        for (const char* name : {"Second", "Third"}) {
            const QString from = exe + "database/" + QString::fromStdString(first) + "/", to = exe + "database/" + name + "/";
            QDir().mkpath(to);
            for (const QString& file : QDir(from).entryList(QDir::Files)) QFile::copy(from + file, to + file);
        }
        QFile::remove(exe + "database/Third/itemcateg.bin");
        // "Second" lacks the last map and its zones, and its additions add a location.
        removedMap = db.mapIndex.maps.back().mapId;
        keptMap = db.mapIndex.maps.front().mapId;
        db.mapIndex.maps.pop_back();
        std::erase_if(db.mapIndex.zones, [&](const pMap_info& z) { return z.regionId == removedMap; });
        const auto index = sample::writeMapIndex(db.mapIndex);
        writeFile("database/Second/vmarmap.bin", std::string(index.begin(), index.end()));
        sample::AdditionsFile probe;
        for (const rnew_node& r : db.additions.locations)
            if (r.id == 0 && probe.locations.empty()) probe.locations.push_back(r);
        probe.locations.at(0).name = kProbe;
        writeFile("ajouts/Vmar_ajouts_Second.txt", sample::writeAdditionsFile(probe));
    }
    bool filesUpdated = false; // what the update dialog reports
    std::unique_ptr<TForm4> open()
    {
        MainWindowDialogs d = dialogs();
        d.preferences = [](QWidget* owner, const std::vector<QImage>& icons) { return run_preferences(owner, icons); };
        d.update = [this](QWidget*) { return UpdateOutcome{filesUpdated, false}; };
        auto w = std::make_unique<TForm4>(exe, d);
        w->FormActivate();
        w->show();
        return w;
    }
};

QString checkedFolder(QMenu* menu)
{
    for (QAction* a : menu->actions())
        if (a->isChecked()) return a->data().toString();
    return {};
}

// Clicks but_pref; the steps, if any, then run on the dialog it opens.
void clickPref(TForm4& w, std::function<void(TForm3&)> steps = {})
{
    std::optional<PreferencesScript> script;
    if (steps) script.emplace(std::move(steps));
    QTest::mouseClick(w.but_pref, Qt::LeftButton, {}, QPoint(4, w.but_pref->height() / 2));
}

bool reloaded(TForm4& w)
{
    const bool loaded = std::count(w.startupTrace.begin(), w.startupTrace.end(), "load_database") > 0;
    w.startupTrace.clear();
    return loaded;
}

} // namespace

TEST(Reload, SwitchesKeepTheViewTranslateAndApplyThePreferences)
{
    ReloadFixture f;
    auto w = f.open();
    const QString frenchCaption = w->CheckBox4->text(), frenchMenu = w->infos2->text();
    const QString first = QString::fromStdString(f.first);
    EXPECT_EQ(find_node_byname(w->MyTreeStore, kProbe, false, -1, kNoTreeNode), kNoTreeNode);
    auto showMap = [&](int32_t mapId) {
        w->localize_data(w->MyTreeStore.find_region_masternode(mapId), false);
        ASSERT_EQ(w->scene.CurrentMapId, mapId);
        w->scene.view.restoreZoom(300);
        w->scene.view.OffsetX = -123;
        w->scene.view.OffsetY = 45;
    };
    auto expectView = [&](int32_t mapId) {
        EXPECT_EQ(w->scene.CurrentMapId, mapId);
        EXPECT_EQ(QPoint(w->scene.view.OffsetX, w->scene.view.OffsetY), QPoint(-123, 45));
        EXPECT_EQ(w->scene.view.Zoom, 300);
        EXPECT_EQ(w->ZoomBar->value(), 300);
    };
    showMap(f.keptMap);
    clickFolder(w->Database1, "Second");
    EXPECT_EQ(DatabaseLang, "Second");
    EXPECT_EQ(checkedFolder(w->Database1), "Second");
    expectView(f.keptMap);
    EXPECT_EQ(w->additions()->AdditionsFileName, "Vmar_ajouts_Second.txt");
    EXPECT_NE(find_node_byname(w->MyTreeStore, kProbe, false, -1, kNoTreeNode), kNoTreeNode);
    EXPECT_EQ(w->scene.common, CommonData.get());

    // Back, then to a database without the map shown: the splash, the view kept.
    clickFolder(w->Database1, first);
    showMap(f.removedMap);
    clickFolder(w->Database1, "Second");
    expectView(-1);
    EXPECT_FALSE(w->ImageMapView->grab().isNull());

    clickFolder(w->Langage1, "English");
    EXPECT_EQ(InterfaceLang, "English");
    EXPECT_EQ(checkedFolder(w->Langage1), "English");
    EXPECT_EQ(w->CheckBox4->text(), "Levels");
    EXPECT_NE(w->infos2->text(), frenchMenu);
    EXPECT_EQ(lastFeedback(*w), "Database Second loaded.");

    // A language folder without texts falls back to "Francais", and so does the mark.
    QDir().mkpath(f.exe + "res/Vide");
    w->init_menulang();
    clickFolder(w->Langage1, "Vide");
    EXPECT_EQ(InterfaceLang, "Francais");
    EXPECT_EQ(checkedFolder(w->Langage1), "Francais");
    EXPECT_EQ(w->CheckBox4->text(), frenchCaption);

    // The preferences apply in place, or with the switch they ask for.
    w->startupTrace.clear();
    clickPref(*w, [](TForm3& d) {
        click(d.CheckBox8); // autosave
        click(d.CheckBox4); // transparency
        showPage(d, d.TabSheet2);
        d.TrackBarLod2->setFocus();
        QTest::keyClick(d.TrackBarLod2, Qt::Key_Home);
        click(d.Button1);
    });
    EXPECT_FALSE(reloaded(*w));
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_TRUE(w->Timer3.isActive());
    EXPECT_NEAR(w->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(Preferences.LODA, 20);

    // A category's colour chosen together with a switch is written, then read back.
    uint8_t id = 0;
    clickPref(*w, [&](TForm3& d) {
        d.pickers.colour = [](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(1, 2, 3); };
        focusLegendRow(d, 0);
        id = d.currentEntry()->category->id;
        click(d.Button5);
        showPage(d, d.TabSheet1);
        pickAndOk(&TForm3::ListBox2, first)(d);
    });
    EXPECT_TRUE(reloaded(*w));
    ASSERT_NE(CommonData->categoryById(id), nullptr);
    EXPECT_EQ(CommonData->categoryById(id)->colour, 0x030201u);
}

TEST(Reload, SaveQuestionBeforeASwitchOrAnUpdate)
{
    ReloadFixture f;
    auto w = f.open();
    const QString first = QString::fromStdString(f.first);
    const std::string firstFile = ToCp1252(MakeAdditionsFileName(first)).value();
    w->toggle_tagnew(true);
    w->startupTrace.clear();

    // The database already shown: no question, nothing changes, the edits stay unsaved.
    clickFolder(w->Database1, first);
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_TRUE(w->sauver1->isEnabled());

    // Cancel: the mark goes back, nothing reloads.
    clickFolder(w->Database1, "Second");
    EXPECT_EQ(f.boxes.shown, QStringList{"confirm:" + messageText(1, firstFile)});
    EXPECT_EQ(DatabaseLang, first);
    EXPECT_EQ(checkedFolder(w->Database1), first);
    EXPECT_FALSE(reloaded(*w));

    // No at the preferences' question keeps the edits; the reload the dialog asks for then
    // asks again, and Cancel brings the loaded names and marks back.
    auto chooseSecond = [&](std::deque<int> answers) {
        f.boxes.shown.clear();
        f.boxes.answers = std::move(answers);
        clickPref(*w, pickAndOk(&TForm3::ListBox2, "Second"));
    };
    chooseSecond({kAnswerNo, kAnswerCancel});
    EXPECT_EQ(f.boxes.shown,
              (QStringList{"confirm:" + messageText(63, firstFile), "confirm:" + messageText(1, firstFile)}));
    EXPECT_EQ(DatabaseLang, first);
    EXPECT_EQ(checkedFolder(w->Database1), first);
    EXPECT_FALSE(reloaded(*w));
    EXPECT_TRUE(w->AdditionsModified());

    // Yes writes the edits to the file of the database they belong to, then switches.
    const QByteArray secondBefore = f.readFile("ajouts/Vmar_ajouts_Second.txt");
    const std::string expected = w->additions()->additionsText("123456", "Testeur");
    chooseSecond({kAnswerNo, kAnswerYes});
    EXPECT_EQ(DatabaseLang, "Second");
    EXPECT_TRUE(reloaded(*w));
    EXPECT_FALSE(w->sauver1->isEnabled());
    EXPECT_EQ(f.readFile("ajouts/Vmar_ajouts_Second.txt"), secondBefore);
    // The file as the loaded tree makes it; only the save id in its first line is drawn anew.
    const std::string written = f.readFile("ajouts/" + MakeAdditionsFileName(first)).toStdString();
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_EQ(written.substr(15), expected.substr(15));

    // Updated files reload unless the unsaved edits are kept.
    click(w->but_autoup);
    EXPECT_FALSE(reloaded(*w)); // nothing replaced
    f.filesUpdated = true;
    w->toggle_tagnew(true);
    // No at the update's question keeps the edits: the reload asks again, and Cancel
    // leaves the replaced files for the next start.
    f.boxes.shown.clear();
    f.boxes.answers = {kAnswerNo, kAnswerCancel};
    click(w->but_autoup);
    EXPECT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_FALSE(reloaded(*w));
    EXPECT_TRUE(w->AdditionsModified());
    f.boxes.answers = {kAnswerNo, kAnswerNo};
    click(w->but_autoup);
    EXPECT_TRUE(reloaded(*w));
    EXPECT_FALSE(w->AdditionsModified());
}

namespace {
// A box that runs the event loop as a real one does: paints, and the user clicking
// around and trying to close the window while the data are half loaded.
struct BusyBoxes : ScriptedBoxes {
    TForm4* w = nullptr;
    int grabs = 0, visibleAfterClose = 0;
    void information(const QString& text) override
    {
        ScriptedBoxes::information(text);
        if (!w) return;
        QCoreApplication::processEvents(); // what the load posted so far, as a box's loop delivers it
        if (!w->ImageMapView->grab().isNull()) ++grabs;
        if (QAction* english = folderItem(w->Langage1, "English")) english->trigger();
        clickPref(*w);
        w->but_mail->click();
        w->close();
        visibleAfterClose += w->isVisible() ? 1 : 0;
    }
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
    PreferencesScript script([&](TForm3& d) {
        ++dialogs;
        d.reject();
    });
    clickFolder(w->Database1, "Third");
    EXPECT_TRUE(boxes.saw(messageText(15)));
    EXPECT_GT(boxes.grabs, 0);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(DatabaseLang, "Third");
    EXPECT_EQ(checkedFolder(w->Langage1), "Francais");
    EXPECT_EQ(boxes.visibleAfterClose, 1);
    // The close asked for during the load happens once it is over.
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->isVisible());
    w->show();
    boxes.w = nullptr;
    clickFolder(w->Database1, QString::fromStdString(f.first));
    EXPECT_FALSE(CommonData->categories.empty());
    w->localize_data(w->MyTreeStore.find_region_masternode(f.keptMap), false);
    EXPECT_FALSE(w->ImageMapView->grab().isNull());
    setMessageBoxes(&f.boxes);
}

TEST(Reload, CategoryPrefsAreWrittenBySwitchAndByClose)
{
    ReloadFixture f;
    auto w = f.open();
    QFile::remove(f.exe + "categpref.bin");
    clickFolder(w->Database1, "Second");
    ASSERT_TRUE(reloaded(*w));
    const QByteArray afterSwitch = f.readFile("categpref.bin");
    EXPECT_FALSE(afterSwitch.isEmpty());
    EXPECT_EQ(afterSwitch.size() % 56, 0);

    // The categories as the close finds them reach the file.
    QFile::remove(f.exe + "categpref.bin");
    CommonData->categories.front()->visible = 0;
    const std::vector<uint8_t> expected = CommonData->CategoryPrefsBytes();
    EXPECT_TRUE(w->close());
    w.reset();
    EXPECT_EQ(f.readFile("categpref.bin"), QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));
}

TEST(Reload, TheInfoPageOfTheDataLeftBehindIsEmptied)
{
    ReloadFixture f;
    auto w = f.open();
    int node = kNoTreeNode;
    w->MyTreeStore.forEachLocation([&](int n, const TNodeData& d) {
        if (node == kNoTreeNode && d.item && !d.item->description.empty()) node = n;
    });
    ASSERT_NE(node, kNoTreeNode);
    w->localize_data(node, true); // as a search result shows it
    ASSERT_FALSE(w->Label1->text().isEmpty());
    ASSERT_FALSE(w->Memo2->toPlainText().isEmpty());

    // The location belongs to the database left behind: its name, levels and note go, and
    // the page no longer claims a node of the tree built anew.
    clickFolder(w->Database1, "Second");
    ASSERT_EQ(DatabaseLang, "Second");
    EXPECT_TRUE(w->Label1->text().isEmpty());
    EXPECT_TRUE(w->Label7->text().isEmpty());
    EXPECT_TRUE(w->Label8->text().isEmpty());
    EXPECT_TRUE(w->Memo2->toPlainText().isEmpty());
    EXPECT_EQ(w->TreeRedir->topLevelItemCount(), 0);
    EXPECT_EQ(w->interaction->infoPanel().node, kNoTreeNode);
}

TEST(Reload, TheLevelFilterStillCheckedStillHides)
{
    ReloadFixture f;
    auto w = f.open();
    auto hidden = [&] {
        std::vector<std::string> names;
        w->MyTreeStore.forEachLocation([&](int node, const TNodeData& d) {
            if (d.item && !w->MyTreeStore.isVisible(node)) names.push_back(d.item->name);
        });
        std::sort(names.begin(), names.end());
        return names;
    };
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get())); // the edits take the focus from here on
    const std::vector<std::string> erased = hidden(); // names starting with "@"
    QTest::mouseClick(w->but_liste[0], Qt::LeftButton);
    QTest::mouseClick(w->CheckBoxlvl, Qt::LeftButton);
    QTest::mouseClick(w->Edit_lvl_min, Qt::LeftButton);
    QTest::keyClick(w->Edit_lvl_min, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w->Edit_lvl_min, "30");
    QTest::mouseClick(w->Edit_lvl_max, Qt::LeftButton); // leaving the minimum applies it
    ASSERT_EQ(w->levelFilter.LevelMin, 30);
    const std::vector<std::string> before = hidden();
    ASSERT_GT(before.size(), erased.size());

    // The tree built anew by a switch is filtered as the check box and the edits still say.
    clickFolder(w->Langage1, "English");
    ASSERT_EQ(InterfaceLang, "English");
    EXPECT_TRUE(w->CheckBoxlvl->isChecked());
    EXPECT_EQ(hidden(), before);

    // Unchecked, the next tree shows everything.
    QTest::mouseClick(w->CheckBoxlvl, Qt::LeftButton);
    clickFolder(w->Langage1, "Francais");
    EXPECT_EQ(hidden(), erased);
}

TEST(Reload, TheEmptiedResultListKeepsNoCountOfItsRows)
{
    ReloadFixture f;
    auto w = f.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QTest::mouseClick(w->but_liste[2], Qt::LeftButton);
    typeInto(w->Edit1, "a", true);
    ASSERT_GT(w->TreeResultModel->count(), 0);
    ASSERT_FALSE(w->Label6->text().isEmpty());

    // The rows go with the data they named; "n location(s) found" goes with them.
    clickFolder(w->Langage1, "English");
    ASSERT_EQ(InterfaceLang, "English");
    EXPECT_EQ(w->TreeResultModel->count(), 0);
    EXPECT_TRUE(w->Label6->text().isEmpty());
}

TEST(Reload, NoHintOfTheLanguageLeftBehindStaysInTheStatusBar)
{
    ReloadFixture f;
    auto w = f.open();
    // The pointer over the preferences button puts its hint into the status bar.
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), w->but_pref->mapToGlobal(QPointF(4, 4)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w->but_pref, &move);
    const QString before = w->statusBar()->currentMessage();
    ASSERT_FALSE(before.isEmpty());

    clickFolder(w->Langage1, "English");
    ASSERT_EQ(InterfaceLang, "English");
    EXPECT_NE(w->statusBar()->currentMessage(), before);
    QApplication::sendEvent(w->but_pref, &move);
    EXPECT_EQ(w->statusBar()->currentMessage(), ToDisplay(GetHintText(12).substr(1)));
}

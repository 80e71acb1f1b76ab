// The window frame's commands as a user gives them: the map overlay buttons and the tips
// button (what the map draws, what pref.ini keeps), the info button with its menu and web
// links, the keyboard shortcuts of the hidden menu, and the drag on the top tool bar.
#include "about_dialog.h"
#include "desktop.h"
#include "main_window_fixture.h"
#include "paint_counter.h"

namespace {

// A window whose about box is the real dialog, run modally as the program runs it.
struct FrameWindow {
    MainWindowFixture f;
    std::unique_ptr<TForm4> w;
    std::vector<bool> aboutOnCredits; // the page each about box opened on

    FrameWindow()
    {
        MainWindowDialogs d = f.dialogs();
        d.about = [this](QWidget* owner, bool credits) {
            TForm5 box(owner, credits);
            const test_wait::WhenReady close([&] { return box.isVisible(); },
                                             [&] {
                                                 aboutOnCredits.push_back(box.PageControl1->currentWidget() == box.TabSheet2);
                                                 QTest::mouseClick(box.Button1, Qt::LeftButton);
                                             },
                                             "the about box is up");
            box.exec();
        };
        w = std::make_unique<TForm4>(f.exe, d);
        w->FormActivate();
        w->resize(1000, 700);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        const pMap_info* zone = RealmInfo->mapIndex->zones.front().get();
        w->localize_data(zone->treeNode, false);
    }
    QImage map() { return w->ImageMapView->grab().toImage(); }
    // The value pref.ini holds for the key, or an empty text.
    QString pref(const char* key) const
    {
        for (const QByteArray& line : f.readFile("pref.ini").split('\n'))
            if (line.startsWith(QByteArray("[") + key + "]=")) return QString::fromLatin1(line.mid(7)).trimmed();
        return {};
    }
};

// Clicks the arrow of a tool button with a drop-down menu, then, once the menu is up, the
// item (and, for a sub-menu, the sub-menu's item `subItem`, else its first).
void clickInDropDown(QToolButton* button, QMenu* menu, QAction* item, QMenu* subMenu = nullptr,
                     const QString& subItem = {})
{
    const test_wait::WhenReady pick([&] { return menu->isVisible(); },
                                    [&] {
                                        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
                                        if (!subMenu) return;
                                        test_wait::waitUntil([&] { return subMenu->isVisible(); });
                                        QAction* chosen = subMenu->actions().value(0);
                                        for (QAction* a : subMenu->actions())
                                            if (!subItem.isEmpty() && a->text() == subItem) chosen = a;
                                        QTest::mouseClick(subMenu, Qt::LeftButton, {},
                                                          subMenu->actionGeometry(chosen).center());
                                    },
                                    "the drop-down menu is up");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - 3, button->height() / 2));
    EXPECT_TRUE(pick.done());
}

} // namespace

TEST(FrameCommands, OverlayButtonsChangeWhatTheMapDrawsAndPrefIniKeepsThem)
{
    FrameWindow t;
    t.w->scene.view.zoomFromBar(300);
    for (QToolButton* b : {t.w->But_Leg, t.w->but_grid, t.w->but_stitre, t.w->but_overview, t.w->but_tips}) {
        const QImage before = t.map();
        const bool down = b->isChecked();
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_NE(b->isChecked(), down) << b->objectName().toStdString();
        EXPECT_NE(t.map(), before) << b->objectName().toStdString() << " changes the picture";
    }
    const auto& o = t.w->scene.overlays;
    EXPECT_EQ((std::vector<bool>{o.legend, o.grid, o.subtitles, o.overview, o.tips}),
              (std::vector<bool>{false, true, true, true, false}));

    // The paths button, over a zone with routes.
    for (const auto& z : RealmInfo->mapIndex->zones) {
        t.w->localize_data(z->treeNode, false);
        if (!t.w->scene.Paths.empty()) break;
    }
    ASSERT_FALSE(t.w->scene.Paths.empty());
    const QImage withPaths = t.map();
    QTest::mouseClick(t.w->but_chemin, Qt::LeftButton);
    EXPECT_NE(t.map(), withPaths);
    EXPECT_FALSE(t.w->scene.overlays.paths);

    t.w->close();
    t.w.reset();
    EXPECT_EQ((std::vector<QString>{t.pref("LGNA"), t.pref("CHEM"), t.pref("GRID"), t.pref("TIPS")}),
              (std::vector<QString>{"False", "False", "True", "False"}));
}

TEST(FrameCommands, InfoButtonItsMenuAndTheWebLinks)
{
    FrameWindow t;
    // The button itself: the about box on its first page.
    QTest::mouseClick(t.w->but_info, Qt::LeftButton, {}, QPoint(4, t.w->but_info->height() / 2));
    EXPECT_EQ(t.aboutOnCredits, (std::vector<bool>{false}));
    // Its arrow: the menu with the credits, the about box again and the web links.
    clickInDropDown(t.w->but_info, t.w->menu_info, t.w->credit1);
    clickInDropDown(t.w->but_info, t.w->menu_info, t.w->infos2);
    EXPECT_EQ(t.aboutOnCredits, (std::vector<bool>{false, true, false}));

    ASSERT_FALSE(t.w->SiteList.empty());
    EXPECT_TRUE(t.w->site1Action->isEnabled());
    EXPECT_EQ(t.w->site1->actions().value(0)->text(), ToDisplay(t.w->SiteList.front().caption));
    t.f.boxes.answer = kAnswerNo; // the question names the address; No opens nothing
    clickInDropDown(t.w->but_info, t.w->menu_info, t.w->site1Action, t.w->site1);
    EXPECT_EQ(t.f.boxes.shown,
              QStringList{"confirm:" + messageText(32, kProductName, t.w->SiteList.front().address)});
    // Yes hands the address to the browser.
    QStringList opened;
    setUrlOpener([&](const QString& url, bool) {
        opened << url;
        return true;
    });
    t.f.boxes.answer = kAnswerYes;
    clickInDropDown(t.w->but_info, t.w->menu_info, t.w->site1Action, t.w->site1);
    setUrlOpener({});
    EXPECT_EQ(opened, QStringList{FromCp1252(t.w->SiteList.front().address)});
}

TEST(FrameCommands, ShortcutsSaveAndRepaintAndTheTopBarDragsTheWindow)
{
    FrameWindow t;
    // Ctrl+S saves the additions file while they differ from it, in edit mode or not.
    const QString file = t.f.exe + t.f.additionsPath();
    QFile::remove(file);
    ASSERT_FALSE(t.w->but_editmode->isChecked());
    QTest::keyClick(t.w->ImageMapView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(QFileInfo::exists(file)) << "nothing to save";
    t.w->toggle_tagnew(true);
    QTest::keyClick(t.w->ImageMapView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_FALSE(t.w->AdditionsModified());
    EXPECT_FALSE(t.w->but_sav->isEnabled());

    // Ctrl+W paints the map again.
    PaintCounter paints;
    t.w->ImageMapView->installEventFilter(&paints);
    QTest::keyClick(t.w->ImageMapView, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EVENTUALLY(paints.paints > 0);

    // A press on the top bar's free width moves the window; on a button it does not.
    int drags = 0;
    t.w->windowDrag = [&](QWidget*) { return ++drags > 0; };
    QTest::mouseClick(t.w->but_tips, Qt::LeftButton);
    EXPECT_EQ(drags, 0);
    // A point of the bar between or around its buttons.
    QPoint free(-1, -1);
    for (int x = t.w->ToolBar1->width() - 1; x >= 0 && free.x() < 0; --x)
        if (!t.w->ToolBar1->childAt(x, t.w->ToolBar1->height() / 2)) free = QPoint(x, t.w->ToolBar1->height() / 2);
    ASSERT_GE(free.x(), 0);
    QTest::mousePress(t.w->ToolBar1, Qt::LeftButton, {}, free);
    QTest::mouseRelease(t.w->ToolBar1, Qt::LeftButton, {}, free);
    EXPECT_EQ(drags, 1);
}

TEST(FrameCommands, ThePreferencesArrowOffersTheLanguagesAndTheOneClickedIsLoaded)
{
    FrameWindow t;
    const QString french = t.w->infos2->text();
    ASSERT_EQ(InterfaceLang, "Francais");
    clickInDropDown(t.w->but_pref, t.w->menu_lang, t.w->Langage1->menuAction(), t.w->Langage1, "English");
    EXPECT_EQ(InterfaceLang, "English");
    EXPECT_NE(t.w->infos2->text(), french) << "the menus speak English";
    for (QAction* a : t.w->Langage1->actions()) EXPECT_EQ(a->isChecked(), a->text() == "English") << a->text().toStdString();
    EXPECT_FALSE(t.w->MyTreeStore.roots().empty()) << "the data are loaded again";
}

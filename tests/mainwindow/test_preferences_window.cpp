// The preferences dialog opened from the window's button: every setting of its option and
// map pages changed with the mouse and keys, what the window does with them at once, and
// what pref.ini holds after the window closed.
#include "main_window_fixture.h"
#include "preferences_driver.h"

namespace {

// Clicks the tab of the page that holds the control.
void showPageOf(TForm3& d, QWidget* control)
{
    for (int i = 0; i < d.PageControl1->count(); ++i)
        if (d.PageControl1->widget(i)->isAncestorOf(control)) return showPage(d, d.PageControl1->widget(i));
    ADD_FAILURE() << control->objectName().toStdString() << " lies on no page";
}

QString prefValue(const QByteArray& file, const char* key)
{
    for (const QByteArray& line : file.split('\n'))
        if (line.startsWith(QByteArray("[") + key + "]=")) return QString::fromLatin1(line.mid(7)).trimmed();
    return {};
}

// The window, shown, whose preferences button runs the real dialog.
std::unique_ptr<TForm4> startWithPreferencesDialog(MainWindowFixture& f)
{
    MainWindowDialogs dialogs = f.dialogs();
    dialogs.preferences = [](QWidget* owner, const std::vector<QImage>& icons) { return run_preferences(owner, icons); };
    auto w = std::make_unique<TForm4>(f.exe, dialogs);
    w->FormActivate();
    w->resize(1000, 700);
    w->show();
    return w;
}

} // namespace

TEST(PreferencesWindow, EveryOptionAndMapSettingTakesEffectAndIsWritten)
{
    MainWindowFixture f;
    auto w = startWithPreferencesDialog(f);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    const rPreference before = Preferences;
    int alpha = 0, hd = 0;
    bool ran = false;
    {
        PreferencesScript script([&](TForm3& d) {
            ran = true;
            for (QCheckBox* box : {d.CheckBox1, d.CheckBox2, d.CheckBox3, d.CheckBox4, d.CheckBox5, d.CheckBox7,
                                   d.CheckBox8, d.CheckBox9}) {
                showPageOf(d, box);
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); // on its box
            }
            showPageOf(d, d.GaugeBar1);
            d.GaugeBar1->setFocus();
            QTest::keyClick(d.GaugeBar1, Qt::Key_PageDown);
            alpha = d.GaugeBar1->value();
            showPageOf(d, d.TrackbarHD);
            d.TrackbarHD->setFocus();
            QTest::keyClick(d.TrackbarHD, Qt::Key_PageUp);
            hd = d.TrackbarHD->value();
            showPageOf(d, d.Edit2);
            d.Edit2->setFocus();
            d.Edit2->selectAll();
            QTest::keyClicks(d.Edit2, "9");
            showPageOf(d, d.Edit1);
            typeInto(d.Edit1, "Bob");
            click(d.Button1);
        });
        QTest::mouseClick(w->but_pref, Qt::LeftButton, {}, QPoint(4, w->but_pref->height() / 2));
    }
    ASSERT_TRUE(ran);
    const rPreference& now = Preferences;
    EXPECT_EQ((std::vector<bool>{now.CLVL, now.LIAR, now.AVCT, now.ALFA, now.LOCA, now.WPSU, now.AUTO, now.MCUR}),
              (std::vector<bool>{!before.CLVL, !before.LIAR, !before.AVCT, !before.ALFA, !before.LOCA, !before.WPSU,
                                 !before.AUTO, !before.MCUR}));
    EXPECT_NE(alpha, before.ALFV);
    EXPECT_EQ(now.ALFV, alpha);
    EXPECT_NE(hd, before.MAHD);
    EXPECT_EQ(now.MAHD, hd);
    EXPECT_EQ(now.HINT, 9000);
    EXPECT_EQ(now.PSEU, "Bob");

    // At once: the autosave timer follows, and the window's transparency.
    EXPECT_EQ(w->Timer3.isActive(), now.AUTO);
    EXPECT_DOUBLE_EQ(w->windowOpacity(), now.ALFA ? alpha / 255.0 : 1.0);

    w->close();
    w.reset();
    const QByteArray pref = f.readFile("pref.ini");
    auto flag = [](bool b) { return QString(b ? "True" : "False"); };
    EXPECT_EQ((std::vector<QString>{prefValue(pref, "CLVL"), prefValue(pref, "LIAR"), prefValue(pref, "AVCT"),
                                    prefValue(pref, "ALFA"), prefValue(pref, "LOCA"), prefValue(pref, "WPSU"),
                                    prefValue(pref, "AUTO"), prefValue(pref, "MCUR")}),
              (std::vector<QString>{flag(now.CLVL), flag(now.LIAR), flag(now.AVCT), flag(now.ALFA), flag(now.LOCA),
                                    flag(now.WPSU), flag(now.AUTO), flag(now.MCUR)}));
    EXPECT_EQ((std::vector<QString>{prefValue(pref, "ALFV"), prefValue(pref, "MAHD"), prefValue(pref, "HINT"),
                                    prefValue(pref, "PSEU")}),
              (std::vector<QString>{QString::number(alpha), QString::number(hd), "9000", "Bob"}));
}

TEST(PreferencesWindow, ACategoryUncheckedInTheLegendLosesItsNamesOnTheMapUntilCheckedAgain)
{
    MainWindowFixture f;
    auto w = startWithPreferencesDialog(f);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    auto openPreferences = [&](std::function<void(TForm3&)> steps) {
        PreferencesScript script(std::move(steps));
        QTest::mouseClick(w->but_pref, Qt::LeftButton, {}, QPoint(4, w->but_pref->height() / 2));
    };
    // The category of the legend's first row (the dialog cancelled).
    const rCateg* category = nullptr;
    openPreferences([&](TForm3& d) {
        category = d.entryOf(d.Tree_leg->topLevelItem(0))->category;
        click(d.Button2);
    });
    ASSERT_NE(category, nullptr);
    // A location of that category in the middle of the map, close up.
    int location = kNoTreeNode;
    w->MyTreeStore.forEachLocation([&](int node, const TNodeData& d) {
        if (location == kNoTreeNode && d.category == category && w->MyTreeStore.isVisible(node)) location = node;
    });
    ASSERT_NE(location, kNoTreeNode);
    w->localize_data(location, true);
    w->scene.view.zoomFromBar(1500);
    auto map = [&] { return w->ImageMapView->grab().toImage(); };
    const QImage named = map();

    // Clicks the box of the legend's first row, then OK.
    auto toggleFirstRow = [&] {
        openPreferences([](TForm3& d) {
            showPage(d, d.TabSheet3);
            QTreeWidgetItem* row = d.Tree_leg->topLevelItem(0);
            QStyleOptionViewItem option;
            option.initFrom(d.Tree_leg->viewport());
            option.rect = d.Tree_leg->visualItemRect(row);
            option.features |= QStyleOptionViewItem::HasCheckIndicator;
            const QRect box = d.Tree_leg->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, d.Tree_leg);
            QTest::mouseClick(d.Tree_leg->viewport(), Qt::LeftButton, {}, box.center());
            click(d.Button1);
        });
    };
    ASSERT_EQ(category->visible, 1);
    toggleFirstRow();
    EXPECT_EQ(category->visible, 0);
    EXPECT_NE(map(), named) << "its names are gone";
    toggleFirstRow();
    EXPECT_EQ(category->visible, 1);
    EXPECT_EQ(map(), named);
}

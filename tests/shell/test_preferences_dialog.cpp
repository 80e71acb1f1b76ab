// The preferences dialog worked through its controls: the gauges and their order, the
// settings OK writes, the language and database lists, the legend's font, colour and reset.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "cp1252.h"
#include "data_model.h"
#include "database_globals.h"
#include "folders.h"
#include "message_boxes.h"
#include "pref_file.h"
#include "preferences.h"
#include "preferences_dialog.h"
#include "ressource.h"

namespace {

struct CountingBoxes : MessageBoxes {
    QStringList shown;
    void information(const QString& t) override { shown << t; }
    void plain(const QString& t) override { shown << t; }
    int confirm(const QString& t) override
    {
        shown << t;
        return kAnswerCancel;
    }
};

std::unique_ptr<rCateg> category(uint8_t id, const char* name, uint8_t kind, bool visible)
{
    auto c = std::make_unique<rCateg>();
    c->id = id;
    c->name = name;
    c->kind = kind;
    c->colour = 0x0000FF;
    c->iconIndex = id;
    c->font = QFont("Liberation Sans");
    c->font.setPointSize(8);
    c->visible = visible;
    c->defaultFontName = "Liberation Serif";
    c->defaultFontSize = 10;
    c->defaultFontStyle = fsBold;
    c->defaultColour = 0x00FF00;
    c->defaultIconIndex = 0;
    c->defaultVisible = !visible;
    return c;
}

class PreferencesDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgramFolder(dir.path());
        for (const char* f : {"res/Francais", "res/English", "res/english", "database/Base", "database/Other"})
            QDir().mkpath(dir.path() + "/" + f);
        InterfaceLang = "english";
        DatabaseLang = "Base";
        InitPreferences();
        RecolourAll = false;
        CommonData = std::make_unique<TData_common>();
        CommonData->savePrefsOnDestroy = false;
        CommonData->categories.push_back(category(1, "zeta", 0, true));
        CommonData->categories.push_back(category(2, "Alpha", 1, false));
        CommonData->categories.push_back(category(3, "beta", 0, true));
        for (int i = 0; i < 4; ++i) {
            QImage icon(11, 11, QImage::Format_ARGB32);
            icon.fill(QColor(i * 60, 0, 0));
            icons.push_back(icon);
        }
        setMessageBoxes(&boxes);
    }
    void TearDown() override
    {
        setMessageBoxes(nullptr);
        CommonData.reset();
        InterfaceLang.clear();
        DatabaseLang.clear();
    }
    // Runs the dialog through the runner the main window uses; returns ReloadRequested.
    bool run(const std::function<void(TForm3&)>& steps)
    {
        setPreferencesRunner([&](TForm3& d) {
            d.show();
            steps(d);
        });
        const bool reload = run_preferences(nullptr, icons);
        setPreferencesRunner({});
        return reload;
    }
    static void clickRow(QListWidget* list, const QString& name)
    {
        const auto found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
    }
    // Clicks the page's tab, as a user brings a page up.
    static void showPage(TForm3& d, QWidget* page)
    {
        QTabBar* tabs = d.PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(d.PageControl1->indexOf(page)).center());
        ASSERT_EQ(d.PageControl1->currentWidget(), page);
    }
    static void focusRow(QTreeWidget* tree, int row)
    {
        tree->setFocus();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(row)).center() + QPoint(30, 0));
    }

    QTemporaryDir dir;
    std::vector<QImage> icons;
    CountingBoxes boxes;
};

TEST_F(PreferencesDialogTest, LevelGaugesKeepTheirOrderFromTheStoredValues)
{
    Preferences.LODA = 600;
    Preferences.LODB = 400;
    Preferences.LODC = 200;
    Preferences.HINT = 7500;
    run([](TForm3& d) {
        EXPECT_EQ(d.TrackBarLod0->value(), 20);
        EXPECT_EQ(d.TrackBarLod1->value(), 20);
        EXPECT_EQ(d.TrackBarLod2->value(), 20);
        EXPECT_EQ(d.Edit2->text(), "7");
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    EXPECT_EQ(Preferences.LODA, 200);
    EXPECT_EQ(Preferences.LODB, 200);
    EXPECT_EQ(Preferences.LODC, 200);
    EXPECT_EQ(Preferences.HINT, 7000);
    EXPECT_TRUE(RecolourAll); // OK always asks for the full recolouring

    // Tenths round half to even; below the range the gauge stops at 2.
    Preferences.LODA = 5;
    Preferences.LODB = 205;
    Preferences.LODC = 215;
    Preferences.LODV = 1755;
    run([](TForm3& d) {
        showPage(d, d.TabSheet2);
        EXPECT_EQ(d.TrackBarLod0->value(), 2);
        EXPECT_EQ(d.TrackBarLod1->value(), 20);
        EXPECT_EQ(d.TrackBarLod2->value(), 22);
        EXPECT_EQ(d.TrackBarVecteur->value(), 175);
        // The user pulls the last gauge to its start: the others follow it down; then
        // the first to its end: the others follow it up.
        d.TrackBarLod2->setFocus();
        QTest::keyClick(d.TrackBarLod2, Qt::Key_Home);
        EXPECT_EQ(d.TrackBarLod0->value(), 2);
        EXPECT_EQ(d.TrackBarLod1->value(), 2);
        d.TrackBarLod0->setFocus();
        QTest::keyClick(d.TrackBarLod0, Qt::Key_End);
        EXPECT_EQ(d.TrackBarLod1->value(), 175);
        EXPECT_EQ(d.TrackBarLod2->value(), 175);
        d.TrackBarLod1->setFocus();
        QTest::keyClick(d.TrackBarLod1, Qt::Key_Home);
        EXPECT_EQ(d.TrackBarLod0->value(), 2);
        EXPECT_EQ(d.TrackBarLod2->value(), 175);
        QTest::keyClick(&d, Qt::Key_Return); // the default button
    });
    EXPECT_EQ(Preferences.LODA, 20);
    EXPECT_EQ(Preferences.LODB, 20);
    EXPECT_EQ(Preferences.LODC, 1750);
    EXPECT_EQ(Preferences.LODV, 1750);
}

TEST_F(PreferencesDialogTest, DefaultsAndTheOtherSettingsAfterOk)
{
    run([](TForm3& d) {
        showPage(d, d.TabSheet2);
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        showPage(d, d.TabSheet1);
        QTest::mouseClick(d.CheckBox8, Qt::LeftButton); // autosave on
        QTest::mouseClick(d.CheckBox1, Qt::LeftButton); // level colours off
        d.Edit2->selectAll();
        QTest::keyClicks(d.Edit2, "12");
        d.Edit1->setFocus();
        d.Edit1->insert(QString(QChar(0x4E2D))); // pasted; no Windows-1252 form
        EXPECT_EQ(d.Edit1->text(), "");
        QTest::keyClicks(d.Edit1, QString(45, 'n')); // 40 kept
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    EXPECT_EQ(Preferences.LODA, 200);
    EXPECT_EQ(Preferences.LODB, 400);
    EXPECT_EQ(Preferences.LODC, 600);
    EXPECT_EQ(Preferences.LODV, 500);
    EXPECT_EQ(Preferences.MAHD, 550);
    EXPECT_TRUE(Preferences.AUTO);
    EXPECT_FALSE(Preferences.CLVL);
    EXPECT_EQ(Preferences.HINT, 12000);
    EXPECT_EQ(Preferences.PSEU, std::string(40, 'n'));
}

TEST_F(PreferencesDialogTest, CancelEscapeAndCloseChangeNothing)
{
    const std::vector<uint8_t> categories = CommonData->CategoryPrefsBytes();
    auto meddle = [](TForm3& d) {
        QTest::mouseClick(d.CheckBox4, Qt::LeftButton);
        clickRow(d.ListBox2, "Other");
        showPage(d, d.TabSheet2);
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        showPage(d, d.TabSheet3);
        focusRow(d.Tree_leg, 0);
        QTest::keyClick(d.Tree_leg, Qt::Key_Space);
        QTest::mouseClick(d.Button7, Qt::LeftButton);
    };
    const std::vector<std::function<void(TForm3&)>> leave = {
        [](TForm3& d) { QTest::mouseClick(d.Button2, Qt::LeftButton); },
        [](TForm3& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TForm3& d) { d.close(); },
    };
    for (const auto& way : leave) {
        Preferences.LODA = 600;
        const std::string before = PrefFileBytes(Preferences, WindowSettings());
        EXPECT_FALSE(run([&](TForm3& d) {
            meddle(d);
            way(d);
            EXPECT_FALSE(d.isVisible());
        }));
        EXPECT_EQ(PrefFileBytes(Preferences, WindowSettings()), before);
        EXPECT_EQ(CommonData->CategoryPrefsBytes(), categories);
        EXPECT_EQ(DatabaseLang, "Base");
        EXPECT_FALSE(RecolourAll);
    }
}

TEST_F(PreferencesDialogTest, LanguageAndDatabaseChoice)
{
    // "english" and "English" are two folders here: the exact one is selected, and an
    // untouched OK asks for no reload.
    EXPECT_FALSE(run([](TForm3& d) {
        EXPECT_EQ(d.ListBox1->currentItem()->text(), "english");
        EXPECT_EQ(d.ListBox2->currentItem()->text(), "Base");
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(InterfaceLang, "english");
    // A name differing only in letter case is another folder.
    EXPECT_TRUE(run([](TForm3& d) {
        clickRow(d.ListBox1, "English");
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(InterfaceLang, "English");
    EXPECT_EQ(DatabaseLang, "Base");
    EXPECT_TRUE(run([](TForm3& d) {
        clickRow(d.ListBox2, "Other");
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(DatabaseLang, "Other");
    EXPECT_EQ(InterfaceLang, "English");

    // No language folder at all: the names stay, nothing to reload.
    QDir(ResDir).removeRecursively();
    EXPECT_FALSE(run([](TForm3& d) {
        EXPECT_EQ(d.ListBox1->count(), 0);
        clickRow(d.ListBox2, "Base");
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    }));
    EXPECT_EQ(DatabaseLang, "Other");
    EXPECT_EQ(InterfaceLang, "English");
}

TEST_F(PreferencesDialogTest, LegendShowsSortsAndResetsItsEntries)
{
    run([this](TForm3& d) {
        showPage(d, d.TabSheet3);
        ASSERT_EQ(d.Tree_leg->topLevelItemCount(), 3);
        EXPECT_EQ(d.Tree_leg->topLevelItem(0)->text(0), "Alpha *"); // kind 1
        EXPECT_EQ(d.Tree_leg->topLevelItem(1)->text(0), "beta");
        EXPECT_EQ(d.Tree_leg->topLevelItem(2)->text(0), "zeta");
        EXPECT_EQ(d.Tree_leg->topLevelItem(1)->checkState(0), Qt::Checked);
        EXPECT_EQ(d.Tree_leg->topLevelItem(0)->checkState(0), Qt::Unchecked);
        EXPECT_EQ(d.Tree_leg->topLevelItem(1)->icon(0).pixmap(11, 11).toImage().pixelColor(5, 5),
                  icons[3].pixelColor(5, 5));
        EXPECT_EQ(d.Tree_leg->topLevelItem(0)->foreground(0).color(), QColor(255, 0, 0));
        EXPECT_FALSE(d.Button6->isEnabled());
        focusRow(d.Tree_leg, 1); // beta
        ASSERT_TRUE(d.Button6->isEnabled());
        EXPECT_EQ(d.Panel1->text(), "beta");
        // Unchecking by keyboard, then the reset of this category: its default is
        // "not visible" here, and the mark shows it.
        QTest::keyClick(d.Tree_leg, Qt::Key_Space);
        EXPECT_FALSE(d.entryOf(d.Tree_leg->topLevelItem(1))->visible);
        QTest::keyClick(d.Tree_leg, Qt::Key_Space);
        QTest::mouseClick(d.Button6, Qt::LeftButton);
        EXPECT_EQ(d.Tree_leg->topLevelItem(1)->checkState(0), Qt::Unchecked);
        EXPECT_TRUE(d.Tree_leg->topLevelItem(1)->font(0).bold());
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    const rCateg& beta = *CommonData->categories[2];
    EXPECT_EQ(beta.visible, 0);
    EXPECT_EQ(beta.colour, 0x00FF00u);
    EXPECT_EQ(beta.font.family(), "Liberation Serif");
    EXPECT_EQ(beta.font.pointSize(), 10);
    EXPECT_EQ(beta.iconIndex, 0u);
    EXPECT_EQ(CommonData->categories[0]->visible, 1); // untouched

    // Reset all: every mark follows its entry.
    run([](TForm3& d) {
        showPage(d, d.TabSheet3);
        QTest::mouseClick(d.Button7, Qt::LeftButton);
        EXPECT_EQ(d.Tree_leg->topLevelItem(0)->checkState(0), Qt::Checked);  // Alpha: default visible
        EXPECT_EQ(d.Tree_leg->topLevelItem(2)->checkState(0), Qt::Unchecked); // zeta
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    EXPECT_EQ(CommonData->categories[1]->visible, 1);
    EXPECT_EQ(CommonData->categories[0]->visible, 0);
}

TEST_F(PreferencesDialogTest, FontAndColourOfACategory)
{
    std::vector<QFont> offered;
    QFont wide("Liberation Mono");
    wide.setPointSize(300);
    wide.setItalic(true);
    offered.push_back(QFont(QString(QChar(0x5B8B)) + QChar(0x4F53))); // no Windows-1252 form
    offered.push_back(QFont(QString(41, 'F')));                         // longer than 40 bytes
    offered.push_back(wide);
    run([&](TForm3& d) {
        size_t next = 0;
        d.pickers.font = [&](QWidget*, const QFont&) -> std::optional<QFont> { return offered[next++]; };
        d.pickers.colour = [](QWidget*, const QColor& initial) -> std::optional<QColor> {
            EXPECT_EQ(initial, QColor(255, 0, 0));
            return QColor(1, 2, 3);
        };
        showPage(d, d.TabSheet3);
        focusRow(d.Tree_leg, 2); // zeta
        QTest::mouseClick(d.Button4, Qt::LeftButton);
        QTest::mouseClick(d.Button4, Qt::LeftButton);
        EXPECT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(d.currentEntry()->fontName, "Liberation Sans");
        QTest::mouseClick(d.Button4, Qt::LeftButton);
        EXPECT_EQ(d.currentEntry()->fontSize, 255);
        EXPECT_TRUE(d.Panel1->font().italic());
        QTest::mouseClick(d.Button5, Qt::LeftButton);
        EXPECT_EQ(d.Panel1->palette().color(QPalette::WindowText), QColor(1, 2, 3));
        // A cancelled picker keeps the entry.
        d.pickers.colour = [](QWidget*, const QColor&) -> std::optional<QColor> { return std::nullopt; };
        QTest::mouseClick(d.Button5, Qt::LeftButton);
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    const rCateg& zeta = *CommonData->categories[0];
    EXPECT_EQ(zeta.font.family(), "Liberation Mono");
    EXPECT_EQ(zeta.font.pointSize(), 255);
    EXPECT_TRUE(zeta.font.italic());
    EXPECT_EQ(zeta.colour, 0x030201u);
    // What categpref.bin gets back reads as what was chosen.
    const std::vector<uint8_t> bytes = CommonData->CategoryPrefsBytes();
    ASSERT_GE(bytes.size(), 56u);
    EXPECT_EQ(bytes[14], 15);
    EXPECT_EQ(std::string(bytes.begin() + 15, bytes.begin() + 30), "Liberation Mono");
    EXPECT_EQ(bytes[55], 255);
}

TEST(PreferencesGauge, TenthsRoundHalfToEven)
{
    EXPECT_EQ(GaugeFromSetting(205), 20);
    EXPECT_EQ(GaugeFromSetting(215), 22);
    EXPECT_EQ(GaugeFromSetting(5), 0);
    EXPECT_EQ(GaugeFromSetting(-15), -2);
    EXPECT_EQ(GaugeFromSetting(INT32_MAX), 214748365);
}

} // namespace

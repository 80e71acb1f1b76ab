// The preferences dialog worked through its controls: the gauges and their order, the
// settings OK writes, the language and database lists, the legend's font, colour and reset.
#include <array>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include "data_model.h"
#include "database_globals.h"
#include "folders.h"
#include "pref_file.h"
#include "preferences.h"
#include "preferences_driver.h"
#include "test_util.h"

namespace {

// Shown in the entry's font and colour; the defaults differ in every field.
std::unique_ptr<rCateg> category(uint8_t id, const char* name, uint8_t kind, bool visible)
{
    auto c = std::make_unique<rCateg>();
    c->id = id;
    c->name = name;
    c->kind = kind;
    c->colour = 0x0000FF;
    c->iconIndex = id;
    c->font = QFont("Liberation Sans", 8);
    c->visible = visible;
    c->defaultFontName = "Liberation Serif";
    c->defaultFontSize = 10;
    c->defaultFontStyle = fsBold;
    c->defaultColour = 0x00FF00;
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
        CommonData->categories.push_back(category(1, "zeta", 0, true));
        CommonData->categories.push_back(category(2, "Alpha", 1, false));
        CommonData->categories.push_back(category(3, "beta", 0, true));
        for (int i = 0; i < 4; ++i) {
            icons.emplace_back(11, 11, QImage::Format_ARGB32);
            icons.back().fill(QColor(i * 60, 0, 0));
        }
    }
    void TearDown() override { CommonData.reset(); }
    // Runs the dialog as the main window does; returns ReloadRequested.
    bool run(std::function<void(TForm3&)> steps)
    {
        PreferencesScript script(std::move(steps));
        return run_preferences(nullptr, icons);
    }
    static std::array<int, 3> gauges(const TForm3& d)
    {
        return {d.TrackBarLod0->value(), d.TrackBarLod1->value(), d.TrackBarLod2->value()};
    }
    static std::array<int, 3> stored() { return {Preferences.LODA, Preferences.LODB, Preferences.LODC}; }
    static Qt::CheckState mark(const TForm3& d, int row) { return d.Tree_leg->topLevelItem(row)->checkState(0); }

    QTemporaryDir dir;
    std::vector<QImage> icons;
    RecordingBoxes boxes;
};

using Lods = std::array<int, 3>;

TEST_F(PreferencesDialogTest, LevelGaugesDefaultsAndTheOtherSettingsAfterOk)
{
    // Tenths round half to even; the range clamps. Then the user drags by keyboard.
    Preferences.LODA = 5;
    Preferences.LODB = 205;
    Preferences.LODC = 215;
    Preferences.LODV = 1755;
    run([](TForm3& d) {
        showPage(d, d.TabSheet2);
        EXPECT_EQ(gauges(d), (Lods{2, 20, 22}));
        EXPECT_EQ(d.TrackBarVecteur->value(), 175);
        const std::pair<QSlider*, Qt::Key> moves[] = {
            {d.TrackBarLod2, Qt::Key_Home}, {d.TrackBarLod0, Qt::Key_End}, {d.TrackBarLod1, Qt::Key_Home}};
        const Lods after[] = {{2, 2, 2}, {175, 175, 175}, {2, 2, 175}};
        for (size_t i = 0; i < 3; ++i) {
            moves[i].first->setFocus();
            QTest::keyClick(moves[i].first, moves[i].second);
            EXPECT_EQ(gauges(d), after[i]) << i;
        }
        QTest::keyClick(&d, Qt::Key_Return); // the default button
    });
    EXPECT_EQ(stored(), (Lods{20, 20, 1750}));
    EXPECT_EQ(Preferences.LODV, 1750);

    // Each stored value pulls the gauges set before it: all show 20. Then the defaults, and
    // the other settings OK writes.
    Preferences.LODA = 600;
    Preferences.LODB = 400;
    Preferences.LODC = 200;
    Preferences.HINT = 7500;
    RecolourAll = false;
    run([](TForm3& d) {
        EXPECT_EQ(gauges(d), (Lods{20, 20, 20}));
        EXPECT_EQ(d.Edit2->text(), "7");
        showPage(d, d.TabSheet2);
        click(d.Button3);
        showPage(d, d.TabSheet1);
        click(d.CheckBox8); // autosave on
        click(d.CheckBox1); // level colours off
        d.Edit2->selectAll();
        QTest::keyClicks(d.Edit2, "12");
        d.Edit1->insert(QString(QChar(0x4E2D))); // pasted; no Windows-1252 form
        EXPECT_EQ(d.Edit1->text(), "");
        d.Edit1->setFocus();
        QTest::keyClicks(d.Edit1, QString(45, 'n')); // 40 kept
        click(d.Button1);
    });
    EXPECT_EQ(stored(), (Lods{200, 400, 600}));
    EXPECT_EQ(Preferences.LODV, 500);
    EXPECT_EQ(Preferences.MAHD, 550);
    EXPECT_TRUE(Preferences.AUTO);
    EXPECT_FALSE(Preferences.CLVL);
    EXPECT_EQ(Preferences.HINT, 12000);
    EXPECT_EQ(Preferences.PSEU, std::string(40, 'n'));
    EXPECT_TRUE(RecolourAll); // OK always asks for the full recolouring
}

TEST_F(PreferencesDialogTest, CancelChangesNothingAndOkPicksLanguageAndDatabase)
{
    Preferences.LODA = 600;
    const std::string prefs = PrefFileBytes(Preferences, WindowSettings());
    const std::vector<uint8_t> categories = CommonData->CategoryPrefsBytes();
    const std::function<void(TForm3&)> leave[] = {
        [](TForm3& d) { click(d.Button2); },
        [](TForm3& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TForm3& d) { d.close(); },
    };
    for (const auto& way : leave) {
        EXPECT_FALSE(run([&](TForm3& d) {
            click(d.CheckBox4);
            clickRow(d.ListBox2, "Other");
            showPage(d, d.TabSheet2);
            click(d.Button3);
            focusLegendRow(d, 0);
            QTest::keyClick(d.Tree_leg, Qt::Key_Space);
            click(d.Button7);
            way(d);
            EXPECT_FALSE(d.isVisible());
        }));
        EXPECT_EQ(PrefFileBytes(Preferences, WindowSettings()), prefs);
        EXPECT_EQ(CommonData->CategoryPrefsBytes(), categories);
        EXPECT_EQ(DatabaseLang, "Base");
        EXPECT_FALSE(RecolourAll);
    }

    // "english" and "English" are two folders: the exact one is selected, and an untouched
    // OK asks for no reload; the other is another language.
    EXPECT_FALSE(run([](TForm3& d) {
        EXPECT_EQ(d.ListBox1->currentItem()->text(), "english");
        click(d.Button1);
    }));
    // Without any language folder the names stay and nothing reloads.
    const struct {
        QListWidget* TForm3::*list;
        const char *row, *after;
        bool reload, dropLanguages;
    } picks[] = {{&TForm3::ListBox1, "English", "English/Base", true, false},
                 {&TForm3::ListBox2, "Other", "English/Other", true, false},
                 {&TForm3::ListBox2, "Base", "English/Other", false, true}};
    for (const auto& p : picks) {
        if (p.dropLanguages) QDir(ResDir).removeRecursively();
        EXPECT_EQ(run(pickAndOk(p.list, p.row)), p.reload) << p.row;
        EXPECT_EQ(InterfaceLang + "/" + DatabaseLang, p.after) << p.row;
    }
}

TEST_F(PreferencesDialogTest, LegendFontColourAndReset)
{
    QFont wide("Liberation Mono", 300);
    wide.setItalic(true);
    // No Windows-1252 form, longer than 40 bytes: both refused; then one too large.
    const QFont offered[] = {QFont(QString(QChar(0x5B8B)) + QChar(0x4F53)), QFont(QString(41, 'F')), wide};
    run([&](TForm3& d) {
        size_t next = 0;
        d.pickers.font = [&](QWidget*, const QFont&) -> std::optional<QFont> { return offered[next++]; };
        d.pickers.colour = [](QWidget*, const QColor& initial) -> std::optional<QColor> {
            EXPECT_EQ(initial, QColor(255, 0, 0));
            return std::nullopt;
        };
        focusLegendRow(d, 2); // zeta
        click(d.Button4);
        click(d.Button4);
        EXPECT_EQ(boxes.shown.size(), 2);
        EXPECT_EQ(d.currentEntry()->fontName, "Liberation Sans");
        click(d.Button4);
        EXPECT_EQ(d.currentEntry()->fontSize, 255);
        EXPECT_TRUE(d.Panel1->font().italic());
        click(d.Button5); // cancelled: the entry stays
        click(d.Button1);
    });
    const rCateg& zeta = *CommonData->categories[0];
    EXPECT_TRUE(zeta.font.italic());
    EXPECT_EQ(zeta.colour, 0x0000FFu);
    // categpref.bin gets what was chosen: the name at byte 14 as a short string, the size last.
    const std::vector<uint8_t> bytes = CommonData->CategoryPrefsBytes();
    ASSERT_GE(bytes.size(), 56u);
    EXPECT_EQ(std::string(bytes.begin() + 15, bytes.begin() + 15 + bytes[14]), "Liberation Mono");
    EXPECT_EQ(bytes[55], 255);

    // The legend sorted and marked; a reset entry, then every entry reset.
    run([this](TForm3& d) {
        focusLegendRow(d, 1); // beta: sorted ignoring case, " *" for a kind
        QStringList names;
        for (int i = 0; i < d.Tree_leg->topLevelItemCount(); ++i) names << d.Tree_leg->topLevelItem(i)->text(0);
        EXPECT_EQ(names, QStringList({"Alpha *", "beta", "zeta"}));
        EXPECT_EQ(mark(d, 0), Qt::Unchecked);
        EXPECT_EQ(d.Tree_leg->topLevelItem(1)->icon(0).pixmap(11, 11).toImage().pixelColor(5, 5),
                  icons[3].pixelColor(5, 5));
        EXPECT_EQ(d.Tree_leg->topLevelItem(0)->foreground(0).color(), QColor(255, 0, 0));
        EXPECT_EQ(d.Panel1->text(), "beta");
        QTest::keyClick(d.Tree_leg, Qt::Key_Space);
        EXPECT_FALSE(d.currentEntry()->visible);
        QTest::keyClick(d.Tree_leg, Qt::Key_Space);
        // Its reset restores "not visible", and the mark shows it.
        click(d.Button6);
        EXPECT_EQ(mark(d, 1), Qt::Unchecked);
        EXPECT_TRUE(d.Tree_leg->topLevelItem(1)->font(0).bold());
        click(d.Button1);
    });
    const rCateg& beta = *CommonData->categories[2];
    EXPECT_EQ(beta.visible, 0);
    EXPECT_EQ(beta.colour, 0x00FF00u);
    EXPECT_EQ(beta.font.family() + QString::number(beta.font.pointSize()), "Liberation Serif10");
    EXPECT_EQ(beta.iconIndex, 0u);
    EXPECT_EQ(CommonData->categories[0]->visible, 1); // untouched

    run([](TForm3& d) {
        showPage(d, d.TabSheet3);
        click(d.Button7); // every mark follows its entry
        EXPECT_EQ(mark(d, 0), Qt::Checked);
        EXPECT_EQ(mark(d, 2), Qt::Unchecked);
        click(d.Button1);
    });
    EXPECT_EQ(CommonData->categories[1]->visible, 1);
    EXPECT_EQ(CommonData->categories[0]->visible, 0);
}

} // namespace

TEST_F(PreferencesDialogTest, LegendRowsStaySixteenPixelsHighInAnyFont)
{
    run([](TForm3& d) {
        d.pickers.font = [](QWidget*, const QFont&) -> std::optional<QFont> { return QFont("Liberation Serif", 72); };
        focusLegendRow(d, 0);
        click(d.Button4);
        ASSERT_EQ(d.Tree_leg->topLevelItem(0)->font(0).pointSize(), 72);
        for (int i = 0; i < d.Tree_leg->topLevelItemCount(); ++i)
            EXPECT_EQ(d.Tree_leg->visualItemRect(d.Tree_leg->topLevelItem(i)).height(), TForm3::kLegendRowHeight);
        click(d.Button2); // cancel
    });
}

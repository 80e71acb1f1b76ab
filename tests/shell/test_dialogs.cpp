// The about box, the first-start dialog and the nickname dialog, driven without a modal
// loop (through their slots and the runners) except where the modal run itself is tested.
#include <functional>
#include <map>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "about_dialog.h"
#include "compressed.h"
#include "first_start_dialog.h"
#include "folders.h"
#include "nickname_dialog.h"
#include "ressource.h"
#include "test_util.h"

namespace {

// ressource.txt numbers the texts of a section by their position: C1..C80, then S1..S16.
std::string languageTexts()
{
    const std::map<int, std::string> named = {{29, "\xC0 propos"},      {30, "Fermer"},
                                              {31, "Valider"},          {41, "Pas de readme"},
                                              {77, "Pseudo \xE0 donner"}, {80, "Contributeurs :"}};
    std::string out;
    for (int i = 1; i <= 80; ++i) out += "C00 " + (named.count(i) ? named.at(i) : std::string("c")) + "\r\n";
    for (int i = 1; i <= 16; ++i) out += std::string("S00 ") + (i == 16 ? "Valeur invalide" : "s") + "\r\n";
    return out;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DatabaseLang = "Demo";
        SetProgramFolder(dir.path()); // DatabaseLangDir is <dir>/database/Demo/
        ParseRessourceText(languageTexts(), Ressources);
    }
    void TearDown() override
    {
        setFirstInfoRunner(nullptr);
        setPseudoRunner(nullptr);
        Ressources.reset();
        InterfaceLang.clear();
        DatabaseLang.clear();
        DatabaseLangDir.clear();
    }
    void makeFolders(const QStringList& paths)
    {
        for (const QString& p : paths) ASSERT_TRUE(QDir().mkpath(ExeDir + p));
    }
    QTemporaryDir dir;
    RecordingBoxes boxes;
};

using AboutBoxTest = DialogTest;
using FirstStartTest = DialogTest;
using NicknameTest = DialogTest;

TEST_F(AboutBoxTest, ReadmeLinesAfterTheFirstTwoAndCreditsAfterTheirHeading)
{
    const std::pair<std::string, QString> cases[] = {
        {"Title\r\nv2.52\r\nline 3\nline 4\rline \xE9 5\r\n", QString::fromUtf8("line 3\nline 4\nline é 5")},
        {"only line", ""}}; // fewer than two lines: nothing to show, no failure
    for (const auto& [bytes, shown] : cases) {
        ASSERT_TRUE(writeBytes(ExeDir + "README.TXT", bytes)); // the name's letter case does not matter
        TForm5 box;
        EXPECT_EQ(box.Memo1->toPlainText(), shown) << bytes;
    }
    // The credits begin with their heading and an empty line.
    const std::string text = "Alice\r\nBob \xE9\r\n";
    const auto deflated = DeflateBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const std::string packed(deflated.begin(), deflated.end());
    const std::pair<std::string, QString> credits[] = {
        {packed, QString::fromUtf8("Contributeurs :\n\nAlice\nBob é")},
        {packed.substr(0, packed.size() / 2), "Contributeurs :\n"}}; // a failed inflate keeps nothing
    for (const auto& [bytes, shown] : credits) {
        ASSERT_TRUE(writeBytes(DatabaseLangDir + "creditlist.inf", bytes));
        TForm5 box;
        EXPECT_EQ(box.Memo2->toPlainText(), shown);
    }
    QFile::remove(DatabaseLangDir + "creditlist.inf");
    QFile::remove(ExeDir + "README.TXT");
    TForm5 box(nullptr, true);
    EXPECT_EQ(box.Memo1->toPlainText(), "Pas de readme");
    EXPECT_EQ(box.Memo2->toPlainText(), "");
    EXPECT_EQ(box.PageControl1->currentWidget(), box.TabSheet2);
    // The button through its Tag; the tab has none and is never translated.
    EXPECT_EQ(QStringList({box.windowTitle(), box.Button1->text(), box.PageControl1->tabText(1)}),
              QStringList({QString::fromUtf8("Vmar Plotterwerk v2.52 | À propos"), "Fermer", QString::fromUtf8("Crédits")}));
}

TEST_F(FirstStartTest, EveryWayOfClosingStoresTheChoice)
{
    makeFolders({"res/English", "res/FRANCAIS", "database/Alpha", "database/Zeta"});
    EXPECT_EQ(TForm1().ListBox1->currentItem()->text(), "FRANCAIS");
    const std::function<void(TForm1&)> ways[] = {
        [](TForm1& f) { f.Button1->click(); }, [](TForm1& f) { f.reject(); }, [](TForm1& f) { f.close(); }};
    for (const auto& close : ways) {
        InterfaceLang = DatabaseLang = "old";
        TForm1 form;
        form.ListBox2->setCurrentRow(1);
        form.show();
        close(form);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(InterfaceLang, "FRANCAIS");
        EXPECT_EQ(DatabaseLang, "Zeta");
    }
    // The modal run of ask_firstinfo, answered with the default button.
    QTimer::singleShot(0, [] {
        if (auto* f = qobject_cast<TForm1*>(QApplication::activeModalWidget())) f->Button1->click();
    });
    EXPECT_TRUE(ask_firstinfo(nullptr));
    EXPECT_EQ(InterfaceLang + "," + DatabaseLang, "FRANCAIS,Alpha");
}

TEST_F(FirstStartTest, EmptyFolderIsNamedAndNothingIsChosen)
{
    makeFolders({"res/Francais"}); // database/ does not exist
    int runs = 0;
    setFirstInfoRunner([&runs](TForm1&) { ++runs; });
    InterfaceLang = "kept";
    DatabaseLang.clear();
    EXPECT_FALSE(ask_firstinfo(nullptr));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(InterfaceLang, "kept");
    EXPECT_EQ(boxes.shown, QStringList("plain:No database: the folder " + QDir::toNativeSeparators(DatabaseDir) +
                                       " has no sub-folder."));

    // Run anyway, OK is off and closing stores nothing from an empty list.
    QDir(ResDir + "Francais").removeRecursively();
    TForm1 form;
    EXPECT_FALSE(form.Button1->isEnabled());
    form.done(QDialog::Accepted);
    EXPECT_EQ(InterfaceLang, "kept");
    EXPECT_TRUE(DatabaseLang.isEmpty());
}

TEST_F(NicknameTest, TakesWindows1252TextOnlyAndAnswersWhicheverWayClosed)
{
    TForm6 form;
    EXPECT_EQ(QStringList({form.windowTitle(), form.Button1->text()}), QStringList({QString::fromUtf8("Pseudo à donner"), "Valider"}));
    form.Edit1->setText(QString(40, 'a'));
    form.Edit1->insert("b"); // a 41st character is refused
    EXPECT_EQ(form.Edit1->text(), QString(40, 'a'));

    setPseudoRunner([](TForm6& f) {
        f.Edit1->setText(QString::fromUtf8("Zoé €"));
        f.reject(); // a cancelled dialog answers too
    });
    EXPECT_EQ(ask_pseudo(nullptr), "Zo\xE9 \x80");

    // In the modal run: a text without a Windows-1252 form keeps the dialog open until corrected.
    setPseudoRunner(nullptr);
    bool stayedOpen = false;
    QTimer::singleShot(0, [&stayedOpen] {
        auto* f = qobject_cast<TForm6*>(QApplication::activeModalWidget());
        if (!f) return;
        f->Edit1->setText(QString::fromUtf8("名前"));
        f->Button1->click();
        stayedOpen = f->isVisible();
        f->Edit1->setText("Nom");
        f->Button1->click();
    });
    EXPECT_EQ(ask_pseudo(nullptr), "Nom");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(boxes.shown, QStringList({"info:Valeur invalide"}));

    // A runner that bypasses the refusal gets no nickname rather than altered bytes.
    setPseudoRunner([](TForm6& f) { f.Edit1->setText(QString::fromUtf8("a\u0100")); });
    EXPECT_EQ(ask_pseudo(nullptr), "");
}

} // namespace

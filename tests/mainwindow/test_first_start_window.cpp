// The first start of the program in a folder without pref.ini: the first-start dialog the
// window opens, answered with the mouse, decides the language and database it loads and
// keeps.
#include "first_start_dialog.h"
#include "main_window_fixture.h"

namespace {

void clickRow(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

} // namespace

TEST(FirstStartWindow, TheLanguageClickedInTheDialogIsLoadedAndKept)
{
    QString french;
    {
        MainWindowFixture before; // pref.ini names French
        french = before.start()->infos2->text();
    }
    MainWindowFixture f(false);
    MainWindowDialogs dialogs = f.dialogs();
    dialogs.firstInfo = [](QWidget* owner) { return ask_firstinfo(owner); };
    int shown = 0;
    setFirstInfoRunner([&](TForm1& d) {
        ++shown;
        d.show();
        clickRow(d.ListBox1, "English");
        clickRow(d.ListBox2, QString::fromStdString(f.database()));
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    auto w = std::make_unique<TForm4>(f.exe, dialogs);
    setFirstInfoRunner({});
    w->FormActivate();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(InterfaceLang, "English");
    EXPECT_EQ(DatabaseLang, QString::fromStdString(f.database()));
    // The English texts are the ones shown.
    const QString english = w->infos2->text();
    EXPECT_NE(english, french);
    EXPECT_FALSE(w->MyTreeStore.roots().empty()) << "the database is loaded";
    w->close();
    w.reset();
    EXPECT_TRUE(f.readFile("pref.ini").contains("[LANG]=English\r\n"));

    // The next start asks nothing and comes up in English again.
    setFirstInfoRunner([&](TForm1&) { ++shown; });
    auto again = std::make_unique<TForm4>(f.exe, dialogs);
    setFirstInfoRunner({});
    again->FormActivate();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(again->infos2->text(), english);
}

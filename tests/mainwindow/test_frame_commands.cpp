#include <gtest/gtest.h>

#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "compressed.h"
#include "database_globals.h"
#include "main_window_fixture.h"
#include "url_list.h"

TEST(MainWindowFrame, EditModeShowsItsCommands)
{
    MainWindowFixture f;
    auto w = f.start();
    QTest::mouseClick(w->but_editmode, Qt::LeftButton);
    EXPECT_TRUE(w->ajouter1->isVisible());
    EXPECT_EQ(ToDisplay(w->FeedbackList[w->FeedbackList.size() - 2].text), messageText(44).section('\n', -1));
    QTest::mouseClick(w->but_editmode, Qt::LeftButton);
    EXPECT_FALSE(w->ajouter1->isVisible());
}

TEST(MainWindowFrame, SendChecksBeforeTheDialog)
{
    MainWindowFixture f;
    const QString name = MakeAdditionsFileName(QString::fromStdString(f.database()));
    const std::string nameBytes = ToCp1252(name).value();
    auto w = f.start();
    auto lastFeedback = [&] {
        for (auto it = w->FeedbackList.rbegin(); it != w->FeedbackList.rend(); ++it)
            if (!it->text.empty()) return ToDisplay(it->text);
        return QString();
    };
    QFile::remove(f.exe + "ajouts/" + name);
    w->but_mailClick();
    EXPECT_EQ(lastFeedback(), messageText(28, nameBytes).section('\n', -1));
    f.writeFile("ajouts/" + name, "");
    w->but_mailClick();
    EXPECT_EQ(lastFeedback(), messageText(31, nameBytes).section('\n', -1));
    f.writeFile("ajouts/" + name, "#v250-id=111111-x\r\n#v2.52\r\n");
    w->but_mailClick();
    EXPECT_EQ(lastFeedback(), messageText(31, nameBytes).section('\n', -1));
    f.writeFile("ajouts/" + name, "#v250-id=111111-x\r\n#v2.52\r\na|\r\n");
    f.boxes.shown.clear();
    f.boxes.answers = {kAnswerNo};
    w->but_mailClick();
    EXPECT_TRUE(f.boxes.saw(messageText(61, nameBytes)));
}

TEST(UrlListFile, ReadsBackAndSurvivesBadFiles)
{
    QTemporaryDir dir;
    DatabaseLangDir = dir.path() + "/";
    auto write = [&](const std::vector<uint8_t>& bytes) {
        QFile f(DatabaseLangDir + "url.bin");
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    };
    write(MakeUrlBin({"7", "mail@example.org", "http://127.0.0.1/", "a", "b", "http://127.0.0.1/up"}));
    EXPECT_TRUE(load_urllist());
    EXPECT_EQ(CurrentLangTag, 7);
    ASSERT_EQ(UrlList.size(), 5u);
    EXPECT_EQ(UrlEntryAt(urlUpload), "http://127.0.0.1/up");
    EXPECT_EQ(UrlEntryAt(9), "");
    write(MakeUrlBin({"x", "mail"}));
    EXPECT_FALSE(load_urllist());
    EXPECT_TRUE(UrlList.empty());
    EXPECT_EQ(CurrentLangTag, 7); // a damaged file keeps the language tag
    write(MakeUrlBin({"3"}));
    EXPECT_TRUE(load_urllist());
    EXPECT_TRUE(UrlList.empty());
    QFile::remove(DatabaseLangDir + "url.bin");
    write(MakeUrlBin({"5\rmail\rhttp://127.0.0.1/"})); // lone CR line ends
    EXPECT_TRUE(load_urllist());
    EXPECT_EQ(CurrentLangTag, 5);
    EXPECT_EQ(UrlList, (std::vector<std::string>{"mail", "http://127.0.0.1/"}));
    QFile::remove(DatabaseLangDir + "url.bin");
    EXPECT_FALSE(load_urllist());
    write({1, 2, 3});
    EXPECT_FALSE(load_urllist());
    EXPECT_EQ(CurrentLangTag, 5); // missing or not inflatable: the same
    DatabaseLangDir.clear();
}

// Language texts: loading ressource.txt, formatting, lookups, messages and form translation.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "folders.h"
#include "image_control.h"
#include "ressource.h"
#include "ressource_widgets.h"
#include "test_util.h"

namespace {

class RessourceTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolder(dir.path()); }
    void TearDown() override { Ressources.reset(); InterfaceLang.clear(); }
    void useTexts(const std::string& bytes) { Ressources.reset(); ParseRessourceText(bytes, Ressources); }
    QTemporaryDir dir;
    RecordingBoxes boxes;
};

TEST_F(RessourceTest, LoadsTextsByPositionInFileOrder)
{
    ASSERT_TRUE(writeBytes(ResDir + "Francais/ressource.txt",
                           "# C01 comment\r\n\r\n  \t \r\nC01 Premier   \r\nH01 Aide de %0\r\nC02\tDeuxi\xE8me\r\n"
                           "X01 unknown\r\nc01 lower case\r\n C01 leading blank\r\nC1\r\nC01 Troisi\xE8me %1 %%\r\n"
                           "M01 Menu %0\r\nI01 Info %0\r\nA01 About %0\r\nT01 Plain %0\r\nT02 \r\n"));
    InterfaceLang = "Francais";
    ASSERT_TRUE(LoadRessources());
    EXPECT_TRUE(boxes.shown.isEmpty());
    const std::pair<std::string, std::string> lookups[] = {
        {GetCaptionText(0), "-"}, {GetCaptionText(1), "Premier"}, {GetCaptionText(2), "Deuxi\xE8me"},
        {GetCaptionText(3), kMissingText}, // the short line gave an empty text
        {GetCaptionText(4), "Troisi\xE8me %1 %%"}, {GetCaptionText(5), kMissingText},
        {GetCaptionText(-1), kMissingText}, {GetHintText(0), "@-"}, {GetHintText(1), "@Aide de Vmar Plotterwerk "},
        {GetHintText(2), ""}, {GetHintText(-5), ""}, {GetMenuText(1), "Menu Vmar Plotterwerk "},
        {GetInfoText(1), "Info Vmar Plotterwerk "}, {GetInfoText(2), kMissingText}, {GetAboutText(1), "About %0"},
        {GetAboutText(2), kMissingText}, {GetPlainText(1), "Plain %0"}, {GetPlainText(2), ""}};
    for (size_t i = 0; i < std::size(lookups); ++i) EXPECT_EQ(lookups[i].first, lookups[i].second) << i;

    EXPECT_EQ(FormatRessource("a%%1b", "X"), "a%Xb"); // "%1" goes before "%%"
    EXPECT_EQ(FormatRessource("%1|%1", "%2", "Y"), "Y|Y");
    EXPECT_EQ(FormatRessource("<%1>%0", "a%%b"), "<a\rb>Vmar Plotterwerk ");
    EXPECT_EQ(FormatRessource("%1%2"), kMissingText);
}

TEST_F(RessourceTest, FallsBackToFrancaisAndMatchesFolderNames)
{
    ASSERT_TRUE(writeBytes(ResDir + "Francais/ressource.txt", "C01 fr\r\n"));
    ASSERT_TRUE(writeBytes(ResDir + "English/RESSOURCE.TXT", "C01 en\r\n"));
    QDir().mkpath(ResDir + "Deutsch"); // a folder without a language file
    const std::pair<const char*, QString> cases[] = {{"Italiano", "Francais"}, {"Deutsch", "Francais"},
                                                     {"fran\u00E7ais", "Francais"}, {"FRANCAIS", "Francais"},
                                                     {"\u00EAnglish", "English"}}; // ê folds to E
    for (const auto& [chosen, folder] : cases) {
        InterfaceLang = QString::fromUtf8(chosen);
        ASSERT_TRUE(LoadRessources());
        EXPECT_EQ(InterfaceLang, folder) << chosen;
        EXPECT_EQ(GetCaptionText(1), folder == "English" ? "en" : "fr");
    }
    EXPECT_TRUE(boxes.shown.isEmpty());

    dir.remove();
    useTexts("C01 stale\r\n");
    EXPECT_FALSE(LoadRessources());
    EXPECT_EQ(boxes.shown, QStringList{"plain:erreur de ressources\n" + QDir::toNativeSeparators(ResDir)
                                       + "Francais/ressource.txt: missing"});
    EXPECT_EQ(GetCaptionText(0) + GetCaptionText(1), "-<erreur de ressource>");
}

TEST_F(RessourceTest, ShowRessourceMessage)
{
    useTexts("S01 Bonjour %1%%et %2\r\nS02 \xE9t\xE9\r\n");
    boxes.answers = {kAnswerYes, kAnswerNo, kAnswerCancel};
    const std::tuple<int, bool, const char*, int> calls[] = {{1, false, "A", 0}, {2, false, "", 0}, {1, true, "x", 6},
                                                             {1, true, "x", 7},  {1, true, "x", 2},  {0, false, "raw %% %0 %1", 0},
                                                             {3, false, "", 0},  {-1, false, "", 0}};
    for (const auto& [id, ask, arg1, answer] : calls) EXPECT_EQ(ShowRessourceMessage(id, ask, arg1, "B"), answer);
    const QString ask = "confirm:Bonjour x\net B";
    EXPECT_EQ(boxes.shown, (QStringList{"info:Bonjour A\net B", QString::fromUtf8("info:\u00E9t\u00E9"), ask, ask, ask,
                                        "info:raw %% %0 %1", "info:<erreur de ressource>", "info:<erreur de ressource>"}));
}

TEST_F(RessourceTest, TranslateFormSetsCaptionsAndHints)
{
    useTexts("C01 Un\r\nC02 Deux\r\nC03 Trois\r\nC04 Quatre\r\nC05 Cinq\r\nH01 Aide %0\r\n");
    QWidget form;
    auto tag = [](auto* w, int t) { w->setProperty("Tag", t); return w; };
    auto* group = tag(new QGroupBox("g", &form), 4);
    const QList<QAbstractButton*> buttons = {tag(new QPushButton("p", &form), 1), tag(new QRadioButton("r", &form), 3),
                                             tag(new QCheckBox("c", group), 5), // nested in the group box
                                             tag(new QPushButton("?", &form), 9), tag(new QPushButton("0", &form), 0)};
    auto* label = tag(new QLabel("l", &form), 2);
    auto* tool = tag(new QToolButton(&form), 1);
    auto* image = tag(new ImageControl(&form), 2);
    auto* edit = tag(new QLineEdit("e", &form), 1);
    tool->setText("t");

    TranslateForm(&form);
    QStringList captions = {group->title(), label->text(), tool->text(), edit->text()};
    for (auto* b : buttons) captions << b->text();
    EXPECT_EQ(captions, QStringList({"Quatre", "Deux", "t", "e", "Un", "Trois", "Cinq", "<erreur de ressource>", "0"}));
    EXPECT_EQ(tool->property("Hint").toString(), "@Aide Vmar Plotterwerk ");
    EXPECT_EQ(image->property("Hint").toString(), ""); // H2 does not exist
    for (QWidget* w : {static_cast<QWidget*>(tool), static_cast<QWidget*>(image)})
        EXPECT_TRUE(w->property("ShowHint").toBool() && !w->property("ParentShowHint").toBool());
    EXPECT_FALSE(edit->property("Hint").isValid());
}

} // namespace

// The language files that the maker writes: every text id the program uses, in real words.
#include <map>
#include <set>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "folders.h"
#include "ressource.h"
#include "sample_folder.h"
#include "sample_writers.h"

using namespace sample;

namespace {

constexpr int kCategories = 20; // more than the named demo categories

// The highest text id of each section that the program uses; every section is dense from 1.
const std::map<char, int> kHighestId = {{'C', 166}, {'H', 28}, {'I', 25}, {'M', 60}, {'S', 65}, {'A', 2}, {'T', kCategories}};

// Texts that the program formats with arguments: they must show them.
const std::vector<std::string> kWithArg1 = {"S1", "S4", "S5", "S6", "S12", "S27", "S28", "S29", "S30", "S31", "S32", "S34",
                                            "S36", "S38", "S42", "S43", "S47", "S48", "S55", "S61", "S63", "S64", "S65",
                                            "I2", "I3", "I4", "I5", "I7", "I11", "I12", "I14", "I17", "I18", "I19", "I25"};
const std::vector<std::string> kWithArg2 = {"S4", "S5", "S27", "S30", "S32", "S34", "I17"};

std::vector<std::string>& listOf(char section)
{
    return *Ressources.section(section);
}

// "%0", "%1" and "%2" as they occur in a text; "%%" (a line break) is not one of them.
std::set<std::string> placeholders(const std::string& text)
{
    std::set<std::string> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] == '%') {
            ++i;
            continue;
        }
        if (text[i + 1] >= '0' && text[i + 1] <= '2') found.insert(text.substr(i, 2));
    }
    return found;
}

class RessourceFiles : public ::testing::TestWithParam<const LanguageTexts*> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        SetProgramFolder(dir_.path());
        const LanguageTexts& lang = *GetParam();
        bytes_ = writeRessourceTxt(ressourceEntries(lang, kCategories));
        QDir().mkpath(ResDir + QString::fromStdString(lang.folder));
        QFile f(ResDir + QString::fromStdString(lang.folder) + "/ressource.txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes_.data(), qint64(bytes_.size()));
        f.close();
        InterfaceLang = QString::fromStdString(lang.folder);
        ASSERT_TRUE(LoadRessources());
        ASSERT_EQ(InterfaceLang.toStdString(), lang.folder); // no fallback to another language
    }
    void TearDown() override { Ressources.reset(); }

    QTemporaryDir dir_;
    std::string bytes_;
};

} // namespace

TEST_P(RessourceFiles, EverySectionIsDenseUpToItsHighestId)
{
    for (const auto& [section, highest] : kHighestId) {
        const std::vector<std::string>& list = listOf(section);
        ASSERT_EQ(int(list.size()) - 1, highest) << "section " << section;
        for (int id = 1; id <= highest; ++id) EXPECT_FALSE(list[size_t(id)].empty()) << section << id;
    }
}

TEST_P(RessourceFiles, WrittenNumbersMatchTheTextPositions)
{
    // Ids are positions: a number that differs from its position means a missing or
    // misplaced text in the table.
    std::map<char, int> position;
    size_t start = 0;
    while (start < bytes_.size()) {
        const size_t end = bytes_.find("\r\n", start);
        const std::string line = bytes_.substr(start, end - start);
        start = end + 2;
        if (line.empty() || line[0] == '#') continue;
        const int id = ++position[line[0]];
        EXPECT_EQ(std::stoi(line.substr(1, 3)), id) << line;
    }
}

TEST_P(RessourceFiles, FormattedTextsShowTheirArguments)
{
    for (const std::string& id : kWithArg1)
        EXPECT_TRUE(placeholders(listOf(id[0])[size_t(std::stoi(id.substr(1)))]).count("%1")) << id;
    for (const std::string& id : kWithArg2)
        EXPECT_TRUE(placeholders(listOf(id[0])[size_t(std::stoi(id.substr(1)))]).count("%2")) << id;
    // A confirmation comes out of the message routine with its arguments in place.
    EXPECT_NE(FormatRessource(listOf('S')[1], "Vmar_ajouts_Aubeval.txt").find("Vmar_ajouts_Aubeval.txt"), std::string::npos);
}

TEST_P(RessourceFiles, TextsAreWindows1252)
{
    for (size_t i = 0; i + 1 < bytes_.size(); ++i) {
        const auto a = uint8_t(bytes_[i]), b = uint8_t(bytes_[i + 1]);
        ASSERT_FALSE(a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF) << "UTF-8 sequence at byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, RessourceFiles, ::testing::Values(&frenchTexts(), &englishTexts()),
                         [](const auto& info) { return info.param->folder; });

TEST(LanguageTexts, BothLanguagesAgreeOnIdsAndArguments)
{
    const LanguageTexts& fr = frenchTexts();
    const LanguageTexts& en = englishTexts();
    ASSERT_EQ(fr.texts.size(), en.texts.size());
    for (size_t i = 0; i < fr.texts.size(); ++i) {
        ASSERT_EQ(fr.texts[i].section, en.texts[i].section);
        ASSERT_EQ(fr.texts[i].id, en.texts[i].id);
        EXPECT_EQ(placeholders(fr.texts[i].text), placeholders(en.texts[i].text))
            << fr.texts[i].section << fr.texts[i].id;
    }
    // French is written with its accents: "Catégorie" holds the byte of é.
    EXPECT_EQ(fr.texts[9].text, "Cat\351gorie");
    EXPECT_EQ(fr.colours.size(), 10u);
    EXPECT_EQ(en.colours.size(), 10u);
}

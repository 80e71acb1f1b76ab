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

// Texts that the program formats with arguments, by the highest argument they must show.
const std::map<std::string, std::vector<std::string>> kWithArgs = {
    {"%1", {"S1", "S6", "S12", "S28", "S29", "S31", "S36", "S38", "S42", "S43", "S47", "S48", "S55", "S61", "S63", "S64",
            "S65", "I2", "I3", "I4", "I5", "I7", "I11", "I12", "I14", "I18", "I19", "I25"}},
    {"%2", {"S4", "S5", "S27", "S30", "S32", "S34", "I17"}}};

// "%0", "%1" and "%2" as they occur in a text; "%%" (a line break) is not one of them.
std::set<std::string> placeholders(const std::string& s)
{
    std::set<std::string> found;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '%') continue;
        if (s[i + 1] >= '0' && s[i + 1] <= '2') found.insert(s.substr(i, 2));
        ++i; // "%%" too
    }
    return found;
}

} // namespace

class RessourceFiles : public ::testing::TestWithParam<const LanguageTexts*> {};

TEST_P(RessourceFiles, LoadDenselyNumberedWithTheirArguments)
{
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    const QString folder = QString::fromStdString(GetParam()->folder);
    const std::string bytes = writeRessourceTxt(ressourceEntries(*GetParam(), kCategories));
    QDir().mkpath(ResDir + folder);
    QFile f(ResDir + folder + "/ressource.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
    f.close();
    InterfaceLang = folder;
    ASSERT_TRUE(LoadRessources());
    ASSERT_EQ(InterfaceLang, folder); // no fallback to another language
    const auto text = [](char section, int id) { return (*Ressources.section(section))[size_t(id)]; };

    for (const auto& [section, highest] : kHighestId) {
        ASSERT_EQ(int(Ressources.section(section)->size()) - 1, highest) << "section " << section;
        for (int id = 1; id <= highest; ++id) EXPECT_FALSE(text(section, id).empty()) << section << id;
    }
    for (const auto& [highest, ids] : kWithArgs)
        for (const std::string& id : ids) {
            const std::set<std::string> found = placeholders(text(id[0], std::stoi(id.substr(1))));
            EXPECT_TRUE(found.count("%1") && found.count(highest)) << id;
        }
    Ressources.reset();

    // Ids are positions: a written number that differs from its position means a missing
    // or misplaced text in the table. The bytes are Windows-1252, never UTF-8.
    std::map<char, int> position;
    for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = bytes.find("\r\n", start);
        const std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line[0] != '#') {
            EXPECT_EQ(std::stoi(line.substr(1, 3)), ++position[line[0]]) << line;
        }
        for (size_t i = 0; i + 1 < line.size(); ++i)
            EXPECT_FALSE(uint8_t(line[i]) >= 0xC2 && uint8_t(line[i]) <= 0xF4 && uint8_t(line[i + 1]) >= 0x80 &&
                         uint8_t(line[i + 1]) <= 0xBF)
                << "UTF-8 sequence in " << line;
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
        EXPECT_EQ(placeholders(fr.texts[i].text), placeholders(en.texts[i].text)) << fr.texts[i].section << fr.texts[i].id;
    }
    EXPECT_EQ(fr.texts[9].text, "Cat\351gorie"); // French keeps its accents
    EXPECT_EQ(fr.colours.size(), 10u);
    EXPECT_EQ(en.colours.size(), 10u);
}

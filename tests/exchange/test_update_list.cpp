// Reading the update list: validity, dispatch by prefix, file entries and their selection.
#include <gtest/gtest.h>

#include "update_list.h"

namespace {
UpdateList parse(const std::string& text, bool french = true, bool* ok = nullptr)
{
    UpdateList list;
    const bool result = parse_update(SplitListLines(text), french, "waiting", list);
    if (ok) *ok = result;
    return list;
}
} // namespace

TEST(UpdateList, OnlyAListEndingInExactlyEOFIsValid)
{
    EXPECT_TRUE(IsValidUpdateList(SplitListLines("VERS=v2.52\r\nEOF\r\n")));
    EXPECT_TRUE(IsValidUpdateList(SplitListLines("EOF")));
    EXPECT_TRUE(IsValidUpdateList(SplitListLines("a\rb\nEOF\n")));
    for (const char* bad : {"", "EOF \r\n", "eof\n", "EOF\r\n\r\n", "EOF\nx", " EOF"})
        EXPECT_FALSE(IsValidUpdateList(SplitListLines(bad))) << bad;
    EXPECT_EQ(SplitListLines("a\r\n\r\nb\rc\n").size(), 4u);
}

TEST(UpdateList, VersionAndNewsLines)
{
    // (French news shown, English left out: see the window's update tests.)
    UpdateList l = parse("VERS=v2.40\r\nMESS=bonjour\r\nVERS=v2.53\r\nvers=v9\r\nXX\r\nEOF\r\n");
    EXPECT_EQ(l.NewestVersion, "v2.53");
    EXPECT_EQ(parse("MESS=bonjour\nMESE=hello\nEOF", false).News, std::vector<std::string>{"hello"});

    // No version line offers nothing; an older or the same version is offered only when different.
    for (auto [text, offered] : {std::pair{"MESS=x\nEOF", false}, {"VERS=v2.10\nEOF", true}, {"VERS=v2.52\nEOF", false}, {"VERS=\nEOF", true}})
        EXPECT_EQ(NewVersionOffered(parse(text)), offered) << text;
}

TEST(UpdateList, FileEntriesAndBadBooleans)
{
    bool ok = false;
    UpdateList l = parse("FILE=a.bin|data\\|0123|http://h/a|Desc|1|False|RES_Francais|9|10\n"
                         "FILE=b.bin||abcd|http://h/b|Two|-2|tRuE|all\n"
                         "FILE=c.bin||x|u|d|yes|0|all\n"
                         "FILE=d.bin||x|u|d|0|0|all\n"
                         "EOF\n",
                         true, &ok);
    EXPECT_FALSE(ok); // "yes" is no Boolean: parsing stops there, what came before stays
    ASSERT_EQ(l.Entries.size(), 2u);
    const ttreeup &a = l.Entries[0], &b = l.Entries[1];
    EXPECT_EQ((std::vector<std::string>{a.FileName, a.Folder, a.Md5, a.Url, a.Description, a.Kind, a.KindName, a.StatusText}),
              (std::vector<std::string>{"a.bin", "data\\", "0123", "http://h/a", "Desc", "res", "francais", "waiting"}));
    // Compressed, needs a restart, visible, fetchable; "-2" and "tRuE" are Booleans too.
    EXPECT_EQ((std::vector<bool>{a.Compressed, a.NeedsRestart, a.Visible, a.Fetchable, b.Compressed, b.NeedsRestart}),
              (std::vector<bool>{true, false, false, true, true, true}));
    // Too few fields: field 6 is empty, which is no Boolean.
    parse("FILE=a|b|c\nEOF", true, &ok);
    EXPECT_FALSE(ok);
}

TEST(UpdateList, SelectionByKindAndName)
{
    ttreeup e;
    for (auto [category, wanted] : {std::pair<std::string, bool>{"ALL_x", true}, {"res_FRANCAIS", true},
                                    {"res_English", false}, {"bas:demo", true}, {"bas_other", false}, {"xyz", false}}) {
        ASSERT_TRUE(ttreeup::Create({"f", "", "m", "u", "d", "0", "0", category}, "", e));
        EXPECT_EQ(EntryConcernsUser(e, true, "Francais", "Demo"), wanted) << category;
        EXPECT_TRUE(EntryConcernsUser(e, false, "Francais", "Demo")) << category;
    }
}

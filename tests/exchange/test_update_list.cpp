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

TEST(UpdateList, VersionNewsAndOtherLines)
{
    UpdateList l = parse("VERS=v2.40\r\nMESS=bonjour\r\nMESE=hello\r\nVERS=v2.53\r\nvers=v9\r\nXX\r\nEOF\r\n");
    EXPECT_EQ(l.NewestVersion, "v2.53");
    EXPECT_TRUE(NewVersionOffered(l));
    EXPECT_EQ(l.News, std::vector<std::string>{"bonjour"});
    EXPECT_EQ(parse("MESS=bonjour\nMESE=hello\nEOF", false).News, std::vector<std::string>{"hello"});

    // No version line offers nothing; an older or the same version is offered only when different.
    EXPECT_FALSE(NewVersionOffered(parse("MESS=x\nEOF")));
    EXPECT_TRUE(NewVersionOffered(parse("VERS=v2.10\nEOF")));
    EXPECT_FALSE(NewVersionOffered(parse("VERS=v2.52\nEOF")));
    EXPECT_TRUE(NewVersionOffered(parse("VERS=\nEOF")));
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
    const ttreeup& a = l.Entries[0];
    EXPECT_EQ(a.FileName, "a.bin");
    EXPECT_EQ(a.Folder, "data\\");
    EXPECT_EQ(a.Md5, "0123");
    EXPECT_EQ(a.Url, "http://h/a");
    EXPECT_EQ(a.Description, "Desc");
    EXPECT_TRUE(a.Compressed);
    EXPECT_FALSE(a.NeedsRestart);
    EXPECT_EQ(a.Kind, "res");
    EXPECT_EQ(a.KindName, "francais");
    EXPECT_EQ(a.StatusText, "waiting");
    EXPECT_FALSE(a.Visible);
    EXPECT_TRUE(a.Fetchable);
    EXPECT_TRUE(l.Entries[1].Compressed);
    EXPECT_TRUE(l.Entries[1].NeedsRestart);
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

// Feedback lines over the map: cutting messages into lines, the 12-line limit, ageing.
#include <gtest/gtest.h>

#include "feedback.h"
#include "ressource.h"

namespace {

constexpr TColor kWhite = 0xFFFFFF, kGrey = 0xAAAAAA;
using Texts = std::vector<std::string>;

class FeedbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Ressources.reset();
        ParseRessourceText("S01 Bonjour %1\r\nS02 a%%b%%c\r\n", Ressources);
    }
    void TearDown() override { Ressources.reset(); }
    Texts texts() const
    {
        Texts t;
        for (const auto& l : list) t.push_back(l.text);
        return t;
    }
    FeedbackLines list;
};

TEST_F(FeedbackTest, MessagesBecomeLinesAndAnEmptyLine)
{
    AddDirectFeedback(1, 3, "X", list);
    EXPECT_EQ(texts(), (Texts{"Bonjour X", ""}));
    for (const auto& l : list) EXPECT_EQ(std::make_pair(l.remaining, l.colour), std::make_pair(3000, kWhite));
    EXPECT_GT(list[0].width, 0);
    const std::pair<int, Texts> cases[] = {{2, {"a", "b", "c", ""}}, {0, {"raw %1", ""}},
                                           {3, {"<erreur de ressource>", ""}}, {-1, {"<erreur de ressource>", ""}}};
    for (const auto& [id, expected] : cases) {
        list.clear();
        AddDirectFeedback(id, 1, "raw %1", list, "Y"); // id 0: arg1 as it is
        EXPECT_EQ(texts(), expected) << id;
    }
}

TEST_F(FeedbackTest, NewLinesAreWhiteAndTheListKeepsTwelve)
{
    AddDirectFeedback(1, 10, "old", list);
    AgeFeedback(list);
    AddDirectFeedback(1, 1, "new", list);
    EXPECT_EQ(std::vector<TColor>({list[0].colour, list[1].colour, list[2].colour, list[3].colour}),
              std::vector<TColor>({kGrey, kGrey, kWhite, kWhite}));

    for (int i = 0; i < 5; ++i) AddDirectFeedback(1, 3, std::to_string(i), list); // 14 lines in all
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(std::make_pair(list[0].text, list[0].colour), std::make_pair(std::string("[...]"), kGrey));
    EXPECT_EQ(list[2].text, "Bonjour 0");

    list.clear();
    AddDirectFeedback(0, 3, "1\r2\r3\r4\r5\r6\r7\r8\r9\r10\r11\r12\r13", list);
    EXPECT_EQ(texts(), (Texts{"[...]", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", ""}));
    EXPECT_EQ(std::make_pair(list[0].colour, list[1].colour), std::make_pair(kGrey, kWhite));
}

TEST_F(FeedbackTest, LinesAgeIndependently)
{
    AddDirectFeedback(1, 3, "long", list);
    AddDirectFeedback(1, 1, "short", list);
    for (int tick = 1; tick <= 5; ++tick) EXPECT_TRUE(AgeFeedback(list));
    EXPECT_EQ(texts(), (Texts{"Bonjour long", ""})); // the one-second lines are gone
    for (int tick = 6; tick <= 14; ++tick) EXPECT_TRUE(AgeFeedback(list));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_FALSE(AgeFeedback(list)); // tick 15: 3000 ms are over
    EXPECT_TRUE(list.empty());
}

} // namespace

// Level-difference colours.
#include <gtest/gtest.h>

#include "con_colors.h"

namespace {

constexpr TColor kDefault = 0x123456;
const std::vector<TColor> kSeven = {0xE1D8C9, 0x3CE36B, 0xFFB745, 0x1DFCFF, 0x14B2FB, 0x1525F8, 0xFF00FF};
enum { Grey, Green, Blue, Yellow, Orange, Red, Purple };

TEST(ConColor, DocumentedCases)
{
    ConColors[3] = 0;
    InitConColors();
    EXPECT_EQ(std::vector<TColor>(ConColors, ConColors + 7), kSeven);
    for (int L = 2; L <= 8; ++L) EXPECT_EQ(ConColor(5, L, kDefault, true), kSeven[size_t(L - 2)]) << L;
    const int cases[][3] = {{10, 7, Green}, {10, 6, Grey},    {20, 15, Green}, {20, 16, Blue},
                            {50, 46, Yellow}, {50, 45, Blue}, {50, 27, Grey},  {59, 70, Purple},
                            {60, 68, Red},  {60, 75, Purple}, {0, 1, Orange}};
    for (const auto& c : cases) EXPECT_EQ(ConColor(c[0], c[1], kDefault, true), kSeven[size_t(c[2])]) << c[0] << "/" << c[1];
    for (int P : {0, 30, 60})
        EXPECT_EQ(std::make_pair(ConColor(P, 0, kDefault, true), ConColor(P, P + 5, kDefault, false)),
                  std::make_pair(kDefault, kDefault));
}

} // namespace

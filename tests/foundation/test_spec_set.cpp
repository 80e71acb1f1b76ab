// Attribute sets: the stored bit layout of ids 1..96 and the set operations.
#include <climits>

#include <gtest/gtest.h>

#include "spec_set.h"

namespace {

TEST(SpecSet, EverySingleIdLandsOnItsWordAndBit)
{
    for (int id = 1; id <= 96; ++id) {
        SpecFlags flags{};
        flags[size_t(id - 1)] = true;
        const SpecSet s = PackSpecs(flags);
        const int word = (id - 1) / 32, bit = id % 32; // 32, 64, 96: bit 0
        for (int w = 0; w < 3; ++w) EXPECT_EQ(s.w[w], w == word ? 1u << bit : 0u) << id;
        EXPECT_EQ(UnpackSpecs(s), flags) << id;
        for (int other = 0; other <= 96; ++other)
            EXPECT_EQ(HasSpec(s, other), other == id || (other == 0 && id == 32)) << id << " " << other;
    }
    SpecFlags f{};
    f[0] = f[31] = f[95] = true; // ids 1, 32, 96
    EXPECT_EQ(PackSpecs(f), (SpecSet{{3u, 0u, 1u}}));
}

TEST(SpecSet, EdgesOfHasSpecIsBitAndSameSpecs)
{
    const SpecSet one{{1u, 0u, 0u}}, all{{~0u, ~0u, ~0u}};
    EXPECT_TRUE(HasSpec(one, 32) && HasSpec(one, 0) && !HasSpec(one, 1));
    for (int id : {-1, 97, 1000, INT_MIN, INT_MAX}) EXPECT_FALSE(HasSpec(all, id)) << id;
    EXPECT_TRUE(IsBit(1, 32) && IsBit(1u << 5, 69) && !IsBit(1u << 5, 68));
    SpecSet a{{7u, 9u, 1u}};
    EXPECT_FALSE(SameSpecs(a, SpecSet{{7u, 9u, 2u}}));
    EXPECT_TRUE(SameSpecs(a, SpecSet{{7u, 9u, 1u}}));
    ClearSpecs(a);
    EXPECT_TRUE(SameSpecs(a, SpecSet{}));
}

} // namespace

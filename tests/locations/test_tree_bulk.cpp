// The fast text comparison of the location tree against a plain folded comparison.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "location_tree.h"

namespace {

// Names that defeat shortcuts: shared 8- and 16-byte beginnings, case, accents and bytes
// above 127, zero bytes, names that begin others, and repeats.
std::string randomName(std::mt19937& rng)
{
    static const std::vector<std::string> stems{"Sanglier des ", "SANGLIER DES ", "sanglier des cavernes ",
                                                "loup", "\xc9l\xe9mentaire ", "",
                                                std::string("Z\0Z", 3), "zz", "_"};
    static const std::string tails = std::string("aAbBzZ _[`{\xe9\xc9\x80\xff\0", 16);
    std::string s = stems[rng() % stems.size()];
    for (int n = int(rng() % 12); n > 0; --n) s += tails[rng() % tails.size()];
    return s.substr(0, kItemNameMax);
}

// The order of names written out plainly: ASCII letters without case, then by length.
bool plainLess(const std::string& a, const std::string& b)
{
    const auto fold = [](const std::string& s) {
        std::string f = s;
        for (char& c : f)
            if (c >= 'a' && c <= 'z') c = char(c - 32);
        return f;
    };
    const std::string fa = fold(a), fb = fold(b);
    return std::lexicographical_compare(fa.begin(), fa.end(), fb.begin(), fb.end(),
                                        [](char x, char y) { return uint8_t(x) < uint8_t(y); });
}

TEST(TreeBulkLoad, CompareTextMatchesThePlainOrder)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 50000; ++i) {
        std::string a = randomName(rng), b = rng() % 3 ? a : randomName(rng);
        // Long shared beginnings with one change anywhere, in case or in value.
        if (!b.empty() && rng() % 2) b[rng() % b.size()] ^= char(rng() % 2 ? 0x20 : 0x01);
        if (rng() % 4 == 0) b += "x";
        EXPECT_EQ(CompareText(a, b) < 0, plainLess(a, b)) << a << " / " << b;
        EXPECT_EQ(CompareText(a, b) == 0, !plainLess(a, b) && !plainLess(b, a)) << a << " / " << b;
    }
}

} // namespace

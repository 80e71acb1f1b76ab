// The location tree after a bulk load: the text order against a plain folded comparison,
// and the point lookup against a scan of the whole tree.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "tree_fixture.h"

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

TEST(TreeBulkLoad, LocationsAtMatchesAScanOfTheTree)
{
    std::mt19937 rng(7);
    TreeFixture f;
    const int zones[] = {10, 11, 20, 21};
    std::vector<int> nodes;
    for (int i = 0; i < 3000; ++i) {
        const int category = 1 + int(rng() % 3);
        nodes.push_back(f.add(randomName(rng), zones[rng() % 4], category, int(rng() % 8), int(rng() % 8)));
    }
    f.tree.sortAll();
    const auto check = [&](const char* when) {
        for (int zone : zones) {
            const int zoneNode = f.tree.find_map_masternode(zone);
            for (uint16_t x = 0; x < 9; ++x)
                for (uint16_t y = 0; y < 9; ++y) {
                    std::vector<int> scan;
                    f.tree.forEachLocation([&](int node, const TNodeData& d) {
                        const bool here = d.item->x == x && d.item->y == y;
                        if (here && f.tree.parentOf(f.tree.parentOf(node)) == zoneNode) scan.push_back(node);
                    });
                    ASSERT_EQ(f.tree.locationsAt(zoneNode, x, y), scan) << when << zone << x << y;
                }
        }
    };
    check("first use");
    for (size_t i = 0; i < nodes.size(); i += 5) f.tree.destroynode(nodes[i]);
    for (int i = 0; i < 200; ++i) f.add(randomName(rng), zones[rng() % 4], 1, int(rng() % 8), int(rng() % 8));
    f.tree.sortAll();
    check("after removals and additions");
}

} // namespace

// Map labels placed from the font's learnt glyph steps come out exactly as through the
// full text layout: same mask, same offsets, for plain names, kerning pairs, ligature
// candidates, accents, every printable Windows-1252 byte and long names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_model.h"
#include "map_render_cache.h"

namespace {

std::vector<std::string> labelNames()
{
    std::vector<std::string> names = {
        "Place 1 des Loups", "Tour de l'Ouest", "AVATAR WAVE Toyota", "LT P. Ty Yo We Fo", "office fluff affine",
        "\xc6r\xf8 \xf1 \xe7 \xfc \xe9 \xe0 \xc9", "L'\x8cuvre \x97 \xab\xe7" "a\xbb", "   spaced  out ", "x", "",
        "Caverne des \xc2mes perdues du Nord-Ouest, troisi\xe8me salle", "a\tb", "a\x81z", "\x80 \x99 \xa9 \xae",
        "ffi ffl fj Th st ct", "1234567890 ((([[[{{{", "@effac\xe9"};
    std::string all;
    for (int c = 0x20; c <= 0xFF; ++c) all += char(c);
    for (size_t i = 0; i < all.size(); i += 17) names.push_back(all.substr(i, 17));
    for (size_t i = 0; i + 1 < all.size(); i += 2) names.push_back(std::string("Va") + all[i] + all[i + 1] + "To");
    return names;
}

} // namespace

TEST(LabelGlyphs, PlacedLabelsMatchTheFullLayout)
{
    for (const auto& [family, points, bold, italic] : std::vector<std::tuple<const char*, int, bool, bool>>{
             {"Arial", 8, false, false}, {"Arial", 10, true, false}, {"Arial", 7, false, true}, {"Times New Roman", 12, false, false}}) {
        rCateg category;
        category.font = QFont(family);
        category.font.setPointSize(points);
        category.font.setBold(bold);
        category.font.setItalic(italic);
        MapRenderCache placed, laidOut;
        laidOut.fullLayoutOnly = true;
        const auto& lookA = placed.look(category, nullptr);
        const auto& lookB = laidOut.look(category, nullptr);
        ASSERT_NE(lookA.glyphs, nullptr);
        // Plain names take the quick way (else this test would compare the layout with itself).
        QGlyphRun run;
        double width = 0;
        EXPECT_TRUE(lookA.glyphs->place("-Tour de l'Ouest", run, width)) << family;
        EXPECT_GT(width, 40.0);
        int node = 0;
        for (const std::string& name : labelNames()) {
            const auto& a = placed.label(node, name, lookA);
            const auto& b = laidOut.label(node, name, lookB);
            ++node;
            const std::string what = std::string(family) + " " + std::to_string(points) + ": " + name;
            EXPECT_EQ(a.dx, b.dx) << what;
            EXPECT_EQ(a.dy, b.dy) << what;
            EXPECT_EQ(a.width, b.width) << what;
            EXPECT_EQ(a.height, b.height) << what;
            EXPECT_TRUE(a.coverage == b.coverage) << what;
            EXPECT_TRUE(a.ink == b.ink) << what;
        }
        placed.endFrame();
        laidOut.endFrame();
    }
}

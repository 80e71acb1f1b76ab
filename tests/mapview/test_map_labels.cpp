// The map's prepared labels: placed from the font's learnt glyph steps they come out exactly
// as through the full text layout (same mask, same offsets, for plain names, kerning
// pairs, ligature candidates, accents, every printable Windows-1252 byte and long names),
// and put together from the glyphs' own masks exactly as the painter draws the glyph run;
// the cache frees the least recently drawn ones, never those of the last two frames.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include <QGlyphRun>
#include <QPainter>
#include <QStaticText>

#include "data_model.h"
#include "label_glyphs.h"
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

rCateg categoryIn(const char* family, int points)
{
    rCateg category;
    category.font = QFont(family);
    category.font.setPointSize(points);
    return category;
}

// Every label the quick cache makes is the one the reference cache makes the slow way.
void expectSameLabels(MapRenderCache& quick, MapRenderCache& reference, const rCateg& category,
                      const std::string& what)
{
    const auto& lookA = quick.look(category, nullptr);
    const auto& lookB = reference.look(category, nullptr);
    int node = 0;
    for (const std::string& name : labelNames()) {
        const auto& a = quick.label(node, name, lookA);
        const auto& b = reference.label(node, name, lookB);
        ++node;
        EXPECT_EQ(std::tie(a.dx, a.dy, a.width, a.height), std::tie(b.dx, b.dy, b.width, b.height))
            << what << name;
        EXPECT_TRUE(a.coverage == b.coverage && a.ink == b.ink) << what << name;
    }
    quick.endFrame();
    reference.endFrame();
}

} // namespace

// Against the full text layout: labels placed from the learnt glyph steps. Against the painter
// drawing the glyph run: masks put together from the glyphs' own (40 points is too large for
// glyph masks, so the painter draws those too).
TEST(LabelGlyphs, QuickLabelsMatchTheFullLayoutAndThePainterDrawingTheRun)
{
    const struct {
        const char* family;
        int points;
        bool bold, italic, againstPainter;
    } rows[] = {{"Arial", 8, false, false, false},          {"Arial", 10, true, false, false},
                {"Arial", 7, false, true, false},           {"Times New Roman", 12, false, false, false},
                {"Arial", 8, false, false, true},           {"Arial", 11, false, false, true},
                {"Arial", 40, false, false, true}};
    for (const auto& r : rows) {
        rCateg category = categoryIn(r.family, r.points);
        category.font.setBold(r.bold);
        category.font.setItalic(r.italic);
        MapRenderCache quick, reference;
        (r.againstPainter ? reference.painterGlyphs : reference.fullLayoutOnly) = true;
        const std::string what = std::string(r.family) + " " + std::to_string(r.points) + ": ";
        // Plain names take the quick way (else this test would compare the layout with itself).
        const auto& look = quick.look(category, nullptr);
        ASSERT_NE(look.glyphs, nullptr);
        QGlyphRun run;
        double width = 0;
        ASSERT_TRUE(look.glyphs->place("-Tour de l'Ouest", run, width)) << what;
        EXPECT_GT(width, 40.0);
        EXPECT_EQ(look.glyphs->mask(run.glyphIndexes()[1], 0, 4) != nullptr, r.points < 40) << what;
        expectSameLabels(quick, reference, category, what);
    }
}

// A glyph's mask at each of the 64 positions across a pixel is what the painter draws there,
// in faces, sizes and styles of every kind, though masks are kept only on the painter's
// coarser grid.
TEST(LabelGlyphs, GlyphMaskAtEverySixtyFourthIsWhatThePainterDraws)
{
    const struct {
        const char* family;
        int pixels;
        bool bold, italic;
    } rows[] = {{"Arial", 9, false, false},    {"Arial", 11, true, false},          {"Arial", 13, false, true},
                {"Arial", 15, true, true},     {"Times New Roman", 12, false, false}, {"Courier New", 12, false, true},
                {"Verdana", 16, true, false},  {"DejaVu Serif", 21, false, false}};
    constexpr int top = 4;
    for (const auto& r : rows) {
        QFont font(r.family);
        font.setPixelSize(r.pixels);
        font.setBold(r.bold);
        font.setItalic(r.italic);
        LabelGlyphs glyphs(font);
        QGlyphRun run;
        double width = 0;
        const std::string text = "-AWgijlo1%,";
        ASSERT_TRUE(glyphs.place(text, run, width)) << r.family;
        const QList<quint32> indexes = run.glyphIndexes();
        const double baseline = run.positions()[0].y();
        const std::string what = std::string(r.family) + " " + std::to_string(r.pixels) + "px ";
        QImage drawn(80, 80 + top, QImage::Format_ARGB32_Premultiplied);
        for (qsizetype g = 0; g < indexes.size(); ++g)
            for (int f = 0; f < 64; ++f) {
                const LabelGlyphs::Mask* m = glyphs.mask(indexes[g], f, top);
                ASSERT_NE(m, nullptr);
                drawn.fill(Qt::transparent);
                {
                    QPainter p(&drawn);
                    p.setPen(Qt::white);
                    const quint32 index = indexes[g];
                    const QPointF position(f / 64.0, baseline);
                    QGlyphRun one;
                    one.setRawFont(run.rawFont());
                    one.setRawData(&index, &position, 1);
                    p.drawGlyphRun(QPointF(20, top), one);
                }
                int mismatches = 0;
                for (int y = 0; y < drawn.height(); ++y)
                    for (int x = 0; x < drawn.width(); ++x) {
                        const int mx = x - 20 - m->left, my = y - m->top;
                        const bool inside = mx >= 0 && my >= 0 && mx < m->width && my < m->height;
                        const int got = inside ? m->alpha[size_t(my) * size_t(m->stride) + size_t(mx)] : 0;
                        mismatches += got != qAlpha(drawn.pixel(x, y));
                    }
                ASSERT_EQ(mismatches, 0) << what << "glyph " << g << " at " << f << "/64";
            }
        // The coarser grid was found: fewer masks than positions.
        EXPECT_LT(glyphs.positionsPerPixel(), 64) << what;
    }
}

TEST(LabelGlyphs, MaskIsTheAlphaOfTheTextDrawnByQt)
{
    const rCateg category = categoryIn("Arial", 8);
    MapRenderCache cache;
    const auto& look = cache.look(category, nullptr);
    const std::string text = "-Tour de l'Ouest, salle 12";
    const auto& label = cache.label(0, text.substr(1), look);
    cache.endFrame();
    // The same text drawn plainly, its layout box's top-left at (10, 10).
    QImage plain(300, 60, QImage::Format_ARGB32_Premultiplied);
    plain.fill(Qt::transparent);
    {
        QPainter p(&plain);
        p.setPen(Qt::white);
        p.setFont(look.labelFont);
        QStaticText st(QString::fromLatin1(text.c_str()));
        st.setTextFormat(Qt::PlainText);
        p.drawStaticText(QPointF(10, 10), st);
    }
    ASSERT_GT(label.width, 40);
    int inked = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const int lx = x - 10 - label.dx, ly = y - 10 - label.dy;
            const bool inside = lx >= 0 && ly >= 0 && lx < label.width && ly < label.height;
            const int expected = qAlpha(plain.pixel(x, y));
            const int got = inside ? label.coverage[size_t(ly) * size_t(label.stride()) + MapRenderCache::kLabelPad + size_t(lx)] : 0;
            ASSERT_EQ(got, expected) << x << "," << y;
            inked += got > 0;
        }
    EXPECT_GT(inked, 100);
}

TEST(LabelCache, FreesTheLeastRecentlyDrawnAndKeepsTheLastTwoFrames)
{
    const rCateg category = categoryIn("Arial", 8);
    MapRenderCache cache;
    const auto& look = cache.look(category, nullptr);
    auto draw = [&](int from, int to) { // one frame drawing the labels of nodes from..to-1
        cache.beginFrame();
        for (int n = from; n < to; ++n) cache.label(n, "Lieu num\xe9ro " + std::to_string(n), look);
        cache.endFrame();
    };
    auto held = [&](int node) { return size_t(node) < cache.labels.size() && cache.labels[size_t(node)]; };
    draw(0, 10);
    const size_t tenLabels = cache.labelBytes;
    cache.labelByteCap = tenLabels; // room for about ten
    draw(10, 20); // twenty held: the first ten were drawn in the frame before
    EXPECT_TRUE(held(0));
    EXPECT_EQ(cache.labelsMade, 20u);
    draw(20, 25); // now the first ten go, oldest first, down to three quarters of the cap
    EXPECT_FALSE(held(0));
    EXPECT_FALSE(held(9));
    EXPECT_TRUE(held(10)); // drawn in the frame before
    EXPECT_TRUE(held(24));
    EXPECT_LE(cache.labelBytes, tenLabels * 2);
    // Drawing again what the last frame drew makes nothing anew, even far past the cap.
    cache.labelByteCap = 1;
    draw(20, 25);
    draw(20, 25);
    EXPECT_EQ(cache.labelsMade, 25u);
    EXPECT_TRUE(held(20));
    EXPECT_FALSE(held(10));
    // A freed label is made again when it comes back into view.
    draw(0, 1);
    EXPECT_EQ(cache.labelsMade, 26u);
}

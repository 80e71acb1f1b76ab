#pragma once
// Glyph runs of map labels without a text layout per label. A label is one line of
// Windows-1252 text in one font: the layout of such a line places each glyph one step
// after the one before, the step depending on the pair (the left glyph's advance and the
// pair's kerning). The steps are learnt from the layout itself, once per pair, and a label
// is then placed by adding them up: the same glyphs at the same positions as the layout
// gives, found without shaping the text again. A text that the pairs cannot describe (a
// character the font lacks, a ligature or another substitution) is left to the full layout.
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>

class LabelGlyphs {
public:
    explicit LabelGlyphs(const QFont& font);

    // Fills run with the glyphs of the text and their positions from the top-left of the
    // text's layout box, and width with the box's width (the sum of the advances); false
    // when the text needs the full layout. The run refers to arrays held here: it is valid
    // until the next call.
    bool place(const std::string& text, QGlyphRun& run, double& width);
    // The layout box's height (the line's ascent and descent).
    double height() const { return height_; }

    // A glyph's coverage as the painter draws it alone in white on a clear image: from
    // column left and row top, width x height bytes. Columns count from the pixel that holds
    // the glyph's origin, rows from the image's top when the run is drawn at y = top.
    struct Mask {
        int left = 0, top = 0, width = 0, height = 0;
        int stride = 0; // width rounded up to a multiple of 8, the rows' padding clear
        std::vector<uint8_t> alpha;
    };
    // The mask of the glyph with its origin at x = n + sixtyfourths / 64 for any whole n, and
    // the run drawn at y = top as the labels are (the rows depend on it); null when the font
    // is drawn as outlines (too large for the painter's glyph images), where glyphs that
    // overlap do not add up one after another.
    const Mask* mask(quint32 index, int sixtyfourths, int top);
    // How many masks the painter keeps per glyph across a pixel (learnt on the first mask);
    // 64 when no coarser grid reproduced its glyphs.
    int positionsPerPixel() const { return positionsPerPixel_; }
    // Glyph masks learnt so far.
    size_t masksLearnt() const { return masks_.size(); }
    // The bytes the learnt masks hold, their coverage and bookkeeping.
    size_t maskBytes() const;
    // Glyphs, pairs and masks learnt so far: it stays the same while labels need nothing new.
    size_t learnings() const { return learnings_; }

private:
    struct Glyph {
        bool known = false, simple = false;
        quint32 index = 0;
        double advance = 0;
    };
    struct Pair {
        bool known = false, simple = false;
        double step = 0; // from the left glyph's position to the right one's
    };
    struct Shaped {
        bool oneRun = false;
        QList<quint32> indexes;
        QList<QPointF> positions;
        double width = 0, height = 0;
        QRawFont rawFont;
    };
    Shaped shape(const QString& text);
    const Glyph& glyph(uint8_t c);
    const Pair& pair(uint8_t a, uint8_t b);
    void capture(quint32 index, int sixtyfourths, int top, Mask& m);
    void learnPositions(int top);
    int positionClass(int sixtyfourths) const;

    QFont font_;
    QRawFont raw_;      // the font engine the layout draws these labels with
    bool usable_ = false;
    double baseline_ = 0, height_ = 0;
    std::array<Glyph, 256> glyphs_{};
    std::vector<Pair> pairs_; // 256 x 256, by left byte then right byte
    QList<quint32> indexes_;
    QList<QPointF> positions_;
    // Masks by glyph index x 65 + position class, for the one top the labels use.
    std::unordered_map<quint64, Mask> masks_;
    int positionsPerPixel_ = 0; // 0 until learnt
    size_t learnings_ = 0;
    int maskTop_ = INT_MIN;
    QImage capture_; // where a glyph is drawn alone to learn its mask
};

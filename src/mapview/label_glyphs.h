#pragma once
// Glyph runs of map labels without a text layout per label. A label is one line of
// Windows-1252 text in one font: the layout of such a line places each glyph one step
// after the one before, the step depending on the pair (the left glyph's advance and the
// pair's kerning). The steps are learnt from the layout itself, once per pair, and a label
// is then placed by adding them up: the same glyphs at the same positions as the layout
// gives, found without shaping the text again. A text that the pairs cannot describe (a
// character the font lacks, a ligature or another substitution) is left to the full layout.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <QFont>
#include <QGlyphRun>
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

    QFont font_;
    QRawFont raw_;      // the font engine the layout draws these labels with
    bool usable_ = false;
    double baseline_ = 0, height_ = 0;
    std::array<Glyph, 256> glyphs_{};
    std::vector<Pair> pairs_; // 256 x 256, by left byte then right byte
    QList<quint32> indexes_;
    QList<QPointF> positions_;
};

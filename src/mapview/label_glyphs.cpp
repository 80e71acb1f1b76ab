#include "label_glyphs.h"

#include <QTextLayout>

#include "cp1252.h"

LabelGlyphs::LabelGlyphs(const QFont& font) : font_(font), pairs_(256 * 256)
{
    // Every label starts with "-": its layout names the font engine and the baseline.
    const Shaped dash = shape(QStringLiteral("-"));
    if (!dash.oneRun || dash.indexes.size() != 1) return;
    raw_ = dash.rawFont;
    baseline_ = dash.positions[0].y();
    height_ = dash.height;
    usable_ = true;
}

LabelGlyphs::Shaped LabelGlyphs::shape(const QString& text)
{
    Shaped out;
    QTextLayout layout(text, font_);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) return out;
    line.setLineWidth(1e6);
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1) return out;
    const QGlyphRun& run = runs.front();
    if (raw_.isValid() && !(run.rawFont() == raw_)) return out;
    out.oneRun = true;
    out.indexes = run.glyphIndexes();
    out.positions = run.positions();
    out.width = line.naturalTextWidth();
    out.height = line.height();
    out.rawFont = run.rawFont();
    return out;
}

const LabelGlyphs::Glyph& LabelGlyphs::glyph(uint8_t c)
{
    Glyph& g = glyphs_[c];
    if (g.known) return g;
    g.known = true;
    const QString text = FromCp1252(std::string(1, char(c)));
    if (text.size() != 1 || text[0].category() == QChar::Other_Control || text[0].isSpace() != (c == ' ')) return g;
    const Shaped s = shape(text);
    if (!s.oneRun || s.indexes.size() != 1 || s.indexes[0] == 0 || s.positions[0] != QPointF(0, baseline_)) return g;
    g.simple = true;
    g.index = s.indexes[0];
    g.advance = s.width;
    return g;
}

const LabelGlyphs::Pair& LabelGlyphs::pair(uint8_t a, uint8_t b)
{
    Pair& p = pairs_[size_t(a) * 256 + b];
    if (p.known) return p;
    p.known = true;
    const Glyph& ga = glyph(a);
    const Glyph& gb = glyph(b);
    if (!ga.simple || !gb.simple) return p;
    const Shaped s = shape(FromCp1252(std::string{char(a), char(b)}));
    // Two glyphs, the same as alone, on one baseline: nothing was substituted or joined.
    if (!s.oneRun || s.indexes.size() != 2 || s.indexes[0] != ga.index || s.indexes[1] != gb.index) return p;
    if (s.positions[0] != QPointF(0, baseline_) || s.positions[1].y() != baseline_) return p;
    p.simple = true;
    p.step = s.positions[1].x();
    return p;
}

bool LabelGlyphs::place(const std::string& text, QGlyphRun& run, double& width)
{
    if (!usable_ || text.empty()) return false;
    indexes_.resize(qsizetype(text.size()));
    positions_.resize(qsizetype(text.size()));
    double x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = uint8_t(text[i]);
        const Glyph& g = glyph(c);
        if (!g.simple) return false;
        if (i > 0) {
            const Pair& p = pair(uint8_t(text[i - 1]), c);
            if (!p.simple) return false;
            x += p.step;
        }
        indexes_[qsizetype(i)] = g.index;
        positions_[qsizetype(i)] = QPointF(x, baseline_);
    }
    width = x + glyph(uint8_t(text.back())).advance;
    // The run borrows the arrays (no copy); they stay as they are until the next place().
    run.setRawFont(raw_);
    run.setRawData(indexes_.constData(), positions_.constData(), int(indexes_.size()));
    return true;
}

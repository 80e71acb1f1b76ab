#include "label_glyphs.h"

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include <QPainter>
#include <QTextLayout>

#include "cp1252.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    ++learnings_;
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
    ++learnings_;
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

namespace {

// Whether the n pixels of a row are all clear (zero).
bool clearRow(const quint32* row, int n)
{
    int x = 0;
#if defined(__SSE2__)
    __m128i any = _mm_setzero_si128();
    for (; x + 4 <= n; x += 4) any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) != 0xFFFF) return false;
#endif
    for (; x < n; ++x)
        if (row[x]) return false;
    return true;
}

bool sameMask(const LabelGlyphs::Mask& a, const LabelGlyphs::Mask& b)
{
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height && a.alpha == b.alpha;
}

} // namespace

int LabelGlyphs::positionClass(int sixtyfourths) const
{
    // The painter keeps q images of a glyph across a pixel: the one for a glyph at
    // n + f / 64 is image (f + 1) x q / 64, the last (f = 63) being the glyph a whole pixel
    // on; with one image per glyph, every position draws it.
    if (positionsPerPixel_ <= 1) return 0;
    return (sixtyfourths + 1) * positionsPerPixel_ / 64;
}

void LabelGlyphs::learnPositions(int top)
{
    // Two glyphs with strokes at several slants, drawn at the ends and the middle of each
    // step of a grid: the coarsest grid whose steps each draw the same pixels is the
    // painter's (a finer grid would move the strokes between a step's ends). When none fits,
    // every position keeps its own mask.
    positionsPerPixel_ = 64;
    std::vector<std::pair<quint32, std::vector<std::unique_ptr<Mask>>>> probes;
    for (const char c : {'W', 'o'}) {
        const Glyph& g = glyph(uint8_t(c));
        if (g.simple) probes.emplace_back(g.index, std::vector<std::unique_ptr<Mask>>(64));
    }
    if (probes.size() < 2) return;
    const auto at = [&](auto& probe, int f) -> const Mask& {
        auto& m = probe.second[size_t(f)];
        if (!m) {
            m = std::make_unique<Mask>();
            capture(probe.first, f, top, *m);
        }
        return *m;
    };
    for (const int q : {1, 2, 4, 8, 16, 32}) {
        positionsPerPixel_ = q;
        bool same = true;
        for (int first = 0; first < 64 && same;) {
            int last = first;
            while (last + 1 < 64 && positionClass(last + 1) == positionClass(first)) ++last;
            for (auto& probe : probes)
                same = same && (first == last || (sameMask(at(probe, first), at(probe, last)) &&
                                                  sameMask(at(probe, first), at(probe, (first + last) / 2))));
            first = last + 1;
        }
        if (same) break;
        positionsPerPixel_ = 64;
    }
    // The probes' masks are kept: their glyphs are as likely in a name as any other.
    for (auto& probe : probes)
        for (int f = 0; f < 64; ++f)
            if (probe.second[size_t(f)])
                masks_.try_emplace(quint64(probe.first) * 65 + quint64(positionClass(f)), std::move(*probe.second[size_t(f)]));
}

const LabelGlyphs::Mask* LabelGlyphs::mask(quint32 index, int sixtyfourths, int top)
{
    // Larger glyphs are filled as outlines, all of a run at once: no mask per glyph.
    constexpr int kLargestCachedPixels = 48;
    if (!usable_ || raw_.pixelSize() > kLargestCachedPixels || sixtyfourths < 0 || sixtyfourths >= 64) return nullptr;
    if (top != maskTop_) {
        masks_.clear();
        maskTop_ = top;
    }
    if (positionsPerPixel_ == 0) learnPositions(top);
    const quint64 key = quint64(index) * 65 + quint64(positionClass(sixtyfourths));
    if (auto it = masks_.find(key); it != masks_.end()) return &it->second;
    Mask& m = masks_[key];
    ++learnings_;
    capture(index, sixtyfourths, top, m);
    return &m;
}

void LabelGlyphs::capture(quint32 index, int sixtyfourths, int top, Mask& m)
{
    // The glyph alone, its origin well inside the image, in the labels' rows.
    const int side = 4 * int(std::ceil(height_)) + 16, origin = side / 4;
    const QSize size(side, side + std::max(top, 0));
    if (capture_.size() != size) capture_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    capture_.fill(Qt::transparent);
    {
        QPainter painter(&capture_);
        painter.setPen(Qt::white);
        const QPointF position(sixtyfourths / 64.0, baseline_);
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setRawData(&index, &position, 1);
        painter.drawGlyphRun(QPointF(origin, top), run);
    }
    // A clear premultiplied pixel is all zero and an inked one is not: a row is first tested
    // whole, and only inked rows are searched from both ends.
    int minX = capture_.width(), minY = capture_.height(), maxX = -1, maxY = -1;
    for (int y = 0; y < capture_.height(); ++y) {
        const quint32* row = reinterpret_cast<const quint32*>(capture_.constScanLine(y));
        if (clearRow(row, capture_.width())) continue;
        int first = 0, past = capture_.width();
        while (!row[first]) ++first;
        while (!row[past - 1]) --past;
        minX = std::min(minX, first);
        maxX = std::max(maxX, past - 1);
        minY = std::min(minY, y);
        maxY = y;
    }
    if (maxX < 0) return; // a blank
    m.left = minX - origin;
    m.top = minY;
    m.width = maxX - minX + 1;
    m.height = maxY - minY + 1;
    m.stride = (m.width + 7) / 8 * 8;
    m.alpha.assign(size_t(m.stride) * size_t(m.height), 0);
    for (int y = 0; y < m.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(capture_.constScanLine(minY + y)) + minX;
        for (int x = 0; x < m.width; ++x) m.alpha[size_t(y) * size_t(m.stride) + size_t(x)] = uint8_t(qAlpha(row[x]));
    }
}

size_t LabelGlyphs::maskBytes() const
{
    size_t n = masks_.bucket_count() * sizeof(void*);
    for (const auto& [key, m] : masks_) n += sizeof(key) + sizeof(m) + 2 * sizeof(void*) + m.alpha.capacity();
    return n;
}

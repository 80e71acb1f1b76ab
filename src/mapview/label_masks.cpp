// A map label's coverage mask: its text laid out and rasterised in white on a clear canvas,
// cut to the ink. A label placed from its font's glyph steps is put together from each
// glyph's mask (learnt once from the painter), blended glyph after glyph as the painter
// blends them; any other goes through the painter.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainter>
#include <QStaticText>

#include "cp1252.h"
#include "map_render_cache.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Coverage c blended over coverage a as the painter blends white text over a clear pixel:
// c + a x (255 - c) / 255, rounded as Qt rounds it (c = 0 leaves a, c = 255 gives 255).
inline uint8_t coverOver(uint32_t a, uint32_t c)
{
    const uint32_t t = a * (255 - c);
    return uint8_t(c + ((t + (t >> 8) + 0x80) >> 8));
}

// n mask bytes (n a multiple of 8) over n canvas bytes.
inline void coverRow(uint8_t* canvas, const uint8_t* mask, int n)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255), half = _mm_set1_epi16(0x80);
    for (; x < n; x += 8) {
        const __m128i c = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask + x)), zero);
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(canvas + x)), zero);
        __m128i t = _mm_mullo_epi16(a, _mm_sub_epi16(full, c)); // at most 65025: 16 bits
        t = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
        const __m128i r = _mm_add_epi16(c, t);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(canvas + x), _mm_packus_epi16(r, r));
    }
#endif
    for (; x < n; ++x) canvas[x] = coverOver(canvas[x], mask[x]);
}

// The first and one past the last non-zero byte of n, or (n, n) when all are zero.
std::pair<int, int> inkOf(const uint8_t* row, int n)
{
    int first = 0;
    uint64_t eight;
    while (first + 8 <= n && (std::memcpy(&eight, row + first, 8), eight == 0)) first += 8;
    while (first < n && !row[first]) ++first;
    if (first == n) return {n, n};
    int past = n;
    while (past - 8 >= first && (std::memcpy(&eight, row + past - 8, 8), eight == 0)) past -= 8;
    while (!row[past - 1]) --past;
    return {first, past};
}

} // namespace

bool MapRenderCache::gatherMasks(int margin, LabelGlyphs& glyphs)
{
    const QList<quint32> indexes = glyphRun.glyphIndexes();
    const QList<QPointF> positions = glyphRun.positions();
    const qsizetype count = std::min(indexes.size(), positions.size());
    glyphMasks.clear();
    for (qsizetype i = 0; i < count; ++i) {
        // The painter places glyphs on a grid of 1/64 pixel; the mask depends on the fraction.
        const double x = margin + positions[i].x(), whole = std::floor(x), fraction = (x - whole) * 64;
        if (fraction != std::floor(fraction)) return false;
        const LabelGlyphs::Mask* m = glyphs.mask(indexes[i], int(fraction), margin);
        if (!m) return false;
        glyphMasks.emplace_back(m, int(whole));
    }
    return true;
}

bool MapRenderCache::learnLabel(const std::string& name, const CategoryLook& look)
{
    if (fullLayoutOnly || painterGlyphs || !look.glyphs) return false;
    learnText.assign(1, '-');
    learnText.append(name, 0, kLabelMax - 1);
    double boxWidth = 0;
    return look.glyphs->place(learnText, glyphRun, boxWidth) && gatherMasks(kLabelMargin, *look.glyphs);
}

bool MapRenderCache::composeGlyphs(int w, int h, int margin, LabelGlyphs& glyphs)
{
    if (!gatherMasks(margin, glyphs)) return false;
    // A row of the canvas has room for a mask row's padding past the box.
    canvasStride = size_t(w) + 16;
    canvas.assign(canvasStride * size_t(h), 0);
    for (const auto& [m, whole] : glyphMasks) {
        const int left = whole + m->left;
        const int y0 = std::max(m->top, 0), y1 = std::min(m->top + m->height, h);
        const bool inside = left >= 0 && left + m->width <= w;
        for (int y = y0; y < y1; ++y) {
            uint8_t* row = canvas.data() + size_t(y) * canvasStride;
            const uint8_t* alpha = m->alpha.data() + size_t(y - m->top) * size_t(m->stride);
            if (inside) {
                coverRow(row + left, alpha, m->stride); // the padding is clear: it changes nothing
                continue;
            }
            for (int x = std::max(left, 0); x < std::min(left + m->width, w); ++x) row[x] = coverOver(row[x], alpha[x - left]);
        }
    }
    return true;
}

void MapRenderCache::cutToInk(Label& label, int w, int h, int margin)
{
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int y = 0; y < h; ++y) {
        const auto [first, past] = inkOf(canvas.data() + size_t(y) * canvasStride, w);
        if (first == w) continue;
        minX = std::min(minX, first);
        maxX = std::max(maxX, past - 1);
        minY = std::min(minY, y);
        maxY = y;
    }
    label.coverage.clear();
    label.ink.clear();
    if (maxX < 0) { // nothing to see: a name of blanks
        label.width = label.height = 0;
        return;
    }
    label.dx = minX - margin;
    label.dy = minY - margin;
    label.width = maxX - minX + 1;
    label.height = maxY - minY + 1;
    const int width = label.width, stride = label.stride();
    label.coverage.assign(size_t(stride) * size_t(label.height), 0);
    label.ink.assign(size_t(label.height), {0, 0});
    for (int y = 0; y < label.height; ++y) {
        uint8_t* out = label.coverage.data() + size_t(y) * size_t(stride) + kLabelPad;
        std::memcpy(out, canvas.data() + size_t(minY + y) * canvasStride + size_t(minX), size_t(width));
        const auto [first, past] = inkOf(out, width);
        if (first < width) label.ink[size_t(y)] = {uint16_t(first), uint16_t(past)};
    }
}

void MapRenderCache::rasterise(Label& label, const std::string& bytes, const CategoryLook& look)
{
    const QFont& font = look.labelFont;
    constexpr int margin = kLabelMargin;
    double boxWidth = 0;
    const bool placed = !fullLayoutOnly && look.glyphs && look.glyphs->place(bytes, glyphRun, boxWidth);
    if (placed) {
        const int w = int(std::ceil(boxWidth)) + 2 * margin, h = int(std::ceil(look.glyphs->height())) + 2 * margin;
        if (!painterGlyphs && composeGlyphs(w, h, margin, *look.glyphs)) {
            cutToInk(label, w, h, margin);
            return;
        }
    }
    // Through the painter, on the clear scratch image: its alpha is the coverage. The
    // scratch image and its painter serve every label of a frame.
    QStaticText laidOut;
    double boxHeight = 0;
    if (placed) {
        boxHeight = look.glyphs->height();
    } else {
        laidOut.setText(FromCp1252(bytes));
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), font);
        boxWidth = laidOut.size().width();
        boxHeight = laidOut.size().height();
    }
    const int w = int(std::ceil(boxWidth)) + 2 * margin, h = int(std::ceil(boxHeight)) + 2 * margin;
    if (w > scratch.width() || h > scratch.height()) {
        scratchPainter.reset();
        scratch = QImage(std::max(w, std::max(scratch.width(), 512)), std::max(h, std::max(scratch.height(), 64)),
                         QImage::Format_ARGB32_Premultiplied);
    }
    uchar* const bits = scratch.bits(); // one detach check, not one per row
    const qsizetype rowBytes = scratch.bytesPerLine();
    for (int y = 0; y < h; ++y) std::memset(bits + y * rowBytes, 0, size_t(w) * 4);
    if (!scratchPainter) {
        scratchPainter = std::make_unique<QPainter>(&scratch);
        scratchPainter->setPen(Qt::white);
        scratchFontSerial = 0;
    }
    if (placed) {
        scratchPainter->drawGlyphRun(QPointF(margin, margin), glyphRun);
    } else {
        if (scratchFontSerial != look.fontSerial) {
            scratchPainter->setFont(font);
            scratchFontSerial = look.fontSerial;
        }
        scratchPainter->drawStaticText(QPointF(margin, margin), laidOut);
    }
    canvasStride = size_t(w) + 16;
    canvas.resize(canvasStride * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint32_t* __restrict row = reinterpret_cast<const uint32_t*>(bits + y * rowBytes);
        uint8_t* __restrict out = canvas.data() + size_t(y) * canvasStride;
        int x = 0;
        for (; x + 4 <= w; x += 4) { // four alphas gathered into one store
            const uint8_t four[4] = {uint8_t(row[x] >> 24), uint8_t(row[x + 1] >> 24), uint8_t(row[x + 2] >> 24),
                                     uint8_t(row[x + 3] >> 24)};
            std::memcpy(out + x, four, 4);
        }
        for (; x < w; ++x) out[x] = uint8_t(row[x] >> 24);
    }
    cutToInk(label, w, h, margin);
}

#pragma once
// Blending straight into a 32-bit buffer (premultiplied ARGB, or RGB32 whose alpha is $FF)
// for the icon pass and the lines, where thousands of small pictures and short spans a frame
// make the painter's per-call cost (and its hand-over of span batches to worker threads) the
// larger part. Four pixels at a time with SSE2 where the
// compiler targets it; the same arithmetic one pixel at a time elsewhere. Inline: the rows
// are short and many.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QImage>
#include <QPainter>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The buffer's pixels when a painter draws on a 32-bit image that can be written directly
// (premultiplied, or opaque RGB32); empty otherwise. The raster engine writes at once, so
// direct writes and the painter's own can alternate.
struct Pixels {
    uint8_t* bits = nullptr;
    qsizetype stride = 0;
    int width = 0, height = 0;
    explicit operator bool() const { return bits != nullptr; }
    uint32_t* row(int y) const { return reinterpret_cast<uint32_t*>(bits + stride * y); }
};

inline Pixels pixelsOf(QPainter& painter)
{
    Pixels px;
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image) return px;
    QImage* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_ARGB32_Premultiplied && image->format() != QImage::Format_RGB32) return px;
    px.bits = image->bits(); // the painter already holds the image detached: no copy here
    px.stride = image->bytesPerLine();
    px.width = image->width();
    px.height = image->height();
    return px;
}

// Runs draw(pixels) on the painter's buffer; on any other device, on a clear premultiplied
// layer of the device's size that is then drawn over it.
template <class Draw>
void withPixels(QPainter& painter, Draw draw)
{
    if (const Pixels px = pixelsOf(painter)) {
        draw(px);
        return;
    }
    const QPaintDevice* device = painter.device();
    if (!device || device->width() <= 0 || device->height() <= 0) return;
    QImage layer(device->width(), device->height(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        draw(pixelsOf(layerPainter));
    }
    painter.drawImage(0, 0, layer);
}

namespace mapblit {

// x * a / 255 on the four channels of a pixel, rounded as Qt rounds it.
inline uint32_t byteMul(uint32_t x, uint32_t a)
{
    uint32_t t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

inline uint32_t blendPixel(uint32_t d, uint32_t s)
{
    const uint32_t a = s >> 24;
    if (a == 0) return d;
    if (a == 255) return s;
    return s + byteMul(d, 255 - a);
}

// An opaque colour over a pixel through coverage c (0..255): d + (colour - d) x c / 255 per
// channel, as the difference times f = 128.5 c (32767 for c = 255), rounded, over 32768
// (within 0.51 of the exact value; c = 255 gives the colour). Every label row path rounds
// this way, so that a label's pixels depend neither on the processor nor on where a row ends.
inline uint32_t coveragePixel(uint32_t d, uint32_t colour, uint32_t c)
{
    if (c == 0) return d;
    if (c == 255) return colour;
    const int f = int(c * 128 + c / 2);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int from = int(d >> shift & 0xFF), to = int(colour >> shift & 0xFF);
        out |= uint32_t(from + (((to - from) * f + 0x4000) >> 15)) << shift;
    }
    return out;
}

#if defined(__SSE2__)
// Four pixels times their own factor (0..255, in both 16-bit halves of each 32-bit lane).
inline __m128i byteMul4(__m128i pixels, __m128i factor)
{
    const __m128i rbMask = _mm_set1_epi32(0x00ff00ff);
    const __m128i half = _mm_set1_epi16(0x80);
    __m128i ag = _mm_srli_epi16(pixels, 8);
    __m128i rb = _mm_and_si128(pixels, rbMask);
    ag = _mm_mullo_epi16(ag, factor);
    rb = _mm_mullo_epi16(rb, factor);
    rb = _mm_add_epi16(rb, _mm_srli_epi16(rb, 8));
    ag = _mm_add_epi16(ag, _mm_srli_epi16(ag, 8));
    rb = _mm_srli_epi16(_mm_add_epi16(rb, half), 8);
    ag = _mm_andnot_si128(rbMask, _mm_add_epi16(ag, half));
    return _mm_or_si128(ag, rb);
}

// 32-bit lanes holding 0..255 -> the same value in both 16-bit halves.
inline __m128i spread(__m128i lanes)
{
    return _mm_or_si128(lanes, _mm_slli_epi32(lanes, 16));
}
#endif

} // namespace mapblit

// Source over: premultiplied source pixels onto n destination pixels.
inline void blendRow(uint32_t* dst, const uint32_t* src, int n)
{
    using namespace mapblit;
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi32(255);
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i alpha = _mm_srli_epi32(s, 24);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero)) == 0xffff) continue;
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, full)) == 0xffff) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i inverse = spread(_mm_sub_epi32(full, alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_add_epi32(s, byteMul4(d, inverse)));
    }
#endif
    for (; i < n; ++i) dst[i] = blendPixel(dst[i], src[i]);
}

// A premultiplied picture a multiple of 4 pixels wide made ready for blendRow's arithmetic at
// every paint: its groups of four pixels that are not all clear, in row order, each with its
// pixels and, unless all four are opaque (then copied), its inverse alphas.
struct PreparedPicture {
    struct Group {
        uint16_t row = 0, column = 0; // column: a multiple of 4
        bool opaque = false;
        uint32_t pixels[4] = {};
        uint16_t inverse[8] = {};     // 255 - alpha of each pixel, in both 16-bit halves
    };
    int width = 0, height = 0;
    std::vector<Group> groups;
};
// picture: premultiplied ARGB, any width (the groups past it count as clear).
PreparedPicture preparePicture(const QImage& picture);
// The prepared picture at (left, top) over the buffer, rows outside the buffer left out;
// the same pixels as blendRow over each row. Its columns must lie within the buffer.
void blendPrepared(const Pixels& px, int left, int top, const PreparedPicture& picture);

// An opaque colour (ARGB, alpha $FF) through n coverage bytes onto n destination pixels:
// mapblit::coveragePixel on each, whatever the path. Sixteen pixels at a time where the
// processor has AVX2 (chosen at the first call), else four.
// Called once per label row: through a pointer, not a guarded local's first-use check (an
// atomic whose relaxed load is a plain one, so that a first call on two threads is no race).
using CoverageRow = void (*)(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour);
extern std::atomic<CoverageRow> coverageRow;
inline void blendCoverageRow(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    coverageRow.load(std::memory_order_relaxed)(dst, coverage, n, colour);
}
// The same four pixels at a time, whatever the processor (the rows' ends, and the tests).
void blendCoverageRow4(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour);
// The sixteen-pixel row, or nullptr where the processor or the build has no AVX2.
CoverageRow avx2CoverageRow();

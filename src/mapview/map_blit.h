#pragma once
// Blending rows of pixels straight into a 32-bit buffer (premultiplied ARGB, or RGB32 whose
// alpha is $FF) for the icon pass, where thousands of small pictures a frame make the
// painter's per-call cost the larger part. Four pixels at a time with SSE2 where the
// compiler targets it; the same arithmetic one pixel at a time elsewhere. Inline: the rows
// are short and many.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

inline uint32_t coveragePixel(uint32_t d, uint32_t colour, uint32_t c)
{
    if (c == 0) return d;
    if (c == 255) return colour;
    return byteMul(colour, c) + byteMul(d, 255 - c);
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

// An opaque colour (ARGB, alpha $FF) through n coverage bytes onto n destination pixels:
// dst = colour x c / 255 + dst x (255 - c) / 255.
inline void blendCoverageRow(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    using namespace mapblit;
    int i = 0;
#if defined(__SSE2__)
    // dst + (colour - dst) x c / 255 per channel in signed 16 bits: the difference times 128
    // by the coverage times 2 (255 made 256), the high half of the product.
    const __m128i zero = _mm_setzero_si128();
    const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero);
    for (; i + 4 <= n; i += 4) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0) continue;
        __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero); // a0..a3 in 16 bits
        a = _mm_add_epi16(a, _mm_srli_epi16(a, 7));                        // 0..256
        a = _mm_slli_epi16(a, 1);                                          // 0..512
        const __m128i pairs = _mm_unpacklo_epi16(a, a);                    // a0 a0 a1 a1 a2 a2 a3 a3
        const __m128i aLo = _mm_unpacklo_epi32(pairs, pairs), aHi = _mm_unpackhi_epi32(pairs, pairs);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i lo = _mm_unpacklo_epi8(d, zero), hi = _mm_unpackhi_epi8(d, zero);
        lo = _mm_add_epi16(lo, _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(c16, lo), 7), aLo));
        hi = _mm_add_epi16(hi, _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(c16, hi), 7), aHi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i) dst[i] = coveragePixel(dst[i], colour, coverage[i]);
}

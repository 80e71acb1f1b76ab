#include "map_blit.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define MAPBLIT_AVX2 1
#endif

PreparedPicture preparePicture(const QImage& picture)
{
    PreparedPicture out;
    out.width = (picture.width() + 3) / 4 * 4;
    out.height = picture.height();
    for (int y = 0; y < picture.height(); ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
        for (int x = 0; x < out.width; x += 4) {
            PreparedPicture::Group g;
            g.row = uint16_t(y);
            g.column = uint16_t(x);
            bool clear = true, opaque = true;
            for (int i = 0; i < 4; ++i) {
                const uint32_t p = x + i < picture.width() ? row[x + i] : 0;
                const uint32_t inverse = 255 - (p >> 24);
                g.pixels[i] = p;
                g.inverse[2 * i] = g.inverse[2 * i + 1] = uint16_t(inverse);
                clear = clear && (p >> 24) == 0;
                opaque = opaque && (p >> 24) == 255;
            }
            if (clear) continue;
            g.opaque = opaque;
            out.groups.push_back(g);
        }
    }
    return out;
}

void blendPrepared(const Pixels& px, int left, int top, const PreparedPicture& picture)
{
    for (const PreparedPicture::Group& g : picture.groups) {
        const int y = top + g.row;
        if (y < 0 || y >= px.height) continue;
        uint32_t* dst = px.row(y) + left + g.column;
#if defined(__SSE2__)
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g.pixels));
        if (g.opaque) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), s);
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        const __m128i inverse = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g.inverse));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_add_epi32(s, mapblit::byteMul4(d, inverse)));
#else
        blendRow(dst, g.pixels, 4);
#endif
    }
}

namespace {

#if defined(__SSE2__)
// (a x b + 0x4000) >> 15 per signed 16-bit lane, as the processors with SSSE3 round it: two
// times the high half of the product, plus the low half's rounding carry (0, 1 or 2).
inline __m128i mulhrs16(__m128i a, __m128i b)
{
    const __m128i lo = _mm_mullo_epi16(a, b), hi = _mm_mulhi_epi16(a, b);
    const __m128i carry = _mm_srli_epi16(_mm_add_epi16(_mm_srli_epi16(lo, 14), _mm_set1_epi16(1)), 1);
    return _mm_add_epi16(_mm_slli_epi16(hi, 1), carry);
}

// Four pixels of blendCoverageRow4, whose coverage bytes are not all 0; colour16 holds the
// colour's channels unpacked to 16 bits, twice.
inline void coverageGroup4(uint32_t* dst, uint32_t four, __m128i colour16)
{
    const __m128i zero = _mm_setzero_si128();
    // c0..c3 one per 32 bits, made f = 128.5 c, then in both halves of its 32 bits.
    __m128i f = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero), zero);
    f = _mm_add_epi32(_mm_slli_epi32(f, 7), _mm_srli_epi32(f, 1));
    f = _mm_or_si128(f, _mm_slli_epi32(f, 16));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    __m128i lo = _mm_unpacklo_epi8(d, zero), hi = _mm_unpackhi_epi8(d, zero);
    lo = _mm_add_epi16(lo, mulhrs16(_mm_sub_epi16(colour16, lo), _mm_unpacklo_epi32(f, f)));
    hi = _mm_add_epi16(hi, mulhrs16(_mm_sub_epi16(colour16, hi), _mm_unpackhi_epi32(f, f)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(lo, hi));
}

inline __m128i colourLanes(uint32_t colour)
{
    return _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), _mm_setzero_si128());
}
#endif

} // namespace

void blendCoverageRow4(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i c = colourLanes(colour);
    for (; i + 4 <= n; i += 4) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four != 0) coverageGroup4(dst + i, four, c);
    }
#endif
    for (; i < n; ++i) dst[i] = mapblit::coveragePixel(dst[i], colour, coverage[i]);
}

namespace {

#if MAPBLIT_AVX2
// mapblit::coveragePixel's arithmetic, sixteen pixels a step.
__attribute__((target("avx2"))) void coverageRowAvx2(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    int i = 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(colour)), zero);
    // Sixteen pixels a step: the sixteen factors made at once, then each spread over its
    // pixel's four channels in the order the pixels' unpacking leaves them.
    const __m256i spreadLo = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3,
                                              0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3);
    const __m256i spreadHi = _mm256_setr_epi8(4, 5, 4, 5, 4, 5, 4, 5, 6, 7, 6, 7, 6, 7, 6, 7,
                                              4, 5, 4, 5, 4, 5, 4, 5, 6, 7, 6, 7, 6, 7, 6, 7);
    // No test for sixteen clear bytes: inside a label's ink they come and go with the glyphs,
    // and a mispredicted skip costs more than the step, which leaves such pixels as they are.
    for (; i + 16 <= n; i += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage + i));
        __m256i f = _mm256_cvtepu8_epi16(sixteen);
        f = _mm256_add_epi16(_mm256_slli_epi16(f, 7), _mm256_srli_epi16(f, 1));
        // Pixels 0-3 in the low lane and 4-7 in the high one, then 8-11 and 12-15.
        const __m256i f0 = _mm256_permute4x64_epi64(f, 0x50), f1 = _mm256_permute4x64_epi64(f, 0xFA);
        const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        const __m256i d1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i + 8));
        __m256i lo0 = _mm256_unpacklo_epi8(d0, zero), hi0 = _mm256_unpackhi_epi8(d0, zero);
        __m256i lo1 = _mm256_unpacklo_epi8(d1, zero), hi1 = _mm256_unpackhi_epi8(d1, zero);
        lo0 = _mm256_add_epi16(lo0, _mm256_mulhrs_epi16(_mm256_sub_epi16(c16, lo0), _mm256_shuffle_epi8(f0, spreadLo)));
        hi0 = _mm256_add_epi16(hi0, _mm256_mulhrs_epi16(_mm256_sub_epi16(c16, hi0), _mm256_shuffle_epi8(f0, spreadHi)));
        lo1 = _mm256_add_epi16(lo1, _mm256_mulhrs_epi16(_mm256_sub_epi16(c16, lo1), _mm256_shuffle_epi8(f1, spreadLo)));
        hi1 = _mm256_add_epi16(hi1, _mm256_mulhrs_epi16(_mm256_sub_epi16(c16, hi1), _mm256_shuffle_epi8(f1, spreadHi)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(lo0, hi0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8), _mm256_packus_epi16(lo1, hi1));
    }
    for (; i + 8 <= n; i += 8) {
        uint64_t eight;
        std::memcpy(&eight, coverage + i, 8);
        if (eight == 0) continue;
        // c0..c3 in the low lane, c4..c7 in the high one, one per 32 bits, then in both halves.
        __m256i f = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<long long>(eight)));
        f = _mm256_add_epi32(_mm256_slli_epi32(f, 7), _mm256_srli_epi32(f, 1));
        const __m256i pairs = _mm256_or_si256(f, _mm256_slli_epi32(f, 16));
        const __m256i fLo = _mm256_unpacklo_epi32(pairs, pairs), fHi = _mm256_unpackhi_epi32(pairs, pairs);
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        __m256i lo = _mm256_unpacklo_epi8(d, zero), hi = _mm256_unpackhi_epi8(d, zero);
        lo = _mm256_add_epi16(lo, _mm256_mulhrs_epi16(_mm256_sub_epi16(c16, lo), fLo));
        hi = _mm256_add_epi16(hi, _mm256_mulhrs_epi16(_mm256_sub_epi16(c16, hi), fHi));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(lo, hi));
    }
    // The row's last group of four (its ends lie on groups of four), as blendCoverageRow4
    // blends it, then any pixels past the last group.
    if (i + 4 <= n) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four != 0) coverageGroup4(dst + i, four, colourLanes(colour));
        i += 4;
    }
    for (; i < n; ++i) dst[i] = mapblit::coveragePixel(dst[i], colour, coverage[i]);
}
#endif

// The first call chooses the row for the processor and runs it; later calls go straight to it.
void chooseAndBlend(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    CoverageRow row = avx2CoverageRow();
    if (!row) row = blendCoverageRow4;
    coverageRow.store(row, std::memory_order_relaxed);
    row(dst, coverage, n, colour);
}

} // namespace

CoverageRow avx2CoverageRow()
{
#if MAPBLIT_AVX2
    if (__builtin_cpu_supports("avx2")) return coverageRowAvx2;
#endif
    return nullptr;
}

std::atomic<CoverageRow> coverageRow{chooseAndBlend};

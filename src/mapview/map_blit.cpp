#include "map_blit.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define MAPBLIT_AVX2 1
#endif

void blendCoverageRow4(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    int i = 0;
#if defined(__SSE2__)
    using mapblit::byteMul4;
    using mapblit::spread;
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi32(255);
    const __m128i c = _mm_set1_epi32(int(colour));
    for (; i + 4 <= n; i += 4) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0) continue;
        const __m128i cover = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero), zero);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i result = _mm_add_epi32(byteMul4(c, spread(cover)), byteMul4(d, spread(_mm_sub_epi32(full, cover))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), result);
    }
#endif
    for (; i < n; ++i) dst[i] = mapblit::coveragePixel(dst[i], colour, coverage[i]);
}

namespace {

#if MAPBLIT_AVX2
// dst + (colour - dst) x c / 255 per channel in signed 16 bits: the difference times
// f = 128.5 c (32767 for c = 255), rounded, over 32768.
__attribute__((target("avx2"))) void coverageRowAvx2(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    int i = 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(colour)), zero);
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
    if (i < n) blendCoverageRow4(dst + i, coverage + i, n - i, colour);
}
#endif

using CoverageRow = void (*)(uint32_t*, const uint8_t*, int, uint32_t);

CoverageRow chooseCoverageRow()
{
#if MAPBLIT_AVX2
    if (__builtin_cpu_supports("avx2")) return coverageRowAvx2;
#endif
    return blendCoverageRow4;
}

} // namespace

void blendCoverageRow(uint32_t* dst, const uint8_t* coverage, int n, uint32_t colour)
{
    static const CoverageRow row = chooseCoverageRow();
    row(dst, coverage, n, colour);
}

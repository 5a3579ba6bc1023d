#include "image/PixelRowSimd.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VELLINOR_SIMD_X86 1
#endif

namespace vellinor::simd {

#ifdef VELLINOR_SIMD_X86

namespace {

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

constexpr char Z = -128; // a shuffle index that yields zero

// Gray of 8 pixels from (blue, green) byte pairs and (red, 0) byte pairs.
__attribute__((target("ssse3"))) inline __m128i Gray8(__m128i bg, __m128i r0, __m128i weightsBG,
                                                      __m128i weightsR0, __m128i divisor) {
    const __m128i sum =
        _mm_add_epi16(_mm_maddubs_epi16(bg, weightsBG), _mm_maddubs_epi16(r0, weightsR0));
    return _mm_srli_epi16(_mm_mulhi_epu16(sum, divisor), 6);
}

__attribute__((target("ssse3"))) int GrayFromRGB24Ssse3(const uint8_t* src, uint8_t* dst,
                                                        int width) {
    // Gathers one channel of 16 pixels from three 16-byte loads.
    const __m128i b0 = _mm_setr_epi8(0, 3, 6, 9, 12, 15, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    const __m128i b1 = _mm_setr_epi8(Z, Z, Z, Z, Z, Z, 2, 5, 8, 11, 14, Z, Z, Z, Z, Z);
    const __m128i b2 = _mm_setr_epi8(Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, 1, 4, 7, 10, 13);
    const __m128i g0 = _mm_setr_epi8(1, 4, 7, 10, 13, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    const __m128i g1 = _mm_setr_epi8(Z, Z, Z, Z, Z, 0, 3, 6, 9, 12, 15, Z, Z, Z, Z, Z);
    const __m128i g2 = _mm_setr_epi8(Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, 2, 5, 8, 11, 14);
    const __m128i r0 = _mm_setr_epi8(2, 5, 8, 11, 14, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    const __m128i r1 = _mm_setr_epi8(Z, Z, Z, Z, Z, 1, 4, 7, 10, 13, Z, Z, Z, Z, Z, Z);
    const __m128i r2 = _mm_setr_epi8(Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, 0, 3, 6, 9, 12, 15);
    const __m128i weightsBG = _mm_setr_epi8(8, 71, 8, 71, 8, 71, 8, 71, 8, 71, 8, 71, 8, 71, 8, 71);
    const __m128i weightsR0 = _mm_setr_epi8(21, 0, 21, 0, 21, 0, 21, 0, 21, 0, 21, 0, 21, 0, 21, 0);
    // floor(x / 100) = (x * 41944) >> 22 for every sum up to 25500.
    const __m128i divisor = _mm_set1_epi16(static_cast<short>(41944));
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const auto* p = reinterpret_cast<const __m128i*>(src + 3 * x);
        const __m128i v0 = _mm_loadu_si128(p), v1 = _mm_loadu_si128(p + 1),
                      v2 = _mm_loadu_si128(p + 2);
        const __m128i b =
            _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v0, b0), _mm_shuffle_epi8(v1, b1)),
                         _mm_shuffle_epi8(v2, b2));
        const __m128i g =
            _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v0, g0), _mm_shuffle_epi8(v1, g1)),
                         _mm_shuffle_epi8(v2, g2));
        const __m128i r =
            _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v0, r0), _mm_shuffle_epi8(v1, r1)),
                         _mm_shuffle_epi8(v2, r2));
        const __m128i lo = Gray8(_mm_unpacklo_epi8(b, g), _mm_unpacklo_epi8(r, zero), weightsBG,
                                 weightsR0, divisor);
        const __m128i hi = Gray8(_mm_unpackhi_epi8(b, g), _mm_unpackhi_epi8(r, zero), weightsBG,
                                 weightsR0, divisor);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_packus_epi16(lo, hi));
    }
    return x;
}

__attribute__((target("ssse3"))) int RGB24ToRGB32Ssse3(const uint8_t* src, uint8_t* dst,
                                                       int width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, Z, 3, 4, 5, Z, 6, 7, 8, Z, 9, 10, 11, Z);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    // Each load reads 16 bytes for 4 pixels (12 bytes): stay clear of the row's end.
    for (; x + 6 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x),
                         _mm_or_si128(_mm_shuffle_epi8(v, spread), opaque));
    }
    return x;
}

__attribute__((target("ssse3"))) int RGB32ToRGB24Ssse3(const uint8_t* src, uint8_t* dst,
                                                       int width) {
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, Z, Z, Z, Z);
    int x = 0;
    // Each store writes 16 bytes for 4 pixels (12 bytes): stay clear of the row's end.
    for (; x + 6 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * x), _mm_shuffle_epi8(v, pack));
    }
    return x;
}

__attribute__((target("ssse3"))) void RGB24ToRGB32BackwardSsse3(const uint8_t* src, uint8_t* dst,
                                                                int blocks) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, Z, 3, 4, 5, Z, 6, 7, 8, Z, 9, 10, 11, Z);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (int block = blocks - 1; block >= 0; --block) {
        const int x = 4 * block;
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x),
                         _mm_or_si128(_mm_shuffle_epi8(v, spread), opaque));
    }
}

} // namespace

int GrayFromRGB24(const uint8_t* src, uint8_t* dst, int width) {
    return HasSsse3() ? GrayFromRGB24Ssse3(src, dst, width) : 0;
}
int RGB24ToRGB32(const uint8_t* src, uint8_t* dst, int width) {
    return HasSsse3() ? RGB24ToRGB32Ssse3(src, dst, width) : 0;
}
int RGB32ToRGB24(const uint8_t* src, uint8_t* dst, int width) {
    return HasSsse3() ? RGB32ToRGB24Ssse3(src, dst, width) : 0;
}

#else

int GrayFromRGB24(const uint8_t*, uint8_t*, int) {
    return 0;
}
int RGB24ToRGB32(const uint8_t*, uint8_t*, int) {
    return 0;
}
int RGB32ToRGB24(const uint8_t*, uint8_t*, int) {
    return 0;
}

#endif

void RGB24ToRGB32Backward(const uint8_t* src, uint8_t* dst, int width) {
    // Blocks of 4 pixels whose 16-byte loads stay inside the row; the pixels
    // right of them go first, one by one.
    int blocks = 0;
#ifdef VELLINOR_SIMD_X86
    if (HasSsse3()) blocks = std::max(width - 2, 0) / 4;
#endif
    for (int x = width - 1; x >= 4 * blocks; --x) {
        const uint8_t b = src[3 * x], g = src[3 * x + 1], r = src[3 * x + 2];
        dst[4 * x] = b;
        dst[4 * x + 1] = g;
        dst[4 * x + 2] = r;
        dst[4 * x + 3] = 255;
    }
#ifdef VELLINOR_SIMD_X86
    if (blocks > 0) RGB24ToRGB32BackwardSsse3(src, dst, blocks);
#endif
}

} // namespace vellinor::simd

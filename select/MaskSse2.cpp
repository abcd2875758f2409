// SSE2 path: 16 pixels per compare. Whole blocks of 64 pixels get their mask
// bytes from weighted sums; shorter runs from movemask, put in mask order
// with a byte-wise bit reversal; a row's last pixels are handled
// by one more vector that ends exactly at the row's last pixel, so nothing
// past the row is read for the mask or written at all.
#include <emmintrin.h>

#include "select/MaskBits.h"
#include "select/MaskKernels.h"

#define SSE2_CODE __attribute__((target("sse2")))

namespace masklib {
namespace {

SSE2_CODE inline __m128i load16(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

SSE2_CODE inline void store16(uint8_t* at, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

SSE2_CODE inline uint32_t bitsOf(__m128i equal) {
    return static_cast<uint32_t>(_mm_movemask_epi8(equal));
}

// The mask bytes of 64 pixels from four compare results: each compare byte
// keeps its bit of the mask byte (first pixel 0x80 .. eighth 0x01), a sum of
// absolute differences adds each group of eight into its byte (groupSums,
// 16 pixels), and two packs put the eight bytes in order (maskBytesOf64).
SSE2_CODE inline __m128i groupSums(__m128i equal) {
    const __m128i weights = _mm_set1_epi64x(0x0102040810204080LL);
    return _mm_sad_epu8(_mm_and_si128(equal, weights), _mm_setzero_si128());
}

SSE2_CODE inline __m128i maskBytesOf64(__m128i s0, __m128i s1, __m128i s2, __m128i s3) {
    const __m128i words = _mm_packs_epi32(_mm_packs_epi32(s0, s1), _mm_packs_epi32(s2, s3));
    return _mm_packus_epi16(words, words);
}

// Transparent pixels become 0; pixels of index 0 that aren't transparent
// take the substitute index (an OR puts it in, as they hold 0); the rest
// stay.
SSE2_CODE inline __m128i rewritten(__m128i v, __m128i isTransparent, __m128i isZero,
                                   __m128i substitute) {
    return _mm_andnot_si128(isTransparent, _mm_or_si128(v, _mm_and_si128(isZero, substitute)));
}

// 16 pixels in place; returns their group sums. The pixels are read once,
// through a volatile pointer, into a register (left to itself the compiler
// folds the load into each compare and reads the same bytes again).
SSE2_CODE inline __m128i rewrite16(uint8_t* at, __m128i transparent, __m128i substitute) {
    const __m128i v = *reinterpret_cast<const volatile __m128i_u*>(at);
    const __m128i t = _mm_cmpeq_epi8(v, transparent);
    store16(at, rewritten(v, t, _mm_cmpeq_epi8(v, _mm_setzero_si128()), substitute));
    return groupSums(t);
}

SSE2_CODE void zeroModeRow(const uint8_t* row, size_t width, uint8_t* maskRow) {
    const __m128i zero = _mm_setzero_si128();
    size_t x = 0;
    for (; x + 64 <= width; x += 64) {
        const __m128i bytes = maskBytesOf64(groupSums(_mm_cmpeq_epi8(load16(row + x), zero)),
                                            groupSums(_mm_cmpeq_epi8(load16(row + x + 16), zero)),
                                            groupSums(_mm_cmpeq_epi8(load16(row + x + 32), zero)),
                                            groupSums(_mm_cmpeq_epi8(load16(row + x + 48), zero)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(maskRow + x / 8), bytes);
    }
    if (x + 32 <= width) {
        const uint32_t bits = bitsOf(_mm_cmpeq_epi8(load16(row + x), zero)) |
                              bitsOf(_mm_cmpeq_epi8(load16(row + x + 16), zero)) << 16;
        storeU32(maskRow + x / 8, msbFirstBytes(bits));
        x += 32;
    }
    if (x + 16 <= width) {
        storeU16(maskRow + x / 8, msbFirstBytes(bitsOf(_mm_cmpeq_epi8(load16(row + x), zero))));
        x += 16;
    }
    if (x < width) {
        const size_t left = width - x;
        const uint32_t bits = bitsOf(_mm_cmpeq_epi8(load16(row + width - 16), zero)) >> (16 - left);
        storeTailMaskBytes(maskRow + x / 8, msbFirstBytes(bits), left);
    }
}

SSE2_CODE void transparentModeRow(uint8_t* row, size_t width, uint8_t* maskRow,
                                  PixelColours colours) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i transparent = _mm_set1_epi8(static_cast<char>(colours.transparent));
    const __m128i substitute = _mm_set1_epi8(static_cast<char>(colours.substitute));

    // The last vector overlaps pixels the loop rewrites, so it is read and
    // worked out before any store; storing it last writes the same values.
    const size_t left = width % 16;
    __m128i tailPixels = zero;
    uint32_t tailBits = 0;
    if (left != 0) {
        const __m128i v = load16(row + width - 16);
        const __m128i isTransparent = _mm_cmpeq_epi8(v, transparent);
        tailPixels = rewritten(v, isTransparent, _mm_cmpeq_epi8(v, zero), substitute);
        tailBits = bitsOf(isTransparent) >> (16 - left);
    }

    size_t x = 0;
    for (; x + 64 <= width; x += 64) {
        // Written out rather than looped: a loop kept the four compare
        // results in memory.
        const __m128i s01 = _mm_packs_epi32(rewrite16(row + x, transparent, substitute),
                                            rewrite16(row + x + 16, transparent, substitute));
        const __m128i s23 = _mm_packs_epi32(rewrite16(row + x + 32, transparent, substitute),
                                            rewrite16(row + x + 48, transparent, substitute));
        const __m128i words = _mm_packs_epi32(s01, s23);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(maskRow + x / 8),
                         _mm_packus_epi16(words, words));
    }
    if (x + 32 <= width) {
        const __m128i v0 = load16(row + x);
        const __m128i v1 = load16(row + x + 16);
        const __m128i t0 = _mm_cmpeq_epi8(v0, transparent);
        const __m128i t1 = _mm_cmpeq_epi8(v1, transparent);
        store16(row + x, rewritten(v0, t0, _mm_cmpeq_epi8(v0, zero), substitute));
        store16(row + x + 16, rewritten(v1, t1, _mm_cmpeq_epi8(v1, zero), substitute));
        storeU32(maskRow + x / 8, msbFirstBytes(bitsOf(t0) | bitsOf(t1) << 16));
        x += 32;
    }
    if (x + 16 <= width) {
        const __m128i v = load16(row + x);
        const __m128i t = _mm_cmpeq_epi8(v, transparent);
        store16(row + x, rewritten(v, t, _mm_cmpeq_epi8(v, zero), substitute));
        storeU16(maskRow + x / 8, msbFirstBytes(bitsOf(t)));
        x += 16;
    }
    if (left != 0) {
        store16(row + width - 16, tailPixels);
        storeTailMaskBytes(maskRow + x / 8, msbFirstBytes(tailBits), left);
    }
}

}  // namespace

SSE2_CODE void makeMaskRowSse2(uint8_t* row, size_t width, uint8_t* maskRow,
                               int32_t zeroIsTransparent, PixelColours colours) {
    if (width < 16) {
        makeMaskRowScalar(row, width, maskRow, zeroIsTransparent, colours);
    } else if (zeroIsTransparent) {
        zeroModeRow(row, width, maskRow);
    } else {
        transparentModeRow(row, width, maskRow, colours);
    }
}

SSE2_CODE bool containsByteSse2(const uint8_t* bytes, size_t count, uint8_t value) {
    if (count < 16) return containsByteScalar(bytes, count, value);
    const __m128i needle = _mm_set1_epi8(static_cast<char>(value));
    if (bitsOf(_mm_cmpeq_epi8(load16(bytes), needle))) return true;

    // From the first 16-byte boundary on, aligned reads, 64 bytes per test.
    size_t i = 16 - (reinterpret_cast<uintptr_t>(bytes) & 15);
    for (; i + 64 <= count; i += 64) {
        const __m128i* at = reinterpret_cast<const __m128i*>(bytes + i);
        const __m128i any =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(_mm_load_si128(at), needle),
                                      _mm_cmpeq_epi8(_mm_load_si128(at + 1), needle)),
                         _mm_or_si128(_mm_cmpeq_epi8(_mm_load_si128(at + 2), needle),
                                      _mm_cmpeq_epi8(_mm_load_si128(at + 3), needle)));
        if (bitsOf(any)) return true;
    }
    for (; i + 16 <= count; i += 16) {
        if (bitsOf(_mm_cmpeq_epi8(load16(bytes + i), needle))) return true;
    }
    // The last 16 bytes, overlapping what was already seen.
    return i < count && bitsOf(_mm_cmpeq_epi8(load16(bytes + count - 16), needle)) != 0;
}

int32_t makeMaskSse2(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                     int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                     PixelColours colours) {
    return makeMaskByRows(makeMaskRowSse2, pixels, width, height, mask, maskRowBits, maskRows,
                          zeroIsTransparent, colours);
}

int32_t checkSse2(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent) {
    return containsByteSse2(pixels, bytesToExamine(width, height), transparent) ? 0 : 1;
}

}  // namespace masklib

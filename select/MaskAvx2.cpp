// AVX2 path: 32 pixels per compare. A byte shuffle reverses each group of 8
// compare results so that movemask yields the four mask bytes in mask order
// directly. Rows narrower than 32 pixels go to the SSE2 row.
#include <immintrin.h>

#include "select/MaskBits.h"
#include "select/MaskKernels.h"

#define AVX2_CODE __attribute__((target("avx2")))

namespace masklib {
namespace {

AVX2_CODE inline __m256i load32(const uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

AVX2_CODE inline void store32(uint8_t* at, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), v);
}

AVX2_CODE inline uint32_t bitsOf(__m256i equal) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(equal));
}

// First pixel of every 8 into the byte whose top bit becomes bit 7.
AVX2_CODE inline __m256i eightsReversed() {
    return _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2,
                            1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
}

AVX2_CODE inline uint32_t maskBytesOf(__m256i equal, __m256i reverse) {
    return bitsOf(_mm256_shuffle_epi8(equal, reverse));
}

AVX2_CODE inline __m256i rewritten(__m256i v, __m256i isTransparent, __m256i isZero,
                                   __m256i substitute) {
    return _mm256_andnot_si256(isTransparent, _mm256_blendv_epi8(v, substitute, isZero));
}

AVX2_CODE void zeroModeRow(const uint8_t* row, size_t width, uint8_t* maskRow) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i reverse = eightsReversed();
    size_t x = 0;
    for (; x + 64 <= width; x += 64) {
        storeU32(maskRow + x / 8, maskBytesOf(_mm256_cmpeq_epi8(load32(row + x), zero), reverse));
        storeU32(maskRow + x / 8 + 4,
                 maskBytesOf(_mm256_cmpeq_epi8(load32(row + x + 32), zero), reverse));
    }
    if (x + 32 <= width) {
        storeU32(maskRow + x / 8, maskBytesOf(_mm256_cmpeq_epi8(load32(row + x), zero), reverse));
        x += 32;
    }
    if (x < width) {
        const size_t left = width - x;
        const uint32_t bits =
            bitsOf(_mm256_cmpeq_epi8(load32(row + width - 32), zero)) >> (32 - left);
        storeTailMaskBytes(maskRow + x / 8, msbFirstBytes(bits), left);
    }
}

AVX2_CODE void transparentModeRow(uint8_t* row, size_t width, uint8_t* maskRow,
                                  PixelColours colours) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i reverse = eightsReversed();
    const __m256i transparent = _mm256_set1_epi8(static_cast<char>(colours.transparent));
    const __m256i substitute = _mm256_set1_epi8(static_cast<char>(colours.substitute));

    // Read and worked out before the loop rewrites the pixels it overlaps.
    const size_t left = width % 32;
    __m256i tailPixels = zero;
    uint32_t tailBits = 0;
    if (left != 0) {
        const __m256i v = load32(row + width - 32);
        const __m256i isTransparent = _mm256_cmpeq_epi8(v, transparent);
        tailPixels = rewritten(v, isTransparent, _mm256_cmpeq_epi8(v, zero), substitute);
        tailBits = bitsOf(isTransparent) >> (32 - left);
    }

    size_t x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m256i v = load32(row + x);
        const __m256i t = _mm256_cmpeq_epi8(v, transparent);
        store32(row + x, rewritten(v, t, _mm256_cmpeq_epi8(v, zero), substitute));
        storeU32(maskRow + x / 8, maskBytesOf(t, reverse));
    }
    if (left != 0) {
        store32(row + width - 32, tailPixels);
        storeTailMaskBytes(maskRow + x / 8, msbFirstBytes(tailBits), left);
    }
}

}  // namespace

AVX2_CODE void makeMaskRowAvx2(uint8_t* row, size_t width, uint8_t* maskRow,
                               int32_t zeroIsTransparent, PixelColours colours) {
    if (width < 32) {
        makeMaskRowSse2(row, width, maskRow, zeroIsTransparent, colours);
    } else if (zeroIsTransparent) {
        zeroModeRow(row, width, maskRow);
    } else {
        transparentModeRow(row, width, maskRow, colours);
    }
}

AVX2_CODE bool containsByteAvx2(const uint8_t* bytes, size_t count, uint8_t value) {
    if (count < 32) return containsByteSse2(bytes, count, value);
    const __m256i needle = _mm256_set1_epi8(static_cast<char>(value));
    if (bitsOf(_mm256_cmpeq_epi8(load32(bytes), needle))) return true;

    // From the first 32-byte boundary on, aligned reads, 128 bytes per test.
    size_t i = 32 - (reinterpret_cast<uintptr_t>(bytes) & 31);
    for (; i + 128 <= count; i += 128) {
        const __m256i* at = reinterpret_cast<const __m256i*>(bytes + i);
        const __m256i any =
            _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(_mm256_load_si256(at), needle),
                                            _mm256_cmpeq_epi8(_mm256_load_si256(at + 1), needle)),
                            _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_load_si256(at + 2), needle),
                                            _mm256_cmpeq_epi8(_mm256_load_si256(at + 3), needle)));
        if (bitsOf(any)) return true;
    }
    for (; i + 32 <= count; i += 32) {
        if (bitsOf(_mm256_cmpeq_epi8(load32(bytes + i), needle))) return true;
    }
    return i < count && bitsOf(_mm256_cmpeq_epi8(load32(bytes + count - 32), needle)) != 0;
}

int32_t makeMaskAvx2(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                     int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                     PixelColours colours) {
    return makeMaskByRows(makeMaskRowAvx2, pixels, width, height, mask, maskRowBits, maskRows,
                          zeroIsTransparent, colours);
}

int32_t checkAvx2(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent) {
    return containsByteAvx2(pixels, bytesToExamine(width, height), transparent) ? 0 : 1;
}

}  // namespace masklib

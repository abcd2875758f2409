// AVX2 path: 32 pixels per compare. A byte shuffle reverses each group of 8
// compare results so that movemask yields the four mask bytes in mask order
// directly. Rows narrower than 32 pixels go to the SSE2 row. Built into the
// 32-bit DLL as well: only these functions use AVX2 (per-function target),
// and the exports take them only where cpuid and XGETBV say the processor
// and the system can run them. In 32-bit code there are eight vector
// registers, so each loop works on one vector at a time.
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

// The four mask bytes of the 32 pixels at `at`.
AVX2_CODE inline void zeroMask32(const uint8_t* at, uint8_t* maskAt, __m256i reverse) {
    storeU32(maskAt, maskBytesOf(_mm256_cmpeq_epi8(load32(at), _mm256_setzero_si256()), reverse));
}

AVX2_CODE void zeroModeRow(const uint8_t* row, size_t width, uint8_t* maskRow) {
    const __m256i reverse = eightsReversed();
    const size_t left = width % 32;
    const uint8_t* at = row;
    const uint8_t* const wholeEnd = row + (width - left);
    uint8_t* maskAt = maskRow;
    for (; wholeEnd - at >= 128; at += 128, maskAt += 16) {
        zeroMask32(at, maskAt, reverse);
        zeroMask32(at + 32, maskAt + 4, reverse);
        zeroMask32(at + 64, maskAt + 8, reverse);
        zeroMask32(at + 96, maskAt + 12, reverse);
    }
    for (; at != wholeEnd; at += 32, maskAt += 4) zeroMask32(at, maskAt, reverse);
    if (left != 0) {
        const uint32_t bits =
            bitsOf(_mm256_cmpeq_epi8(load32(row + width - 32), _mm256_setzero_si256())) >>
            (32 - left);
        storeTailMaskBytes(maskAt, msbFirstBytes(bits), left);
    }
}

// The constants of the transparent-index mode.
struct Rewrite {
    __m256i zero, reverse, transparent, substitute;
};

// 32 pixels in place and their four mask bytes. The pixels are read once,
// through a volatile pointer, into a register: left to itself the compiler
// folds the load into both compares and reads the same bytes three times,
// which cost about a fifth of the speed in 32-bit code.
AVX2_CODE inline void rewrite32(uint8_t* at, uint8_t* maskAt, const Rewrite& k) {
    const __m256i v = *reinterpret_cast<const volatile __m256i_u*>(at);
    const __m256i t = _mm256_cmpeq_epi8(v, k.transparent);
    store32(at, rewritten(v, t, _mm256_cmpeq_epi8(v, k.zero), k.substitute));
    storeU32(maskAt, maskBytesOf(t, k.reverse));
}

AVX2_CODE void transparentModeRow(uint8_t* row, size_t width, uint8_t* maskRow,
                                  PixelColours colours) {
    const Rewrite k = {_mm256_setzero_si256(), eightsReversed(),
                       _mm256_set1_epi8(static_cast<char>(colours.transparent)),
                       _mm256_set1_epi8(static_cast<char>(colours.substitute))};

    // Read and worked out before the loop rewrites the pixels it overlaps.
    const size_t left = width % 32;
    __m256i tailPixels = k.zero;
    uint32_t tailBits = 0;
    if (left != 0) {
        const __m256i v = load32(row + width - 32);
        const __m256i isTransparent = _mm256_cmpeq_epi8(v, k.transparent);
        tailPixels = rewritten(v, isTransparent, _mm256_cmpeq_epi8(v, k.zero), k.substitute);
        tailBits = bitsOf(isTransparent) >> (32 - left);
    }

    uint8_t* at = row;
    uint8_t* maskAt = maskRow;
    uint8_t* const wholeEnd = row + (width - left);
    for (; wholeEnd - at >= 128; at += 128, maskAt += 16) {
        rewrite32(at, maskAt, k);
        rewrite32(at + 32, maskAt + 4, k);
        rewrite32(at + 64, maskAt + 8, k);
        rewrite32(at + 96, maskAt + 12, k);
    }
    for (; at != wholeEnd; at += 32, maskAt += 4) rewrite32(at, maskAt, k);
    if (left != 0) {
        store32(row + width - 32, tailPixels);
        storeTailMaskBytes(maskAt, msbFirstBytes(tailBits), left);
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

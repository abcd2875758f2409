// The three exports of the mask library. On 32-bit Windows they use the
// Windows API convention (arguments on the stack, the callee pops them); the
// native build for the tests and benchmarks has the same C functions.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && defined(__i386__)
#define SELECT_CALL __stdcall
#else
#define SELECT_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Builds the 1-bit mask of `height` rows of `width` 8-bit pixels into the last
// `height` rows of `mask`; with `zeroIsTransparent` 0 it also rewrites the
// pixels (transparent index -> 0, index 0 -> substitute index). Returns the
// first pixel as it was on entry.
int32_t SELECT_CALL makeTheMask(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                                int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent);

// 0 when one of the first width x height bytes of `pixels` is the transparent
// index, 1 when none is (and for an empty run).
int32_t SELECT_CALL checkIsTransparent(const uint8_t* pixels, int32_t width, int32_t height);

// Sets the transparent and substitute indices (low 8 bits of each); returns 0.
int32_t SELECT_CALL setPixelColours(int32_t transparentIndex, int32_t substituteIndex);

#ifdef __cplusplus
}
#endif

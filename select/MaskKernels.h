// Inside the mask library: the kernels behind the exports, one set per code
// path, and the choice between them. The scalar kernels are the reference;
// every vector path must give byte-for-byte the same buffers and results.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace masklib {

struct PixelColours {
    uint8_t transparent;
    uint8_t substitute;
};

using MakeMaskKernel = int32_t (*)(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                                   int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                                   PixelColours colours);
using CheckKernel = int32_t (*)(const uint8_t* pixels, int32_t width, int32_t height,
                                uint8_t transparent);

// One row of at least one pixel: writes its (width + 7) / 8 mask bytes at
// maskRow and, in the transparent-index mode, rewrites its pixels.
using MaskRowKernel = void (*)(uint8_t* row, size_t width, uint8_t* maskRow,
                               int32_t zeroIsTransparent, PixelColours colours);

enum class MaskPath : int32_t { Scalar = 0, Sse2 = 1, Avx2 = 2 };
constexpr int32_t kMaskPathCount = 3;

struct MaskKernels {
    const char* name;
    MakeMaskKernel makeMask;
    CheckKernel check;
};

// Row layout shared by every path.

// Filler bytes after each source row: rows occupy a multiple of 4 bytes.
inline uint32_t rowFillerBytes(int32_t width) {
    return ((static_cast<uint32_t>(width) - 1u) & 3u) ^ 3u;
}

// Offset of the first mask row written: the bitmap fills the last `height`
// rows of the mask buffer.
inline int64_t firstMaskRowOffset(int32_t maskRows, int32_t height, int32_t maskRowBits) {
    return (static_cast<int64_t>(maskRows) - height) * (maskRowBits / 8);
}

// Mask bytes skipped after the bytes that hold a row's pixels.
inline int64_t maskBytesSkippedPerRow(int32_t maskRowBits, int32_t width) {
    return (static_cast<int64_t>(maskRowBits) - width) / 8;
}

// Bytes examined by the transparency test: none unless both sizes are
// positive, so two negative sizes never make a positive count.
inline size_t bytesToExamine(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    const uint64_t n = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    return n > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(n);
}

// Reference kernels: the rules read literally, one pixel at a time.
int32_t makeMaskScalar(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                       int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                       PixelColours colours);
int32_t checkScalar(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent);

// The frame the vector paths share: the first pixel, where each row's mask
// bytes go, and one row kernel call per row.
int32_t makeMaskByRows(MaskRowKernel rowKernel, uint8_t* pixels, int32_t width, int32_t height,
                       uint8_t* mask, int32_t maskRowBits, int32_t maskRows,
                       int32_t zeroIsTransparent, PixelColours colours);
// A row one pixel at a time: used by the vector rows for rows too narrow for
// one vector.
void makeMaskRowScalar(uint8_t* row, size_t width, uint8_t* maskRow, int32_t zeroIsTransparent,
                       PixelColours colours);
bool containsByteScalar(const uint8_t* bytes, size_t count, uint8_t value);

// Vector paths; each falls back to the narrower one for short runs.
void makeMaskRowSse2(uint8_t* row, size_t width, uint8_t* maskRow, int32_t zeroIsTransparent,
                     PixelColours colours);
bool containsByteSse2(const uint8_t* bytes, size_t count, uint8_t value);
int32_t makeMaskSse2(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                     int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                     PixelColours colours);
int32_t checkSse2(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent);

void makeMaskRowAvx2(uint8_t* row, size_t width, uint8_t* maskRow, int32_t zeroIsTransparent,
                     PixelColours colours);
bool containsByteAvx2(const uint8_t* bytes, size_t count, uint8_t value);
int32_t makeMaskAvx2(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                     int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                     PixelColours colours);
int32_t checkAvx2(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent);

// The kernels of a path, or nullptr when this build doesn't have it.
const MaskKernels* maskKernelsFor(MaskPath path);
// Built in and supported by this processor (and its operating system).
bool maskPathAvailable(MaskPath path);
// The fastest available path, from cpuid.
MaskPath bestMaskPath();
// The path the exports use: the best one unless a test or benchmark chose
// another with useMaskPath (false, and no change, when it isn't available).
MaskPath activeMaskPath();
bool useMaskPath(MaskPath path);

// The library settings the exports read.
PixelColours currentPixelColours();

}  // namespace masklib

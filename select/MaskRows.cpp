// The row-by-row frame of the vector paths, and the one-pixel-at-a-time row
// they fall back to for rows narrower than a vector.
#include "select/MaskKernels.h"

namespace masklib {

int32_t makeMaskByRows(MaskRowKernel rowKernel, uint8_t* pixels, int32_t width, int32_t height,
                       uint8_t* mask, int32_t maskRowBits, int32_t maskRows,
                       int32_t zeroIsTransparent, PixelColours colours) {
    const uint8_t first = pixels[0];
    if (width <= 0 || height <= 0) return first;

    const size_t rowPixels = static_cast<size_t>(width);
    const size_t rowBytes = rowPixels + rowFillerBytes(width);
    // Each row stores (width + 7) / 8 bytes and then skips the rest of its
    // mask row; successive rows depend on nothing else, so they are
    // independent of each other (the reference's shared accumulator never
    // carries a bit from one row into the next row's bytes).
    const intptr_t maskStride =
        static_cast<intptr_t>((rowPixels + 7) / 8 + maskBytesSkippedPerRow(maskRowBits, width));
    uint8_t* maskRow =
        mask + static_cast<intptr_t>(firstMaskRowOffset(maskRows, height, maskRowBits));
    uint8_t* row = pixels;
    for (int32_t y = 0; y < height; ++y) {
        rowKernel(row, rowPixels, maskRow, zeroIsTransparent, colours);
        row += rowBytes;
        maskRow += maskStride;
    }
    return first;
}

void makeMaskRowScalar(uint8_t* row, size_t width, uint8_t* maskRow, int32_t zeroIsTransparent,
                       PixelColours colours) {
    uint32_t bits = 0;
    size_t x = 0;
    for (; x < width; ++x) {
        const uint8_t v = row[x];
        uint32_t bit = 0;
        if (zeroIsTransparent) {
            bit = v == 0;
        } else if (v == colours.transparent) {
            bit = 1;
            row[x] = 0;
        } else if (v == 0) {
            row[x] = colours.substitute;
        }
        bits = (bits << 1) | bit;
        if ((x & 7) == 7) {
            maskRow[x >> 3] = static_cast<uint8_t>(bits);
            bits = 0;
        }
    }
    if ((x & 7) != 0) maskRow[x >> 3] = static_cast<uint8_t>(bits << (8 - (x & 7)));
}

bool containsByteScalar(const uint8_t* bytes, size_t count, uint8_t value) {
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] == value) return true;
    }
    return false;
}

}  // namespace masklib

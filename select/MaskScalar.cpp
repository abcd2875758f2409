// Reference kernels: the mask and transparency rules read literally, one
// pixel at a time. The vector paths are checked against these byte for byte.
#include "select/MaskKernels.h"

namespace masklib {

int32_t makeMaskScalar(uint8_t* pixels, int32_t width, int32_t height, uint8_t* mask,
                       int32_t maskRowBits, int32_t maskRows, int32_t zeroIsTransparent,
                       PixelColours colours) {
    // The first pixel is the result even when there is nothing to do.
    const uint8_t first = pixels[0];
    // Sizes of 0 or less: no row or no pixel, so no mask byte is written.
    if (width <= 0 || height <= 0) return first;

    const uint32_t filler = rowFillerBytes(width);
    uint8_t* out = mask + firstMaskRowOffset(maskRows, height, maskRowBits);
    const int64_t skipped = maskBytesSkippedPerRow(maskRowBits, width);
    // One accumulator for the whole call: bits of an earlier row shift out
    // before they could reach a stored byte.
    uint8_t accumulator = 0;
    uint8_t* pixel = pixels;
    for (int32_t y = 0; y < height; ++y) {
        int32_t counter = 8;
        for (int32_t x = 0; x < width; ++x, ++pixel) {
            const uint8_t v = *pixel;
            uint8_t bit = 0;
            if (zeroIsTransparent) {
                bit = v == 0 ? 1 : 0;
            } else if (v == colours.transparent) {
                bit = 1;
                *pixel = 0;
            } else if (v == 0) {
                *pixel = colours.substitute;
            }
            accumulator = static_cast<uint8_t>((accumulator << 1) | bit);
            if (--counter == 0) {
                *out++ = accumulator;
                counter = 8;
            }
        }
        if (counter != 8) {
            // A partial byte: the row's last pixels in the top bits, 0 below.
            *out++ = static_cast<uint8_t>(accumulator << counter);
        }
        out += skipped;
        pixel += filler;
    }
    return first;
}

int32_t checkScalar(const uint8_t* pixels, int32_t width, int32_t height, uint8_t transparent) {
    const size_t n = bytesToExamine(width, height);
    for (size_t i = 0; i < n; ++i) {
        if (pixels[i] == transparent) return 0;
    }
    return 1;
}

}  // namespace masklib

#include "app/portable/Geometry.h"

#include <cmath>
#include <limits>

namespace ui {

long long roundHalfEven(double value) {
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5) return static_cast<long long>(whole) + 1;
    if (fraction < 0.5) return static_cast<long long>(whole);
    long long lower = static_cast<long long>(whole);
    return (lower % 2 == 0) ? lower : lower + 1;
}

int twipsToPixels(double twips, int dpi) {
    if (dpi <= 0) dpi = 96;
    return static_cast<int>(roundHalfEven(twips * dpi / kTwipsPerInch));
}

double pixelsToTwips(int pixels, int dpi) {
    if (dpi <= 0) dpi = 96;
    return static_cast<double>(pixels) * kTwipsPerInch / dpi;
}

TwipsPoint centerFormPosition(float screenWidth, float screenHeight, float formWidth,
                              float formHeight) {
    TwipsPoint p;
    p.left = screenWidth / 2.0f - formWidth / 2.0f - 4.0f;
    p.top = screenHeight / 2.0f - formHeight / 2.0f;
    return p;
}

std::vector<Band> backdropBands(double width, double height) {
    std::vector<Band> bands;
    // The sizes are 16-bit counts; a drawing area outside that range (or an
    // empty one) gets no bands rather than a wrapped-around loop.
    long long h = roundHalfEven(height);
    long long w = roundHalfEven(width);
    if (h < 0 || w < 0 || h > std::numeric_limits<std::int16_t>::max() - 2 ||
        w > std::numeric_limits<std::int16_t>::max())
        return bands;
    float b = 255.0f;
    float d = h > 0 ? -510.0f / static_cast<float>(h) : 0.0f;
    for (long long y = 0; y <= h; y += 2) {
        int blue = static_cast<int>(roundHalfEven(b));
        if (blue < 0) blue = 0;
        if (blue > 255) blue = 255;
        bands.push_back(
            {-1, static_cast<int>(y - 1), static_cast<int>(w), static_cast<int>(y + 2), blue});
        b += d;
    }
    return bands;
}

int backdropBlueAt(const std::vector<Band>& bands, int row) {
    int blue = -1;
    for (const Band& band : bands)
        if (row >= band.top && row <= band.bottom) blue = band.blue;
    return blue;
}

}  // namespace ui

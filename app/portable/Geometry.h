// The windows' arithmetic, kept apart from Windows so that it can be checked
// natively: twips and pixels, window centring, and the backdrop's bands.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest integer, halves to the even neighbour, whatever the
// floating-point rounding mode happens to be.
long long roundHalfEven(double value);

// A length in twips as whole pixels at `dpi` dots per inch, rounded to the
// nearest pixel (halves to even).
int twipsToPixels(double twips, int dpi);

// A length in pixels as twips at `dpi`; exact, so it stays a number with
// fractions for DPIs that don't divide 1440.
double pixelsToTwips(int pixels, int dpi);

// Where a window goes when it is centred on the screen, in twips, computed in
// single precision: four twips left of the exact middle horizontally, exactly
// in the middle vertically. Nothing clamps it to the screen.
struct TwipsPoint {
    float left;
    float top;
};
TwipsPoint centerFormPosition(float screenWidth, float screenHeight, float formWidth,
                              float formHeight);

// One band of the backdrop's gradient: a filled rectangle whose corners are
// (left, top) and (right, bottom), both corners inside the rectangle, in the
// backdrop's drawing unit, filled with red 0, green 0 and this blue.
struct Band {
    int left;
    int top;
    int right;
    int bottom;
    int blue;
};

// The bands that paint a drawing area of `width` x `height` from bright blue
// at the top to black at the bottom, in painting order. The sizes are
// rounded halves to even first; every band reaches one unit into the next.
std::vector<Band> backdropBands(double width, double height);

// The blue level that row `row` shows once every band is painted: the last
// band drawn over it wins.
int backdropBlueAt(const std::vector<Band>& bands, int row);

}  // namespace ui

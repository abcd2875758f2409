// The windows' arithmetic: twips at a DPI, centring, and the backdrop bands.
#include <gtest/gtest.h>

#include "app/portable/Geometry.h"

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(ui::roundHalfEven(0.5), 0);
    EXPECT_EQ(ui::roundHalfEven(1.5), 2);
    EXPECT_EQ(ui::roundHalfEven(2.5), 2);
    EXPECT_EQ(ui::roundHalfEven(-0.5), 0);
    EXPECT_EQ(ui::roundHalfEven(-1.5), -2);
    EXPECT_EQ(ui::roundHalfEven(2.4999), 2);
    EXPECT_EQ(ui::roundHalfEven(2.5001), 3);
    EXPECT_EQ(ui::roundHalfEven(-2.6), -3);
}

TEST(Twips, MainDialogLayoutAt96Dpi) {
    // 15 twips to the pixel: the dialog's inner size and its controls.
    EXPECT_EQ(ui::twipsToPixels(4380, 96), 292);
    EXPECT_EQ(ui::twipsToPixels(2595, 96), 173);
    EXPECT_EQ(ui::twipsToPixels(1215, 96), 81);
    EXPECT_EQ(ui::twipsToPixels(360, 96), 24);
    EXPECT_EQ(ui::twipsToPixels(45, 96), 3);
    EXPECT_EQ(ui::twipsToPixels(5370, 96), 358);
    EXPECT_EQ(ui::twipsToPixels(525, 96), 35);
}

TEST(Twips, OtherDpisRoundToTheNearestPixel) {
    EXPECT_EQ(ui::twipsToPixels(4380, 120), 365);
    EXPECT_EQ(ui::twipsToPixels(45, 120), 4);      // 3.75
    EXPECT_EQ(ui::twipsToPixels(4380, 144), 438);  // 150 %
    EXPECT_EQ(ui::twipsToPixels(30, 72), 2);       // 1.5 -> 2
    EXPECT_EQ(ui::twipsToPixels(50, 72), 2);       // 2.5 -> 2
    EXPECT_DOUBLE_EQ(ui::pixelsToTwips(1024, 96), 15360.0);
    EXPECT_DOUBLE_EQ(ui::pixelsToTwips(1, 120), 12.0);
    EXPECT_DOUBLE_EQ(ui::pixelsToTwips(1, 144), 10.0);
    // A broken DPI reading falls back to 96 instead of dividing by zero.
    EXPECT_EQ(ui::twipsToPixels(1440, 0), 96);
}

TEST(CenterForm, FourTwipsLeftOfTheMiddle) {
    ui::TwipsPoint p = ui::centerFormPosition(15360, 11520, 4500, 3000);
    EXPECT_FLOAT_EQ(p.left, 7680 - 2250 - 4);
    EXPECT_FLOAT_EQ(p.top, 5760 - 1500);
}

TEST(CenterForm, WindowsAsLargeAsOrLargerThanTheScreen) {
    ui::TwipsPoint same = ui::centerFormPosition(15360, 11520, 15360, 11520);
    EXPECT_FLOAT_EQ(same.left, -4);
    EXPECT_FLOAT_EQ(same.top, 0);
    ui::TwipsPoint wider = ui::centerFormPosition(15360, 11520, 20000, 12000);
    EXPECT_FLOAT_EQ(wider.left, 7680 - 10000 - 4);  // negative, not clamped
    EXPECT_FLOAT_EQ(wider.top, -240);
}

TEST(CenterForm, OddSizesKeepTheirHalves) {
    ui::TwipsPoint p = ui::centerFormPosition(15361, 11521, 4381, 2596);
    EXPECT_FLOAT_EQ(p.left, 7680.5f - 2190.5f - 4);
    EXPECT_FLOAT_EQ(p.top, 5760.5f - 1298.0f);
}

TEST(BackdropBands, EvenHeightEndsInBlackAtTheBottom) {
    auto bands = ui::backdropBands(1024, 768);
    ASSERT_EQ(bands.size(), 385u);  // y = 0, 2, ..., 768
    EXPECT_EQ(bands.front().top, -1);
    EXPECT_EQ(bands.front().bottom, 2);
    EXPECT_EQ(bands.front().left, -1);
    EXPECT_EQ(bands.front().right, 1024);
    EXPECT_EQ(bands.front().blue, 255);
    EXPECT_EQ(bands.back().top, 767);
    EXPECT_EQ(bands.back().bottom, 770);
    EXPECT_EQ(bands.back().blue, 0);
    for (size_t i = 1; i < bands.size(); ++i) {
        EXPECT_EQ(bands[i].top, bands[i - 1].top + 2);
        EXPECT_LE(bands[i].blue, bands[i - 1].blue);  // never brighter further down
    }
    // Half way down, half the blue: 255 - 510/768 * 192 steps = 127.5 -> 128.
    EXPECT_EQ(bands[192].blue, 128);
}

TEST(BackdropBands, OddHeightStopsOneAboveTheBottom) {
    auto bands = ui::backdropBands(100, 101);
    ASSERT_EQ(bands.size(), 51u);  // y = 0 .. 100
    EXPECT_EQ(bands.back().top, 99);
    // 255 / 101 = 2.52... before rounding.
    EXPECT_EQ(bands.back().blue, 3);
}

TEST(BackdropBands, SizesRoundHalvesToEven) {
    EXPECT_EQ(ui::backdropBands(10.5, 4.5).size(), 3u);  // h = 4: y = 0, 2, 4
    EXPECT_EQ(ui::backdropBands(10.5, 5.5).size(), 4u);  // h = 6
    EXPECT_EQ(ui::backdropBands(10.5, 4.5).front().right, 10);
}

TEST(BackdropBands, DegenerateAreas) {
    auto flat = ui::backdropBands(50, 0);
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].blue, 255);
    EXPECT_TRUE(ui::backdropBands(50, -3).empty());
    EXPECT_TRUE(ui::backdropBands(50, 40000).empty());
}

TEST(BackdropBands, EachRowShowsTheLastBandOverIt) {
    auto bands = ui::backdropBands(640, 480);
    EXPECT_EQ(ui::backdropBlueAt(bands, 0), 255);
    // Row 1 is covered by the bands of y = 0 and y = 2; the second wins.
    EXPECT_EQ(ui::backdropBlueAt(bands, 1), bands[1].blue);
    EXPECT_EQ(ui::backdropBlueAt(bands, 479), 0);
    int previous = 256;
    for (int row = 0; row < 480; ++row) {
        int blue = ui::backdropBlueAt(bands, row);
        ASSERT_GE(blue, 0) << "row " << row << " left unpainted";
        EXPECT_LE(blue, previous);
        previous = blue;
    }
}

}  // namespace

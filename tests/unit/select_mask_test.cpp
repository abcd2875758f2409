// The mask library's rules, checked through the exports and through every
// code path this machine can run.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "select/MaskKernels.h"
#include "select/Select.h"

namespace {

using masklib::MaskPath;
using masklib::PixelColours;
using Bytes = std::vector<uint8_t>;

std::vector<MaskPath> availablePaths() {
    std::vector<MaskPath> paths;
    for (int32_t i = 0; i < masklib::kMaskPathCount; ++i) {
        if (masklib::maskPathAvailable(static_cast<MaskPath>(i))) {
            paths.push_back(static_cast<MaskPath>(i));
        }
    }
    return paths;
}

// Every test leaves the library as it was loaded: settings 0 and 0, the best
// path.
class MaskLibrary : public ::testing::TestWithParam<MaskPath> {
protected:
    void SetUp() override { ASSERT_TRUE(masklib::useMaskPath(GetParam())); }
    void TearDown() override {
        setPixelColours(0, 0);
        masklib::useMaskPath(masklib::bestMaskPath());
    }
};

TEST_P(MaskLibrary, IndexZeroModeWorkedExample) {
    Bytes pixels = {0, 5, 0, 0, 7, 7, 7, 0, 0, 3, 0xAA, 0xBB};  // 2 filler bytes
    const Bytes before = pixels;
    Bytes mask(2, 0x55);
    EXPECT_EQ(makeTheMask(pixels.data(), 10, 1, mask.data(), 16, 1, 1), 0);
    EXPECT_EQ(mask, (Bytes{0xB1, 0x80}));
    EXPECT_EQ(pixels, before);
}

TEST_P(MaskLibrary, TransparentIndexModeWorkedExample) {
    setPixelColours(5, 9);
    Bytes pixels = {5, 0, 7, 0xF1, 1, 5, 0, 0xF2};
    Bytes mask(12, 0xEE);
    EXPECT_EQ(makeTheMask(pixels.data(), 3, 2, mask.data(), 32, 3, 0), 5);
    EXPECT_EQ(pixels, (Bytes{0, 9, 7, 0xF1, 1, 0, 9, 0xF2}));
    // Mask row 0 and the bytes past each row's first byte keep their content.
    EXPECT_EQ(mask,
              (Bytes{0xEE, 0xEE, 0xEE, 0xEE, 0x80, 0xEE, 0xEE, 0xEE, 0x40, 0xEE, 0xEE, 0xEE}));
}

TEST_P(MaskLibrary, ResultIsTheFirstPixelBeforeItIsRewritten) {
    setPixelColours(200, 1);
    Bytes pixels(20, 7);
    pixels[0] = 200;
    Bytes mask(3, 0);
    EXPECT_EQ(makeTheMask(pixels.data(), 17, 1, mask.data(), 24, 1, 0), 200);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(mask, (Bytes{0x80, 0x00, 0x00}));
}

TEST_P(MaskLibrary, LoadSettingsMarkIndexZeroAndRewriteNothing) {
    setPixelColours(0, 0);
    Bytes pixels(40);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % 3 == 0) ? 0 : uint8_t(i);
    const Bytes before = pixels;
    Bytes zeroMode(5, 0), transparentMode(5, 0);
    Bytes copy = pixels;
    makeTheMask(copy.data(), 40, 1, zeroMode.data(), 40, 1, 1);
    makeTheMask(pixels.data(), 40, 1, transparentMode.data(), 40, 1, 0);
    EXPECT_EQ(transparentMode, zeroMode);
    EXPECT_EQ(pixels, before);
    EXPECT_EQ(zeroMode[0], 0x92);  // pixels 0, 3, 6
}

TEST_P(MaskLibrary, TransparentZeroComesBeforeTheSubstitute) {
    setPixelColours(0, 9);
    Bytes pixels = {0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4};
    const Bytes before = pixels;
    Bytes mask(3, 0);
    makeTheMask(pixels.data(), 20, 1, mask.data(), 24, 1, 0);
    EXPECT_EQ(pixels, before);
    EXPECT_EQ(mask, (Bytes{0xAA, 0xAA, 0xA0}));
}

TEST_P(MaskLibrary, SizesOfZeroOrLessWriteNothingAndReturnTheFirstPixel) {
    setPixelColours(3, 4);
    const int32_t shapes[][2] = {{0, 4}, {4, 0}, {0, 0}, {-5, 3}, {3, -5}, {-4, -4}};
    for (const auto& shape : shapes) {
        Bytes pixels(64, 3);
        pixels[0] = 42;
        Bytes mask(64, 0x77);
        EXPECT_EQ(makeTheMask(pixels.data(), shape[0], shape[1], mask.data(), 64, 8, 0), 42);
        EXPECT_EQ(mask, Bytes(64, 0x77));
        EXPECT_EQ(pixels[1], 3);
    }
}

TEST_P(MaskLibrary, FillerBytesAreNeitherExaminedNorRewritten) {
    setPixelColours(5, 9);
    // Width 17: rows of 20 bytes, the last 3 filler holding 0 and 5.
    Bytes pixels(40, 1);
    for (int row = 0; row < 2; ++row) {
        pixels[row * 20 + 17] = 0;
        pixels[row * 20 + 18] = 5;
        pixels[row * 20 + 19] = 0;
    }
    Bytes mask(6, 0x11);
    makeTheMask(pixels.data(), 17, 2, mask.data(), 24, 2, 0);
    EXPECT_EQ(mask, (Bytes{0, 0, 0, 0, 0, 0}));
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(pixels[row * 20 + 17], 0);
        EXPECT_EQ(pixels[row * 20 + 18], 5);
        EXPECT_EQ(pixels[row * 20 + 19], 0);
    }
}

TEST_P(MaskLibrary, RowsFillTheLastMaskRowsAndPartialBytesEndInZeroBits) {
    // Width 9: two mask bytes per row; rows alternate all-0 and all-1 pixels.
    Bytes pixels(12 * 3, 1);
    for (int x = 0; x < 9; ++x) pixels[12 + x] = 0;
    Bytes mask(4 * 4, 0x33);
    makeTheMask(pixels.data(), 9, 3, mask.data(), 32, 4, 1);
    EXPECT_EQ(mask, (Bytes{0x33, 0x33, 0x33, 0x33, 0x00, 0x00, 0x33, 0x33, 0xFF, 0x80, 0x33, 0x33,
                           0x00, 0x00, 0x33, 0x33}));
}

TEST_P(MaskLibrary, TransparencyTestStopsAtTheRunItIsGiven) {
    setPixelColours(7, 0);
    Bytes bytes(100, 1);
    EXPECT_EQ(checkIsTransparent(bytes.data(), 10, 10), 1);
    bytes[99] = 7;
    EXPECT_EQ(checkIsTransparent(bytes.data(), 10, 10), 0);
    EXPECT_EQ(checkIsTransparent(bytes.data(), 11, 9), 1);  // byte 99 lies past 99 bytes
    bytes[0] = 7;
    EXPECT_EQ(checkIsTransparent(bytes.data(), 1, 1), 0);
    // Rows are not known: a "filler" byte counts like any other.
    Bytes rows = {1, 1, 1, 7, 1, 1, 1, 1};
    EXPECT_EQ(checkIsTransparent(rows.data(), 4, 2), 0);
}

TEST_P(MaskLibrary, EmptyRunsHoldNoTransparentPixel) {
    setPixelColours(0, 0);
    Bytes zeros(64, 0);
    EXPECT_EQ(checkIsTransparent(zeros.data(), 0, 8), 1);
    EXPECT_EQ(checkIsTransparent(zeros.data(), 8, 0), 1);
    EXPECT_EQ(checkIsTransparent(zeros.data(), -8, 8), 1);
    // Two negative sizes are still an empty run, not 64 bytes to read.
    EXPECT_EQ(checkIsTransparent(zeros.data(), -8, -8), 1);
}

TEST_P(MaskLibrary, SettingsUseTheLowByteAndAreReplacedTogether) {
    EXPECT_EQ(setPixelColours(0x1205, 0x7F09), 0);
    EXPECT_EQ(masklib::currentPixelColours().transparent, 5);
    EXPECT_EQ(masklib::currentPixelColours().substitute, 9);
    EXPECT_EQ(setPixelColours(-1, 3), 0);
    EXPECT_EQ(masklib::currentPixelColours().transparent, 255);
    EXPECT_EQ(masklib::currentPixelColours().substitute, 3);
    Bytes pixels = {255, 0, 1, 0};
    Bytes mask(1, 0);
    makeTheMask(pixels.data(), 3, 1, mask.data(), 8, 1, 0);
    EXPECT_EQ(pixels, (Bytes{0, 3, 1, 0}));
    EXPECT_EQ(mask[0], 0x80);
}

std::string pathName(const ::testing::TestParamInfo<MaskPath>& info) {
    return masklib::maskKernelsFor(info.param)->name;
}

INSTANTIATE_TEST_SUITE_P(Paths, MaskLibrary, ::testing::ValuesIn(availablePaths()), pathName);

TEST(MaskPathChoice, ScalarAlwaysAndTheBestPathIsAvailable) {
    EXPECT_TRUE(masklib::maskPathAvailable(MaskPath::Scalar));
    EXPECT_TRUE(masklib::maskPathAvailable(masklib::bestMaskPath()));
#if defined(__x86_64__)
    EXPECT_TRUE(masklib::maskPathAvailable(MaskPath::Sse2));
#endif
    EXPECT_EQ(masklib::activeMaskPath(), masklib::bestMaskPath());
    EXPECT_FALSE(masklib::useMaskPath(static_cast<MaskPath>(masklib::kMaskPathCount)));
    EXPECT_EQ(masklib::maskKernelsFor(static_cast<MaskPath>(-1)), nullptr);
}

}  // namespace

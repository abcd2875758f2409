// Every vector path against the scalar reference over many random shapes:
// the same mask bytes, rewritten pixels, untouched filler and mask bytes, and
// results, with guard bytes around every buffer that must survive. Under
// AddressSanitizer the guards are also poisoned, so a read past a buffer is
// caught too.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "select/MaskKernels.h"

#if defined(__SANITIZE_ADDRESS__)
#define SELECT_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SELECT_TEST_ASAN 1
#endif
#endif
#ifdef SELECT_TEST_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

using masklib::MaskKernels;
using masklib::MaskPath;
using masklib::PixelColours;

constexpr size_t kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;

// A buffer of `size` bytes starting `shift` bytes past a 64-byte boundary,
// with guard bytes on both sides.
class GuardedBuffer {
public:
    GuardedBuffer(size_t size, size_t shift)
        : storage_(kGuard + shift + size + kGuard + 64, kGuardByte), size_(size) {
        const uintptr_t base = reinterpret_cast<uintptr_t>(storage_.data());
        offset_ = ((base + kGuard + 63) & ~uintptr_t(63)) - base + shift;
        poison(true);
    }
    ~GuardedBuffer() { poison(false); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    uint8_t* data() { return storage_.data() + offset_; }
    size_t size() const { return size_; }
    std::vector<uint8_t> contents() const {
        return {storage_.begin() + offset_, storage_.begin() + offset_ + size_};
    }
    void fill(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(bytes.size(), size_);
        if (size_ != 0) std::memcpy(data(), bytes.data(), size_);
    }
    bool guardsIntact() {
        poison(false);
        bool intact = true;
        for (size_t i = 0; i < storage_.size(); ++i) {
            if ((i < offset_ || i >= offset_ + size_) && storage_[i] != kGuardByte) intact = false;
        }
        poison(true);
        return intact;
    }

private:
    void poison(bool on) {
#ifdef SELECT_TEST_ASAN
        uint8_t* begin = storage_.data();
        uint8_t* end = begin + storage_.size();
        if (on) {
            ASAN_POISON_MEMORY_REGION(begin, offset_);
            ASAN_POISON_MEMORY_REGION(data() + size_, end - (data() + size_));
        } else {
            ASAN_UNPOISON_MEMORY_REGION(begin, storage_.size());
        }
#else
        (void)on;
#endif
    }

    std::vector<uint8_t> storage_;
    size_t size_;
    size_t offset_ = 0;
};

struct MaskCase {
    int32_t width, height, maskRowBits, maskRows, zeroIsTransparent;
    PixelColours colours;
    std::vector<uint8_t> pixels;  // height rows, filler included (at least 1 byte)
    std::vector<uint8_t> mask;    // the buffer's old content
    int64_t maskOffset;           // where the mask pointer points inside `mask`
    size_t pixelShift, maskShift;
};

struct MaskOutcome {
    int32_t result;
    std::vector<uint8_t> pixels, mask;
    bool guardsIntact;
};

MaskOutcome run(const MaskKernels& kernels, const MaskCase& c) {
    GuardedBuffer pixels(c.pixels.size(), c.pixelShift);
    GuardedBuffer mask(c.mask.size(), c.maskShift);
    pixels.fill(c.pixels);
    mask.fill(c.mask);
    MaskOutcome out;
    out.result = kernels.makeMask(pixels.data(), c.width, c.height, mask.data() + c.maskOffset,
                                  c.maskRowBits, c.maskRows, c.zeroIsTransparent, c.colours);
    out.pixels = pixels.contents();
    out.mask = mask.contents();
    out.guardsIntact = pixels.guardsIntact() && mask.guardsIntact();
    return out;
}

class Shapes {
public:
    explicit Shapes(uint32_t seed) : random_(seed) {}

    int32_t below(int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random_); }

    // Pixels that are often 0 or the transparent index, so every rule fires.
    uint8_t pixel(uint8_t transparent) {
        const int32_t kind = below(8);
        if (kind < 3) return 0;
        if (kind < 6) return transparent;
        return static_cast<uint8_t>(below(256));
    }

    std::vector<uint8_t> bytes(size_t n) {
        std::vector<uint8_t> b(n);
        for (auto& v : b) v = static_cast<uint8_t>(below(256));
        return b;
    }

    // maskRowBits a multiple of 8 not below the width, maskRows not below
    // the height: the shapes callers are allowed to pass.
    MaskCase usual(int32_t width, int32_t height) {
        MaskCase c;
        c.width = width;
        c.height = height;
        c.maskRowBits = (width + 7) / 8 * 8 + 8 * below(3);
        c.maskRows = height + below(3);
        c.zeroIsTransparent = below(2) ? below(1000) + 1 : 0;
        const uint8_t transparent = below(4) == 0 ? 0 : static_cast<uint8_t>(below(256));
        c.colours = {transparent, static_cast<uint8_t>(below(256))};
        const size_t rowBytes = width > 0 ? (width + 3) / 4 * 4 : 0;
        const size_t pixelBytes = height > 0 ? rowBytes * height : 0;
        c.pixels = bytes(pixelBytes == 0 ? 1 : pixelBytes);  // filler stays random
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) c.pixels[y * rowBytes + x] = pixel(transparent);
        }
        c.mask = bytes(static_cast<size_t>(c.maskRows) * (c.maskRowBits / 8));
        c.maskOffset = 0;
        c.pixelShift = below(32);
        c.maskShift = below(32);
        return c;
    }

private:
    std::mt19937 random_;
};

std::vector<MaskPath> vectorPaths() {
    std::vector<MaskPath> paths;
    for (MaskPath p : {MaskPath::Sse2, MaskPath::Avx2}) {
        if (masklib::maskPathAvailable(p)) paths.push_back(p);
    }
    return paths;
}

class VectorPath : public ::testing::TestWithParam<MaskPath> {
protected:
    const MaskKernels& scalar = *masklib::maskKernelsFor(MaskPath::Scalar);
    const MaskKernels& vector = *masklib::maskKernelsFor(GetParam());

    void expectSame(const MaskCase& c) {
        const MaskOutcome want = run(scalar, c);
        const MaskOutcome got = run(vector, c);
        ASSERT_TRUE(want.guardsIntact);
        SCOPED_TRACE(::testing::Message()
                     << "width " << c.width << " height " << c.height << " maskRowBits "
                     << c.maskRowBits << " maskRows " << c.maskRows << " zeroIsTransparent "
                     << c.zeroIsTransparent << " colours " << int(c.colours.transparent) << "/"
                     << int(c.colours.substitute));
        ASSERT_TRUE(got.guardsIntact);
        ASSERT_EQ(got.result, want.result);
        ASSERT_EQ(got.pixels, want.pixels);
        ASSERT_EQ(got.mask, want.mask);
    }
};

TEST_P(VectorPath, MakesTheSameMaskForEverySmallShape) {
    Shapes shapes(1234);
    for (int32_t width = 0; width <= 70; ++width) {
        for (int32_t height = 0; height <= 9; ++height) {
            for (int32_t round = 0; round < 4; ++round) {
                ASSERT_NO_FATAL_FAILURE(expectSame(shapes.usual(width, height)));
            }
        }
    }
}

TEST_P(VectorPath, MakesTheSameMaskForWideRows) {
    Shapes shapes(99);
    for (int32_t width :
         {95, 96, 97, 127, 128, 129, 160, 161, 231, 255, 256, 257, 1000, 1021, 4093, 4096}) {
        for (int32_t height : {1, 2, 5}) {
            for (int32_t round = 0; round < 3; ++round) {
                ASSERT_NO_FATAL_FAILURE(expectSame(shapes.usual(width, height)));
            }
        }
    }
}

// Pixels that are all 0 or all transparent make every mask bit 1, so a wrong
// bit order or a stray bit past the row shows at once.
TEST_P(VectorPath, MakesTheSameMaskForUniformRows) {
    Shapes shapes(7);
    for (int32_t width = 1; width <= 70; ++width) {
        for (uint8_t value : {0, 5, 200}) {
            MaskCase c = shapes.usual(width, 3);
            c.colours = {5, 9};
            for (int32_t y = 0; y < 3; ++y) {
                for (int32_t x = 0; x < width; ++x) c.pixels[y * ((width + 3) / 4 * 4) + x] = value;
            }
            ASSERT_NO_FATAL_FAILURE(expectSame(c));
        }
    }
}

// Shapes outside the allowed ones (mask rows narrower than the bitmap, bit
// counts that aren't a multiple of 8) still move the write position the same
// way on every path, so the buffers still agree.
TEST_P(VectorPath, FollowsTheSameWritePositionsForOddMaskRows) {
    Shapes shapes(55);
    for (int32_t round = 0; round < 400; ++round) {
        const int32_t width = 1 + shapes.below(80);
        MaskCase c = shapes.usual(width, shapes.below(6));
        c.maskRowBits = shapes.below(width + 24);
        const int64_t reach =
            int64_t(c.maskRows) * (c.maskRowBits / 8) + int64_t(c.height) * ((width + 7) / 8) + 8;
        c.mask = shapes.bytes(static_cast<size_t>(reach));
        ASSERT_NO_FATAL_FAILURE(expectSame(c));
    }
}

TEST_P(VectorPath, FindsTheTransparentIndexWhereTheScalarPathDoes) {
    Shapes shapes(4321);
    for (int32_t round = 0; round < 3000; ++round) {
        const size_t n = shapes.below(4) == 0 ? shapes.below(600) : shapes.below(80);
        const uint8_t transparent = static_cast<uint8_t>(shapes.below(256));
        GuardedBuffer bytes(n == 0 ? 1 : n, shapes.below(64));
        std::vector<uint8_t> content = shapes.bytes(bytes.size());
        for (auto& b : content) {
            if (b == transparent) b ^= 1;
        }
        // Put the transparent index at one place, or nowhere in the run.
        const int32_t where = shapes.below(int32_t(n) + 2) - 1;
        if (where >= 0 && size_t(where) < n) content[where] = transparent;
        bytes.fill(content);
        // width x height = n in several ways.
        const int32_t width = (n % 3 == 0 && n != 0) ? 3 : int32_t(n);
        const int32_t height = (n % 3 == 0 && n != 0) ? int32_t(n / 3) : 1;
        const int32_t want = scalar.check(bytes.data(), width, height, transparent);
        ASSERT_EQ(want, (where >= 0 && size_t(where) < n) ? 0 : 1);
        ASSERT_EQ(vector.check(bytes.data(), width, height, transparent), want)
            << "n " << n << " at " << where;
        ASSERT_TRUE(bytes.guardsIntact());
    }
}

TEST_P(VectorPath, IgnoresATransparentByteJustPastTheRun) {
    for (size_t n = 1; n < 200; ++n) {
        for (size_t shift = 0; shift < 32; shift += 7) {
            GuardedBuffer bytes(n + 1, shift);
            std::vector<uint8_t> content(n + 1, 1);
            content[n] = 9;
            bytes.fill(content);
            ASSERT_EQ(vector.check(bytes.data(), int32_t(n), 1, 9), 1) << n;
            ASSERT_EQ(vector.check(bytes.data(), int32_t(n + 1), 1, 9), 0) << n;
        }
    }
}

std::string pathName(const ::testing::TestParamInfo<MaskPath>& info) {
    return masklib::maskKernelsFor(info.param)->name;
}

INSTANTIATE_TEST_SUITE_P(AgainstScalar, VectorPath, ::testing::ValuesIn(vectorPaths()), pathName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(VectorPath);

}  // namespace

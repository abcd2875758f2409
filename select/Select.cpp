// The exports and the two library settings. The settings are one 16-bit
// value so that setPixelColours replaces both at once even when another
// thread reads them.
#include "select/Select.h"

#include "select/MaskKernels.h"

namespace masklib {
namespace {

// Transparent index in the low byte, substitute index in the high byte;
// both 0 when the library is loaded.
uint16_t pixelColours = 0;

}  // namespace

PixelColours currentPixelColours() {
    const uint16_t both = __atomic_load_n(&pixelColours, __ATOMIC_RELAXED);
    return PixelColours{static_cast<uint8_t>(both & 0xFF), static_cast<uint8_t>(both >> 8)};
}

}  // namespace masklib

using namespace masklib;

extern "C" int32_t SELECT_CALL makeTheMask(uint8_t* pixels, int32_t width, int32_t height,
                                           uint8_t* mask, int32_t maskRowBits, int32_t maskRows,
                                           int32_t zeroIsTransparent) {
    return maskKernelsFor(activeMaskPath())
        ->makeMask(pixels, width, height, mask, maskRowBits, maskRows, zeroIsTransparent,
                   currentPixelColours());
}

extern "C" int32_t SELECT_CALL checkIsTransparent(const uint8_t* pixels, int32_t width,
                                                  int32_t height) {
    return maskKernelsFor(activeMaskPath())
        ->check(pixels, width, height, currentPixelColours().transparent);
}

extern "C" int32_t SELECT_CALL setPixelColours(int32_t transparentIndex, int32_t substituteIndex) {
    const uint32_t both = (static_cast<uint32_t>(transparentIndex) & 0xFFu) |
                          (static_cast<uint32_t>(substituteIndex) & 0xFFu) << 8;
    __atomic_store_n(&pixelColours, static_cast<uint16_t>(both), __ATOMIC_RELAXED);
    return 0;
}

#ifdef _WIN32
// The DLL's own entry point (no C runtime): every notification succeeds.
extern "C" int SELECT_CALL selectDllEntry(void* module, uint32_t reason, void* reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return 1;
}
#endif

// Bit and store helpers shared by the vector kernels.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace masklib {

// A vector compare yields one bit per pixel with the first pixel in bit 0;
// the mask wants the first pixel of each byte in bit 7. Reverses the bits
// within each of the four bytes.
inline uint32_t msbFirstBytes(uint32_t bits) {
    bits = ((bits >> 1) & 0x55555555u) | ((bits & 0x55555555u) << 1);
    bits = ((bits >> 2) & 0x33333333u) | ((bits & 0x33333333u) << 2);
    bits = ((bits >> 4) & 0x0F0F0F0Fu) | ((bits & 0x0F0F0F0Fu) << 4);
    return bits;
}

// Unaligned little-endian stores that the compiler may not turn into calls.
typedef uint16_t __attribute__((may_alias, aligned(1))) UnalignedU16;
typedef uint32_t __attribute__((may_alias, aligned(1))) UnalignedU32;

inline void storeU16(uint8_t* at, uint32_t value) {
    *reinterpret_cast<UnalignedU16*>(at) = static_cast<uint16_t>(value);
}
inline void storeU32(uint8_t* at, uint32_t value) { *reinterpret_cast<UnalignedU32*>(at) = value; }

// The mask bytes of the last `pixels` pixels of a row (fewer than 32), first
// byte in the low 8 bits of `bytes`: exactly (pixels + 7) / 8 bytes, so no
// mask byte past the row's pixels is touched.
inline void storeTailMaskBytes(uint8_t* at, uint32_t bytes, size_t pixels) {
    for (size_t i = 0; i < (pixels + 7) / 8; ++i) at[i] = static_cast<uint8_t>(bytes >> (8 * i));
}

}  // namespace masklib

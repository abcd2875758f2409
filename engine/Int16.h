// 16-bit signed counts and positions with checked arithmetic: leaving the
// range is an Overflow failure, never a wrap-around.
#pragma once

#include <cstdint>
#include <limits>

#include "engine/Failure.h"

namespace engine {

using Int16 = std::int16_t;

// Narrows a wider value to 16 bits, failing with Overflow when it doesn't fit.
inline Int16 toInt16(long long value) {
    if (value < std::numeric_limits<Int16>::min() || value > std::numeric_limits<Int16>::max())
        throw Failure(FailureKind::Overflow);
    return static_cast<Int16>(value);
}

inline Int16 add16(Int16 a, long long b) { return toInt16(static_cast<long long>(a) + b); }

}  // namespace engine

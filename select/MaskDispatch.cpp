// Which code path the exports take: decided once, from cpuid, on first use.
// The library has no initialisation of its own (its entry point does
// nothing), so the choice is made lazily; threads that race to make it all
// arrive at the same answer.
#include <cpuid.h>

#include "select/MaskKernels.h"

namespace masklib {
namespace {

const MaskKernels kKernels[kMaskPathCount] = {
    {"scalar", makeMaskScalar, checkScalar},
    {"sse2", makeMaskSse2, checkSse2},
    {"avx2", makeMaskAvx2, checkAvx2},
};

bool cpuHasSse2() {
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
}

bool cpuHasAvx2() {
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    // The processor has AVX and the operating system saves the wide
    // registers on a thread switch.
    if ((c & bit_AVX) == 0 || (c & bit_OSXSAVE) == 0) return false;
    unsigned xcr0Low, xcr0High;
    __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    if ((xcr0Low & 6) != 6) return false;
    if (__get_cpuid_max(0, nullptr) < 7) return false;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & bit_AVX2) != 0;
}

// -1 until the first call decides.
int32_t chosenPath = -1;

}  // namespace

const MaskKernels* maskKernelsFor(MaskPath path) {
    const int32_t i = static_cast<int32_t>(path);
    if (i < 0 || i >= kMaskPathCount || kKernels[i].makeMask == nullptr) return nullptr;
    return &kKernels[i];
}

bool maskPathAvailable(MaskPath path) {
    if (maskKernelsFor(path) == nullptr) return false;
    switch (path) {
        case MaskPath::Scalar:
            return true;
        case MaskPath::Sse2:
            return cpuHasSse2();
        case MaskPath::Avx2:
            return cpuHasSse2() && cpuHasAvx2();
    }
    return false;
}

MaskPath bestMaskPath() {
    if (maskPathAvailable(MaskPath::Avx2)) return MaskPath::Avx2;
    if (maskPathAvailable(MaskPath::Sse2)) return MaskPath::Sse2;
    return MaskPath::Scalar;
}

MaskPath activeMaskPath() {
    int32_t path = __atomic_load_n(&chosenPath, __ATOMIC_RELAXED);
    if (path < 0) {
        path = static_cast<int32_t>(bestMaskPath());
        __atomic_store_n(&chosenPath, path, __ATOMIC_RELAXED);
    }
    return static_cast<MaskPath>(path);
}

bool useMaskPath(MaskPath path) {
    if (!maskPathAvailable(path)) return false;
    __atomic_store_n(&chosenPath, static_cast<int32_t>(path), __ATOMIC_RELAXED);
    return true;
}

}  // namespace masklib

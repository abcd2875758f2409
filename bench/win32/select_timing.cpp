// How fast the shipped select.dll runs in a 32-bit process. Loads the DLL
// from this program's folder (or the one named after the run count) and
// times each export with QueryPerformanceCounter on the native benchmark's
// workloads, beside a floor timed in the same process on the same bytes:
//   read-only     a plain SSE2 pass that only reads the bytes;
//   mask          reads every pixel byte once and writes the mask bytes;
//   mask+rewrite  the same, and stores every pixel back.
// Each run of a workload is followed by a run of its floor, so a burst of
// load from elsewhere hits both; the figures are the best of the runs (the
// median beside them shows the spread). A measurement, not a test: it prints
// figures and returns 0 unless the DLL can't be loaded.
#include <windows.h>

#include <cpuid.h>
#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Seconds.h"

namespace {

typedef int32_t(__stdcall* MakeTheMaskFn)(uint8_t*, int32_t, int32_t, uint8_t*, int32_t, int32_t,
                                          int32_t);
typedef int32_t(__stdcall* CheckIsTransparentFn)(const uint8_t*, int32_t, int32_t);
typedef int32_t(__stdcall* SetPixelColoursFn)(int32_t, int32_t);

// The native benchmark's workloads: a 4096 x 4096 bitmap (rows of 4096 bytes,
// so widths 4096 and 4093 both fit), its 512-byte mask rows, and 64 MiB
// searched for a byte that isn't there.
constexpr int32_t kBitmapSide = 4096;
constexpr int32_t kMaskRowBytes = kBitmapSide / 8;
constexpr size_t kSearchBytes = size_t(64) << 20;
constexpr uint8_t kTransparent = 5;
constexpr uint8_t kAbsent = 0x7E;

#define SSE2_CODE __attribute__((target("sse2")))
#define SSE2_FLOOR __attribute__((target("sse2"), noinline, force_align_arg_pointer))

SSE2_CODE inline __m128i load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

template <bool storeBack>
SSE2_CODE inline void storeIf(uint8_t* p, __m128i v) {
    if (storeBack) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

SSE2_FLOOR uint32_t readOnlyPass(const uint8_t* bytes, size_t size) {
    const __m128i* at = reinterpret_cast<const __m128i*>(bytes);
    __m128i a = _mm_setzero_si128(), b = a, c = a, d = a;
    for (size_t i = 0; i < size / 16; i += 4) {
        a = _mm_or_si128(a, _mm_load_si128(at + i));
        b = _mm_or_si128(b, _mm_load_si128(at + i + 1));
        c = _mm_or_si128(c, _mm_load_si128(at + i + 2));
        d = _mm_or_si128(d, _mm_load_si128(at + i + 3));
    }
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_or_si128(_mm_or_si128(a, b), c)) |
                                 _mm_cvtsi128_si32(d));
}

// One row of the mask floors: every pixel byte read once (the last vector
// ends at the row's last pixel), one mask byte written per 8 pixels, and with
// `storeBack` every vector stored where it was read.
template <bool storeBack>
SSE2_FLOOR void floorRow(uint8_t* row, int32_t width, uint8_t* maskRow) {
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        const __m128i v0 = load(row + x), v1 = load(row + x + 16);
        const __m128i v2 = load(row + x + 32), v3 = load(row + x + 48);
        storeIf<storeBack>(row + x, v0);
        storeIf<storeBack>(row + x + 16, v1);
        storeIf<storeBack>(row + x + 32, v2);
        storeIf<storeBack>(row + x + 48, v3);
        const __m128i any = _mm_or_si128(_mm_or_si128(v0, v1), _mm_or_si128(v2, v3));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(maskRow + x / 8), any);
    }
    if (x < width) {
        __m128i any = _mm_setzero_si128();
        for (int32_t at = x; at < width; at += 16) {
            const int32_t from = std::min(at, width - 16);
            const __m128i v = load(row + from);
            storeIf<storeBack>(row + from, v);
            any = _mm_or_si128(any, v);
        }
        for (int32_t i = 0; i < (width - x + 7) / 8; ++i) {
            maskRow[x / 8 + i] = static_cast<uint8_t>(_mm_cvtsi128_si32(any) >> i);
        }
    }
}

template <bool storeBack>
void floorBitmap(uint8_t* pixels, int32_t width, uint8_t* mask) {
    const size_t rowBytes = (size_t(width) + 3) / 4 * 4;
    for (int32_t y = 0; y < kBitmapSide; ++y) {
        floorRow<storeBack>(pixels + y * rowBytes, width, mask + y * kMaskRowBytes);
    }
}

uint8_t* allocate(size_t size) {
    void* p = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (p == nullptr) {
        std::fprintf(stderr, "can't allocate %u bytes\n", unsigned(size));
        std::exit(1);
    }
    return static_cast<uint8_t*>(p);
}

struct Timing {
    std::vector<double> runs;  // seconds
    double best() const { return *std::min_element(runs.begin(), runs.end()); }
    double median() const {
        std::vector<double> r = runs;
        std::sort(r.begin(), r.end());
        return r[r.size() / 2];
    }
};

template <typename F>
void timeOnce(Timing& t, F&& f) {
    const double start = seconds();
    f();
    t.runs.push_back(seconds() - start);
}

double gbps(double bytes, double s) { return bytes / s / 1e9; }

void report(const char* name, double bytes, const Timing& work, const char* floorName,
            const Timing& floor) {
    const double w = gbps(bytes, work.best()), f = gbps(bytes, floor.best());
    std::printf("  %-30s %6.2f GB/s (median %6.2f)   %-13s %6.2f GB/s (median %6.2f)   %5.2f\n",
                name, w, gbps(bytes, work.median()), floorName, f, gbps(bytes, floor.median()),
                w / f);
}

bool processorHasAvx2() {
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    if ((c & bit_AVX) == 0 || (c & bit_OSXSAVE) == 0) return false;
    unsigned xcr0Low, xcr0High;
    __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    if ((xcr0Low & 6) != 6 || __get_cpuid_max(0, nullptr) < 7) return false;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & bit_AVX2) != 0;
}

std::string besideThisProgram(const char* file) {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path(self, n);
    return path.substr(0, path.find_last_of("\\/") + 1) + file;
}

}  // namespace

int main(int argc, char** argv) {
    // select_timing [runs [dll]]: best of `runs` (15), the DLL beside this
    // program unless another is named.
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string dllPath = argc > 2 ? argv[2] : besideThisProgram("select.dll");
    HMODULE dll = LoadLibraryA(dllPath.c_str());
    if (dll == nullptr) {
        std::fprintf(stderr, "can't load %s (error %lu)\n", dllPath.c_str(), GetLastError());
        return 1;
    }
    const auto makeTheMask = reinterpret_cast<MakeTheMaskFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "makeTheMask")));
    const auto checkIsTransparent = reinterpret_cast<CheckIsTransparentFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "checkIsTransparent")));
    const auto setPixelColours = reinterpret_cast<SetPixelColoursFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "setPixelColours")));
    if (makeTheMask == nullptr || checkIsTransparent == nullptr || setPixelColours == nullptr) {
        std::fprintf(stderr, "%s lacks an export\n", dllPath.c_str());
        return 1;
    }

    const size_t bitmapBytes = size_t(kBitmapSide) * kBitmapSide;
    uint8_t* bitmap = allocate(bitmapBytes);
    uint8_t* mask = allocate(size_t(kBitmapSide) * kMaskRowBytes);
    uint8_t* search = allocate(kSearchBytes);
    std::mt19937 random(42);
    for (size_t i = 0; i < bitmapBytes; ++i) bitmap[i] = static_cast<uint8_t>(random());
    for (size_t i = 0; i < kSearchBytes; ++i) {
        const uint8_t b = static_cast<uint8_t>(random());
        search[i] = b == kAbsent ? b + 1 : b;
    }

    std::printf("select.dll in a 32-bit process: %s\n", dllPath.c_str());
    std::printf("processor: AVX2 with the YMM state saved by the system: %s; best of %d runs\n",
                processorHasAvx2() ? "yes" : "no", runs);
    std::printf("  %-30s %-27s   %-41s   %s\n", "workload", "export: best (median)",
                "floor: best (median)", "export/floor");

    volatile uint32_t sink = 0;
    for (int32_t zero : {1, 0}) {
        for (int32_t width : {4096, 4093}) {
            // Transparent index and substitute alike: the rewriting mode swaps
            // 0 and that index, so the bitmap is the same on every run.
            setPixelColours(kTransparent, kTransparent);
            Timing work, floor;
            for (int r = 0; r < runs; ++r) {
                timeOnce(work, [&] {
                    sink = sink + makeTheMask(bitmap, width, kBitmapSide, mask, kBitmapSide,
                                              kBitmapSide, zero);
                });
                timeOnce(floor, [&] {
                    if (zero) {
                        floorBitmap<false>(bitmap, width, mask);
                    } else {
                        floorBitmap<true>(bitmap, width, mask);
                    }
                });
            }
            const std::string name = std::string("makeTheMask/") +
                                     (zero ? "zero/" : "transparent/") + std::to_string(width);
            report(name.c_str(), double(width) * kBitmapSide, work, zero ? "mask" : "mask+rewrite",
                   floor);
        }
    }
    {
        setPixelColours(kAbsent, 0);
        Timing work, floor;
        for (int r = 0; r < runs; ++r) {
            timeOnce(work, [&] {
                if (checkIsTransparent(search, 65536, 1024) != 1) {
                    std::fprintf(stderr, "checkIsTransparent found a byte that isn't there\n");
                }
            });
            timeOnce(floor, [&] { sink = sink + readOnlyPass(search, kSearchBytes); });
        }
        report("checkIsTransparent/64MiB", double(kSearchBytes), work, "read-only", floor);
    }
    {
        Timing bitmapRead;
        for (int r = 0; r < runs; ++r) {
            timeOnce(bitmapRead, [&] { sink = sink + readOnlyPass(bitmap, bitmapBytes); });
        }
        std::printf("  read-only pass over the 16 MiB bitmap: %.2f GB/s (median %.2f)\n",
                    gbps(double(bitmapBytes), bitmapRead.best()),
                    gbps(double(bitmapBytes), bitmapRead.median()));
    }
    FreeLibrary(dll);
    return 0;
}

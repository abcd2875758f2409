// How fast the mask library runs on large buffers, beside its scalar
// reference, glibc's memchr and a plain SSE2 pass that only reads the same
// bytes (the memory-bandwidth limit for this work). Prints GB/s per case and
// a summary of ratios at the end.
#include <benchmark/benchmark.h>
#include <emmintrin.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "select/MaskKernels.h"
#include "select/Select.h"

namespace {

using masklib::MaskKernels;
using masklib::MaskPath;

constexpr int32_t kBitmapSide = 4096;
constexpr size_t kSearchBytes = size_t(64) << 20;
constexpr uint8_t kTransparent = 5;
constexpr uint8_t kAbsent = 0x7E;  // never in the searched bytes

uint8_t* allocateBytes(size_t size) {
    void* p = std::aligned_alloc(64, (size + 63) / 64 * 64);
    if (p == nullptr) std::abort();
    return static_cast<uint8_t*>(p);
}

struct Buffers {
    uint8_t* bitmap;  // 4096 rows of 4096 bytes: widths 4096 and 4093 both fit
    uint8_t* mask;    // 4096 rows of 512 bytes
    uint8_t* search;  // 64 MiB without kAbsent

    Buffers() {
        std::mt19937 random(42);
        const size_t bitmapBytes = size_t(kBitmapSide) * kBitmapSide;
        bitmap = allocateBytes(bitmapBytes);
        for (size_t i = 0; i < bitmapBytes; ++i) bitmap[i] = static_cast<uint8_t>(random());
        mask = allocateBytes(size_t(kBitmapSide) * kBitmapSide / 8);
        std::memset(mask, 0, size_t(kBitmapSide) * kBitmapSide / 8);
        search = allocateBytes(kSearchBytes);
        for (size_t i = 0; i < kSearchBytes; ++i) {
            const uint8_t b = static_cast<uint8_t>(random());
            search[i] = b == kAbsent ? b + 1 : b;
        }
    }
};

Buffers& buffers() {
    static Buffers b;
    return b;
}

// With the substitute equal to the transparent index, the transparent-index
// mode swaps 0 and that index, so the bitmap looks the same on every pass.
const masklib::PixelColours kColours = {kTransparent, kTransparent};

void makeMask(benchmark::State& state, const MaskKernels* kernels, int32_t width, int32_t zero) {
    Buffers& b = buffers();
    setPixelColours(kColours.transparent, kColours.substitute);
    for (auto _ : state) {
        int32_t first;
        if (kernels == nullptr) {
            first =
                makeTheMask(b.bitmap, width, kBitmapSide, b.mask, kBitmapSide, kBitmapSide, zero);
        } else {
            first = kernels->makeMask(b.bitmap, width, kBitmapSide, b.mask, kBitmapSide,
                                      kBitmapSide, zero, kColours);
        }
        benchmark::DoNotOptimize(first);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * width * kBitmapSide);
}

void check(benchmark::State& state, const MaskKernels* kernels) {
    Buffers& b = buffers();
    setPixelColours(kAbsent, 0);
    // 65536 x 1024 = 64 MiB
    for (auto _ : state) {
        int32_t found;
        if (kernels == nullptr) {
            found = checkIsTransparent(b.search, 65536, 1024);
        } else {
            found = kernels->check(b.search, 65536, 1024, kAbsent);
        }
        if (found != 1) state.SkipWithError("found a byte that isn't there");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSearchBytes));
}

void glibcMemchr(benchmark::State& state) {
    Buffers& b = buffers();
    for (auto _ : state) {
        const void* at = std::memchr(b.search, kAbsent, kSearchBytes);
        if (at != nullptr) state.SkipWithError("found a byte that isn't there");
        benchmark::DoNotOptimize(at);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSearchBytes));
}

// Reads every byte with aligned 16-byte loads and nothing else.
__attribute__((noinline)) __m128i readOnlyPass(const uint8_t* bytes, size_t size) {
    const __m128i* at = reinterpret_cast<const __m128i*>(bytes);
    __m128i a = _mm_setzero_si128(), b = a, c = a, d = a;
    for (size_t i = 0; i < size / 16; i += 4) {
        a = _mm_or_si128(a, _mm_load_si128(at + i));
        b = _mm_or_si128(b, _mm_load_si128(at + i + 1));
        c = _mm_or_si128(c, _mm_load_si128(at + i + 2));
        d = _mm_or_si128(d, _mm_load_si128(at + i + 3));
    }
    return _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
}

void readOnly(benchmark::State& state, bool bitmap) {
    Buffers& b = buffers();
    const uint8_t* bytes = bitmap ? b.bitmap : b.search;
    const size_t size = bitmap ? size_t(kBitmapSide) * kBitmapSide : kSearchBytes;
    for (auto _ : state) {
        __m128i r = readOnlyPass(bytes, size);
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// Keeps each case's GB/s (10^9 bytes per second) for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            // With repetitions the median stands for the case; without, the one run.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            const auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) continue;
            std::string name = run.run_name.str();
            name = name.substr(0, name.find("/min_time:"));
            if (median || medians.count(name) == 0) rates[name] = it->second.value / 1e9;
            if (median) medians.insert(name);
        }
    }
    std::set<std::string> medians;
    std::map<std::string, double> rates;
};

void registerAll() {
    std::vector<std::pair<std::string, const MaskKernels*>> paths = {{"export", nullptr}};
    for (int32_t i = 0; i < masklib::kMaskPathCount; ++i) {
        const MaskPath path = static_cast<MaskPath>(i);
        if (masklib::maskPathAvailable(path)) {
            paths.push_back({masklib::maskKernelsFor(path)->name, masklib::maskKernelsFor(path)});
        }
    }
    for (const char* mode : {"zero", "transparent"}) {
        for (int32_t width : {4096, 4093}) {
            for (const auto& [name, kernels] : paths) {
                const int32_t zero = mode[0] == 'z' ? 1 : 0;
                benchmark::RegisterBenchmark(
                    ("makeTheMask/" + std::string(mode) + "/" + std::to_string(width) + "/" + name)
                        .c_str(),
                    makeMask, kernels, width, zero)
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(0.5);
            }
        }
    }
    benchmark::RegisterBenchmark("readOnly/bitmap16MiB", readOnly, true)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5);
    for (const auto& [name, kernels] : paths) {
        benchmark::RegisterBenchmark(("checkIsTransparent/64MiB/" + name).c_str(), check, kernels)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    }
    benchmark::RegisterBenchmark("memchr/64MiB", glibcMemchr)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5);
    benchmark::RegisterBenchmark("readOnly/64MiB", readOnly, false)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5);
}

double rate(const SummaryReporter& r, const std::string& name) {
    const auto it = r.rates.find(name);
    return it == r.rates.end() ? 0 : it->second;
}

void line(const char* what, double value, const char* aim, bool met) {
    std::printf("  %-58s %6.2f  (aim %s: %s)\n", what, value, aim, met ? "met" : "NOT met");
}

void printSummary(const SummaryReporter& r) {
    const std::string best = masklib::maskKernelsFor(masklib::bestMaskPath())->name;
    std::printf("\nSummary (GB/s = 10^9 bytes/s; the exports run the %s path)\n", best.c_str());
    const double readMiB64 = rate(r, "readOnly/64MiB");
    const double readBitmap = rate(r, "readOnly/bitmap16MiB");
    const double check = rate(r, "checkIsTransparent/64MiB/export");
    const double memchrRate = rate(r, "memchr/64MiB");
    if (check > 0) {
        std::printf(
            "  checkIsTransparent %.2f, scalar %.2f, memchr %.2f, read-only pass %.2f GB/s\n",
            check, rate(r, "checkIsTransparent/64MiB/scalar"), memchrRate, readMiB64);
        if (readMiB64 > 0) {
            line("checkIsTransparent / read-only pass", check / readMiB64, ">= 0.85",
                 check / readMiB64 >= 0.85);
        }
        if (memchrRate > 0) {
            line("checkIsTransparent / memchr", check / memchrRate, ">= 1.00",
                 check / memchrRate >= 1.0);
        }
    }
    if (readBitmap > 0)
        std::printf("  read-only pass over the 16 MiB bitmap: %.2f GB/s\n", readBitmap);
    for (const char* mode : {"zero", "transparent"}) {
        const bool zero = mode[0] == 'z';
        for (int32_t width : {4096, 4093}) {
            const std::string base =
                "makeTheMask/" + std::string(mode) + "/" + std::to_string(width);
            const double fast = rate(r, base + "/export");
            const double scalar = rate(r, base + "/scalar");
            if (fast <= 0) continue;
            std::printf("  %s: %.2f GB/s, scalar %.2f GB/s\n", base.c_str(), fast, scalar);
            if (scalar > 0) {
                line((base + " / scalar").c_str(), fast / scalar, zero ? ">= 8" : ">= 5",
                     fast / scalar >= (zero ? 8 : 5));
            }
            if (zero && readBitmap > 0) {
                line((base + " / read-only pass").c_str(), fast / readBitmap, ">= 0.60",
                     fast / readBitmap >= 0.6);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerAll();
    buffers();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
    benchmark::Shutdown();
    return 0;
}

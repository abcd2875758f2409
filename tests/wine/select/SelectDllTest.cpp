// select.dll seen from a Windows program: its PE headers, its exports by name
// and by ordinal, the calling convention, and its results against the scalar
// reference compiled into this program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "StdcallProbe.h"
#include "select/MaskKernels.h"

namespace {

using Bytes = std::vector<uint8_t>;
typedef int32_t(__stdcall* MakeTheMaskFn)(uint8_t*, int32_t, int32_t, uint8_t*, int32_t, int32_t,
                                          int32_t);
typedef int32_t(__stdcall* CheckIsTransparentFn)(const uint8_t*, int32_t, int32_t);
typedef int32_t(__stdcall* SetPixelColoursFn)(int32_t, int32_t);

std::string dllPath() {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, n);
    return path.substr(0, path.find_last_of("\\/") + 1) + "select.dll";
}

// One LoadLibraryA per test: when the last one is freed the DLL is unloaded,
// so the next load starts with fresh settings.
class SelectDll {
public:
    SelectDll() : module_(LoadLibraryA(dllPath().c_str())) {}
    ~SelectDll() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    SelectDll(const SelectDll&) = delete;
    SelectDll& operator=(const SelectDll&) = delete;

    HMODULE module() const { return module_; }
    const uint8_t* image() const { return reinterpret_cast<const uint8_t*>(module_); }
    const IMAGE_NT_HEADERS32* headers() const {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image());
        return reinterpret_cast<const IMAGE_NT_HEADERS32*>(image() + dos->e_lfanew);
    }
    const IMAGE_DATA_DIRECTORY& directory(int index) const {
        return headers()->OptionalHeader.DataDirectory[index];
    }

    FARPROC byName(const char* name) const { return GetProcAddress(module_, name); }
    FARPROC byOrdinal(WORD ordinal) const {
        return GetProcAddress(module_, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)));
    }
    template <typename Fn>
    Fn as(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(byName(name)));
    }
    MakeTheMaskFn makeTheMask() const { return as<MakeTheMaskFn>("makeTheMask"); }
    CheckIsTransparentFn checkIsTransparent() const {
        return as<CheckIsTransparentFn>("checkIsTransparent");
    }
    SetPixelColoursFn setPixelColours() const { return as<SetPixelColoursFn>("setPixelColours"); }

private:
    HMODULE module_;
};

DWORD WINAPI threadReturningSeven(void*) { return 7; }

uint32_t arg(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

TEST(SelectDllHeaders, IsA32BitDllThatImportsNothing) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr) << GetLastError();
    const IMAGE_NT_HEADERS32* nt = dll.headers();
    EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_NE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL, 0);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_NE(nt->OptionalHeader.AddressOfEntryPoint, 0u);
    for (int index : {IMAGE_DIRECTORY_ENTRY_IMPORT, IMAGE_DIRECTORY_ENTRY_IAT,
                      IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, IMAGE_DIRECTORY_ENTRY_BOUND_IMPORT,
                      IMAGE_DIRECTORY_ENTRY_TLS}) {
        EXPECT_EQ(dll.directory(index).VirtualAddress, 0u) << "directory " << index;
        EXPECT_EQ(dll.directory(index).Size, 0u) << "directory " << index;
    }
}

TEST(SelectDllHeaders, ExportsExactlyTheThreeNamesAtOrdinalsOneToThree) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr);
    const IMAGE_DATA_DIRECTORY& dir = dll.directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(dir.VirtualAddress, 0u);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(dll.image() + dir.VirtualAddress);
    EXPECT_STREQ(reinterpret_cast<const char*>(dll.image() + exports->Name), "select.dll");
    EXPECT_EQ(exports->Base, 1u);
    ASSERT_EQ(exports->NumberOfFunctions, 3u);
    ASSERT_EQ(exports->NumberOfNames, 3u);
    const auto* names = reinterpret_cast<const DWORD*>(dll.image() + exports->AddressOfNames);
    const auto* ordinals =
        reinterpret_cast<const WORD*>(dll.image() + exports->AddressOfNameOrdinals);
    const auto* functions =
        reinterpret_cast<const DWORD*>(dll.image() + exports->AddressOfFunctions);
    // Names are sorted, as the loader's binary search needs.
    const char* expectedNames[] = {"checkIsTransparent", "makeTheMask", "setPixelColours"};
    const WORD expectedOrdinals[] = {2, 1, 3};
    for (int i = 0; i < 3; ++i) {
        const char* name = reinterpret_cast<const char*>(dll.image() + names[i]);
        EXPECT_STREQ(name, expectedNames[i]);
        EXPECT_EQ(ordinals[i] + exports->Base, expectedOrdinals[i]) << name;
        const FARPROC byTable =
            reinterpret_cast<FARPROC>(const_cast<uint8_t*>(dll.image() + functions[ordinals[i]]));
        EXPECT_EQ(dll.byName(name), byTable) << name;
        EXPECT_EQ(dll.byOrdinal(expectedOrdinals[i]), byTable) << name;
    }
    EXPECT_NE(dll.byName("makeTheMask"), dll.byName("checkIsTransparent"));
    EXPECT_EQ(dll.byOrdinal(4), nullptr);
    EXPECT_EQ(dll.byName("_makeTheMask@28"), nullptr);
    EXPECT_EQ(dll.byName("makeTheMask@28"), nullptr);
}

int32_t __cdecl callerPops(int32_t a, int32_t b) { return a - b; }
int32_t __stdcall calleePops(int32_t a, int32_t b) { return a - b; }

// The probe itself tells the two conventions apart.
TEST(SelectDllCalls, ProbeSeesWhoRemovesTheArguments) {
    const uint32_t args[] = {10, 3};
    StdcallReport report{};
    EXPECT_EQ(callStdcall(reinterpret_cast<const void*>(&callerPops), args, 2, 0, &report), 7u);
    EXPECT_EQ(report.stackDelta, -8);
    report = {};
    EXPECT_EQ(callStdcall(reinterpret_cast<const void*>(&calleePops), args, 2, 8, &report), 7u);
    EXPECT_EQ(report.stackDelta, 0);
    EXPECT_EQ(report.brokenRegisters, 0u);
}

TEST(SelectDllCalls, EachExportRemovesItsArgumentsAndKeepsTheCallersRegisters) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr);
    Bytes pixels(40 * 3, 0);
    Bytes mask(5 * 3, 0xCC);
    for (uint32_t misalign : {0u, 4u, 8u, 12u}) {
        SCOPED_TRACE(misalign);
        StdcallReport report{};
        const uint32_t colours[] = {0x105, 9};
        EXPECT_EQ(callStdcall(reinterpret_cast<const void*>(dll.setPixelColours()), colours, 2,
                              misalign, &report),
                  0u);
        EXPECT_EQ(report.stackDelta, 0);
        EXPECT_EQ(report.brokenRegisters, 0u);

        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 7 == 0 ? 5 : 0x40 + i);
        const uint32_t makeArgs[] = {arg(pixels.data()), 37, 3, arg(mask.data()), 40, 3, 0};
        report = {};
        EXPECT_EQ(callStdcall(reinterpret_cast<const void*>(dll.makeTheMask()), makeArgs, 7,
                              misalign, &report),
                  5u);
        EXPECT_EQ(report.stackDelta, 0);
        EXPECT_EQ(report.brokenRegisters, 0u);
        EXPECT_EQ(mask[0], 0x81);  // pixels 0 and 7

        const uint32_t checkArgs[] = {arg(pixels.data() + 1), 6, 1};
        report = {};
        EXPECT_EQ(callStdcall(reinterpret_cast<const void*>(dll.checkIsTransparent()), checkArgs, 3,
                              misalign, &report),
                  1u);
        EXPECT_EQ(report.stackDelta, 0);
        EXPECT_EQ(report.brokenRegisters, 0u);
    }
}

TEST(SelectDllCalls, EntryPointSucceedsForEveryNotification) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr);
    const void* entry = dll.image() + dll.headers()->OptionalHeader.AddressOfEntryPoint;
    for (uint32_t reason :
         {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH}) {
        const uint32_t args[] = {arg(dll.module()), reason, 0};
        StdcallReport report{};
        EXPECT_EQ(callStdcall(entry, args, 3, 4, &report), 1u) << reason;
        EXPECT_EQ(report.stackDelta, 0);
        EXPECT_EQ(report.brokenRegisters, 0u);
    }
    // A thread started and ended while the DLL is loaded reaches the entry
    // point through the loader too.
    HANDLE thread = CreateThread(nullptr, 0, threadReturningSeven, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(thread);
}

TEST(SelectDllSettings, StartAtZeroOnEveryLoad) {
    for (int load = 0; load < 2; ++load) {
        SelectDll dll;
        ASSERT_NE(dll.module(), nullptr);
        // Transparent index 0: a zero byte is found, and the transparent-index
        // mode marks zeros and rewrites nothing.
        Bytes bytes = {3, 0, 3, 3};
        EXPECT_EQ(dll.checkIsTransparent()(bytes.data(), 4, 1), 0);
        Bytes mask(1, 0);
        EXPECT_EQ(dll.makeTheMask()(bytes.data(), 4, 1, mask.data(), 8, 1, 0), 3);
        EXPECT_EQ(bytes, (Bytes{3, 0, 3, 3}));
        EXPECT_EQ(mask[0], 0x40);
        // Changed here; the next load starts over.
        EXPECT_EQ(dll.setPixelColours()(3, 4), 0);
        EXPECT_EQ(dll.checkIsTransparent()(bytes.data(), 4, 1), 0);
        bytes[0] = bytes[2] = bytes[3] = 1;
        EXPECT_EQ(dll.checkIsTransparent()(bytes.data(), 4, 1), 1);
    }
}

TEST(SelectDllResults, WorkedExamples) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr);
    Bytes pixels = {0, 5, 0, 0, 7, 7, 7, 0, 0, 3, 0xAA, 0xBB};
    Bytes mask(2, 0x55);
    EXPECT_EQ(dll.makeTheMask()(pixels.data(), 10, 1, mask.data(), 16, 1, 1), 0);
    EXPECT_EQ(mask, (Bytes{0xB1, 0x80}));

    EXPECT_EQ(dll.setPixelColours()(5, 9), 0);
    Bytes rows = {5, 0, 7, 0xF1, 1, 5, 0, 0xF2};
    Bytes mask3(12, 0xEE);
    EXPECT_EQ(dll.makeTheMask()(rows.data(), 3, 2, mask3.data(), 32, 3, 0), 5);
    EXPECT_EQ(rows, (Bytes{0, 9, 7, 0xF1, 1, 0, 9, 0xF2}));
    EXPECT_EQ(mask3,
              (Bytes{0xEE, 0xEE, 0xEE, 0xEE, 0x80, 0xEE, 0xEE, 0xEE, 0x40, 0xEE, 0xEE, 0xEE}));
}

// The DLL (its best vector path on this processor: AVX2 where the processor
// and the system support it, SSE2 otherwise) against the scalar reference
// built into this program, over random shapes with guard bytes after every
// buffer. The same source's vector paths are built into this program too, so
// every path that 32-bit code can take is compared, whichever the DLL takes.
TEST(SelectDllResults, MatchTheScalarReference) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr);
    std::vector<const masklib::MaskKernels*> paths;
    for (masklib::MaskPath p : {masklib::MaskPath::Sse2, masklib::MaskPath::Avx2}) {
        if (masklib::maskPathAvailable(p)) paths.push_back(masklib::maskKernelsFor(p));
    }
    std::mt19937 random(2024);
    auto below = [&](int32_t n) {
        return std::uniform_int_distribution<int32_t>(0, n - 1)(random);
    };
    constexpr size_t kGuard = 48;
    const int32_t wide[] = {127, 128, 129, 161, 231, 1021, 4093};
    for (int32_t round = 0; round < 3000; ++round) {
        const int32_t width = round % 10 == 0 ? wide[below(7)] : below(71);
        const int32_t height = below(10);
        const int32_t maskRowBits = (width + 7) / 8 * 8 + 8 * below(3);
        const int32_t maskRows = height + below(3);
        const int32_t zeroMode = below(2);
        const uint8_t transparent = below(4) == 0 ? 0 : uint8_t(below(256));
        const uint8_t substitute = uint8_t(below(256));
        const size_t pixelBytes = std::max<size_t>(1, size_t((width + 3) / 4 * 4) * height);
        const size_t maskBytes = size_t(maskRows) * (maskRowBits / 8);
        const size_t shift = below(16);

        Bytes pixels(shift + pixelBytes + kGuard);
        for (auto& b : pixels) {
            const int32_t kind = below(8);
            b = kind < 3 ? 0 : kind < 6 ? transparent : uint8_t(below(256));
        }
        Bytes mask(shift + maskBytes + kGuard);
        for (auto& b : mask) b = uint8_t(below(256));
        const Bytes pixelsBefore = pixels, maskBefore = mask;
        Bytes wantPixels = pixels, wantMask = mask;

        const int32_t want = masklib::makeMaskScalar(wantPixels.data() + shift, width, height,
                                                     wantMask.data() + shift, maskRowBits, maskRows,
                                                     zeroMode, {transparent, substitute});
        for (const masklib::MaskKernels* path : paths) {
            Bytes p = pixelsBefore, m = maskBefore;
            ASSERT_EQ(path->makeMask(p.data() + shift, width, height, m.data() + shift, maskRowBits,
                                     maskRows, zeroMode, {transparent, substitute}),
                      want)
                << path->name << " width " << width << " height " << height;
            ASSERT_EQ(p, wantPixels) << path->name << " width " << width;
            ASSERT_EQ(m, wantMask) << path->name << " width " << width;
        }
        dll.setPixelColours()(transparent, substitute);
        const int32_t got = dll.makeTheMask()(pixels.data() + shift, width, height,
                                              mask.data() + shift, maskRowBits, maskRows, zeroMode);
        SCOPED_TRACE(::testing::Message()
                     << "width " << width << " height " << height << " mode " << zeroMode
                     << " colours " << int(transparent) << "/" << int(substitute));
        ASSERT_EQ(got, want);
        ASSERT_EQ(pixels, wantPixels);
        ASSERT_EQ(mask, wantMask);

        ASSERT_EQ(dll.checkIsTransparent()(pixels.data() + shift, width, height),
                  masklib::checkScalar(pixels.data() + shift, width, height, transparent));
    }
}

TEST(SelectDllResults, TransparencyTestMatchesTheReferenceAtEveryLengthAndAlignment) {
    SelectDll dll;
    ASSERT_NE(dll.module(), nullptr);
    dll.setPixelColours()(0x7E, 0);
    Bytes bytes(600, 1);
    for (size_t n = 0; n < 300; ++n) {
        for (size_t start = 0; start < 32; start += 5) {
            // The transparent byte just past the run, then at its last byte.
            bytes.assign(bytes.size(), 1);
            bytes[start + n] = 0x7E;
            ASSERT_EQ(dll.checkIsTransparent()(bytes.data() + start, int32_t(n), 1), 1) << n;
            if (n == 0) continue;
            bytes[start + n - 1] = 0x7E;
            ASSERT_EQ(dll.checkIsTransparent()(bytes.data() + start, 1, int32_t(n)), 0) << n;
        }
    }
    EXPECT_EQ(dll.checkIsTransparent()(bytes.data(), -3, -3), 1);
}

}  // namespace

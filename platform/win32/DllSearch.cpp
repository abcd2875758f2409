#include "platform/win32/DllSearch.h"

#include <windows.h>

#include <string>

namespace platform::win32 {

namespace {

// From the SDK of Windows 8; older headers and older systems lack it.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

}  // namespace

bool restrictDllSearch() {
    // Looked up, not imported: an unpatched Windows 7 or Vista has no such
    // export, and a missing import would stop the program before it starts.
    bool restricted = false;
    if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
        const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        restricted = setDefault != nullptr && setDefault(kSearchSystem32);
    }
    if (!restricted) SetDllDirectoryA("");

    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return restricted;
    const std::string folder = std::string(system, length) + "\\";
    // Without the restriction, the altered search path makes each preloaded
    // library find its own dependencies in the System folder too rather than
    // beside the program. A library the system lacks is simply not loaded.
    const DWORD flags = restricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH;
    for (const char* name : kPreloadedLibraries) {
        LoadLibraryExA((folder + name).c_str(), nullptr, flags);
    }
    return restricted;
}

}  // namespace platform::win32

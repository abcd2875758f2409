// The first thing an elevated program does: keep the folders that a user may
// write to (the program's own folder, the current folder) out of the search
// for system libraries, so that a DLL planted there under a system library's
// name never runs with administrator rights.
#pragma once

namespace platform::win32 {

// System libraries that get loaded into the program by bare name some time
// after start-up and are not KnownDLLs, so that without a restricted search
// the program's own folder could supply them. Each is loaded from the System
// folder by its full path at start-up, and a later load by bare name finds it
// already there. (ole32, combase and rpcrt4 load late too, but are KnownDLLs.)
inline constexpr const char* kPreloadedLibraries[] = {
    "uxtheme.dll",    // themed controls and message boxes (common controls 6)
    "dwmapi.dll",     // window frames, asked for by the theme code
    "msimg32.dll",    // the theme code's drawing (alpha blend, gradients)
    "cryptbase.dll",  // advapi32's random numbers and cryptography
    "propsys.dll",    // shell32, for the shell notification
};

// Restricts the DLL search to the System folder (SetDefaultDllDirectories,
// where the system has it; otherwise at least takes the current folder out
// of the search with SetDllDirectoryA("")), then preloads
// kPreloadedLibraries from the System folder. Call it before anything else,
// above all before any window, common control or shell call. Returns true
// when the search was restricted to the System folder, false when only the
// fallback was available.
bool restrictDllSearch();

}  // namespace platform::win32

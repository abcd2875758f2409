// Folder links in the Wine prefix. Neither mklink nor CreateSymbolicLinkA
// makes a link there, but a Unix symbolic link to a folder inside the
// prefix's drive shows to Windows programs as a folder with
// FILE_ATTRIBUTE_REPARSE_POINT: a junction as far as the program can tell.
// Wine starts a Unix program named by its Z: path, so a test can make one.
#pragma once

#include <windows.h>

#include <string>

namespace winetest {

// The Unix path of a Windows path (Wine's own kernel32 export), or "".
inline std::string unixPath(const std::string& windowsPath) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (convert == nullptr) return {};
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* converted = convert(wide.c_str());
    if (converted == nullptr) return {};
    std::string result = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

// Runs a Unix program with two path arguments and waits until `done` says
// it has acted (the exit code of a Unix process is not reported reliably).
template <typename Done>
bool runUnix(const std::string& program, const std::string& options, const std::string& first,
             const std::string& second, Done done) {
    std::string line = program + " " + options + " \"" + first + "\"";
    if (!second.empty()) line += " \"" + second + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
    return done();
}

// A folder link at `link` (which must not exist) leading to the folder
// `target`.
inline bool plantFolderLink(const std::string& link, const std::string& target) {
    const std::string from = unixPath(target);
    const std::string to = unixPath(link);
    if (from.empty() || to.empty()) return false;
    return runUnix("Z:\\bin\\ln", "-s", from, to, [&] {
        const DWORD attributes = GetFileAttributesA(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    });
}

// Takes the link away and nothing behind it.
inline bool removeFolderLink(const std::string& link) {
    const std::string path = unixPath(link);
    if (path.empty()) return false;
    return runUnix("Z:\\bin\\rm", "-f", path, "",
                   [&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace winetest

// delcheck.exe: shows what Remove would delete, line by line, without
// deleting anything. It runs the uninstaller's engine over a recording layer
// on the real registry and files, as sprellow.exe would run from the install
// folder with administrator rights, and needs no such rights itself.
//
//   delcheck.exe [--json] [FOLDER]
//
// Exit status: 0 nothing to report, 1 something reported, 2 could not check.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "checker/Checker.h"
#include "checker/Report.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"

namespace {

const char* const kUsage =
    "usage: delcheck.exe [--json] [FOLDER]\n"
    "\n"
    "Shows what the uninstaller's Remove would delete with every application chosen,\n"
    "without deleting anything. Without FOLDER it checks the product installed here;\n"
    "with FOLDER it checks a staged product whose install folder that is.\n"
    "  --json   one JSON document (UTF-8) instead of text\n"
    "Exit status: 0 nothing to report, 1 something reported, 2 could not check.\n";

// Text for a reader: a console gets the characters themselves; a file or
// a pipe gets the ANSI code page's bytes, as a text report always had (a
// character the code page lacks shows as "?"; the JSON report keeps it).
void write(FILE* stream, const std::string& text) {
    std::fflush(stream);
    const std::wstring wide = platform::win32::wide(text);
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const int size = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), bytes, nullptr, nullptr);
    std::fwrite(ansi.data(), 1, ansi.size(), stream);
    std::fflush(stream);
}

// The folder as a full path in its long form, without a trailing separator
// unless it is a drive root; "" when the system can't make one of it.
std::string fullLongPath(const std::string& folder) {
    const std::wstring given = platform::win32::wide(folder);
    std::wstring full(32768, L'\0');
    const DWORD n =
        GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return "";
    full.resize(n);
    std::wstring longForm(32768, L'\0');
    const DWORD m =
        GetLongPathNameW(full.c_str(), longForm.data(), static_cast<DWORD>(longForm.size()));
    if (m > 0 && m < longForm.size()) full.assign(longForm.data(), m);
    std::string path = platform::win32::narrow(full.data(), full.size());
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

int cannotCheck(const std::string& why) {
    write(stderr, "delcheck: " + why + "\n");
    return 2;
}

// The command line's arguments as text: a folder may be named with
// characters the ANSI code page lacks.
std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide != nullptr && i < count; ++i)
        args.push_back(platform::win32::narrow(wide[i]));
    LocalFree(wide);
    return args;
}

int run() {
    bool json = false;
    std::optional<std::string> folder;
    const std::vector<std::string> args = arguments();
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            write(stdout, kUsage);
            return 0;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return cannotCheck("unknown option " + arg + " (delcheck.exe [--json] [FOLDER])");
        } else if (folder) {
            return cannotCheck("more than one folder given (delcheck.exe [--json] [FOLDER])");
        } else {
            folder = fullLongPath(arg);
            if (folder->empty()) return cannotCheck("there is no folder " + arg);
        }
    }

    platform::win32::Win32Platform win32;
    checker::Plan plan;
    try {
        plan = checker::check(win32.platform(), folder);
    } catch (const checker::CannotCheck& e) {
        return cannotCheck(e.what());
    }
    if (json) {
        // UTF-8 bytes as they are, whatever the stream.
        const std::string out = checker::toJson(plan);
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    } else {
        write(stdout, checker::toText(plan));
    }
    return plan.exitStatus();
}

}  // namespace

int main() {
    // Before anything else: no DLL from the current or the checked folder.
    platform::win32::restrictDllSearch();
    try {
        return run();
    } catch (const std::exception& e) {
        return cannotCheck(std::string("could not check: ") + e.what());
    } catch (...) {
        return cannotCheck("could not check");
    }
}

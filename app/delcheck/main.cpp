// delcheck.exe: shows what Remove would delete, line by line, without
// deleting anything. It runs the uninstaller's engine over a recording layer
// on the real registry and files, as sprellow.exe would run from the install
// folder with administrator rights, and needs no such rights itself.
//
//   delcheck.exe [--json] [FOLDER]
//
// Exit status: 0 nothing to report, 1 something reported, 2 could not check.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "checker/Checker.h"
#include "checker/Report.h"
#include "platform/win32/DllSearch.h"
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

// Text in the ANSI code page as UTF-8, through UTF-16.
std::string ansiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int size = static_cast<int>(ansi.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (wide <= 0) return checker::latin1ToUtf8(ansi);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, utf16.data(), wide);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return checker::latin1ToUtf8(ansi);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// The folder as a full path in its long form, without a trailing separator
// unless it is a drive root; "" when the system can't make one of it.
std::string fullLongPath(const std::string& folder) {
    char full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return "";
    std::string path = full;
    char longForm[MAX_PATH * 4];
    const DWORD m = GetLongPathNameA(path.c_str(), longForm, sizeof longForm);
    if (m > 0 && m < sizeof longForm) path = longForm;
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

int cannotCheck(const std::string& why) {
    std::fprintf(stderr, "delcheck: %s\n", why.c_str());
    return 2;
}

int run(int argc, char** argv) {
    bool json = false;
    std::optional<std::string> folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            std::fputs(kUsage, stdout);
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
    const std::string out = json ? checker::toJson(plan, ansiToUtf8) : checker::toText(plan);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return plan.exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else: no DLL from the current or the checked folder.
    platform::win32::restrictDllSearch();
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        return cannotCheck(std::string("could not check: ") + e.what());
    } catch (...) {
        return cannotCheck("could not check");
    }
}

// removal_timing: how much the uninstaller adds to what the file system
// itself costs. In one process (one Wine session) it lays a large demo
// product, times discovery and the removal of every application through the
// engine, then lays the same product again and times deleting the same files
// with a plain loop of DeleteFileA, and once more with a safe loop: each file
// opened, asked where it really is and deleted through that handle, the least
// a deletion judged by where it lands can cost. Prints the figures; it is a
// measurement, not a test.
//
//   removal_timing [--apps N] [--files-per-app N] [--types-per-app N] [--rounds N]
//                  [--dir "<install folder>"]
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine/Install.h"
#include "platform/win32/Win32Platform.h"
#include "tools/demoproduct/ConsoleViews.h"
#include "tools/demoproduct/DemoLayout.h"
#include "tools/demoproduct/WinTree.h"

#include "Seconds.h"

namespace {

using wintree::listBelow;
using wintree::ownFolder;
using wintree::programsFolder;
using wintree::removeTree;

// Runs a program with its output thrown away; gives its exit code, or -1.
int runQuiet(std::string line) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(nul);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool lay(const demo::Options& options) {
    // Built up piece by piece: GCC 12 warns falsely about "literal" + string&&.
    std::string line = "\"";
    line += ownFolder();
    line += "\\demoproduct.exe\" lay --dir \"";
    line += options.installDir;
    line += "\" --apps " + std::to_string(options.apps);
    line += " --files-per-app " + std::to_string(options.filesPerApp);
    line += " --types-per-app " + std::to_string(options.typesPerApp);
    const int code = runQuiet(line);
    // Let the system write back what laying ten thousand files left dirty,
    // so that it doesn't land on whichever deletion is timed next.
    Sleep(3000);
    return code == 0;
}

// delcheck.exe over the laid product, its JSON thrown away: what checking
// the product before shipping costs. It reports the product's refused lines
// (exit 1); 2 means it could not check. It runs twice and the second run is
// timed: the removal that follows finds the product's folders read already,
// and the first run lets delcheck find them so too.
bool timeDelcheck(double& elapsed) {
    std::string line = "\"";
    line += ownFolder();
    line += "\\delcheck.exe\" --json";
    int code = runQuiet(line);
    if (code == 0 || code == 1) {
        const double start = seconds();
        code = runQuiet(line);
        elapsed = seconds() - start;
    }
    if (code != 0 && code != 1) std::fprintf(stderr, "delcheck.exe ended with %d\n", code);
    return code == 0 || code == 1;
}

// What the plain loop leaves (folders and keys) goes before the next round.
void removeLeftovers(const demo::Layout& layout) {
    removeTree(layout.options.installDir);
    removeTree(programsFolder() + "\\" + demo::kStartMenuFolder);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, demo::kProductKey);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, demo::kUninstallKey);
    for (const demo::Application& app : layout.apps) {
        for (const demo::FileType& type : app.fileTypes) {
            SHDeleteKeyA(HKEY_CLASSES_ROOT, type.extension.c_str());
            SHDeleteKeyA(HKEY_CLASSES_ROOT, type.name.c_str());
        }
    }
}

struct Round {
    double discovery = 0, removal = 0, plain = 0;
    double safe = 0;       // the safe loop over the same files
    double delcheck = 0;   // delcheck.exe --json on the same product, before its removal
    double plainRest = 0;  // the folders and keys, deleted plainly after the files
    std::size_t plainFiles = 0, plainFolders = 0, plainKeys = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Discovery and the removal of every application through the engine, on a
// freshly laid product.
bool timeEngine(const demo::Options& options, Round& round) {
    if (!lay(options)) return false;
    if (!timeDelcheck(round.delcheck)) return false;
    {
        platform::win32::Win32Platform win32;
        demo::ConsoleDialog dialog(false);
        demo::ConsoleList list(false);
        demo::ConsoleProgress progress(false);
        double start = seconds();
        engine::Install install(win32.platform(), dialog, progress);
        install.Form_Load();
        list.show(install);
        round.discovery = seconds() - start;
        if (list.count() != options.apps) {
            std::fprintf(stderr, "discovery listed %d of %d applications\n", list.count(),
                         options.apps);
            return false;
        }
        list.selectAll();
        start = seconds();
        const engine::RemovalOutcome outcome = install.ok_Click(list.chosen());
        round.removal = seconds() - start;
        if (!outcome.completed) {
            std::fprintf(stderr, "the removal stopped: %s\n", outcome.message.c_str());
            return false;
        }
    }
    if (GetFileAttributesA(options.installDir.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "the engine left %s behind\n", options.installDir.c_str());
        return false;
    }
    return true;
}

// The same product deleted by a plain loop: every file the engine deleted,
// listed beforehand so that only the deletions are timed.
// The registry keys of the product, each before the key that holds it.
std::vector<std::pair<HKEY, std::string>> productKeys(const demo::Layout& layout) {
    std::vector<std::pair<HKEY, std::string>> keys;
    for (const demo::Application& app : layout.apps) {
        for (const demo::FileType& type : app.fileTypes) {
            keys.emplace_back(HKEY_CLASSES_ROOT, type.extension);
            keys.emplace_back(HKEY_CLASSES_ROOT, type.name + "\\shell\\open\\command");
            keys.emplace_back(HKEY_CLASSES_ROOT, type.name + "\\shell\\open");
            keys.emplace_back(HKEY_CLASSES_ROOT, type.name + "\\shell");
            keys.emplace_back(HKEY_CLASSES_ROOT, type.name);
        }
    }
    keys.emplace_back(HKEY_LOCAL_MACHINE, demo::kUninstallKey);
    keys.emplace_back(HKEY_LOCAL_MACHINE, demo::kProductKey);
    return keys;
}

// The same product deleted by a plain loop: every file the engine deleted,
// listed beforehand so that only the deletions are timed. The folders and
// keys then go the same plain way, timed apart, for a fuller comparison.
bool timePlainLoop(const demo::Options& options, Round& round) {
    if (!lay(options)) return false;
    const demo::Layout layout = demo::makeLayout(options);
    std::vector<std::string> files, folders;
    listBelow(programsFolder() + "\\" + demo::kStartMenuFolder, files, folders);
    listBelow(options.installDir, files, folders);
    const auto keys = productKeys(layout);

    double start = seconds();
    for (const std::string& file : files) DeleteFileA(file.c_str());
    round.plain = seconds() - start;

    start = seconds();
    for (const std::string& folder : folders) RemoveDirectoryA(folder.c_str());
    for (const auto& [root, subKey] : keys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
        RegDeleteKeyA(key, "");
        RegCloseKey(key);
    }
    round.plainRest = seconds() - start;
    round.plainFiles = files.size();
    round.plainFolders = folders.size();
    round.plainKeys = keys.size();
    removeLeftovers(layout);
    return true;
}

// The same files deleted by the safe sequence alone: CreateFileA for delete
// and attribute access without following a link (FILE_FLAG_OPEN_REPARSE_POINT,
// FILE_FLAG_BACKUP_SEMANTICS), GetFinalPathNameByHandleA, the disposition set
// through the handle, CloseHandle. No judging, no listing: the floor a
// removal that judges every file by where it lands can reach.
bool timeSafeLoop(const demo::Options& options, Round& round) {
    if (!lay(options)) return false;
    const demo::Layout layout = demo::makeLayout(options);
    std::vector<std::string> files, folders;
    listBelow(programsFolder() + "\\" + demo::kStartMenuFolder, files, folders);
    listBelow(options.installDir, files, folders);

    const double start = seconds();
    for (const std::string& file : files) {
        HANDLE handle = CreateFileA(
            file.c_str(), DELETE | FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) continue;
        char finalPath[MAX_PATH * 2];
        GetFinalPathNameByHandleA(handle, finalPath, sizeof finalPath,
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        FILE_DISPOSITION_INFO disposition;
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
        CloseHandle(handle);
    }
    round.safe = seconds() - start;
    removeLeftovers(layout);
    return true;
}

// Rounds turn which of the three goes first, so that a machine growing busier
// or quieter during a round favours none.
bool measure(const demo::Options& options, int number, Round& round) {
    switch (number % 3) {
        case 1:
            return timeEngine(options, round) && timePlainLoop(options, round) &&
                   timeSafeLoop(options, round);
        case 2:
            return timePlainLoop(options, round) && timeSafeLoop(options, round) &&
                   timeEngine(options, round);
        default:
            return timeSafeLoop(options, round) && timeEngine(options, round) &&
                   timePlainLoop(options, round);
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: removal_timing [--apps N] [--files-per-app N] [--types-per-app N] "
                 "[--rounds N] [--dir \"<install folder>\"]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    demo::Options options;
    options.apps = 50;
    options.filesPerApp = 200;
    options.typesPerApp = 4;
    int rounds = 4;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return usage();
        const char* value = argv[++i];
        if (arg == "--dir")
            options.installDir = value;
        else if (arg == "--apps")
            options.apps = std::atoi(value);
        else if (arg == "--files-per-app")
            options.filesPerApp = std::atoi(value);
        else if (arg == "--types-per-app")
            options.typesPerApp = std::atoi(value);
        else if (arg == "--rounds")
            rounds = std::max(1, std::atoi(value));
        else
            return usage();
    }
    if (const std::string problem = demo::checkOptions(options); !problem.empty()) {
        std::fprintf(stderr, "removal_timing: %s\n", problem.c_str());
        return 2;
    }

    const demo::Layout layout = demo::makeLayout(options);
    std::size_t files = 0, types = 0;
    for (const demo::Application& app : layout.apps) {
        files += app.files.size();
        types += app.fileTypes.size();
    }
    std::printf(
        "product: %d applications, %zu application files in nested folders, "
        "%zu file types\n",
        options.apps, files, types);

    std::vector<double> discovery, removal, plain, everything, ratio, delcheck, safe, safeRatio;
    for (int r = 1; r <= rounds; ++r) {
        Round round;
        if (!measure(options, r, round)) {
            std::fprintf(stderr, "removal_timing: round %d failed\n", r);
            return 1;
        }
        std::printf(
            "round %d: discovery %.3f s, removal %.3f s, plain DeleteFileA loop %.3f s "
            "(%zu files) + %.3f s for %zu folders and %zu keys, safe loop %.3f s, "
            "removal / plain files %.2f, removal / safe files %.2f, delcheck.exe %.3f s\n",
            r, round.discovery, round.removal, round.plain, round.plainFiles, round.plainRest,
            round.plainFolders, round.plainKeys, round.safe, round.removal / round.plain,
            round.removal / round.safe, round.delcheck);
        std::fflush(stdout);
        discovery.push_back(round.discovery);
        removal.push_back(round.removal);
        plain.push_back(round.plain);
        everything.push_back(round.plain + round.plainRest);
        ratio.push_back(round.removal / round.plain);
        delcheck.push_back(round.delcheck);
        safe.push_back(round.safe);
        safeRatio.push_back(round.removal / round.safe);
    }
    const double d = median(discovery), rm = median(removal), p = median(plain),
                 all = median(everything);
    std::printf("median of %d rounds:\n", rounds);
    std::printf("  discovery through the engine                 %8.3f s\n", d);
    std::printf("  removal of everything by the engine          %8.3f s\n", rm);
    std::printf("  plain DeleteFileA loop, same files           %8.3f s\n", p);
    std::printf("  plain loop of files, folders and keys        %8.3f s\n", all);
    std::printf("  removal / plain file loop                    %8.2f  (the engine adds %+.0f%%)\n",
                rm / p, (rm / p - 1) * 100);
    std::printf("  removal / plain file loop, median per round  %8.2f\n", median(ratio));
    const double sf = median(safe);
    std::printf("  safe loop (open, final path, delete, close)  %8.3f s\n", sf);
    std::printf("  removal / safe file loop                     %8.2f  (the engine adds %+.0f%%)\n",
                rm / sf, (rm / sf - 1) * 100);
    std::printf("  removal / safe file loop, median per round   %8.2f\n", median(safeRatio));
    std::printf("  (discovery + removal) / plain file loop      %8.2f  (the engine adds %+.0f%%)\n",
                (d + rm) / p, ((d + rm) / p - 1) * 100);
    std::printf("  removal / plain files, folders and keys      %8.2f  (the engine adds %+.0f%%)\n",
                rm / all, (rm / all - 1) * 100);
    const double dc = median(delcheck);
    std::printf("  delcheck.exe --json, a process of its own    %8.3f s\n", dc);
    std::printf("  delcheck / (discovery + removal)             %8.2f\n", dc / (d + rm));
    return 0;
}

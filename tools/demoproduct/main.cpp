// demoproduct: lays down the QUOB demo product that the uninstaller removes,
// and shows which of its traces exist.
//
//   demoproduct lay [--dir "<install folder>"] [--apps N] [--files-per-app N]
//                   [--types-per-app N] [--no-uninstall-entry] [--no-product-key]
//   demoproduct show [--dir "<install folder>"]
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tools/demoproduct/DemoLayout.h"
#include "tools/demoproduct/WinTree.h"

namespace {

using wintree::ownFolder;
using wintree::subKeys;

const char* const kUsage =
    "usage: demoproduct lay [--dir \"<install folder>\"] [--apps N] [--files-per-app N]\n"
    "                       [--types-per-app N] [--no-uninstall-entry] [--no-product-key]\n"
    "       demoproduct show [--dir \"<install folder>\"]\n"
    "\n"
    "lay   lays down the QUOB demo product and prints what it created\n"
    "show  prints the product's traces that exist now\n";

const char* const kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A step that could not be done; main reports it and fails.
struct Failure {
    std::string what;
};

std::string systemMessage(DWORD code) {
    char buffer[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

[[noreturn]] void fail(const std::string& what, DWORD code) {
    std::string text = what + ": " + systemMessage(code);
    if (code == ERROR_ACCESS_DENIED) text += " (run it as an administrator)";
    throw Failure{text};
}

void report(const char* kind, const std::string& text) {
    std::printf("%-8s %s\n", kind, text.c_str());
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                  int(a.size()), b.data(), int(b.size())) == 2;
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// ---- files and folders

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isEmptyFolder(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") empty = false;
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

// Creates `path` and any missing parents, reporting each folder it made.
void makeFolders(const std::string& path) {
    std::size_t start = 3;  // past "C:\"
    if (path.rfind("\\\\", 0) == 0) {
        std::size_t share = path.find('\\', 2);  // past "\\server\share\"
        start = share == std::string::npos ? path.size() : path.find('\\', share + 1);
        if (start == std::string::npos) return;
        ++start;
    }
    for (std::size_t end = path.find('\\', start);; end = path.find('\\', end + 1)) {
        std::string folder = path.substr(0, end);
        if (!isFolder(folder)) {
            if (!CreateDirectoryA(folder.c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                fail("can't create the folder " + folder, GetLastError());
            report("folder", folder);
        }
        if (end == std::string::npos) break;
    }
}

void writeFile(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail("can't create the file " + path, GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, contents.data(), DWORD(contents.size()), &written, nullptr);
    DWORD code = GetLastError();
    CloseHandle(file);
    if (!ok || written != contents.size()) fail("can't write the file " + path, code);
    report("file", path);
}

// The file's bytes, or "" when it can't be read.
std::string readFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string contents;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        contents.append(buffer, got);
    CloseHandle(file);
    return contents;
}

// Every folder and file below `folder`, parents before children, names in
// case-insensitive order so that listings compare line by line.
void listTree(const std::string& folder, std::vector<std::pair<std::string, std::string>>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::pair<std::string, bool>> entries;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        entries.emplace_back(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return lstrcmpiA(a.first.c_str(), b.first.c_str()) < 0;
    });
    for (const auto& [name, isDir] : entries) {
        out.emplace_back(isDir ? "folder" : "file", folder + "\\" + name);
        if (isDir) listTree(folder + "\\" + name, out);
    }
}

// ---- registry

const char* rootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKLM";
    if (root == HKEY_CURRENT_USER) return "HKCU";
    return "HKCR";
}

std::string keyText(HKEY root, const std::string& subKey) {
    return std::string(rootName(root)) + "\\" + subKey;
}

HKEY createKey(HKEY root, const std::string& subKey) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) fail("can't create the key " + keyText(root, subKey), DWORD(rc));
    return key;
}

void setString(HKEY root, const std::string& subKey, const std::string& name,
               const std::string& value) {
    HKEY key = createKey(root, subKey);
    LONG rc = RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) fail("can't set a value of " + keyText(root, subKey), DWORD(rc));
    report("value",
           keyText(root, subKey) + (name.empty() ? "" : " [" + name + "]") + " = " + value);
}

void setDword(HKEY root, const std::string& subKey, const std::string& name, DWORD value) {
    HKEY key = createKey(root, subKey);
    LONG rc = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) fail("can't set a value of " + keyText(root, subKey), DWORD(rc));
    report("value", keyText(root, subKey) + " [" + name + "] = " + std::to_string(value));
}

bool keyExists(HKEY root, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A string value of a key, or "" when there is none.
std::string readString(HKEY root, const std::string& subKey, const std::string& name) {
    char buffer[2048] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    LONG rc = RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
    return std::string(buffer);
}

// The values of a key, as "[name] = data" texts ("" names the default).
std::vector<std::string> valuesOf(HKEY root, const std::string& subKey) {
    std::vector<std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        char name[512];
        BYTE data[2048] = {};
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        LONG rc = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        std::string text;
        if (type == REG_DWORD && dataSize == 4)
            text = std::to_string(*reinterpret_cast<DWORD*>(data));
        else
            text = reinterpret_cast<char*>(data);
        values.push_back((nameSize ? " [" + std::string(name, nameSize) + "]" : std::string()) +
                         " = " + text);
    }
    RegCloseKey(key);
    std::sort(values.begin(), values.end());
    return values;
}

// The current user's Programs folder as the uninstaller reads it.
std::string programsFolder() {
    std::string folder = readString(HKEY_CURRENT_USER, kShellFolders, "Programs");
    if (!folder.empty()) return folder;
    // The shell fills the value in on request; ask it once and read again.
    char buffer[MAX_PATH] = {};
    if (SUCCEEDED(
            SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, buffer)))
        folder = readString(HKEY_CURRENT_USER, kShellFolders, "Programs");
    if (!folder.empty()) return folder;
    if (!buffer[0]) throw Failure{"the current user has no Programs folder"};
    std::fprintf(stderr,
                 "demoproduct: note: %s has no Programs value; the uninstaller won't "
                 "find the Start-menu folders\n",
                 kShellFolders);
    return buffer;
}

// ---- lay

void lay(const demo::Options& options) {
    const demo::Layout layout = demo::makeLayout(options);
    const std::string& dir = options.installDir;

    std::string previous = readString(HKEY_LOCAL_MACHINE, demo::kProductKey, "");
    if (!previous.empty() && !equalsNoCase(previous, dir))
        std::printf("note     the product key named %s before; it now names %s\n", previous.c_str(),
                    dir.c_str());

    // Removing the product empties its install folder: a folder that holds
    // anything but an earlier demo product would lose those files with it.
    if (isFolder(dir)) {
        const demo::DemoFile& readme = layout.productFiles.front();
        if (!isEmptyFolder(dir) && readFile(dir + "\\" + readme.path) != readme.contents)
            throw Failure{dir +
                          " already holds files that are not the demo product's, and "
                          "removing the product would delete them; choose a new or "
                          "empty folder"};
    }

    makeFolders(dir);
    for (const demo::DemoFile& file : layout.productFiles)
        writeFile(dir + "\\" + file.path, file.contents);
    const std::string uninstaller = ownFolder() + "\\" + demo::kUninstallerName;
    if (GetFileAttributesA(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const std::string target = dir + "\\" + demo::kUninstallerName;
        if (!CopyFileA(uninstaller.c_str(), target.c_str(), FALSE))
            fail("can't copy " + uninstaller + " to " + target, GetLastError());
        report("file", target);
    } else {
        report("skipped",
               std::string(demo::kUninstallerName) + ": not found beside demoproduct.exe");
    }

    for (const demo::Application& app : layout.apps) {
        for (const std::string& folder : app.folders) makeFolders(dir + "\\" + folder);
        for (const demo::DemoFile& file : app.files)
            writeFile(dir + "\\" + file.path, file.contents);
        writeFile(dir + "\\" + app.scriptName, app.script);
    }

    const std::string programs = programsFolder();
    const std::string startMenu = programs + "\\" + demo::kStartMenuFolder;
    makeFolders(startMenu);
    for (const demo::DemoFile& file : layout.startMenuFiles)
        writeFile(startMenu + "\\" + file.path, file.contents);
    for (const demo::Application& app : layout.apps) {
        const std::string folder = programs + "\\" + demo::kAppStartMenuParent + "\\" + app.folder;
        makeFolders(folder);
        for (const demo::DemoFile& file : app.startMenuFiles)
            writeFile(folder + "\\" + file.path, file.contents);
    }

    for (const demo::Application& app : layout.apps) {
        for (const demo::FileType& type : app.fileTypes) {
            setString(HKEY_CLASSES_ROOT, type.extension, "", type.name);
            setString(HKEY_CLASSES_ROOT, type.name, "", type.description);
            setString(HKEY_CLASSES_ROOT, type.name + "\\shell\\open\\command", "", type.command);
        }
    }

    if (options.uninstallEntry) {
        const char* key = demo::kUninstallKey;
        setString(HKEY_LOCAL_MACHINE, key, "DisplayName", "QUOB demo applications");
        setString(HKEY_LOCAL_MACHINE, key, "UninstallString",
                  "\"" + dir + "\\" + demo::kUninstallerName + "\"");
        setString(HKEY_LOCAL_MACHINE, key, "InstallLocation", dir);
        setString(HKEY_LOCAL_MACHINE, key, "Publisher", "Corvalune");
        setString(HKEY_LOCAL_MACHINE, key, "DisplayVersion", "1.0");
        setDword(HKEY_LOCAL_MACHINE, key, "NoModify", 1);
        setDword(HKEY_LOCAL_MACHINE, key, "NoRepair", 1);
    }
    // Registered last: the uninstaller finds the product only once all of it
    // is in place.
    if (options.productKey) setString(HKEY_LOCAL_MACHINE, demo::kProductKey, "", dir);
}

// ---- show

void showKeyTree(HKEY root, const std::string& subKey, int& traces) {
    report("key", keyText(root, subKey));
    ++traces;
    for (const std::string& value : valuesOf(root, subKey))
        report("value", keyText(root, subKey) + value);
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children = subKeys(key);
    RegCloseKey(key);
    std::sort(children.begin(), children.end());
    for (const std::string& child : children) showKeyTree(root, subKey + "\\" + child, traces);
}

void showFolderTree(const std::string& folder, int& traces) {
    if (!isFolder(folder)) return;
    report("folder", folder);
    ++traces;
    std::vector<std::pair<std::string, std::string>> entries;
    listTree(folder, entries);
    for (const auto& [kind, path] : entries) {
        report(kind.c_str(), path);
        ++traces;
    }
}

int show(std::string dir) {
    int traces = 0;
    for (const char* key : {demo::kProductKey, demo::kUninstallKey})
        if (keyExists(HKEY_LOCAL_MACHINE, key)) showKeyTree(HKEY_LOCAL_MACHINE, key, traces);
    if (dir.empty()) dir = readString(HKEY_LOCAL_MACHINE, demo::kProductKey, "");
    if (dir.empty()) dir = demo::kDefaultInstallDir;
    showFolderTree(dir, traces);
    showFolderTree(programsFolder() + "\\" + demo::kStartMenuFolder, traces);

    std::vector<std::string> classes = subKeys(HKEY_CLASSES_ROOT);
    std::sort(classes.begin(), classes.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    for (const std::string& name : classes) {
        if (startsWithNoCase(name, demo::kFileTypePrefix) ||
            (name.size() > 1 && name[0] == '.' &&
             startsWithNoCase(readString(HKEY_CLASSES_ROOT, name, ""), demo::kFileTypePrefix)))
            showKeyTree(HKEY_CLASSES_ROOT, name, traces);
    }
    if (traces == 0) std::printf("no traces of the product\n");
    return 0;
}

bool number(const char* text, int& value) {
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 10);
    if (!*text || *end || parsed < 0 || parsed > 1000000) return false;
    value = int(parsed);
    return true;
}

int usage(const std::string& problem) {
    std::fprintf(stderr, "demoproduct: %s\n\n%s", problem.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage("say what to do: lay or show");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "/?") {
        std::printf("%s", kUsage);
        return 0;
    }
    if (command != "lay" && command != "show") return usage("unknown command " + command);

    demo::Options options;
    bool dirGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--dir" || arg == "--apps" || arg == "--files-per-app" ||
                                arg == "--types-per-app";
        if (takesValue && i + 1 >= argc) return usage(arg + " needs a value");
        if (arg == "--dir") {
            options.installDir = argv[++i];
            while (options.installDir.size() > 3 && options.installDir.back() == '\\')
                options.installDir.pop_back();
            dirGiven = true;
        } else if (command == "show") {
            return usage("show takes only --dir");
        } else if (arg == "--apps") {
            if (!number(argv[++i], options.apps)) return usage("--apps needs a number");
        } else if (arg == "--files-per-app") {
            if (!number(argv[++i], options.filesPerApp))
                return usage("--files-per-app needs a number");
        } else if (arg == "--types-per-app") {
            if (!number(argv[++i], options.typesPerApp))
                return usage("--types-per-app needs a number");
        } else if (arg == "--no-uninstall-entry") {
            options.uninstallEntry = false;
        } else if (arg == "--no-product-key") {
            options.productKey = false;
        } else {
            return usage("unknown option " + arg);
        }
    }

    try {
        if (command == "show") return show(dirGiven ? options.installDir : std::string());
        if (std::string problem = demo::checkOptions(options); !problem.empty())
            return usage(problem);
        lay(options);
        return 0;
    } catch (const Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "demoproduct: %s\n", failure.what.c_str());
        return 1;
    }
}

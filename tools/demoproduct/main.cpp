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
#include "tools/demoproduct/Machine.h"
#include "tools/demoproduct/WinTree.h"

namespace {

using namespace demo;
using wintree::ownFolder;
using wintree::subKeys;

const char* const kUsage =
    "usage: demoproduct lay [--dir \"<install folder>\"] [--apps N] [--files-per-app N]\n"
    "                       [--types-per-app N] [--no-uninstall-entry] [--no-product-key]\n"
    "       demoproduct show [--dir \"<install folder>\"]\n"
    "\n"
    "lay   lays down the QUOB demo product and prints what it created\n"
    "show  prints the product's traces that exist now\n";

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
        const std::string folder = programs + "\\" + demo::kStartMenuFolder + "\\" + app.folder;
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
        if (wintree::isDemoClassKey(name)) showKeyTree(HKEY_CLASSES_ROOT, name, traces);
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

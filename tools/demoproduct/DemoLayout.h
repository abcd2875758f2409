// The demo product as data: every folder, file, removal script, file-type
// registration and Start-menu entry that the demo tool lays down. Kept free
// of Windows so that the tool, the Wine tests and the timing program share
// one description of what exists before a removal and what must vanish.
#pragma once

#include <string>
#include <vector>

#include "engine/Product.h"

namespace demo {

inline constexpr const char* kDefaultInstallDir = "C:\\Program Files\\CORVALUNE QUOB Demo";
inline constexpr const char* kProductKey = engine::kProductKey;
inline constexpr const char* kUninstallKey = engine::kUninstallKey;
// The product's Start-menu folder, which holds the applications' folders.
inline constexpr const char* kStartMenuFolder = engine::kStartMenuFolderName;
// Every file type the product registers is named with this prefix.
inline constexpr const char* kFileTypePrefix = "QUOBDemo.";
inline constexpr const char* kUninstallerName = "sprellow.exe";
// The uninstaller reads no more of a script than this.
inline constexpr std::size_t kScriptLimit = 9000;

struct Options {
    std::string installDir = kDefaultInstallDir;
    int apps = 3;
    int filesPerApp = 12;
    int typesPerApp = 4;
    bool uninstallEntry = true;
    bool productKey = true;
};

// A file to write; `path` is relative to the folder it belongs to (the
// install folder, or a Start-menu folder).
struct DemoFile {
    std::string path;
    std::string contents;
};

// One registered file type: HKCR\<extension> names <name>, whose
// shell\open\command starts a program in <folder> of the application.
struct FileType {
    std::string extension;    // ".q0102"
    std::string name;         // "QUOBDemo.Reader.2"
    std::string description;  // default value of the file type's key
    std::string folder;       // the program's folder, relative to the install folder
    std::string command;      // "<install folder>\<folder>\<program> %1", unquoted
};

struct Application {
    std::string title;       // "QUOB Reader"
    std::string folder;      // its folder below the install folder; also its Start-menu folder
    std::string stem;        // "reader": names its program and its script
    std::string scriptName;  // "reader.del"
    std::vector<std::string> folders;  // relative to the install folder, parents first
    std::vector<DemoFile> files;       // relative to the install folder
    std::vector<FileType> fileTypes;
    std::vector<DemoFile> startMenuFiles;  // relative to its Start-menu folder
    std::string script;                    // the removal script, CR LF line ends
};

struct Layout {
    Options options;
    std::vector<DemoFile> productFiles;    // directly in the install folder (not the scripts)
    std::vector<DemoFile> startMenuFiles;  // in the product's Start-menu folder
    std::vector<Application> apps;
};

// What is wrong with `options`, or "" when a product can be laid from them.
std::string checkOptions(const Options& options);

// The product for `options`; call checkOptions first. A script that would
// not fit in what the uninstaller reads is reported by checkOptions too.
Layout makeLayout(const Options& options);

// "file:///C:/Program%20Files/..." for a Windows path, as a shortcut holds it.
std::string fileUrl(const std::string& path);

}  // namespace demo

// How the demo product is made up. Each application lives in its own folder
// below the install folder, with nested subfolders; every one of those
// folders is the program folder of one of its file types. Its removal script
// deletes its files, then removes its file types deepest folder first, so
// that removekey empties and removes each folder after its subfolders are
// gone, and finally deletes the script itself. Removing every application
// and then the product leaves nothing behind.
#include "tools/demoproduct/DemoLayout.h"

#include <cstdio>
#include <iterator>

namespace demo {
namespace {

const char* const kAppNames[] = {"Reader", "Painter", "Tunes", "Atlas", "Ledger", "Notes"};
const char* const kFolderNames[] = {"",      "data",  "help",      "samples", "images",
                                    "fonts", "sound", "templates", "old",     "extras"};

constexpr int kMaxApps = 99;
constexpr int kMaxTypesPerApp = 99;
constexpr int kMaxFilesPerApp = 100000;
// Up to this many files in an application's folder are named one by one in
// its script; a fuller folder is named by a wildcard.
constexpr std::size_t kFilesNamedOneByOne = 6;

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string format(const char* pattern, int a, int b = 0) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, a, b);
    return buffer;
}

// Node 0 is the application's folder; node j's parent is node (j - 1) / 2,
// so every parent comes before its children.
std::string nodeName(int node) {
    if (node < static_cast<int>(std::size(kFolderNames))) return kFolderNames[node];
    return format("part%d", node);
}

std::string nodePath(int node) {
    if (node == 0) return "";
    std::string parent = nodePath((node - 1) / 2);
    return parent.empty() ? nodeName(node) : parent + "\\" + nodeName(node);
}

std::string joinPath(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + "\\" + b;
}

std::string readme(const std::string& title) {
    return title +
           "\r\n\r\nPart of the QUOB demo applications by Corvalune.\r\n"
           "Remove it with the uninstaller in the product's Start-menu folder.\r\n";
}

std::string shortcut(const std::string& target) {
    return "[InternetShortcut]\r\nURL=" + fileUrl(target) + "\r\n";
}

void line(std::string& script, const std::string& text) { script += text + "\r\n"; }

std::string makeScript(const Application& app, int filesInAppFolder) {
    std::string s;
    line(s, "[" + app.title + "]");
    line(s, "title=\"" + app.title + "\"");
    line(s, "app=" + app.folder);
    line(s, "note=Removed by \"$installtitle$\" from drive $windowDrive$ & nowhere else");
    line(s, "");
    line(s, "[files]");
    if (static_cast<std::size_t>(filesInAppFolder) <= kFilesNamedOneByOne) {
        for (const DemoFile& file : app.files) {
            std::string name = file.path.substr(app.folder.size() + 1);
            if (name.find('\\') != std::string::npos) continue;
            if (name == "README.TXT")
                name = "READ&ME.TXT";  // the ampersand is dropped when the line is read
            else if (name == app.stem + ".exe")
                name = app.stem + ".ex?";
            line(s, "removefile=$app$\\" + name);
        }
    } else {
        line(s, "removefile=$app$\\*.*");
    }
    for (std::size_t node = 1; node < app.folders.size(); ++node) {
        const std::string rel = app.folders[node].substr(app.folder.size() + 1);
        if (node % 2 == 1) {
            line(s, "sub=$APP$\\" + rel);
            line(s, "removefile=\"$sub$\\*.*\"");
        } else {
            line(s, "removefile=\\$app$\\" + rel + "\\*.*");
        }
    }
    // An older release kept its settings in the Windows folder; the
    // uninstaller only ever deletes below the install folder, so this line
    // names nothing and must leave that file alone.
    line(s, "removefile=$windowdirectory$" + app.stem + ".ini");
    line(s, "");
    line(s, "[file types]");
    for (auto type = app.fileTypes.rbegin(); type != app.fileTypes.rend(); ++type) {
        line(s, "removekey=" + type->extension);
        line(s, "removekey=" + type->name + "\\shell\\open");
        line(s, "removekey=" + type->name + "\\shell");
        line(s, "removekey=" + type->name);
    }
    line(s, "");
    line(s, "removefile=" + app.scriptName);
    return s;
}

Application makeApplication(const Options& options, int index) {
    Application app;
    const int number = index + 1;
    const std::string name = index < static_cast<int>(std::size(kAppNames))
                                 ? std::string(kAppNames[index])
                                 : format("App%02d", number);
    app.title = index < static_cast<int>(std::size(kAppNames)) ? "QUOB " + name
                                                               : format("QUOB App %02d", number);
    app.folder = app.title;
    app.stem = lower(name);
    app.scriptName = app.stem + ".del";

    const int types = options.typesPerApp;
    std::vector<std::string> programs;
    for (int node = 0; node < types; ++node) {
        app.folders.push_back(joinPath(app.folder, nodePath(node)));
        programs.push_back(node == 0 ? app.stem + ".exe"
                                     : app.stem + "-" + nodeName(node) + ".exe");

        FileType type;
        type.extension = format(".q%02d%02d", number, node + 1);
        type.name = std::string(kFileTypePrefix) + name + format(".%d", node + 1);
        type.description = app.title + format(" document, kind %d", node + 1);
        type.folder = app.folders.back();
        type.command = options.installDir + "\\" + type.folder + "\\" + programs.back() + " %1";
        app.fileTypes.push_back(type);
    }

    app.files.push_back({app.folder + "\\README.TXT", readme(app.title)});
    for (int node = 0; node < types; ++node)
        app.files.push_back(
            {app.folders[node] + "\\" + programs[node], app.title + " program stand-in\r\n"});
    int filesInAppFolder = 2;  // its read-me and its program
    const int documents = options.filesPerApp - types - 1;
    for (int k = 0; k < documents; ++k) {
        const int node = k % types;
        if (node == 0) ++filesInAppFolder;
        app.files.push_back(
            {app.folders[node] + "\\" + format("doc%04d", k + 1) + app.fileTypes[node].extension,
             app.title + format(" document %d\r\n", k + 1)});
    }

    const std::string appFolder = options.installDir + "\\" + app.folder;
    app.startMenuFiles.push_back(
        {app.title + " read me.url", shortcut(appFolder + "\\README.TXT")});
    app.startMenuFiles.push_back({app.title + " documents.url", shortcut(appFolder)});

    app.script = makeScript(app, filesInAppFolder);
    return app;
}

bool isDriveRoot(const std::string& path) {
    return path.size() <= 3 && path.size() >= 2 && path[1] == ':';
}

}  // namespace

std::string fileUrl(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file:///";
    for (unsigned char c : path) {
        if (c == '\\')
            url += '/';
        else if (c == ' ' || c == '%' || c == '#' || c >= 0x80) {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        } else
            url += static_cast<char>(c);
    }
    return url;
}

std::string checkOptions(const Options& options) {
    const std::string& dir = options.installDir;
    const bool drive = dir.size() >= 3 && dir[1] == ':' && dir[2] == '\\' &&
                       ((dir[0] >= 'A' && dir[0] <= 'Z') || (dir[0] >= 'a' && dir[0] <= 'z'));
    const bool unc = dir.size() > 2 && dir[0] == '\\' && dir[1] == '\\';
    if (!drive && !unc) return "the install folder must be a full path such as C:\\Demo";
    if (isDriveRoot(dir)) return "the install folder can't be the root of a drive";
    if (dir.back() == '\\') return "the install folder must not end in \\";
    if (dir.find_first_of("\"<>|*?") != std::string::npos ||
        dir.find(':', 2) != std::string::npos || dir.find("\\\\", 1) != std::string::npos)
        return "the install folder is not a valid folder path";
    if (dir.find("\\..") != std::string::npos || dir.find("\\.\\") != std::string::npos)
        return "the install folder must not hold . or .. components";
    if (options.apps < 1 || options.apps > kMaxApps)
        return format("--apps takes 1 to %d applications", kMaxApps);
    if (options.typesPerApp < 1 || options.typesPerApp > kMaxTypesPerApp)
        return format("--types-per-app takes 1 to %d file types", kMaxTypesPerApp);
    if (options.filesPerApp < options.typesPerApp + 1 || options.filesPerApp > kMaxFilesPerApp)
        return format("--files-per-app takes %d (one more than --types-per-app) to %d files",
                      options.typesPerApp + 1, kMaxFilesPerApp);
    for (const Application& app : makeLayout(options).apps)
        if (app.script.size() > kScriptLimit)
            return "the removal script of " + app.title +
                   format(" would be %d characters,", int(app.script.size())) +
                   " more than the uninstaller reads; use fewer file types per application";
    return "";
}

Layout makeLayout(const Options& options) {
    Layout layout;
    layout.options = options;
    const std::string& dir = options.installDir;
    layout.productFiles.push_back({"README.TXT", readme("QUOB demo applications")});
    layout.startMenuFiles.push_back({"QUOB demo read me.url", shortcut(dir + "\\README.TXT")});
    layout.startMenuFiles.push_back({"QUOB demo folder.url", shortcut(dir)});
    for (int index = 0; index < options.apps; ++index)
        layout.apps.push_back(makeApplication(options, index));
    return layout;
}

}  // namespace demo

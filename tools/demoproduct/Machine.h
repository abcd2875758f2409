// What the demo tool reads and changes on the machine: files, folders and
// registry values, each change reported on a line of its own, and the
// failures that stop it.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/demoproduct/WinTree.h"

namespace demo {

// Read as the removal tests and the timing program read them.
using wintree::keyExists;
using wintree::programsFolder;
inline std::string readFile(const std::string& path) {
    return wintree::readFile(path).value_or("");
}
inline std::string readString(HKEY root, const std::string& subKey, const std::string& name) {
    return wintree::stringValue(root, subKey, name);
}

// A step that could not be done; main reports it and fails.
struct Failure {
    std::string what;
};

// Throws a Failure naming `what` and the system's message for `code`.
[[noreturn]] void fail(const std::string& what, DWORD code);
// One line of what the tool did or found: "<kind> <text>".
void report(const char* kind, const std::string& text);
bool equalsNoCase(const std::string& a, const std::string& b);
bool startsWithNoCase(const std::string& text, const std::string& prefix);

// ---- files and folders
bool isFolder(const std::string& path);
bool isEmptyFolder(const std::string& path);
// Creates `path` and any missing parents, reporting each folder it made.
void makeFolders(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

// Every folder and file below `folder`, parents before children, names in
// case-insensitive order so that listings compare line by line.
void listTree(const std::string& folder, std::vector<std::pair<std::string, std::string>>& out);

// ---- registry
std::string keyText(HKEY root, const std::string& subKey);
HKEY createKey(HKEY root, const std::string& subKey);
void setString(HKEY root, const std::string& subKey, const std::string& name,
               const std::string& value);
void setDword(HKEY root, const std::string& subKey, const std::string& name, DWORD value);

// The values of a key, as "[name] = data" texts ("" names the default).
std::vector<std::string> valuesOf(HKEY root, const std::string& subKey);

}  // namespace demo

#include "tools/demoproduct/Machine.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "tools/demoproduct/WinTree.h"

namespace demo {

namespace {

const char* const kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

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

const char* rootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKLM";
    if (root == HKEY_CURRENT_USER) return "HKCU";
    return "HKCR";
}

}  // namespace

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

}  // namespace demo

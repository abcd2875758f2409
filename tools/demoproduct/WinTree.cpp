#include "tools/demoproduct/WinTree.h"

#include <shlobj.h>

#include "platform/win32/WideText.h"
#include "tools/demoproduct/DemoLayout.h"

namespace wintree {

using platform::win32::narrow;
using platform::win32::wide;

namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string modulePath() {
    wchar_t buffer[MAX_PATH] = {};
    return narrow(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(wide(text.substr(0, prefix.size())).c_str(), -1,
                                wide(prefix).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::string ownFolder() {
    const std::string path = modulePath();
    return path.substr(0, path.find_last_of('\\'));
}

std::string ownName() {
    const std::string path = modulePath();
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    return name.substr(0, name.find_last_of('.'));
}

std::string windowsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    std::string folder = narrow(buffer, GetWindowsDirectoryW(buffer, MAX_PATH));
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string programsFolder() {
    std::string folder = stringValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
    if (!folder.empty()) return folder;
    wchar_t buffer[MAX_PATH] = {};
    if (SUCCEEDED(
            SHGetFolderPathW(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, 0, buffer)))
        folder = stringValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
    return folder;
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> readFile(const std::string& path) {
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string contents;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        contents.append(buffer, got);
    CloseHandle(file);
    return contents;
}

void listBelow(const std::string& folder, std::vector<std::string>& files,
               std::vector<std::string>& folders) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = narrow(found.cFileName);
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listBelow(folder + "\\" + name, files, folders);
        else
            files.push_back(folder + "\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    folders.push_back(folder);
}

void removeTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = narrow(found.cFileName);
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesW(wide(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(wide(child).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(wide(path).c_str());
}

bool keyExists(HKEY root, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wide(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string stringValue(HKEY root, const std::string& subKey, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wide(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
    const std::wstring valueName = wide(name);
    const LONG rc = RegQueryValueExW(key, name.empty() ? nullptr : valueName.c_str(), nullptr,
                                     &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
    return narrow(buffer);
}

std::vector<std::string> subKeys(HKEY key) {
    std::vector<std::string> names;
    wchar_t name[512];
    for (DWORD index = 0;; ++index) {
        DWORD size = 512;
        const LONG rc = RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // no demo key has so long a name
        if (rc != ERROR_SUCCESS) break;
        names.push_back(narrow(name, size));
    }
    return names;
}

bool isDemoClassKey(const std::string& name) {
    return startsWithNoCase(name, demo::kFileTypePrefix) ||
           (name.size() > 1 && name[0] == '.' &&
            startsWithNoCase(stringValue(HKEY_CLASSES_ROOT, name), demo::kFileTypePrefix));
}

}  // namespace wintree

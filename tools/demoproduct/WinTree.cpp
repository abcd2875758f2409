#include "tools/demoproduct/WinTree.h"

#include "platform/win32/WideText.h"

namespace wintree {

using platform::win32::narrow;
using platform::win32::wide;

std::string ownFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const std::string path = narrow(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
    return path.substr(0, path.find_last_of('\\'));
}

std::vector<std::string> subKeys(HKEY key) {
    std::vector<std::string> names;
    wchar_t name[512];
    for (DWORD index = 0;; ++index) {
        DWORD size = 512;
        LONG rc = RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // no demo key has so long a name
        if (rc != ERROR_SUCCESS) break;
        names.push_back(narrow(name, size));
    }
    return names;
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

}  // namespace wintree

#include "tools/demoproduct/WinTree.h"

namespace wintree {

std::string ownFolder() {
    char buffer[MAX_PATH] = {};
    std::string path(buffer, GetModuleFileNameA(nullptr, buffer, sizeof buffer));
    return path.substr(0, path.find_last_of('\\'));
}

std::vector<std::string> subKeys(HKEY key) {
    std::vector<std::string> names;
    char name[512];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        LONG rc = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // no demo key has so long a name
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

void removeTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace wintree

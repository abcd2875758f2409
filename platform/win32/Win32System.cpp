#include "platform/win32/Win32System.h"

#include <shlobj.h>
#include <windows.h>

namespace platform::win32 {

std::uint32_t Win32System::getWindowsDirectory(char* buffer, std::uint32_t size) {
    return GetWindowsDirectoryA(buffer, size);
}

std::uint32_t Win32System::getSystemDirectory(char* buffer, std::uint32_t size) {
    return GetSystemDirectoryA(buffer, size);
}

std::uint32_t Win32System::getDriveType(const std::string& rootPath) {
    return GetDriveTypeA(rootPath.c_str());
}

std::string Win32System::programFolder() { return folderOfProgram(programPath()); }

std::string Win32System::programName() { return nameOfProgram(programPath()); }

std::string Win32System::programFile() { return programPath(); }

void Win32Shell::notifyAssociationsChanged() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

std::string programPath() {
    // GetModuleFileNameA fills the whole buffer (and returns its size) when
    // the path is cut, so the buffer grows until the path fits with room over.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD written =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (written == 0) return std::string();
        if (written < path.size()) {
            path.resize(written);
            return path;
        }
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
}

std::string folderOfProgram(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        // "C:prog.exe" names the drive's current folder; a bare name, none.
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
    }
    std::string folder = path.substr(0, cut);
    // A drive root keeps its separator: "C:\" rather than "C:".
    if (folder.size() == 2 && folder[1] == ':') folder += path[cut];
    return folder;
}

std::string nameOfProgram(const std::string& path) {
    const auto cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

}  // namespace platform::win32

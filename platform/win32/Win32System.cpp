#include "platform/win32/Win32System.h"

// windows.h before the shell's headers, which need its macros.
#include <windows.h>

#include <shlobj.h>

#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}  // namespace

std::uint32_t Win32System::getWindowsDirectory(char16_t* buffer, std::uint32_t size) {
    return GetWindowsDirectoryW(reinterpret_cast<wchar_t*>(buffer), size);
}

std::uint32_t Win32System::getSystemDirectory(char16_t* buffer, std::uint32_t size) {
    return GetSystemDirectoryW(reinterpret_cast<wchar_t*>(buffer), size);
}

std::vector<std::string> Win32System::keptFolders() {
    std::vector<std::string> folders;
    const auto keep = [&folders](const wchar_t* path) {
        std::string folder = narrow(path);
        while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
        if (!folder.empty()) folders.push_back(std::move(folder));
    };
    for (const int csidl :
         {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
          CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_PROFILE,
          CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL,
          CSIDL_COMMON_DOCUMENTS, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_STARTMENU,
          CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
            keep(path);
    }
    // The Users folder and the public profile have no CSIDL. The names come
    // in COM memory, freed through ole32 looked up in the System folder, not
    // imported: an imported ole32 is no KnownDLL, and one planted beside the
    // program would load before WinMain restricts the search.
    using CoTaskMemFreeFn = void(WINAPI*)(void*);
    const HMODULE ole32 = LoadLibraryExW(L"ole32.dll", nullptr, kSearchSystem32);
    const auto coTaskMemFree = ole32 ? reinterpret_cast<CoTaskMemFreeFn>(reinterpret_cast<void*>(
                                           GetProcAddress(ole32, "CoTaskMemFree")))
                                     : nullptr;
    for (const KNOWNFOLDERID* id : {&FOLDERID_UserProfiles, &FOLDERID_Public}) {
        PWSTR path = nullptr;
        if (coTaskMemFree != nullptr && SUCCEEDED(SHGetKnownFolderPath(*id, 0, nullptr, &path)))
            keep(path);
        if (coTaskMemFree != nullptr && path != nullptr) coTaskMemFree(path);
    }
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp) != 0) keep(temp);
    return folders;
}

std::uint32_t Win32System::getDriveType(const std::string& rootPath) {
    return GetDriveTypeW(wide(rootPath).c_str());
}

std::string Win32System::fromAnsi(std::string_view bytes) const {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0) return {};
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), units);
    return narrow(text.data(), text.size());
}

// Without linguistic casing: the letters of basic Latin map as they do
// everywhere (a Turkish "I" is still "i"), so the script keys "TITLE" and
// "REMOVEFILE" name the variables the program reads on every machine.
void Win32System::lowerCase(std::string_view text, std::string& lower) const {
    lower = mapCase(text, LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE);
}

std::string Win32System::upperCaseOrdinal(std::string_view text) const {
    return win32::upperCaseOrdinal(text);
}

std::string Win32System::programFolder() { return folderOfProgram(programPath()); }

std::string Win32System::programName() { return nameOfProgram(programPath()); }

std::string Win32System::programFile() { return programPath(); }

void Win32Shell::notifyAssociationsChanged() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

std::string programPath() {
    // GetModuleFileNameW fills the whole buffer (and returns its size) when
    // the path is cut, so the buffer grows until the path fits with room over.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD written =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (written == 0) return std::string();
        if (written < path.size()) return narrow(path.data(), written);
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

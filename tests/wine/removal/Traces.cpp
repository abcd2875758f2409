#include "Traces.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "platform/win32/WideText.h"
#include "tests/wine/WineText.h"
#include "tools/demoproduct/DemoLayout.h"
#include "tools/demoproduct/WinTree.h"

namespace removaltest {
namespace {

using platform::win32::wide;
using winetest::lower;

}  // namespace

void writeFile(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
}

std::string readFile(const std::string& path) {
    return wintree::readFile(path).value_or("<missing>");
}

void makeFolder(const std::string& path) { CreateDirectoryW(wide(path).c_str(), nullptr); }

std::set<std::string> tree(const std::string& root) {
    std::vector<std::string> files, folders;
    wintree::listBelow(root, files, folders);
    // Each entry by its path below `root`, the root itself left out.
    const std::size_t below = root.size() + 1;
    std::set<std::string> entries;
    for (const std::string& file : files) entries.insert("file " + lower(file.substr(below)));
    for (const std::string& folder : folders)
        if (folder.size() > root.size()) entries.insert("folder " + lower(folder.substr(below)));
    return entries;
}

void setStringValue(HKEY root, const std::string& subKey, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, wide(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring data = wide(value);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void deleteKeyTree(HKEY root, const std::string& subKey) {
    SHDeleteKeyW(root, wide(subKey).c_str());
}

int runProgram(const std::string& commandLine, const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(output);
    if (!started) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

void wipeProduct() {
    const std::string installDir = stringValue(HKEY_LOCAL_MACHINE, demo::kProductKey);
    // Only a folder that is plainly the product's own goes with it.
    const std::string ownName = "\\CORVALUNE QUOB Demo";
    if (installDir.size() > ownName.size() + 3 &&
        lower(installDir.substr(installDir.size() - ownName.size())) == lower(ownName))
        removeTree(installDir);
    deleteKeyTree(HKEY_LOCAL_MACHINE, demo::kProductKey);
    deleteKeyTree(HKEY_LOCAL_MACHINE, demo::kUninstallKey);
    for (const std::string& name : wintree::subKeys(HKEY_CLASSES_ROOT))
        if (wintree::isDemoClassKey(name)) deleteKeyTree(HKEY_CLASSES_ROOT, name);
    const std::string programs = programsFolder();
    if (!programs.empty()) removeTree(programs + "\\" + demo::kStartMenuFolder);
}

}  // namespace removaltest

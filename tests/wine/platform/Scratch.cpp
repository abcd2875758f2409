#include "Scratch.h"

#include <stdexcept>
#include <utility>

#include "platform/win32/WideText.h"
#include "tools/demoproduct/WinTree.h"

namespace winetest {

using platform::win32::narrow;
using platform::win32::wide;

std::string uniqueName(const char* stem) {
    // Wine hands out the same process ids in every session, so the start time
    // tells runs apart too.
    static const std::string run =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount() % 100000);
    static unsigned counter = 0;
    return std::string(stem) + "-" + run + "-" + std::to_string(++counter);
}

ScratchFolder::ScratchFolder() : path_("C:\\" + uniqueName("sprellow-test")) {
    removeTree(path_);  // left over from a run that didn't finish
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("can't create " + path_);
}

ScratchFolder::~ScratchFolder() { removeTree(path_); }

ScratchKey::ScratchKey(HKEY root, const char* rootName)
    : root_(root), rootName_(rootName), subKey_("Software\\" + uniqueName("SprellowTest")) {
    RegDeleteTreeA(root_, subKey_.c_str());
    HKEY created = nullptr;
    if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("can't create key " + regPath());
    RegCloseKey(created);
}

ScratchKey::~ScratchKey() {
    RegDeleteTreeA(root_, subKey_.c_str());
    RegDeleteKeyA(root_, subKey_.c_str());
}

int runProgram(const std::string& commandLine, std::string* output) {
    // The output goes through a pipe, not a file: the console host that Wine
    // starts beside a console program holds its standard handles for a moment
    // after the program ends, and a file would stay undeletable meanwhile.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;  // CreateProcessA may write into it
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }

    // What the tests run prints far less than the pipe holds, so the pipe is
    // emptied once the program has ended, without waiting for its far end to
    // close.
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::string chunk(available, '\0');
        DWORD got = 0;
        if (!ReadFile(readEnd, chunk.data(), available, &got, nullptr) || got == 0) break;
        if (output) output->append(chunk, 0, got);
    }
    CloseHandle(readEnd);

    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

int reg(const std::string& arguments) { return runProgram("reg.exe " + arguments); }

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("can't write " + path);
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw std::runtime_error("can't write " + path);
}

std::string readFile(const std::string& path) {
    auto bytes = wintree::readFile(path);
    if (!bytes) throw std::runtime_error("can't read " + path);
    return std::move(*bytes);
}

bool exists(const std::string& path) {
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void setAttributes(const std::string& path, DWORD attributes) {
    if (!SetFileAttributesW(wide(path).c_str(), attributes))
        throw std::runtime_error("can't set the attributes of " + path);
}

void removeTree(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = narrow(found.cFileName);
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesW(wide(child).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(wide(child).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(wide(path).c_str());
}

}  // namespace winetest

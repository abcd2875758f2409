// Process and machine facts: the Windows folders, drive types, where the
// running program lives, and how the machine reads and compares text.
// Paths are text (UTF-8, see platform/Utf8.h); the adapter hands them to the
// system's W functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/TextRules.h"
#include "platform/Win32Codes.h"

namespace platform {

class System : public TextRules {
public:
    // GetWindowsDirectoryW / GetSystemDirectoryW: fill `buffer` (`size`
    // UTF-16 units) with the path and its NUL, return the units written, 0 on
    // failure, or the size needed when `size` is too small.
    virtual std::uint32_t getWindowsDirectory(char16_t* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t getSystemDirectory(char16_t* buffer, std::uint32_t size) = 0;

    // The folders Windows itself keeps, beside its own and the System folder:
    // Program Files (and its x86 twin), Common Files, ProgramData, the Users
    // folder, the current user's and the public profile, Desktop, Documents,
    // AppData (roaming and local), Start Menu and Programs (the user's and
    // the common ones) and Temp, as SHGetFolderPathW, SHGetKnownFolderPath
    // and GetTempPathW name them; those the system can't name are left out.
    virtual std::vector<std::string> keptFolders() = 0;

    // GetDriveTypeW of a root path such as "C:\".
    virtual std::uint32_t getDriveType(const std::string& rootPath) = 0;

    // The folder that holds the running program file, without a trailing
    // separator unless it is a drive root ("C:\").
    virtual std::string programFolder() = 0;

    // The running program's file name without folder and without extension.
    virtual std::string programName() = 0;

    // The running program's file as the system loaded it: its full path.
    virtual std::string programFile() = 0;
};

// What the shell is told after a run.
class Shell {
public:
    virtual ~Shell() = default;

    // SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL).
    virtual void notifyAssociationsChanged() = 0;
};

}  // namespace platform

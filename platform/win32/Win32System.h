// Process and machine facts from kernel32, and the shell notification.
#pragma once

#include "platform/System.h"

namespace platform::win32 {

class Win32System final : public System {
public:
    std::uint32_t getWindowsDirectory(char16_t* buffer, std::uint32_t size) override;
    std::uint32_t getSystemDirectory(char16_t* buffer, std::uint32_t size) override;
    std::vector<std::string> keptFolders() override;
    std::uint32_t getDriveType(const std::string& rootPath) override;
    std::string programFolder() override;
    std::string programName() override;
    std::string programFile() override;

    std::string fromAnsi(std::string_view bytes) const override;
    using TextRules::lowerCase;
    void lowerCase(std::string_view text, std::string& lower) const override;
    std::string upperCaseOrdinal(std::string_view text) const override;
};

class Win32Shell final : public Shell {
public:
    void notifyAssociationsChanged() override;
};

// The full path of the running program file ("" if the system can't say).
std::string programPath();

// The folder of a program path, without a trailing separator unless it is a
// drive root, and the file name without folder and extension.
std::string folderOfProgram(const std::string& path);
std::string nameOfProgram(const std::string& path);

}  // namespace platform::win32

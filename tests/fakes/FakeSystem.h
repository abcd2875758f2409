// Fakes of the machine facts and the shell: the Windows and System folders,
// drive types, the running program's folder and name, and text as a machine
// in one ANSI code page reads and compares it: 1252 (Western, the default),
// 1250 (Central European), 1251 (Cyrillic), 932 (Japanese), 936 and 950
// (Chinese) or 949 (Korean), decoded by glibc's iconv as Windows'
// MultiByteToWideChar decodes them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/System.h"
#include "tests/fakes/OperationLog.h"

namespace fakes {

class FakeSystem : public platform::System {
public:
    FakeSystem();
    explicit FakeSystem(OperationLog& log);

    // GetWindowsDirectoryW / GetSystemDirectoryW: a folder that fits writes
    // the path and its NUL and returns the path's length in UTF-16 units; one
    // that doesn't fit leaves the buffer alone and returns the size needed
    // (NUL included); a failing query returns 0 and leaves the buffer alone.
    std::uint32_t getWindowsDirectory(char16_t* buffer, std::uint32_t size) override;
    std::uint32_t getSystemDirectory(char16_t* buffer, std::uint32_t size) override;
    // The folders set with setKeptFolders; at first those of a machine whose
    // user is ann, in C:\Users\ann, with Program Files on C:.
    std::vector<std::string> keptFolders() override { return keptFolders_; }
    void setKeptFolders(std::vector<std::string> folders) { keptFolders_ = std::move(folders); }
    // The type set for the root, compared with case ignored; 1 (no root
    // folder) for any other text. "C:\" is a fixed drive from the start.
    std::uint32_t getDriveType(const std::string& rootPath) override;
    std::string programFolder() override;
    std::string programName() override;
    // The program folder, then the name and ".exe".
    std::string programFile() override;

    // Bytes of the code page as text; a byte or pair the code page doesn't
    // define becomes U+FFFD, but on the single-byte pages, where every byte
    // is a character (U+0080-U+009F for the few that 1252 leaves undefined).
    std::string fromAnsi(std::string_view bytes) const override;
    // Unicode's own mappings, character by character.
    using TextRules::lowerCase;
    void lowerCase(std::string_view text, std::string& lower) const override;
    std::string upperCaseOrdinal(std::string_view text) const override;

    // The machine's ANSI code page, 1252 at first. Another than those above
    // throws std::invalid_argument.
    void setCodePage(unsigned codePage);
    unsigned codePage() const { return codePage_; }
    // Text in the code page's bytes, as a script written on such a machine
    // holds it; a character the code page lacks throws std::invalid_argument.
    std::string toAnsi(std::string_view text) const;
    // Defaults: C:\WINDOWS, C:\WINDOWS\SYSTEM, program C:\prod\sprellow.
    void setWindowsFolder(const std::string& path) { windowsFolder_ = path; }
    void setSystemFolder(const std::string& path) { systemFolder_ = path; }
    void failWindowsFolder(bool fail = true) { failWindows_ = fail; }
    void failSystemFolder(bool fail = true) { failSystem_ = fail; }
    void setDriveType(const std::string& rootPath, std::uint32_t type);
    void setProgramFolder(const std::string& folder) { programFolder_ = folder; }
    void setProgramName(const std::string& name) { programName_ = name; }

    OperationLog& log() { return *log_; }

private:
    std::uint32_t folderQuery(const char* what, const std::string& folder, bool fail,
                              char16_t* buffer, std::uint32_t size);
    const std::u16string& utf16Of(const std::string& folder) const;

    OperationLog ownLog_;
    OperationLog* log_;
    std::string windowsFolder_ = "C:\\WINDOWS";
    std::string systemFolder_ = "C:\\WINDOWS\\SYSTEM";
    bool failWindows_ = false;
    bool failSystem_ = false;
    std::map<std::string, std::uint32_t> driveTypes_{
        {"C:\\", platform::kDriveFixed}};  // by upper-cased root
    std::string programFolder_ = "C:\\prod";
    std::string programName_ = "sprellow";
    unsigned codePage_ = 1252;
    std::vector<std::string> keptFolders_{
        "C:\\Program Files",
        "C:\\Program Files (x86)",
        "C:\\Program Files\\Common Files",
        "C:\\ProgramData",
        "C:\\Users",
        "C:\\Users\\ann",
        "C:\\Users\\Public",
        "C:\\Users\\ann\\Desktop",
        "C:\\Users\\ann\\Documents",
        "C:\\Users\\ann\\AppData\\Roaming",
        "C:\\Users\\ann\\AppData\\Local",
        "C:\\Users\\ann\\Start Menu",
        "C:\\Users\\ann\\Start Menu\\Programs",
        "C:\\ProgramData\\Start Menu\\Programs",
        "C:\\Users\\ann\\AppData\\Local\\Temp",
    };
    mutable std::pair<std::string, std::u16string> windowsUnits_, systemUnits_;
};

class FakeShell : public platform::Shell {
public:
    FakeShell();
    explicit FakeShell(OperationLog& log);

    void notifyAssociationsChanged() override;

    int associationsChangedCount() const { return associationsChanged_; }
    OperationLog& log() { return *log_; }

private:
    OperationLog ownLog_;
    OperationLog* log_;
    int associationsChanged_ = 0;
};

}  // namespace fakes

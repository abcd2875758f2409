// The file operations the uninstaller needs, each a thin mirror of the
// kernel32 calls behind it. Paths are 8-bit ANSI text; results are Win32
// error codes (0 for success).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens `path` for reading and sets `length` to its size in bytes. When the
    // size is above `limit` nothing is read and `contents` is left empty;
    // otherwise `contents` receives every byte of the file.
    virtual Status readWholeFile(const std::string& path, std::uint64_t limit,
                                 std::string& contents, std::uint64_t& length) = 0;

    // Size of an existing file; fails when there is no such file.
    virtual Status fileLength(const std::string& path, std::uint64_t& length) = 0;

    // Names (without folder) of the ordinary files that match `pattern`, whose
    // last component may hold `*` and `?`, in the order the system lists them.
    // Folders, hidden and system files are left out. No match is success with
    // an empty list; a folder that can't be listed is an error.
    virtual Status listFiles(const std::string& pattern, std::vector<std::string>& names) = 0;

    // Deletes every file (not folder) that matches `pathPattern`, whose last
    // component may hold `*` and `?`; goes on past files it can't delete.
    // Returns 0 when every match was deleted, kErrorFileNotFound when nothing
    // matched, otherwise the first failure met.
    virtual Status deleteFiles(const std::string& pathPattern) = 0;

    // DeleteFileA on one file, no wildcards.
    virtual Status deleteFile(const std::string& path) = 0;

    // RemoveDirectoryA: succeeds only for an empty folder.
    virtual Status removeDirectory(const std::string& path) = 0;

    // Creates `path` for output (emptying an existing file) and closes it again.
    virtual Status createFileForOutput(const std::string& path) = 0;

    // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT).
    virtual Status scheduleDeleteAtRestart(const std::string& path) = 0;

    // What stands at a name, read from a handle on the name itself: a link
    // there is not followed (FILE_FLAG_OPEN_REPARSE_POINT).
    struct NameFacts {
        std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
        std::uint32_t links = 0;       // names the file has (hard links); 0: nothing read
    };
    static constexpr std::uint32_t kAttributeReadOnly = 0x1, kAttributeHidden = 0x2,
                                   kAttributeSystem = 0x4, kAttributeDirectory = 0x10,
                                   kAttributeDevice = 0x40, kAttributeReparsePoint = 0x400;
    using MayEmpty = bool (*)(const NameFacts& existing);

    // Creates `path` as a new, empty file (CREATE_NEW) and closes it again.
    // When the name is taken, `existing` receives what is there, and that is
    // emptied only when `mayEmpty` approves of those facts, through the same
    // handle they were read from, so that nothing can be put in its place in
    // between: success. Otherwise it stays untouched: ERROR_FILE_EXISTS (80),
    // or the refusal to open it for writing.
    virtual Status createNewFile(const std::string& path, MayEmpty mayEmpty,
                                 NameFacts& existing) = 0;
};

}  // namespace platform

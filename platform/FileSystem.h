// The file operations the uninstaller needs, each a thin mirror of the
// kernel32 calls behind it. Paths and names are text (UTF-8, see
// platform/Utf8.h), which the adapter hands to the W functions, so that a
// name no code page holds is found and deleted like any other; file
// contents are bytes. Results are Win32 error codes (0 for success).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform {

// FILE_ATTRIBUTE_* bits that the deletion rules and the write-access probe
// look at.
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDevice = 0x40;

// An open file or folder; kNoFile is none.
using FileHandle = std::uintptr_t;
inline constexpr FileHandle kNoFile = 0;

// One entry of a folder listing: its name (without folder) and attributes.
struct FoundEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

// Why a file or folder is opened.
enum class OpenFor {
    // To ask where it really is and then delete it through the same handle:
    // DELETE access, every kind of sharing.
    Deletion,
    // To keep it in place for as long as the handle is open: read access and
    // no delete sharing, so nobody can delete, rename or replace it meanwhile.
    Holding,
    // Only to ask where it is: attribute access, every kind of sharing.
    Inspection,
};

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
    // an empty list; a folder that can't be listed is an error, and the names
    // found before a listing fails part-way are kept.
    virtual Status listFiles(const std::string& pattern, std::vector<std::string>& names) = 0;

    // DeleteFileW on one file, no wildcards.
    virtual Status deleteFile(const std::string& path) = 0;

    // MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT).
    virtual Status scheduleDeleteAtRestart(const std::string& path) = 0;

    // ---- deleting what a path really names

    // GetFileAttributesW: the attributes of what `path` names itself; a link
    // shows FILE_ATTRIBUTE_REPARSE_POINT.
    virtual Status getAttributes(const std::string& path, std::uint32_t& attributes) = 0;

    // Every entry that matches `pattern` (files and folders, hidden and
    // system ones too, never "." or ".."), in the order the system lists
    // them. Names found before a listing fails part-way are kept, and the
    // failure is returned. No match is success with an empty list.
    virtual Status findEntries(const std::string& pattern, std::vector<FoundEntry>& found) = 0;

    // CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT and
    // FILE_FLAG_BACKUP_SEMANTICS: a file or a folder, and a link itself
    // rather than what it leads to where the system can open links.
    virtual Status openEntry(const std::string& path, OpenFor purpose, FileHandle& handle) = 0;

    // Where the opened object really is, as GetFinalPathNameByHandleW gives
    // it ("\\?\C:\...", every link and short name resolved), and its
    // attributes as the handle reports them.
    virtual Status describeEntry(FileHandle handle, std::string& finalPath,
                                 std::uint32_t& attributes) = 0;

    // Only where the opened object really is (GetFinalPathNameByHandleW):
    // for a deletion that needs no attributes.
    virtual Status finalPathOf(FileHandle handle, std::string& finalPath) = 0;

    // Deletes the opened file or empty folder through its handle
    // (SetFileInformationByHandle with FileDispositionInfo); it goes when the
    // handle is closed.
    virtual Status deleteEntry(FileHandle handle) = 0;

    virtual void closeEntry(FileHandle handle) = 0;

    // ---- the write-access probe

    // What stands at a name, read from a handle on the name itself: a link
    // there is not followed (FILE_FLAG_OPEN_REPARSE_POINT).
    struct NameFacts {
        std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
        std::uint32_t links = 0;       // names the file has (hard links); 0: nothing read
    };
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

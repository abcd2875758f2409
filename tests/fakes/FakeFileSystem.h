// An in-memory file system that answers as the kernel32 file calls do; the
// table in tests/contract/ holds it to the real system under Wine.
//
// Paths
//   - Drives hold folders and files; "C:" exists from the start, other drives
//     appear when something is added on them.
//   - Names compare case-insensitively (ASCII letters; other bytes exactly),
//     and keep the spelling they were created with.
//   - Paths are folded as Win32 folds them before the call reaches the file
//     system: "/" counts as "\", doubled separators inside a path count as
//     one, "." and ".." components are resolved, a name ending in one dot
//     loses it ("prod." is "prod"), the last name loses all its trailing dots
//     and blanks unless a "\" follows it (other names keep their blanks),
//     "\x" is rooted at the current drive, "C:x" and "x" are relative to the
//     current folder (C:\ by default). A trailing "\" is accepted after a
//     folder and refused after a file (123).
//   - A path beginning "\\" (a network path) names nothing here: 53. A
//     component holding one of <>:"| or a control character is invalid: 123,
//     as is a wildcard outside the last component of a pattern or in a path
//     that takes no pattern.
//
// Wildcards (last component of listFiles and findEntries patterns) match the
// long names only, with the DOS rules of platform::wildcardMatch, as the file
// adapter matches them; short names never take part.
//
// Listing order is the names' order with case ignored, as NTFS lists a folder.
//
// Links and short names, as Windows has them: a folder link leads to another
// folder, and a call on the link itself (GetFileAttributes,
// an open with FILE_FLAG_OPEN_REPARSE_POINT) acts on the link; a short alias
// names its entry anywhere in a path; describeEntry gives "\\?\C:\..." in the
// stored long spelling, every link resolved. A handle open for holding keeps
// its entry (32 for deleting, removing or opening it for deletion); a deletion
// through a handle happens at its close.
//
// Attributes are the FILE_ATTRIBUTE_* bits below. A folder's read-only bit
// does not stop files being created in it (as on Windows); `setWritable`
// models a folder the program may not write to (a read-only share, a CD-ROM),
// and that holds for its subfolders too.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/fakes/FakeText.h"
#include "tests/fakes/OperationLog.h"

namespace fakes {

inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;

inline constexpr platform::Status kErrorBadNetPath = 53;
inline constexpr platform::Status kErrorUnexpectedNetwork = 59;

class FakeFileSystem : public platform::FileSystem {
public:
    FakeFileSystem();
    explicit FakeFileSystem(OperationLog& log);

    // ---- platform::FileSystem (each call adds one line to the log)
    platform::Status readWholeFile(const std::string& path, std::uint64_t limit,
                                   std::string& contents, std::uint64_t& length) override;
    platform::Status fileLength(const std::string& path, std::uint64_t& length) override;
    platform::Status listFiles(const std::string& pattern,
                               std::vector<std::string>& names) override;
    platform::Status deleteFile(const std::string& path) override;
    platform::Status scheduleDeleteAtRestart(const std::string& path) override;
    platform::Status getAttributes(const std::string& path, std::uint32_t& attributes) override;
    platform::Status findEntries(const std::string& pattern,
                                 std::vector<platform::FoundEntry>& found) override;
    platform::Status openEntry(const std::string& path, platform::OpenFor purpose,
                               platform::FileHandle& handle) override;
    platform::Status describeEntry(platform::FileHandle handle, std::string& finalPath,
                                   std::uint32_t& attributes) override;
    platform::Status finalPathOf(platform::FileHandle handle, std::string& finalPath) override;
    platform::Status deleteEntry(platform::FileHandle handle) override;
    void closeEntry(platform::FileHandle handle) override;

    // ---- set-up and inspection; paths are folded as above, and a path that
    // can't be folded throws std::invalid_argument.

    // Adds (or replaces) a file, creating its folders as needed.
    void addFile(const std::string& path, const std::string& contents = "",
                 std::uint32_t attributes = 0);
    // Adds a folder and its parents; a drive root adds the drive.
    void addFolder(const std::string& path, std::uint32_t attributes = 0);

    // Takes a file, or a folder with everything in it, away without a trace
    // in the log or in deletedPaths (something else removed it); a drive root
    // is emptied but stays. Nothing there is no error.
    void erase(const std::string& path);

    bool exists(const std::string& path) const;
    bool isFolder(const std::string& path) const;
    // Contents of a file; throws std::invalid_argument when there is none.
    std::string contents(const std::string& path) const;
    std::uint32_t attributes(const std::string& path) const;
    void setAttributes(const std::string& path, std::uint32_t attributes);

    // A file opened by another program without sharing: opening, replacing
    // and deleting it give ERROR_SHARING_VIOLATION (32); a folder in use can't
    // be removed (32).
    void markInUse(const std::string& path, bool inUse = true);
    // The running program's file: it reads, but deleting it gives
    // ERROR_ACCESS_DENIED (5) and replacing it 32, as Windows does for a
    // running .exe.
    void markRunningProgram(const std::string& path);
    // A file the user may not read: opening it for reading gives 5 (its
    // length can still be asked for).
    void lockForReading(const std::string& path, bool locked = true);
    // Whether files may be created in a folder and the folders below it.
    void setWritable(const std::string& folder, bool writable);
    // A drive without its medium: every call on it gives ERROR_NOT_READY (21).
    void setDriveNotReady(char driveLetter, bool notReady = true);
    // A drive whose files a server holds, as a mapped share or a link to one:
    // describeEntry reports "\\?\UNC\<share>\..." for what lies on it.
    void serveFromShare(char driveLetter, const std::string& share);
    // Whether scheduleDeleteAtRestart succeeds (it needs administrator rights
    // on Windows); when refused it gives 5 and records nothing.
    void setRestartSchedulingAllowed(bool allowed) { restartSchedulingAllowed_ = allowed; }

    // A folder link at `path` (a new name) leading to the folder `target`,
    // which need not exist.
    void addFolderLink(const std::string& path, const std::string& target);
    // The 8.3 alias of an existing file or folder, such as "PROGRA~1".
    void setShortName(const std::string& path, const std::string& shortName);
    // Listings (listFiles, findEntries) fail with ERROR_UNEXP_NET_ERR (59)
    // after `count` entries; a negative count never.
    void setListingFailsAfter(int count) { listingFailsAfter_ = count; }
    // Handles still open.
    std::size_t openHandles() const { return handles_.size(); }

    // The folder relative paths start from; also fixes the current drive.
    void setCurrentFolder(const std::string& folder);
    std::string currentFolder() const;

    // Every folder and file, as full paths in their stored spelling, sorted
    // with case ignored; drive roots are "C:\", the rest has no trailing "\".
    std::vector<std::string> allPaths() const;
    // The files that delete calls removed, as full paths, in order.
    const std::vector<std::string>& deletedPaths() const { return deleted_; }
    // The paths given to scheduleDeleteAtRestart, as the caller spelled them.
    const std::vector<std::string>& scheduledForRestart() const { return scheduled_; }

    OperationLog& log() { return *log_; }
    // Where calls are logged from now on: a copy of a prepared file system
    // logs into its new world's log.
    void useLog(OperationLog& log) { log_ = &log; }

private:
    // What is at a path; the path itself is the entry's key in `entries_`.
    struct Entry {
        bool folder = false;
        std::string data;
        std::uint32_t attributes = 0;
        bool inUse = false;
        bool runningProgram = false;
        bool readLocked = false;
        bool notWritable = false;
        std::string linkTarget;  // a folder link's target, stored spelling
        std::string shortName;   // upper-cased 8.3 alias, or empty
        int holds = 0;           // handles open for holding
    };
    // Every folder and file by its full path in stored spelling, ordered and
    // found with case ignored.
    using Entries = std::map<std::string, Entry, CaselessLess>;

    struct OpenEntry {
        std::string path;
        platform::OpenFor purpose;
        bool deletePending = false;
    };

    // A folded path: the full path, in the stored spelling as far as it
    // exists and in the caller's beyond.
    struct Folded {
        platform::Status error = 0;
        std::string path;
        bool trailingSeparator = false;
        bool wildcard = false;  // the last component holds * or ?
        std::string lastName;   // the last component, unfolded when a wildcard
    };

    // `followLast`: whether a link in the last component is followed, as
    // every call but those on the link itself does.
    Folded fold(const std::string& path, bool allowPattern, bool followLast = true) const;
    // Replaces short aliases by long names and links by their targets.
    void resolve(Folded& f, bool followLast, int depth = 0) const;
    std::uint32_t reportedAttributes(const Entry& e) const;
    Folded foldOrThrow(const std::string& path) const;
    // The folder part of a full path (a view into it); a root is its own.
    static std::string_view parentPath(std::string_view path);
    static bool isRoot(std::string_view path) { return path.size() == 3; }
    // Where the names of a folder's entries begin in their paths.
    static std::size_t namesStart(std::string_view folder) {
        return isRoot(folder) ? 3 : folder.size() + 1;
    }
    // Whether `path` lies inside `folder`, at any depth, or directly in it.
    // The paths inside a folder follow its own in `entries_`, among those
    // that merely begin like it ("C:\A B" after "C:\A").
    static bool inside(std::string_view path, std::string_view folder) {
        return path.size() > namesStart(folder) && startsWithText(path, folder) &&
               (isRoot(folder) || path[folder.size()] == '\\');
    }
    static bool directlyIn(std::string_view path, std::string_view folder) {
        return inside(path, folder) && path.find('\\', namesStart(folder)) == path.npos;
    }
    Entry* find(std::string_view path);
    const Entry* find(std::string_view path) const;
    platform::Status checkParent(const Folded& f) const;
    bool folderWritable(std::string_view path) const;
    bool hasChildren(std::string_view folder) const;
    // Calls `visit` with the name and entry of each file (and, when asked,
    // folder) that `pattern` matches, in listing order, up to a listing
    // failure.
    template <typename Visit>
    platform::Status listing(const std::string& pattern, bool withFolders, Visit visit) const;
    platform::Status deleteOne(std::string_view path);
    // Logs "<call> <subject> -> <status>" and gives the status back.
    platform::Status logged(std::string_view call, std::string_view subject,
                            platform::Status status);
    void addParents(std::string_view path);

    OperationLog ownLog_;
    OperationLog* log_;
    Entries entries_;
    std::set<char> notReadyDrives_;
    std::map<char, std::string> shares_;  // drive letter -> "server\share"
    std::string currentPath_ = "C:\\";
    bool restartSchedulingAllowed_ = true;
    std::vector<std::string> deleted_;
    std::vector<std::string> scheduled_;
    std::map<platform::FileHandle, OpenEntry> handles_;
    platform::FileHandle nextHandle_ = 1;
    int listingFailsAfter_ = -1;
    // Links and short names: while there are none, paths resolve as folded.
    int aliases_ = 0;
    // Each short name's full path ("C:\\PROGRA~1") and the long path it was
    // given for.
    std::map<std::string, std::string, CaselessLess> shortNames_;

public:
    // ---- create-new. A file has one name unless a count is set here for its
    // path (the other names of a hard link are not modelled, only the count);
    // a file link is a file with the reparse-point attribute (0x400).
    platform::Status createNewFile(const std::string& path, MayEmpty mayEmpty,
                                   NameFacts& existing) override;
    void setLinkCount(const std::string& path, std::uint32_t links);

private:
    std::map<std::string, std::uint32_t, CaselessLess> linkCounts_;
};

}  // namespace fakes

#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "platform/Wildcard.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

Status lastError() { return static_cast<Status>(GetLastError()); }

// Closes a handle when it goes out of scope.
class HandleCloser {
public:
    explicit HandleCloser(HANDLE handle) : handle_(handle) {}
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;
    ~HandleCloser() { CloseHandle(handle_); }

private:
    HANDLE handle_;
};

// Closes a search handle when it goes out of scope.
class FindCloser {
public:
    explicit FindCloser(HANDLE handle) : handle_(handle) {}
    FindCloser(const FindCloser&) = delete;
    FindCloser& operator=(const FindCloser&) = delete;
    ~FindCloser() { FindClose(handle_); }

private:
    HANDLE handle_;
};

// The part of `path` up to and including its last separator: the folder that
// the names a search returns are relative to ("" for a bare name, "C:" for a
// name on a drive's current folder).
std::string folderPart(const std::string& path) {
    const auto cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Hands every folder entry that `pattern` names to `visit`, in the order the
// system lists them. A pattern that matches nothing is success without a
// visit; the search's failure otherwise (a missing folder, a drive that
// isn't ready).
//
// A pattern with wildcards is matched here, against the long names of the
// whole folder: the system would also match the short 8.3 aliases ("*.del"
// takes "notes.delx" through "NOTES~1.DEL"), and Wine's matching differs from
// Windows' for "a?.txt" and "*.". A pattern without wildcards goes to the
// system as it is. Blanks at the end of the pattern go, as Windows drops
// them from the last component of every path; final dots stay ("*." takes
// the names without a dot).
template <typename Visit>
Status forEachMatch(const std::string& pattern, Visit visit) {
    const std::string folder = folderPart(pattern);
    std::string last = pattern.substr(folder.size());
    while (!last.empty() && last.back() == ' ') last.pop_back();
    const bool wildcards = hasWildcards(last);
    const std::string wanted = upperCaseOrdinal(last);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(wildcards ? folder + "*" : pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const Status error = lastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return kErrorSuccess;
        return error;
    }
    FindCloser closer(search);
    do {
        std::string name = narrow(found.cFileName);
        if (!wildcards || wildcardMatch(wanted, upperCaseOrdinal(name))) visit(name, found);
    } while (FindNextFileW(search, &found));
    const Status error = lastError();
    return error == ERROR_NO_MORE_FILES ? kErrorSuccess : error;
}

}  // namespace

Status Win32FileSystem::readWholeFile(const std::string& path, std::uint64_t limit,
                                      std::string& contents, std::uint64_t& length) {
    HANDLE file =
        CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastError();
    HandleCloser closer(file);

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return lastError();
    length = static_cast<std::uint64_t>(size.QuadPart);
    contents.clear();
    if (length > limit) return kErrorSuccess;

    contents.resize(static_cast<std::size_t>(length));
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file, &contents[done], chunk, &got, nullptr)) {
            const Status error = lastError();
            contents.clear();
            return error;
        }
        if (got == 0) break;  // the file shrank since its size was taken
        done += got;
    }
    contents.resize(done);
    length = done;
    return kErrorSuccess;
}

Status Win32FileSystem::fileLength(const std::string& path, std::uint64_t& length) {
    // The attributes, not an open: a file that another program holds locked
    // still has a length.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data)) return lastError();
    // A folder exists too, with the length 0 that the system reports for it:
    // a folder named like a marker file counts as that marker.
    length = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                 ? 0
                 : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return kErrorSuccess;
}

Status Win32FileSystem::listFiles(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    constexpr DWORD kLeftOut =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const Status status =
        forEachMatch(pattern, [&](std::string& name, const WIN32_FIND_DATAW& found) {
            if ((found.dwFileAttributes & kLeftOut) == 0) names.push_back(std::move(name));
        });
    return status;  // what was found before a listing failed part-way is kept
}

Status Win32FileSystem::deleteFile(const std::string& path) {
    return DeleteFileW(wide(path).c_str()) ? kErrorSuccess : lastError();
}

Status Win32FileSystem::scheduleDeleteAtRestart(const std::string& path) {
    return MoveFileExW(wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? kErrorSuccess
                                                                                 : lastError();
}

Status Win32FileSystem::getAttributes(const std::string& path, std::uint32_t& attributes) {
    const DWORD found = GetFileAttributesW(wide(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return lastError();
    attributes = found;
    return kErrorSuccess;
}

Status Win32FileSystem::findEntries(const std::string& pattern, std::vector<FoundEntry>& found) {
    found.clear();
    return forEachMatch(pattern, [&](std::string& name, const WIN32_FIND_DATAW& entry) {
        if (name != "." && name != "..") found.push_back({std::move(name), entry.dwFileAttributes});
    });
}

Status Win32FileSystem::openEntry(const std::string& path, OpenFor purpose, FileHandle& handle) {
    handle = kNoFile;
    // A holding handle asks for read access: a handle with attribute access
    // alone takes no part in sharing checks and would hold nothing.
    DWORD access = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (purpose == OpenFor::Deletion) access |= DELETE;
    if (purpose == OpenFor::Holding) {
        access = GENERIC_READ;
        sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    HANDLE opened = CreateFileW(wide(path).c_str(), access, sharing, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return lastError();
    handle = reinterpret_cast<FileHandle>(opened);
    return kErrorSuccess;
}

Status Win32FileSystem::describeEntry(FileHandle handle, std::string& finalPath,
                                      std::uint32_t& attributes) {
    // The attributes alone: GetFileInformationByHandle would also ask for the
    // volume's serial number, which costs more than deleting the file does.
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(reinterpret_cast<HANDLE>(handle), FileBasicInfo, &basic,
                                      sizeof basic))
        return lastError();
    attributes = basic.FileAttributes;
    return finalPathOf(handle, finalPath);
}

Status Win32FileSystem::finalPathOf(FileHandle handle, std::string& finalPath) {
    HANDLE opened = reinterpret_cast<HANDLE>(handle);
    wchar_t small[MAX_PATH];
    DWORD needed =
        GetFinalPathNameByHandleW(opened, small, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (needed == 0) return lastError();
    if (needed < MAX_PATH) {
        finalPath = narrow(small, needed);
        return kErrorSuccess;
    }
    // The size asked for includes the NUL; a path may grow in between.
    std::wstring path;
    while (needed >= path.size()) {
        path.resize(needed + 1);
        needed = GetFinalPathNameByHandleW(opened, path.data(), static_cast<DWORD>(path.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (needed == 0) return lastError();
    }
    finalPath = narrow(path.data(), needed);
    return kErrorSuccess;
}

Status Win32FileSystem::deleteEntry(FileHandle handle) {
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), FileDispositionInfo,
                                      &disposition, sizeof disposition)
               ? kErrorSuccess
               : lastError();
}

void Win32FileSystem::closeEntry(FileHandle handle) {
    if (handle != kNoFile) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

Status Win32FileSystem::createNewFile(const std::string& path, MayEmpty mayEmpty,
                                      NameFacts& existing) {
    existing = NameFacts{};
    const std::wstring name = wide(path);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return kErrorSuccess;
    }
    const Status createError = lastError();

    // The name is taken (or can't be created at all): open what is there
    // itself, not what a link there leads to, for writing if it allows that,
    // else only to read its facts; a folder opens only with backup semantics.
    constexpr DWORD kOwnEntry = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, kOwnEntry, nullptr);
    const Status writeError = file == INVALID_HANDLE_VALUE ? lastError() : kErrorSuccess;
    if (file == INVALID_HANDLE_VALUE) {
        file = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, kOwnEntry, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return createError;
    HandleCloser closer(file);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return createError;
    existing.attributes = info.dwFileAttributes;
    existing.links = info.nNumberOfLinks;

    if (writeError != kErrorSuccess) return writeError;
    // Windows refuses to open a read-only file for writing; Wine leaves that
    // check to the Unix permissions, which a process running as root passes.
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return kErrorAccessDenied;
    if (!mayEmpty(existing)) return kErrorFileExists;
    // The handle is at the file's start: its end moves there.
    return SetEndOfFile(file) ? kErrorSuccess : lastError();
}

}  // namespace platform::win32

// The file seam over kernel32: CreateFileW, FindFirstFileW, DeleteFileW,
// MoveFileExW, GetFinalPathNameByHandleW and
// SetFileInformationByHandle with their own result codes.
#pragma once

#include "platform/FileSystem.h"

namespace platform::win32 {

class Win32FileSystem final : public FileSystem {
public:
    Status readWholeFile(const std::string& path, std::uint64_t limit, std::string& contents,
                         std::uint64_t& length) override;
    Status fileLength(const std::string& path, std::uint64_t& length) override;
    Status listFiles(const std::string& pattern, std::vector<std::string>& names) override;
    Status deleteFile(const std::string& path) override;
    Status scheduleDeleteAtRestart(const std::string& path) override;

    Status getAttributes(const std::string& path, std::uint32_t& attributes) override;
    Status findEntries(const std::string& pattern, std::vector<FoundEntry>& found) override;
    Status openEntry(const std::string& path, OpenFor purpose, FileHandle& handle) override;
    Status describeEntry(FileHandle handle, std::string& finalPath,
                         std::uint32_t& attributes) override;
    Status finalPathOf(FileHandle handle, std::string& finalPath) override;
    Status deleteEntry(FileHandle handle) override;
    void closeEntry(FileHandle handle) override;

    Status createNewFile(const std::string& path, MayEmpty mayEmpty, NameFacts& existing) override;
};

}  // namespace platform::win32

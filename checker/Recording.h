// The bottom layer of the checker: a file system, a registry and a system
// that sit on the real adapters, pass every read through, and perform no
// deletion and no write. What a deletion would remove is recorded in a
// journal and from then on is gone for every later call (listings,
// attribute queries, opens, reads and key opens), so that later lines and
// later scripts see the product as the earlier ones would have left it.
// Deletions that the system would refuse for a reason that can be seen now
// (a read-only file, a folder that still holds something, a key with
// subkeys) are refused here too, and recorded with that reason.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace checker {

// One thing the run would have done to the machine.
struct Event {
    enum class Kind {
        FileDeleted,
        FolderDeleted,
        KeyDeleted,
        FileKept,    // a file deletion that would fail; `reason` says why
        FolderKept,  // a folder that would still hold something
        KeyKept,     // a key deletion that would fail
        KeyOpened,   // a key open; `status` is its result
        Scheduled,   // a deletion at the next restart
    };
    Kind kind;
    std::string path;  // "C:\..." in its long form, or "HKCR\..." as opened
    std::string reason;
    platform::Status status = 0;
    bool alreadyGone = false;  // a KeyOpened that failed because an earlier line deleted the key
};

using Journal = std::vector<Event>;

// "C:\..." from a final path "\\?\C:\..." ("\\?\UNC\s\x" gives "\\s\x").
std::string displayPath(const std::string& finalPath);

class RecordingFileSystem final : public platform::FileSystem {
public:
    RecordingFileSystem(platform::FileSystem& real, const platform::TextRules& text,
                        Journal& journal);

    // The uninstaller's own program file: deleting it fails as deleting a
    // running program does, so the run schedules it for the next restart.
    void setRunningProgram(const std::string& path);

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
    // The elevated answer of the write-access probe, without creating anything.
    platform::Status createNewFile(const std::string& path, MayEmpty mayEmpty,
                                   NameFacts& existing) override;

private:
    struct Opened {
        std::string key;        // long path as names compare; empty when unknown
        std::string display;    // long path as stored
        std::string finalPath;  // as the system gave it, for the run's own question
        std::string written;    // the path the run opened it by
        std::uint32_t attributes = 0;
        platform::OpenFor purpose = platform::OpenFor::Inspection;
        bool deletePending = false;
    };

    // Where `path` really is: its long path and its key; false
    // when the real system can't open it.
    bool locate(const std::string& path, std::string& display, std::string& key);
    // 0 when the real object at `key` is still there, 2 when an earlier
    // deletion took it, 3 when it took a folder above it.
    platform::Status goneStatus(const std::string& key) const;
    platform::Status goneStatus(const std::string& path, bool& located);
    // Whether `path` may name something deleted: its last name is that of
    // something deleted, or may be a short alias. Most paths are not, and
    // need not be located at all.
    bool mayBeGone(const std::string& path) const;
    // The names in a listing of `pattern` that are still there.
    template <typename Entry, typename NameOf>
    platform::Status filterListing(const std::string& pattern, std::vector<Entry>& entries,
                                   NameOf nameOf);
    // What an opened folder would still hold, by name.
    std::vector<std::string> remainingIn(const Opened& folder);

    platform::FileSystem& real_;
    const platform::TextRules& text_;
    Journal& journal_;
    std::set<std::string> gone_;
    std::set<std::string> goneNames_;  // the last names in gone_
    std::map<std::string, int> held_;  // key -> holding handles open
    // The entries of the latest listing, by the path the run will open them
    // by, and their attributes.
    std::map<std::string, std::uint32_t> listed_;
    // The latest listing of a whole folder, by the folder as written.
    struct {
        std::string folder;
        std::vector<std::string> names;
    } wholeListing_;
    std::map<platform::FileHandle, Opened> opened_;
    std::string runningProgram_;  // key
};

class RecordingRegistry final : public platform::Registry {
public:
    RecordingRegistry(platform::Registry& real, const platform::TextRules& text, Journal& journal);

    // A product staged in `installDir`: the product key reads as naming
    // that folder, whether or not this machine has the key.
    void stageProduct(const std::string& installDir);

    platform::Status openKey(platform::HKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, platform::HKey& result) override;
    platform::Status queryValue(platform::HKey key, const std::string& valueName,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) override;
    platform::Status deleteKey(platform::HKey key, const std::string& subKey) override;
    platform::Status closeKey(platform::HKey key) override;
    platform::Status subkeyNames(platform::HKey key, std::vector<std::string>& names) override;

    // "HKCR", "HKCU", "HKLM" or "" for another root.

private:
    struct Opened {
        std::string display;  // "HKCR\..." as written
        std::string key;      // the same as names compare, one separator
    };
    std::vector<std::string> liveSubkeys(platform::HKey key, const std::string& lowerName);

    platform::Registry& real_;
    const platform::TextRules& text_;
    Journal& journal_;
    std::set<std::string> gone_;
    std::map<platform::HKey, Opened> opened_;
    bool staged_ = false;
    std::string stagedDir_;
};

// The machine as sprellow.exe sees it when it runs from the install folder:
// its own folder is that folder and its name "sprellow".
class RecordingSystem final : public platform::System {
public:
    explicit RecordingSystem(platform::System& real) : real_(real) {}

    void setInstallFolder(const std::string& installDir);

    std::uint32_t getWindowsDirectory(char16_t* buffer, std::uint32_t size) override {
        return real_.getWindowsDirectory(buffer, size);
    }
    std::uint32_t getSystemDirectory(char16_t* buffer, std::uint32_t size) override {
        return real_.getSystemDirectory(buffer, size);
    }
    std::vector<std::string> keptFolders() override { return real_.keptFolders(); }
    std::uint32_t getDriveType(const std::string& rootPath) override {
        return real_.getDriveType(rootPath);
    }
    std::string programFolder() override { return folder_; }
    std::string programName() override { return "sprellow"; }
    std::string programFile() override { return folder_ + "\\sprellow.exe"; }
    std::string fromAnsi(std::string_view bytes) const override { return real_.fromAnsi(bytes); }
    using TextRules::lowerCase;
    void lowerCase(std::string_view text, std::string& lower) const override {
        real_.lowerCase(text, lower);
    }
    std::string upperCaseOrdinal(std::string_view text) const override {
        return real_.upperCaseOrdinal(text);
    }

private:
    platform::System& real_;
    std::string folder_;
};

// Explorer is told nothing: the checker changes no registration.
class RecordingShell final : public platform::Shell {
public:
    void notifyAssociationsChanged() override {}
};

}  // namespace checker

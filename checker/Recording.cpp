#include "checker/Recording.h"

#include <algorithm>
#include <cstring>

#include "checker/RecordingText.h"
#include "engine/Install.h"

namespace checker {

using platform::FileHandle;
using platform::Status;

using namespace recording;

std::string displayPath(const std::string& finalPath) {
    if (finalPath.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + finalPath.substr(8);
    if (finalPath.rfind("\\\\?\\", 0) == 0) return finalPath.substr(4);
    return finalPath;
}

// ---- files

RecordingFileSystem::RecordingFileSystem(platform::FileSystem& real,
                                         const platform::TextRules& text, Journal& journal)
    : real_(real), text_(text), journal_(journal) {}

void RecordingFileSystem::setRunningProgram(const std::string& path) {
    std::string display;
    runningProgram_.clear();
    if (!locate(path, display, runningProgram_)) runningProgram_.clear();
}

bool RecordingFileSystem::locate(const std::string& path, std::string& display, std::string& key) {
    FileHandle handle = platform::kNoFile;
    if (real_.openEntry(path, platform::OpenFor::Inspection, handle) != platform::kErrorSuccess)
        return false;
    std::string finalPath;
    std::uint32_t attributes = 0;
    const bool described =
        real_.describeEntry(handle, finalPath, attributes) == platform::kErrorSuccess;
    real_.closeEntry(handle);
    if (!described) return false;
    display = displayPath(finalPath);
    key = keyOf(text_, display);
    return true;
}

Status RecordingFileSystem::goneStatus(const std::string& key) const {
    if (gone_.count(key) != 0) return platform::kErrorFileNotFound;
    for (std::size_t cut = key.rfind('\\'); cut != std::string::npos && cut > 0;
         cut = key.rfind('\\', cut - 1)) {
        if (gone_.count(key.substr(0, cut)) != 0) return platform::kErrorPathNotFound;
    }
    return platform::kErrorSuccess;
}

bool RecordingFileSystem::mayBeGone(const std::string& path) const {
    if (gone_.empty()) return false;
    const std::string name = lastNameKey(text_, path);
    return name.find('~') != std::string::npos || goneNames_.count(name) != 0;
}

Status RecordingFileSystem::goneStatus(const std::string& path, bool& located) {
    located = false;
    if (!mayBeGone(path)) return platform::kErrorSuccess;
    std::string display, key;
    located = locate(path, display, key);
    return located ? goneStatus(key) : platform::kErrorSuccess;
}

Status RecordingFileSystem::readWholeFile(const std::string& path, std::uint64_t limit,
                                          std::string& contents, std::uint64_t& length) {
    bool located = false;
    if (const Status gone = goneStatus(path, located); gone != platform::kErrorSuccess) {
        contents.clear();
        length = 0;
        return gone;
    }
    return real_.readWholeFile(path, limit, contents, length);
}

Status RecordingFileSystem::fileLength(const std::string& path, std::uint64_t& length) {
    bool located = false;
    if (const Status gone = goneStatus(path, located); gone != platform::kErrorSuccess) return gone;
    return real_.fileLength(path, length);
}

Status RecordingFileSystem::getAttributes(const std::string& path, std::uint32_t& attributes) {
    std::uint32_t found = 0;
    const Status status = real_.getAttributes(path, found);
    if (status != platform::kErrorSuccess) return status;
    bool located = false;
    if (const Status gone = goneStatus(path, located); gone != platform::kErrorSuccess) return gone;
    attributes = found;
    return status;
}

template <typename Entry, typename NameOf>
Status RecordingFileSystem::filterListing(const std::string& pattern, std::vector<Entry>& entries,
                                          NameOf nameOf) {
    const std::size_t cut = pattern.find_last_of("\\/");
    if (gone_.empty() || cut == std::string::npos) return platform::kErrorSuccess;
    // Nothing listed, nor the folder, bears a deleted name: nothing to take out.
    const bool named = std::any_of(entries.begin(), entries.end(), [&](const Entry& entry) {
        return goneNames_.count(text_.upperCaseOrdinal(nameOf(entry))) != 0;
    });
    if (!named && !mayBeGone(pattern.substr(0, cut))) return platform::kErrorSuccess;
    std::string display, folderKey;
    if (!locate(pattern.substr(0, cut + 1), display, folderKey)) return platform::kErrorSuccess;
    if (goneStatus(folderKey) != platform::kErrorSuccess) {
        entries.clear();
        return platform::kErrorPathNotFound;
    }
    entries.erase(
        std::remove_if(entries.begin(), entries.end(),
                       [&](const Entry& entry) {
                           return gone_.count(childKey(text_, folderKey, nameOf(entry))) != 0;
                       }),
        entries.end());
    return platform::kErrorSuccess;
}

Status RecordingFileSystem::listFiles(const std::string& pattern, std::vector<std::string>& names) {
    const Status status = real_.listFiles(pattern, names);
    const Status gone = filterListing(
        pattern, names, [](const std::string& name) -> const std::string& { return name; });
    return gone != platform::kErrorSuccess ? gone : status;
}

Status RecordingFileSystem::findEntries(const std::string& pattern,
                                        std::vector<platform::FoundEntry>& found) {
    const Status status = real_.findEntries(pattern, found);
    const Status gone = filterListing(
        pattern, found,
        [](const platform::FoundEntry& entry) -> const std::string& { return entry.name; });
    // The run opens what it listed by the folder as written and the name
    // found: those entries' attributes are known, and need no asking again.
    listed_.clear();
    const std::size_t cut = pattern.find_last_of("\\/");
    const std::string folder = pattern.substr(0, cut + 1);
    for (const platform::FoundEntry& entry : found) listed_[folder + entry.name] = entry.attributes;
    const std::string_view last = std::string_view(pattern).substr(cut + 1);
    if (status == platform::kErrorSuccess && (last == "*" || last == "*.*") &&
        cut != std::string::npos) {
        wholeListing_.folder = pattern.substr(0, cut);
        wholeListing_.names.clear();
        for (const platform::FoundEntry& entry : found) wholeListing_.names.push_back(entry.name);
    }
    return gone != platform::kErrorSuccess ? gone : status;
}

// Every open is made for inspection only: no delete access is asked for and
// nothing is held, whatever the run asks; the answers that depend on the
// purpose are given here.
Status RecordingFileSystem::openEntry(const std::string& path, platform::OpenFor purpose,
                                      FileHandle& handle) {
    handle = platform::kNoFile;
    FileHandle opened = platform::kNoFile;
    const Status status = real_.openEntry(path, platform::OpenFor::Inspection, opened);
    if (status != platform::kErrorSuccess) return status;
    Opened entry;
    entry.purpose = purpose;
    entry.written = path;
    // An open only to look needs no location unless it may be of something
    // deleted; the run asks for the location itself where it wants it.
    const bool needed = purpose != platform::OpenFor::Inspection || mayBeGone(path);
    const auto listed = listed_.find(path);
    if (listed != listed_.end()) entry.attributes = listed->second;
    const Status described = !needed ? platform::kErrorNotReady
                             : listed != listed_.end()
                                 ? real_.finalPathOf(opened, entry.finalPath)
                                 : real_.describeEntry(opened, entry.finalPath, entry.attributes);
    if (described == platform::kErrorSuccess) {
        entry.display = displayPath(entry.finalPath);
        entry.key = keyOf(text_, entry.display);
        if (const Status gone = goneStatus(entry.key); gone != platform::kErrorSuccess) {
            real_.closeEntry(opened);
            return gone;
        }
        if (purpose == platform::OpenFor::Deletion && held_[entry.key] > 0) {
            real_.closeEntry(opened);
            return platform::kErrorSharingViolation;
        }
        if (purpose == platform::OpenFor::Holding) ++held_[entry.key];
    }
    opened_[opened] = entry;
    handle = opened;
    return platform::kErrorSuccess;
}

// Asking where an opened file is costs as much as opening it: the answer
// got at the open serves (nothing moves while the checker runs).
Status RecordingFileSystem::describeEntry(FileHandle handle, std::string& finalPath,
                                          std::uint32_t& attributes) {
    const auto it = opened_.find(handle);
    if (it != opened_.end() && !it->second.key.empty()) {
        finalPath = it->second.finalPath;
        attributes = it->second.attributes;
        return platform::kErrorSuccess;
    }
    return real_.describeEntry(handle, finalPath, attributes);
}

Status RecordingFileSystem::finalPathOf(FileHandle handle, std::string& finalPath) {
    std::uint32_t attributes = 0;
    return describeEntry(handle, finalPath, attributes);
}

// The run lists a folder whole just before it removes it: that listing, less
// what went since, is what the folder still holds. Nothing is created while
// the checker runs.
std::vector<std::string> RecordingFileSystem::remainingIn(const Opened& folder) {
    std::vector<std::string> listed;
    if (!wholeListing_.folder.empty() && wholeListing_.folder == folder.written) {
        listed = wholeListing_.names;
    } else {
        std::vector<platform::FoundEntry> found;
        real_.findEntries(folder.display + (folder.display.back() == '\\' ? "*" : "\\*"), found);
        for (platform::FoundEntry& entry : found) listed.push_back(std::move(entry.name));
    }
    std::vector<std::string> names;
    for (std::string& name : listed)
        if (gone_.count(childKey(text_, folder.key, name)) == 0) names.push_back(std::move(name));
    return names;
}

Status RecordingFileSystem::deleteEntry(FileHandle handle) {
    const auto it = opened_.find(handle);
    if (it == opened_.end()) return platform::kErrorInvalidHandle;
    Opened& entry = it->second;
    if (entry.purpose != platform::OpenFor::Deletion || entry.key.empty())
        return platform::kErrorAccessDenied;
    const bool folder = (entry.attributes & platform::kAttributeDirectory) != 0;
    const bool link = (entry.attributes & platform::kAttributeReparsePoint) != 0;
    if (folder && !link) {
        std::vector<std::string> left = remainingIn(entry);
        // The running uninstaller stays until the restart that deletes it
        // and then its folder; that is no surprise worth a warning.
        const auto running = std::find_if(left.begin(), left.end(), [&](const std::string& name) {
            return childKey(text_, entry.key, name) == runningProgram_;
        });
        if (running != left.end()) {
            left.erase(running);
            if (left.empty()) return platform::kErrorDirNotEmpty;
        }
        if (!left.empty()) {
            journal_.push_back({Event::Kind::FolderKept, entry.display,
                                "it will still hold " + listed(left), platform::kErrorDirNotEmpty});
            return platform::kErrorDirNotEmpty;
        }
    } else if (!folder) {
        if (entry.key == runningProgram_) return platform::kErrorAccessDenied;
        if ((entry.attributes & platform::kAttributeReadOnly) != 0) {
            journal_.push_back({Event::Kind::FileKept, entry.display, "it is read-only",
                                platform::kErrorAccessDenied});
            return platform::kErrorAccessDenied;
        }
    }
    entry.deletePending = true;
    return platform::kErrorSuccess;
}

void RecordingFileSystem::closeEntry(FileHandle handle) {
    const auto it = opened_.find(handle);
    if (it != opened_.end()) {
        const Opened& entry = it->second;
        if (entry.deletePending) {
            gone_.insert(entry.key);
            goneNames_.insert(lastNameKey(text_, entry.key));
            const bool folder = (entry.attributes & platform::kAttributeDirectory) != 0;
            journal_.push_back({folder ? Event::Kind::FolderDeleted : Event::Kind::FileDeleted,
                                entry.display,
                                {},
                                0});
        }
        if (entry.purpose == platform::OpenFor::Holding && !entry.key.empty()) --held_[entry.key];
        opened_.erase(it);
    }
    real_.closeEntry(handle);
}

Status RecordingFileSystem::createNewFile(const std::string&, MayEmpty, NameFacts& existing) {
    existing = NameFacts{};
    return platform::kErrorSuccess;
}

// The probe file was never created, so removing it is done already.
Status RecordingFileSystem::deleteFile(const std::string&) { return platform::kErrorSuccess; }

Status RecordingFileSystem::scheduleDeleteAtRestart(const std::string& path) {
    std::string display, key;
    if (!locate(path, display, key)) display = path;
    journal_.push_back({Event::Kind::Scheduled, display, {}, 0});
    return platform::kErrorSuccess;
}

}  // namespace checker

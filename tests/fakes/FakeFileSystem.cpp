#include "tests/fakes/FakeFileSystem.h"

#include <stdexcept>

#include "platform/Wildcard.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::Status;

FakeFileSystem::FakeFileSystem() : log_(&ownLog_) { addFolder("C:\\"); }

FakeFileSystem::FakeFileSystem(OperationLog& log) : log_(&log) { addFolder("C:\\"); }

Status FakeFileSystem::logged(std::string_view call, std::string_view subject, Status status) {
    log_->addResult(call, subject, status);
    return status;
}

// ---- platform::FileSystem

Status FakeFileSystem::readWholeFile(const std::string& path, std::uint64_t limit,
                                     std::string& contents, std::uint64_t& length) {
    const std::string_view call = "ReadWholeFile";
    const Folded f = fold(path, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    const Entry* e = find(f.path);
    if (e == nullptr) return logged(call, path, platform::kErrorFileNotFound);
    if (e->folder) return logged(call, path, platform::kErrorAccessDenied);
    if (f.trailingSeparator) return logged(call, path, platform::kErrorInvalidName);
    if (e->readLocked) return logged(call, path, platform::kErrorAccessDenied);
    if (e->inUse) return logged(call, path, platform::kErrorSharingViolation);
    length = e->data.size();
    if (length > limit) {
        contents.clear();
    } else {
        contents = e->data;
    }
    return logged(call, path, 0);
}

Status FakeFileSystem::fileLength(const std::string& path, std::uint64_t& length) {
    const std::string_view call = "FileLength";
    const Folded f = fold(path, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (isRoot(f.path)) {
        if (notReadyDrives_.count(f.path[0]) != 0)
            return logged(call, path, platform::kErrorNotReady);
        if (find(f.path) == nullptr) return logged(call, path, platform::kErrorPathNotFound);
        return logged(call, path, platform::kErrorAccessDenied);
    }
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    const Entry* e = find(f.path);
    if (e == nullptr) return logged(call, path, platform::kErrorFileNotFound);
    // A folder exists with the length 0 that the system reports for it, so a
    // folder named like a marker file counts as that marker.
    if (e->folder) {
        length = 0;
        return logged(call, path, 0);
    }
    if (f.trailingSeparator) return logged(call, path, platform::kErrorInvalidName);
    length = e->data.size();
    return logged(call, path, 0);
}

template <typename Visit>
Status FakeFileSystem::listing(const std::string& pattern, bool withFolders, Visit visit) const {
    Folded f = fold(pattern, true);
    if (f.error != 0) return f.error;
    // A name with a trailing separator, or a drive root, names no file.
    if (!f.wildcard && (isRoot(f.path) || f.trailingSeparator)) return 0;
    if (const Status s = checkParent(f); s != 0) return s;
    const std::string_view folder = f.wildcard ? std::string_view(f.path) : parentPath(f.path);
    const std::string wanted = upperText(std::move(f.lastName));
    std::string upperName;  // each name in turn, in the case of `wanted`
    int listed = 0;
    for (auto it = entries_.upper_bound(folder);
         it != entries_.end() && startsWithText(it->first, folder); ++it) {
        const Entry& e = it->second;
        if (!directlyIn(it->first, folder) || (e.folder && !withFolders)) continue;
        const std::string_view name = std::string_view(it->first).substr(namesStart(folder));
        upperTextInto(name, upperName);
        if (!platform::wildcardMatch(wanted, upperName)) continue;
        if (listed++ == listingFailsAfter_) return kErrorUnexpectedNetwork;
        visit(name, e);
    }
    return 0;
}

Status FakeFileSystem::listFiles(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    return logged("ListFiles", pattern,
                  listing(pattern, false, [&](std::string_view name, const Entry& e) {
                      if ((e.attributes & (kAttrHidden | kAttrSystem)) == 0)
                          names.emplace_back(name);
                  }));
}

Status FakeFileSystem::findEntries(const std::string& pattern,
                                   std::vector<platform::FoundEntry>& found) {
    found.clear();
    return logged("FindEntries", pattern,
                  listing(pattern, true, [&](std::string_view name, const Entry& e) {
                      found.push_back({std::string(name), reportedAttributes(e)});
                  }));
}

Status FakeFileSystem::deleteOne(std::string_view path) {
    const auto it = entries_.find(path);
    const Entry& e = it->second;
    if (e.runningProgram) return platform::kErrorAccessDenied;
    if ((e.attributes & kAttrReadOnly) != 0) return platform::kErrorAccessDenied;
    if (e.inUse || e.holds > 0) return platform::kErrorSharingViolation;
    if (!folderWritable(parentPath(it->first))) return platform::kErrorAccessDenied;
    deleted_.push_back(it->first);
    entries_.erase(it);
    return 0;
}

Status FakeFileSystem::deleteFile(const std::string& path) {
    const std::string_view call = "DeleteFile";
    const Folded f = fold(path, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (isRoot(f.path)) return logged(call, path, platform::kErrorAccessDenied);
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    const Entry* e = find(f.path);
    if (e == nullptr) return logged(call, path, platform::kErrorFileNotFound);
    if (e->folder) return logged(call, path, platform::kErrorAccessDenied);
    if (f.trailingSeparator) return logged(call, path, platform::kErrorInvalidName);
    return logged(call, path, deleteOne(f.path));
}

Status FakeFileSystem::scheduleDeleteAtRestart(const std::string& path) {
    const std::string_view call = "ScheduleDeleteAtRestart";
    if (!restartSchedulingAllowed_) return logged(call, path, platform::kErrorAccessDenied);
    scheduled_.push_back(path);
    return logged(call, path, 0);
}

// ---- set-up and inspection

void FakeFileSystem::addParents(std::string_view path) {
    if (const Entry* e = find(path)) {
        if (!e->folder)
            throw std::invalid_argument("fake file system: a file is in the way: " +
                                        std::string(path));
        return;
    }
    if (!isRoot(path)) addParents(parentPath(path));
    Entry folder;
    folder.folder = true;
    entries_.emplace(path, std::move(folder));
}

void FakeFileSystem::addFile(const std::string& path, const std::string& contents,
                             std::uint32_t attributes) {
    const Folded f = foldOrThrow(path);
    if (isRoot(f.path)) throw std::invalid_argument("fake file system: a root is no file");
    addParents(parentPath(f.path));
    if (const auto it = entries_.find(f.path); it != entries_.end()) {
        if (it->second.folder)
            throw std::invalid_argument("fake file system: a folder is in the way: " + path);
        entries_.erase(it);  // the new file takes the new spelling
    }
    Entry file;
    file.data = contents;
    file.attributes = attributes;
    entries_.emplace(f.path, std::move(file));
}

void FakeFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
    const Folded f = foldOrThrow(path);
    addParents(f.path);
    find(f.path)->attributes = attributes;
}

void FakeFileSystem::erase(const std::string& path) {
    const Folded f = fold(path, false, false);
    if (f.error != 0) throw std::invalid_argument("fake file system: bad path " + path);
    for (auto it = entries_.upper_bound(f.path);
         it != entries_.end() && startsWithText(it->first, f.path);) {
        if (inside(it->first, f.path)) {
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    if (const auto it = entries_.find(f.path); it != entries_.end() && !isRoot(f.path))
        entries_.erase(it);
}

bool FakeFileSystem::exists(const std::string& path) const {
    const Folded f = fold(path, false, false);
    return f.error == 0 && find(f.path) != nullptr;
}

bool FakeFileSystem::isFolder(const std::string& path) const {
    const Folded f = fold(path, false, false);
    if (f.error != 0) return false;
    const Entry* e = find(f.path);
    return e != nullptr && e->folder;
}

std::string FakeFileSystem::contents(const std::string& path) const {
    const Entry* e = find(foldOrThrow(path).path);
    if (e == nullptr || e->folder) throw std::invalid_argument("fake file system: no file " + path);
    return e->data;
}

std::uint32_t FakeFileSystem::attributes(const std::string& path) const {
    const Entry* e = find(foldOrThrow(path).path);
    if (e == nullptr) throw std::invalid_argument("fake file system: nothing at " + path);
    return e->attributes;
}

namespace {

template <typename EntryT>
EntryT& existing(EntryT* e, const std::string& path) {
    if (e == nullptr) throw std::invalid_argument("fake file system: nothing at " + path);
    return *e;
}

}  // namespace

void FakeFileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    existing(find(foldOrThrow(path).path), path).attributes = attributes;
}

void FakeFileSystem::markInUse(const std::string& path, bool inUse) {
    existing(find(foldOrThrow(path).path), path).inUse = inUse;
}

void FakeFileSystem::markRunningProgram(const std::string& path) {
    existing(find(foldOrThrow(path).path), path).runningProgram = true;
}

void FakeFileSystem::lockForReading(const std::string& path, bool locked) {
    existing(find(foldOrThrow(path).path), path).readLocked = locked;
}

void FakeFileSystem::setWritable(const std::string& folder, bool writable) {
    Entry& e = existing(find(foldOrThrow(folder).path), folder);
    if (!e.folder) throw std::invalid_argument("fake file system: not a folder: " + folder);
    e.notWritable = !writable;
}

void FakeFileSystem::serveFromShare(char driveLetter, const std::string& share) {
    shares_[upperChar(driveLetter)] = share;
}

void FakeFileSystem::setDriveNotReady(char driveLetter, bool notReady) {
    if (notReady) {
        notReadyDrives_.insert(upperText(std::string(1, driveLetter))[0]);
    } else {
        notReadyDrives_.erase(upperText(std::string(1, driveLetter))[0]);
    }
}

void FakeFileSystem::setCurrentFolder(const std::string& folder) {
    const Folded f = foldOrThrow(folder);
    const auto it = entries_.find(f.path);
    if (it == entries_.end() || !it->second.folder) {
        throw std::invalid_argument("fake file system: no folder " + folder);
    }
    currentPath_ = it->first;
}

std::string FakeFileSystem::currentFolder() const { return currentPath_; }

std::vector<std::string> FakeFileSystem::allPaths() const {
    std::vector<std::string> paths;
    for (const auto& [path, e] : entries_) paths.push_back(path);
    return paths;
}

Status FakeFileSystem::createNewFile(const std::string& path, MayEmpty mayEmpty,
                                     NameFacts& existing) {
    const std::string_view call = "CreateNewFile";
    existing = NameFacts{};
    // The name itself: a folder link there is not followed.
    const Folded f = fold(path, false, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (isRoot(f.path)) return logged(call, path, platform::kErrorAccessDenied);
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    Entry* e = find(f.path);
    if (e == nullptr) {
        if (f.trailingSeparator) return logged(call, path, platform::kErrorInvalidName);
        if (!folderWritable(parentPath(f.path)))
            return logged(call, path, platform::kErrorAccessDenied);
        entries_.emplace(f.path, Entry{});
        if (const auto links = linkCounts_.find(f.path); links != linkCounts_.end())
            linkCounts_.erase(links);
        return logged(call, path, 0);
    }

    // The facts can always be read; writing takes a file that is neither
    // read-only nor in use, in a folder that may be written to.
    const auto links = linkCounts_.find(f.path);
    existing.links = links == linkCounts_.end() ? 1 : links->second;
    existing.attributes = reportedAttributes(*e);
    // A folder opens for writing too (with backup semantics, as the system
    // opens it), but has no end that could move.
    const bool readOnlyFile = !e->folder && (e->attributes & kAttrReadOnly) != 0;
    if (!folderWritable(parentPath(f.path)) || readOnlyFile)
        return logged(call, path, platform::kErrorAccessDenied);
    if (e->inUse || e->runningProgram) return logged(call, path, platform::kErrorSharingViolation);
    if (!mayEmpty(existing)) return logged(call, path, platform::kErrorFileExists);
    if (e->folder) return logged(call, path, platform::kErrorAccessDenied);
    e->data.clear();
    return logged(call, path, 0);
}

void FakeFileSystem::setLinkCount(const std::string& path, std::uint32_t links) {
    linkCounts_[foldOrThrow(path).path] = links;
}

}  // namespace fakes

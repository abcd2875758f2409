#include "tests/fakes/FakeFileSystem.h"

#include <stdexcept>

#include "platform/Wildcard.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::Status;

namespace {

std::string_view lastComponent(std::string_view path) {
    return path.substr(path.find_last_of('\\') + 1);
}

}  // namespace

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
    const Entry* e = find(f.key);
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
    if (isRoot(f.key)) {
        if (notReadyDrives_.count(f.key[0]) != 0)
            return logged(call, path, platform::kErrorNotReady);
        if (find(f.key) == nullptr) return logged(call, path, platform::kErrorPathNotFound);
        return logged(call, path, platform::kErrorAccessDenied);
    }
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    const Entry* e = find(f.key);
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
    if (!f.wildcard && (isRoot(f.key) || f.trailingSeparator)) return 0;
    if (const Status s = checkParent(f); s != 0) return s;
    const std::string_view folder = f.wildcard ? std::string_view(f.key) : parentKey(f.key);
    const std::string wanted = upperText(std::move(f.lastName));
    int listed = 0;
    for (auto it = entries_.upper_bound(folder);
         it != entries_.end() && startsWith(it->first, folder); ++it) {
        const Entry& e = it->second;
        if (!directlyIn(it->first, folder) || (e.folder && !withFolders)) continue;
        // The key holds the name upper-cased.
        if (!platform::wildcardMatch(wanted,
                                     std::string_view(it->first).substr(namesStart(folder))))
            continue;
        if (listed++ == listingFailsAfter_) return kErrorUnexpectedNetwork;
        visit(e);
    }
    return 0;
}

Status FakeFileSystem::listFiles(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    return logged("ListFiles", pattern, listing(pattern, false, [&](const Entry& e) {
                      if ((e.attributes & (kAttrHidden | kAttrSystem)) == 0)
                          names.emplace_back(lastComponent(e.path));
                  }));
}

Status FakeFileSystem::findEntries(const std::string& pattern,
                                   std::vector<platform::FoundEntry>& found) {
    found.clear();
    return logged("FindEntries", pattern, listing(pattern, true, [&](const Entry& e) {
                      found.push_back({std::string(lastComponent(e.path)), reportedAttributes(e)});
                  }));
}

Status FakeFileSystem::deleteOne(const std::string& key) {
    Entry* e = find(key);
    if (e->runningProgram) return platform::kErrorAccessDenied;
    if ((e->attributes & kAttrReadOnly) != 0) return platform::kErrorAccessDenied;
    if (e->inUse || e->holds > 0) return platform::kErrorSharingViolation;
    if (!folderWritable(parentKey(key))) return platform::kErrorAccessDenied;
    deleted_.push_back(e->path);
    entries_.erase(key);
    return 0;
}

Status FakeFileSystem::deleteFile(const std::string& path) {
    const std::string_view call = "DeleteFile";
    const Folded f = fold(path, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (isRoot(f.key)) return logged(call, path, platform::kErrorAccessDenied);
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    const Entry* e = find(f.key);
    if (e == nullptr) return logged(call, path, platform::kErrorFileNotFound);
    if (e->folder) return logged(call, path, platform::kErrorAccessDenied);
    if (f.trailingSeparator) return logged(call, path, platform::kErrorInvalidName);
    return logged(call, path, deleteOne(f.key));
}

Status FakeFileSystem::scheduleDeleteAtRestart(const std::string& path) {
    const std::string_view call = "ScheduleDeleteAtRestart";
    if (!restartSchedulingAllowed_) return logged(call, path, platform::kErrorAccessDenied);
    scheduled_.push_back(path);
    return logged(call, path, 0);
}

// ---- set-up and inspection

void FakeFileSystem::addParents(std::string_view key, std::string_view path) {
    if (const Entry* e = find(key)) {
        if (!e->folder)
            throw std::invalid_argument("fake file system: a file is in the way: " +
                                        std::string(path));
        return;
    }
    if (!isRoot(key)) addParents(parentKey(key), parentKey(path));
    Entry folder;
    folder.path = path;
    folder.folder = true;
    entries_.emplace(key, std::move(folder));
}

void FakeFileSystem::addFile(const std::string& path, const std::string& contents,
                             std::uint32_t attributes) {
    const Folded f = foldOrThrow(path);
    if (isRoot(f.key)) throw std::invalid_argument("fake file system: a root is no file");
    addParents(parentKey(f.key), parentKey(f.path));
    if (const Entry* e = find(f.key); e != nullptr && e->folder) {
        throw std::invalid_argument("fake file system: a folder is in the way: " + path);
    }
    Entry file;
    file.path = f.path;
    file.data = contents;
    file.attributes = attributes;
    entries_[f.key] = std::move(file);
}

void FakeFileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
    const Folded f = foldOrThrow(path);
    addParents(f.key, f.path);
    entries_[f.key].attributes = attributes;
}

void FakeFileSystem::erase(const std::string& path) {
    const Folded f = fold(path, false, false);
    if (f.error != 0) throw std::invalid_argument("fake file system: bad path " + path);
    const std::string prefix = isRoot(f.key) ? f.key : f.key + "\\";
    for (auto it = entries_.upper_bound(prefix);
         it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        it = entries_.erase(it);
    }
    if (!isRoot(f.key)) entries_.erase(f.key);
}

bool FakeFileSystem::exists(const std::string& path) const {
    const Folded f = fold(path, false, false);
    return f.error == 0 && find(f.key) != nullptr;
}

bool FakeFileSystem::isFolder(const std::string& path) const {
    const Folded f = fold(path, false, false);
    if (f.error != 0) return false;
    const Entry* e = find(f.key);
    return e != nullptr && e->folder;
}

std::string FakeFileSystem::contents(const std::string& path) const {
    const Entry* e = find(foldOrThrow(path).key);
    if (e == nullptr || e->folder) throw std::invalid_argument("fake file system: no file " + path);
    return e->data;
}

std::uint32_t FakeFileSystem::attributes(const std::string& path) const {
    const Entry* e = find(foldOrThrow(path).key);
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
    existing(find(foldOrThrow(path).key), path).attributes = attributes;
}

void FakeFileSystem::markInUse(const std::string& path, bool inUse) {
    existing(find(foldOrThrow(path).key), path).inUse = inUse;
}

void FakeFileSystem::markRunningProgram(const std::string& path) {
    existing(find(foldOrThrow(path).key), path).runningProgram = true;
}

void FakeFileSystem::lockForReading(const std::string& path, bool locked) {
    existing(find(foldOrThrow(path).key), path).readLocked = locked;
}

void FakeFileSystem::setWritable(const std::string& folder, bool writable) {
    Entry& e = existing(find(foldOrThrow(folder).key), folder);
    if (!e.folder) throw std::invalid_argument("fake file system: not a folder: " + folder);
    e.notWritable = !writable;
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
    const Entry* e = find(f.key);
    if (e == nullptr || !e->folder) {
        throw std::invalid_argument("fake file system: no folder " + folder);
    }
    currentKey_ = f.key;
    currentPath_ = e->path;
}

std::string FakeFileSystem::currentFolder() const { return currentPath_; }

std::vector<std::string> FakeFileSystem::allPaths() const {
    std::vector<std::string> paths;
    for (const auto& [key, e] : entries_) paths.push_back(e.path);
    return paths;
}

Status FakeFileSystem::createNewFile(const std::string& path, MayEmpty mayEmpty,
                                     NameFacts& existing) {
    const std::string_view call = "CreateNewFile";
    existing = NameFacts{};
    // The name itself: a folder link there is not followed.
    const Folded f = fold(path, false, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (isRoot(f.key)) return logged(call, path, platform::kErrorAccessDenied);
    if (const Status s = checkParent(f); s != 0) return logged(call, path, s);
    Entry* e = find(f.key);
    if (e == nullptr) {
        if (f.trailingSeparator) return logged(call, path, platform::kErrorInvalidName);
        if (!folderWritable(parentKey(f.key)))
            return logged(call, path, platform::kErrorAccessDenied);
        Entry created;
        created.path = f.path;
        entries_[f.key] = std::move(created);
        linkCounts_.erase(f.key);
        return logged(call, path, 0);
    }

    // The facts can always be read; writing takes a file that is neither
    // read-only nor in use, in a folder that may be written to.
    const auto links = linkCounts_.find(f.key);
    existing.links = links == linkCounts_.end() ? 1 : links->second;
    existing.attributes = reportedAttributes(*e);
    // A folder opens for writing too (with backup semantics, as the system
    // opens it), but has no end that could move.
    const bool readOnlyFile = !e->folder && (e->attributes & kAttrReadOnly) != 0;
    if (!folderWritable(parentKey(f.key)) || readOnlyFile)
        return logged(call, path, platform::kErrorAccessDenied);
    if (e->inUse || e->runningProgram) return logged(call, path, platform::kErrorSharingViolation);
    if (!mayEmpty(existing)) return logged(call, path, platform::kErrorFileExists);
    if (e->folder) return logged(call, path, platform::kErrorAccessDenied);
    e->data.clear();
    return logged(call, path, 0);
}

void FakeFileSystem::setLinkCount(const std::string& path, std::uint32_t links) {
    linkCounts_[foldOrThrow(path).key] = links;
}

}  // namespace fakes

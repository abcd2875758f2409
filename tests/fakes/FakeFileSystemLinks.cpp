// The in-memory file system's links, short names and handles: what the
// deletion rules ask of the system before they delete anything.
#include <stdexcept>

#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::FileHandle;
using platform::Status;

namespace {

constexpr int kMaxLinkDepth = 8;

std::vector<std::string> components(const std::string& pathAfterRoot) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < pathAfterRoot.size()) {
        std::size_t end = pathAfterRoot.find('\\', start);
        if (end == std::string::npos) end = pathAfterRoot.size();
        if (end > start) parts.push_back(pathAfterRoot.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.size() == 3 ? folder + name : folder + "\\" + name;
}

}  // namespace

// Walks the folded path one name at a time from its drive root, so that a
// short alias or a link anywhere on the way is taken as Windows takes it. A
// name that isn't there is kept as written: the calls report it missing.
void FakeFileSystem::resolve(Folded& f, bool followLast, int depth) const {
    if (aliases_ == 0 || f.key.size() < 3) return;
    const std::vector<std::string> keys = components(f.key.substr(3));
    const std::vector<std::string> names = components(f.path.substr(3));
    std::string key = f.key.substr(0, 3);
    std::string path = f.path.substr(0, 3);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::string candidate = joined(key, keys[i]);
        const Entry* e = find(candidate);
        if (e == nullptr) {
            const std::string prefix = joined(key, "");
            for (auto it = entries_.lower_bound(prefix);
                 it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
                if (it->second.shortName == keys[i] &&
                    it->first.find('\\', prefix.size()) == std::string::npos) {
                    e = &it->second;
                    candidate = it->first;
                    break;
                }
            }
        }
        if (e == nullptr) {
            key = candidate;
            path = joined(path, names[i]);
            continue;
        }
        key = candidate;
        path = e->path;
        const bool last = i + 1 == keys.size();
        if (!e->linkTarget.empty() && (!last || followLast)) {
            if (depth >= kMaxLinkDepth) throw std::runtime_error("fake file system: link loop");
            Folded target;
            target.key = upperText(e->linkTarget);
            target.path = e->linkTarget;
            resolve(target, true, depth + 1);
            key = target.key;
            path = target.path;
        }
    }
    f.key = key;
    f.path = path;
}

std::uint32_t FakeFileSystem::reportedAttributes(const Entry& e) const {
    std::uint32_t attributes = e.attributes;
    if (e.folder) attributes |= platform::kAttributeDirectory;
    if (!e.linkTarget.empty()) attributes |= platform::kAttributeReparsePoint;
    // FILE_ATTRIBUTE_NORMAL stands for "no other attribute".
    return attributes == 0 ? 0x80 : attributes;
}

Status FakeFileSystem::getAttributes(const std::string& path, std::uint32_t& attributes) {
    const std::string what = "GetAttributes " + path;
    const Folded f = fold(path, false, false);
    if (f.error != 0) return logged(what, f.error);
    if (notReadyDrives_.count(f.key[0]) != 0) return logged(what, platform::kErrorNotReady);
    const Entry* e = find(f.key);
    if (e == nullptr) {
        return logged(what, isRoot(f.key) || checkParent(f) != 0 ? platform::kErrorPathNotFound
                                                                 : platform::kErrorFileNotFound);
    }
    attributes = reportedAttributes(*e);
    return logged(what, 0);
}

Status FakeFileSystem::findEntries(const std::string& pattern,
                                   std::vector<platform::FoundEntry>& found) {
    found.clear();
    return logged(
        "FindEntries " + pattern, listing(pattern, true, [&](const Entry& e) {
            found.push_back({e.path.substr(e.path.find_last_of('\\') + 1), reportedAttributes(e)});
        }));
}

Status FakeFileSystem::openEntry(const std::string& path, platform::OpenFor purpose,
                                 FileHandle& handle) {
    const std::string what = "OpenEntry " + path;
    handle = platform::kNoFile;
    const Folded f = fold(path, false, false);
    if (f.error != 0) return logged(what, f.error);
    if (const Status s = isRoot(f.key) ? 0 : checkParent(f); s != 0) return logged(what, s);
    Entry* e = find(f.key);
    if (e == nullptr) return logged(what, platform::kErrorFileNotFound);
    if (f.trailingSeparator && !e->folder) return logged(what, platform::kErrorInvalidName);
    // An open for attributes alone takes no part in sharing.
    if (e->inUse && purpose != platform::OpenFor::Inspection)
        return logged(what, platform::kErrorSharingViolation);
    if (purpose == platform::OpenFor::Deletion && e->holds > 0)
        return logged(what, platform::kErrorSharingViolation);
    if (purpose == platform::OpenFor::Holding) ++e->holds;
    handle = nextHandle_++;
    handles_[handle] = OpenEntry{f.key, purpose};
    return logged(what, 0);
}

Status FakeFileSystem::describeEntry(FileHandle handle, std::string& finalPath,
                                     std::uint32_t& attributes) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return platform::kErrorInvalidHandle;
    const Entry* e = find(it->second.key);
    if (e == nullptr) return platform::kErrorFileNotFound;
    finalPath = "\\\\?\\" + e->path;
    attributes = reportedAttributes(*e);
    return 0;
}

Status FakeFileSystem::deleteEntry(FileHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return platform::kErrorInvalidHandle;
    const std::string& key = it->second.key;
    const Entry* e = find(key);
    if (e == nullptr) return logged("DeleteEntry " + key, platform::kErrorFileNotFound);
    const std::string what = "DeleteEntry " + e->path;
    if (it->second.purpose != platform::OpenFor::Deletion)
        return logged(what, platform::kErrorAccessDenied);
    if (isRoot(key) || e->runningProgram || (e->attributes & kAttrReadOnly) != 0 ||
        !folderWritable(parentKey(key)))
        return logged(what, platform::kErrorAccessDenied);
    // A folder that is some program's current folder is in use.
    const bool holdsCurrent =
        currentKey_ == key || currentKey_.compare(0, key.size() + 1, key + "\\") == 0;
    if (e->folder && holdsCurrent) return logged(what, platform::kErrorSharingViolation);
    if (e->folder && e->linkTarget.empty() && hasChildren(key))
        return logged(what, platform::kErrorDirNotEmpty);
    it->second.deletePending = true;
    return logged(what, 0);
}

void FakeFileSystem::closeEntry(FileHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return;
    const OpenEntry opened = it->second;
    handles_.erase(it);
    Entry* e = find(opened.key);
    if (e == nullptr) return;
    if (opened.purpose == platform::OpenFor::Holding) --e->holds;
    if (opened.deletePending) {
        deleted_.push_back(e->path);
        entries_.erase(opened.key);
    }
}

void FakeFileSystem::addFolderLink(const std::string& path, const std::string& target) {
    const Folded link = fold(path, false, false);
    const Folded to = foldOrThrow(target);
    if (link.error != 0 || isRoot(link.key) || find(link.key) != nullptr)
        throw std::invalid_argument("fake file system: no new link at " + path);
    addParents(parentKey(link.key), parentKey(link.path));
    Entry entry;
    entry.path = link.path;
    entry.folder = true;
    entry.linkTarget = to.path;
    entries_[link.key] = entry;
    ++aliases_;
}

void FakeFileSystem::setShortName(const std::string& path, const std::string& shortName) {
    Entry* e = find(foldOrThrow(path).key);
    if (e == nullptr) throw std::invalid_argument("fake file system: nothing at " + path);
    e->shortName = upperText(shortName);
    ++aliases_;
}

}  // namespace fakes

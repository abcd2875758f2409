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

}  // namespace

// Walks the folded path one name at a time from its drive root, so that a
// short alias or a link anywhere on the way is taken as Windows takes it. A
// name that isn't there is kept as written: the calls report it missing.
void FakeFileSystem::resolve(Folded& f, bool followLast, int depth) const {
    if (aliases_ == 0 || f.key.size() < 3) return;
    // The key is the path upper-cased, so a name sits at the same place in both.
    std::string key = f.key.substr(0, 3);
    std::string path = f.path.substr(0, 3);
    std::size_t start = 3;
    while (start < f.key.size()) {
        std::size_t end = f.key.find('\\', start);
        if (end == std::string::npos) end = f.key.size();
        const std::string_view keyName = std::string_view(f.key).substr(start, end - start);
        const std::string_view name = std::string_view(f.path).substr(start, end - start);
        const bool last = end == f.key.size();
        start = end + 1;
        if (keyName.empty()) continue;

        std::string candidate = key;
        if (!isRoot(candidate)) candidate += '\\';
        candidate += keyName;
        const Entry* e = find(candidate);
        if (e == nullptr) {
            for (auto it = entries_.upper_bound(key);
                 it != entries_.end() && startsWith(it->first, key); ++it) {
                if (directlyIn(it->first, key) && it->second.shortName == keyName) {
                    e = &it->second;
                    candidate = it->first;
                    break;
                }
            }
        }
        if (e == nullptr) {
            key = std::move(candidate);
            if (!isRoot(path)) path += '\\';
            path += name;
            continue;
        }
        key = std::move(candidate);
        path = e->path;
        if (!e->linkTarget.empty() && (!last || followLast)) {
            if (depth >= kMaxLinkDepth) throw std::runtime_error("fake file system: link loop");
            Folded target;
            target.key = upperText(e->linkTarget);
            target.path = e->linkTarget;
            resolve(target, true, depth + 1);
            key = std::move(target.key);
            path = std::move(target.path);
        }
    }
    f.key = std::move(key);
    f.path = std::move(path);
}

std::uint32_t FakeFileSystem::reportedAttributes(const Entry& e) const {
    std::uint32_t attributes = e.attributes;
    if (e.folder) attributes |= platform::kAttributeDirectory;
    if (!e.linkTarget.empty()) attributes |= platform::kAttributeReparsePoint;
    // FILE_ATTRIBUTE_NORMAL stands for "no other attribute".
    return attributes == 0 ? 0x80 : attributes;
}

Status FakeFileSystem::getAttributes(const std::string& path, std::uint32_t& attributes) {
    const std::string_view call = "GetAttributes";
    const Folded f = fold(path, false, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (notReadyDrives_.count(f.key[0]) != 0) return logged(call, path, platform::kErrorNotReady);
    const Entry* e = find(f.key);
    if (e == nullptr) {
        return logged(call, path,
                      isRoot(f.key) || checkParent(f) != 0 ? platform::kErrorPathNotFound
                                                           : platform::kErrorFileNotFound);
    }
    attributes = reportedAttributes(*e);
    return logged(call, path, 0);
}

Status FakeFileSystem::openEntry(const std::string& path, platform::OpenFor purpose,
                                 FileHandle& handle) {
    const std::string_view call = "OpenEntry";
    handle = platform::kNoFile;
    Folded f = fold(path, false, false);
    if (f.error != 0) return logged(call, path, f.error);
    if (const Status s = isRoot(f.key) ? 0 : checkParent(f); s != 0) return logged(call, path, s);
    Entry* e = find(f.key);
    if (e == nullptr) return logged(call, path, platform::kErrorFileNotFound);
    if (f.trailingSeparator && !e->folder) return logged(call, path, platform::kErrorInvalidName);
    // An open for attributes alone takes no part in sharing.
    if (e->inUse && purpose != platform::OpenFor::Inspection)
        return logged(call, path, platform::kErrorSharingViolation);
    if (purpose == platform::OpenFor::Deletion && e->holds > 0)
        return logged(call, path, platform::kErrorSharingViolation);
    if (purpose == platform::OpenFor::Holding) ++e->holds;
    handle = nextHandle_++;
    handles_[handle] = OpenEntry{std::move(f.key), purpose};
    return logged(call, path, 0);
}

Status FakeFileSystem::describeEntry(FileHandle handle, std::string& finalPath,
                                     std::uint32_t& attributes) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return platform::kErrorInvalidHandle;
    const Entry* e = find(it->second.key);
    if (e == nullptr) return platform::kErrorFileNotFound;
    finalPath = "\\\\?\\";
    finalPath += e->path;
    attributes = reportedAttributes(*e);
    return 0;
}

Status FakeFileSystem::deleteEntry(FileHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return platform::kErrorInvalidHandle;
    const std::string_view call = "DeleteEntry";
    const std::string& key = it->second.key;
    const Entry* e = find(key);
    if (e == nullptr) return logged(call, key, platform::kErrorFileNotFound);
    if (it->second.purpose != platform::OpenFor::Deletion)
        return logged(call, e->path, platform::kErrorAccessDenied);
    if (isRoot(key) || e->runningProgram || (e->attributes & kAttrReadOnly) != 0 ||
        !folderWritable(parentKey(key)))
        return logged(call, e->path, platform::kErrorAccessDenied);
    // A folder that is some program's current folder is in use.
    const bool holdsCurrent = currentKey_ == key || inside(currentKey_, key);
    if (e->folder && holdsCurrent) return logged(call, e->path, platform::kErrorSharingViolation);
    if (e->folder && e->linkTarget.empty() && hasChildren(key))
        return logged(call, e->path, platform::kErrorDirNotEmpty);
    it->second.deletePending = true;
    return logged(call, e->path, 0);
}

void FakeFileSystem::closeEntry(FileHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return;
    const OpenEntry opened = std::move(it->second);
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
    entries_[link.key] = std::move(entry);
    ++aliases_;
}

void FakeFileSystem::setShortName(const std::string& path, const std::string& shortName) {
    Entry* e = find(foldOrThrow(path).key);
    if (e == nullptr) throw std::invalid_argument("fake file system: nothing at " + path);
    e->shortName = upperText(shortName);
    ++aliases_;
}

}  // namespace fakes

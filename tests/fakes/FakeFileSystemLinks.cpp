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
    if (aliases_ == 0 || f.path.size() < 3) return;
    std::string path = f.path.substr(0, 3);
    std::size_t start = 3;
    while (start < f.path.size()) {
        std::size_t end = f.path.find('\\', start);
        if (end == std::string::npos) end = f.path.size();
        const std::string_view name = std::string_view(f.path).substr(start, end - start);
        const bool last = end == f.path.size();
        start = end + 1;
        if (name.empty()) continue;

        std::string candidate = path;
        if (!isRoot(candidate)) candidate += '\\';
        candidate += name;
        auto found = entries_.find(candidate);
        if (found == entries_.end()) {
            const auto alias = shortNames_.find(candidate);
            if (alias != shortNames_.end()) {
                found = entries_.find(alias->second);
                // The alias of an entry that has gone since names nothing.
                if (found != entries_.end() && !sameText(found->second.shortName, name))
                    found = entries_.end();
            }
        }
        if (found == entries_.end()) {
            // Nothing lies below what isn't there: the rest stays as written.
            path = std::move(candidate);
            if (!last) {
                path += '\\';
                path.append(f.path, start);
            }
            break;
        }
        path = found->first;
        const Entry& e = found->second;
        if (!e.linkTarget.empty() && (!last || followLast)) {
            if (depth >= kMaxLinkDepth) throw std::runtime_error("fake file system: link loop");
            Folded target;
            target.path = e.linkTarget;
            resolve(target, true, depth + 1);
            path = std::move(target.path);
        }
    }
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
    if (notReadyDrives_.count(f.path[0]) != 0) return logged(call, path, platform::kErrorNotReady);
    const Entry* e = find(f.path);
    if (e == nullptr) {
        return logged(call, path,
                      isRoot(f.path) || checkParent(f) != 0 ? platform::kErrorPathNotFound
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
    if (const Status s = isRoot(f.path) ? 0 : checkParent(f); s != 0) return logged(call, path, s);
    Entry* e = find(f.path);
    if (e == nullptr) return logged(call, path, platform::kErrorFileNotFound);
    if (f.trailingSeparator && !e->folder) return logged(call, path, platform::kErrorInvalidName);
    // An open for attributes alone takes no part in sharing.
    if (e->inUse && purpose != platform::OpenFor::Inspection)
        return logged(call, path, platform::kErrorSharingViolation);
    if (purpose == platform::OpenFor::Deletion && e->holds > 0)
        return logged(call, path, platform::kErrorSharingViolation);
    if (purpose == platform::OpenFor::Holding) ++e->holds;
    handle = nextHandle_++;
    handles_[handle] = OpenEntry{std::move(f.path), purpose};
    return logged(call, path, 0);
}

Status FakeFileSystem::describeEntry(FileHandle handle, std::string& finalPath,
                                     std::uint32_t& attributes) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return platform::kErrorInvalidHandle;
    const auto found = entries_.find(it->second.path);
    if (found == entries_.end()) return platform::kErrorFileNotFound;
    if (const auto share = shares_.find(found->first[0]); share != shares_.end()) {
        finalPath = "\\\\?\\UNC\\" + share->second;
        finalPath += std::string_view(found->first).substr(2);
    } else {
        finalPath = "\\\\?\\";
        finalPath += found->first;
    }
    attributes = reportedAttributes(found->second);
    return 0;
}

Status FakeFileSystem::finalPathOf(FileHandle handle, std::string& finalPath) {
    std::uint32_t attributes = 0;
    return describeEntry(handle, finalPath, attributes);
}

Status FakeFileSystem::deleteEntry(FileHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return platform::kErrorInvalidHandle;
    const std::string_view call = "DeleteEntry";
    const auto found = entries_.find(it->second.path);
    if (found == entries_.end()) return logged(call, it->second.path, platform::kErrorFileNotFound);
    const std::string& path = found->first;  // the stored spelling
    const Entry& e = found->second;
    if (it->second.purpose != platform::OpenFor::Deletion)
        return logged(call, path, platform::kErrorAccessDenied);
    if (isRoot(path) || e.runningProgram || (e.attributes & kAttrReadOnly) != 0 ||
        !folderWritable(parentPath(path)))
        return logged(call, path, platform::kErrorAccessDenied);
    // A folder that is some program's current folder is in use.
    const bool holdsCurrent = sameText(currentPath_, path) || inside(currentPath_, path);
    if (e.folder && holdsCurrent) return logged(call, path, platform::kErrorSharingViolation);
    if (e.folder && e.linkTarget.empty() && hasChildren(path))
        return logged(call, path, platform::kErrorDirNotEmpty);
    it->second.deletePending = true;
    return logged(call, path, 0);
}

void FakeFileSystem::closeEntry(FileHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return;
    const OpenEntry opened = std::move(it->second);
    handles_.erase(it);
    const auto found = entries_.find(opened.path);
    if (found == entries_.end()) return;
    if (opened.purpose == platform::OpenFor::Holding) --found->second.holds;
    if (opened.deletePending) {
        deleted_.push_back(found->first);
        entries_.erase(found);
    }
}

void FakeFileSystem::addFolderLink(const std::string& path, const std::string& target) {
    const Folded link = fold(path, false, false);
    const Folded to = foldOrThrow(target);
    if (link.error != 0 || isRoot(link.path) || find(link.path) != nullptr)
        throw std::invalid_argument("fake file system: no new link at " + path);
    addParents(parentPath(link.path));
    Entry entry;
    entry.folder = true;
    entry.linkTarget = to.path;
    entries_.emplace(link.path, std::move(entry));
    ++aliases_;
}

void FakeFileSystem::setShortName(const std::string& path, const std::string& shortName) {
    const Folded f = foldOrThrow(path);
    Entry* e = find(f.path);
    if (e == nullptr) throw std::invalid_argument("fake file system: nothing at " + path);
    e->shortName = upperText(shortName);
    const std::string_view folder = parentPath(f.path);
    std::string alias(folder);
    if (!isRoot(folder)) alias += '\\';
    shortNames_[alias + e->shortName] = f.path;
    ++aliases_;
}

}  // namespace fakes

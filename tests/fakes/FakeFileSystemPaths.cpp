// How the in-memory file system folds a path as Win32 does before the call
// reaches the file system, and finds what a folded path names.
#include <stdexcept>

#include "platform/Wildcard.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::Status;

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool invalidNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|';
}

}  // namespace

// The folded path is built in place, one name at a time, from views of the
// caller's text: a ".." cuts the last name off again. Only the results take
// memory, which keeps the many calls of a run cheap.
FakeFileSystem::Folded FakeFileSystem::fold(const std::string& path, bool allowPattern,
                                            bool followLast) const {
    Folded f;
    if (path.empty()) {
        f.error = platform::kErrorPathNotFound;
        return f;
    }
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        f.error = kErrorBadNetPath;
        return f;
    }

    char drive = currentPath_[0];
    std::string_view rest = path;
    bool fromCurrent = false;
    const bool hasDrive =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    if (hasDrive) {
        drive = upperChar(path[0]);
        rest.remove_prefix(2);
        fromCurrent = (rest.empty() || !isSeparator(rest[0])) && drive == currentPath_[0];
    } else {
        fromCurrent = !isSeparator(rest[0]);
    }
    f.trailingSeparator = !rest.empty() && isSeparator(rest.back());

    std::string& folded = f.path;
    folded.reserve(currentPath_.size() + rest.size() + 1);
    folded += drive;
    folded += ":\\";
    if (fromCurrent) folded.append(currentPath_, 3);
    const auto hasNames = [&] { return folded.size() > 3; };

    std::size_t start = 0;
    while (true) {
        while (start < rest.size() && isSeparator(rest[start])) ++start;
        if (start == rest.size()) break;
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end])) ++end;
        std::string_view part = rest.substr(start, end - start);
        start = end;
        while (end < rest.size() && isSeparator(rest[end])) ++end;
        const bool last = end == rest.size();

        for (char c : part) {
            if (invalidNameChar(c)) {
                f.error = platform::kErrorInvalidName;
                return f;
            }
        }
        if (platform::hasWildcards(part)) {
            if (!allowPattern || !last || f.trailingSeparator) {
                f.error = platform::kErrorInvalidName;
                return f;
            }
            f.wildcard = true;
            // Blanks at the end of a pattern go, as from any last name;
            // final dots stay, for "*." takes the names without a dot.
            while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
            f.lastName = part;
            continue;  // the pattern is not part of the folder path
        }
        if (part == ".") continue;
        if (part == "..") {
            if (hasNames()) {
                const std::size_t cut = folded.rfind('\\');
                folded.resize(cut == 2 ? 3 : cut);
            }
            continue;
        }
        // A name loses one final dot; the last name, unless a separator
        // follows it, loses every final dot and blank.
        if (part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.') {
            part.remove_suffix(1);
        }
        if (last && !f.trailingSeparator) {
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) {
                part.remove_suffix(1);
            }
        }
        if (part.empty()) continue;
        if (hasNames()) folded += '\\';
        folded += part;
    }

    if (!f.wildcard) {
        f.lastName = hasNames() ? folded.substr(folded.rfind('\\') + 1) : std::string();
        if (!hasNames()) f.trailingSeparator = false;
    }
    // With a pattern, `path` names the folder it is matched in.
    resolve(f, f.wildcard || followLast);
    return f;
}

FakeFileSystem::Folded FakeFileSystem::foldOrThrow(const std::string& path) const {
    Folded f = fold(path, false);
    if (f.error != 0) throw std::invalid_argument("fake file system: bad path " + path);
    return f;
}

std::string_view FakeFileSystem::parentPath(std::string_view path) {
    const auto pos = path.find_last_of('\\');
    if (pos == path.npos || path.size() <= 3) return path;
    return path.substr(0, pos == 2 ? 3 : pos);
}

FakeFileSystem::Entry* FakeFileSystem::find(std::string_view path) {
    auto it = entries_.find(path);
    return it == entries_.end() ? nullptr : &it->second;
}

const FakeFileSystem::Entry* FakeFileSystem::find(std::string_view path) const {
    auto it = entries_.find(path);
    return it == entries_.end() ? nullptr : &it->second;
}

// Whether the folder that holds f's last component can be reached.
Status FakeFileSystem::checkParent(const Folded& f) const {
    const std::string_view path = f.path;
    if (notReadyDrives_.count(path[0]) != 0) return platform::kErrorNotReady;
    if (find(path.substr(0, 3)) == nullptr) return platform::kErrorPathNotFound;
    const Entry* e = find(f.wildcard ? path : parentPath(path));
    if (e == nullptr || !e->folder) return platform::kErrorPathNotFound;
    return 0;
}

bool FakeFileSystem::folderWritable(std::string_view path) const {
    while (true) {
        const Entry* e = find(path);
        if (e != nullptr && e->notWritable) return false;
        if (isRoot(path)) return true;
        path = parentPath(path);
    }
}

bool FakeFileSystem::hasChildren(std::string_view folder) const {
    for (auto it = entries_.upper_bound(folder);
         it != entries_.end() && startsWithText(it->first, folder); ++it) {
        if (inside(it->first, folder)) return true;
    }
    return false;
}

}  // namespace fakes

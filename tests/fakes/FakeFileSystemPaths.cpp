// How the in-memory file system folds a path as Win32 does before the call
// reaches the file system, and finds what a folded path names.
#include <stdexcept>

#include "platform/Wildcard.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::Status;

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool invalidNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|';
}

}  // namespace

FakeFileSystem::Folded FakeFileSystem::fold(const std::string& path, bool allowPattern,
                                            bool followLast) const {
    Folded f;
    std::string s = path;
    for (char& c : s) {
        if (c == '/') c = '\\';
    }
    if (s.empty()) {
        f.error = platform::kErrorPathNotFound;
        return f;
    }
    if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') {
        f.error = kErrorBadNetPath;
        return f;
    }

    std::vector<std::string> comps;
    char drive = currentKey_[0];
    std::string rest;
    auto startFromCurrent = [&] {
        std::string cur = currentPath_.substr(3);
        std::size_t start = 0;
        while (start < cur.size()) {
            std::size_t end = cur.find('\\', start);
            if (end == std::string::npos) end = cur.size();
            comps.push_back(cur.substr(start, end - start));
            start = end + 1;
        }
    };
    const bool hasDrive = s.size() >= 2 && s[1] == ':' &&
                          ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'));
    if (hasDrive) {
        drive = upper(s[0]);
        rest = s.substr(2);
        if ((rest.empty() || rest[0] != '\\') && drive == currentKey_[0]) startFromCurrent();
    } else {
        rest = s;
        if (rest[0] != '\\') startFromCurrent();
    }

    std::vector<std::string> parts;
    {
        std::size_t start = 0;
        while (start <= rest.size()) {
            std::size_t end = rest.find('\\', start);
            if (end == std::string::npos) end = rest.size();
            if (end > start) parts.push_back(rest.substr(start, end - start));
            start = end + 1;
        }
    }
    f.trailingSeparator = !rest.empty() && rest.back() == '\\';

    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string part = parts[i];
        const bool last = i + 1 == parts.size();
        const bool wild = part.find_first_of("*?") != std::string::npos;
        for (char c : part) {
            if (invalidNameChar(c)) {
                f.error = platform::kErrorInvalidName;
                return f;
            }
        }
        if (wild) {
            if (!allowPattern || !last || f.trailingSeparator) {
                f.error = platform::kErrorInvalidName;
                return f;
            }
            f.wildcard = true;
            // Blanks at the end of a pattern go, as from any last name;
            // final dots stay, for "*." takes the names without a dot.
            while (!part.empty() && part.back() == ' ') part.pop_back();
            f.lastName = part;
            continue;  // the pattern is not part of the folder path
        }
        if (part == ".") continue;
        if (part == "..") {
            if (!comps.empty()) comps.pop_back();
            continue;
        }
        // A name loses one final dot; the last name, unless a separator
        // follows it, loses every final dot and blank.
        if (part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.') {
            part.pop_back();
        }
        if (last && !f.trailingSeparator) {
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        }
        if (part.empty()) continue;
        comps.push_back(part);
    }

    f.path = std::string(1, drive) + ":\\";
    for (std::size_t i = 0; i < comps.size(); ++i) {
        if (i > 0) f.path += '\\';
        f.path += comps[i];
    }
    if (f.wildcard) {
        // `path` and `key` name the folder the pattern is matched in.
        f.key = upperText(f.path);
        resolve(f, true);
        return f;
    }
    f.lastName = comps.empty() ? std::string() : comps.back();
    if (comps.empty()) f.trailingSeparator = false;
    f.key = upperText(f.path);
    resolve(f, followLast);
    return f;
}

FakeFileSystem::Folded FakeFileSystem::foldOrThrow(const std::string& path) const {
    Folded f = fold(path, false);
    if (f.error != 0) throw std::invalid_argument("fake file system: bad path " + path);
    return f;
}

std::string FakeFileSystem::parentKey(const std::string& key) {
    const auto pos = key.find_last_of('\\');
    if (pos == std::string::npos || key.size() <= 3) return key;
    return pos == 2 ? key.substr(0, 3) : key.substr(0, pos);
}

bool FakeFileSystem::isRoot(const std::string& key) const { return key.size() == 3; }

FakeFileSystem::Entry* FakeFileSystem::find(const std::string& key) {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

const FakeFileSystem::Entry* FakeFileSystem::find(const std::string& key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

// Whether the folder that holds f's last component can be reached.
Status FakeFileSystem::checkParent(const Folded& f) const {
    if (notReadyDrives_.count(f.key[0]) != 0) return platform::kErrorNotReady;
    const std::string root = f.key.substr(0, 3);
    if (find(root) == nullptr) return platform::kErrorPathNotFound;
    const std::string folder = f.wildcard ? f.key : parentKey(f.key);
    const Entry* e = find(folder);
    if (e == nullptr || !e->folder) return platform::kErrorPathNotFound;
    return 0;
}

bool FakeFileSystem::folderWritable(const std::string& key) const {
    std::string k = key;
    while (true) {
        const Entry* e = find(k);
        if (e != nullptr && e->notWritable) return false;
        if (isRoot(k)) return true;
        k = parentKey(k);
    }
}

bool FakeFileSystem::hasChildren(const std::string& key) const {
    const std::string prefix = isRoot(key) ? key : key + "\\";
    auto it = entries_.upper_bound(prefix);  // past a root's own entry
    return it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

std::vector<const FakeFileSystem::Entry*> FakeFileSystem::matches(const std::string& folderKey,
                                                                  const std::string& pattern,
                                                                  bool withFolders) const {
    std::vector<const Entry*> found;
    const std::string prefix = isRoot(folderKey) ? folderKey : folderKey + "\\";
    for (auto it = entries_.lower_bound(prefix);
         it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (it->first.size() == prefix.size()) continue;
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
        if (it->second.folder && !withFolders) continue;
        if (platform::wildcardMatch(upperText(pattern),
                                    upperText(it->second.path.substr(prefix.size())))) {
            found.push_back(&it->second);
        }
    }
    return found;
}

}  // namespace fakes

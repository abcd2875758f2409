#include "engine/PathGuard.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "engine/VariableTable.h"

namespace engine {

namespace {

enum class Component { Name, Dot, DotDot, Bad };

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Characters that no Windows file name may hold. `<`, `>` and `"` are also
// wildcards to the kernel's directory search, so they are refused with the
// rest rather than trusted to match nothing.
bool isForbidden(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|';
}

// Windows drops trailing dots and spaces from a name before using it.
std::string_view trimDotsAndSpaces(std::string_view name) {
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return name.substr(0, end);
}

Component classify(std::string_view name, bool wildcardsAllowed) {
    for (char c : name) {
        if (isForbidden(c)) return Component::Bad;
        if ((c == '*' || c == '?') && !wildcardsAllowed) return Component::Bad;
    }
    if (trimDotsAndSpaces(name).empty()) {
        if (name == ".") return Component::Dot;
        if (name == "..") return Component::DotDot;
        return Component::Bad;  // "...", ". .", " ": read differently by each Windows
    }
    if (isDeviceName(name)) return Component::Bad;
    return Component::Name;
}

// The texts between the separators of `path`, empty ones included; they
// point into `path`.
std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    const auto separators = std::count_if(path.begin(), path.end(), isSeparator);
    parts.reserve(static_cast<std::size_t>(separators) + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isSeparator(path[i])) {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(path.substr(start));
    return parts;
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string folded(std::string_view name) {
    return VariableTable::lowerCase(std::string(trimDotsAndSpaces(name)));
}

}  // namespace

bool isDeviceName(std::string_view name) {
    // The device is named by the text before the first dot, blanks ignored.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
        if (VariableTable::lowerCaseIs(base, device)) return true;
    if (base.size() == 4 && (VariableTable::lowerCaseIs(base.substr(0, 3), "com") ||
                             VariableTable::lowerCaseIs(base.substr(0, 3), "lpt"))) {
        const auto digit = static_cast<unsigned char>(base[3]);
        // 0xB9, 0xB2, 0xB3: the superscript digits 1, 2, 3 of the ANSI code
        // page, which Windows also reads as port numbers.
        return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

bool CanonicalPath::isWithin(const CanonicalPath& base) const {
    if (root != base.root || parts.size() < base.parts.size()) return false;
    for (std::size_t i = 0; i < base.parts.size(); ++i)
        if (parts[i] != base.parts[i]) return false;
    return true;
}

std::optional<CanonicalPath> canonicalPath(std::string_view path) {
    const std::vector<std::string_view> pieces = splitPath(path);
    CanonicalPath result;
    std::size_t next = 0;
    if (path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == ':' && isSeparator(path[2])) {
        result.root = {VariableTable::lowerCase(path[0]), ':'};
        // pieces[0] is "C:"; the components follow it.
        next = 1;
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // "\\server\share": pieces[0] and [1] are the empty texts before and
        // between the leading separators.
        if (pieces.size() < 4) return std::nullopt;
        const std::string_view server = pieces[2];
        const std::string_view share = pieces[3];
        if (server.empty() || share.empty() || classify(server, false) != Component::Name ||
            classify(share, false) != Component::Name)
            return std::nullopt;
        result.root.append("\\\\").append(folded(server)).append("\\").append(folded(share));
        next = 4;
    } else {
        return std::nullopt;  // relative, drive-relative or rooted at the current drive
    }

    result.parts.reserve(pieces.size() - next);
    for (std::size_t i = next; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        if (piece.empty()) continue;  // doubled or trailing separator
        switch (classify(piece, false)) {
            case Component::Name:
                result.parts.push_back(folded(piece));
                break;
            case Component::Dot:
                break;
            case Component::DotDot:
                if (result.parts.empty()) return std::nullopt;
                result.parts.pop_back();
                break;
            case Component::Bad:
                return std::nullopt;
        }
    }
    return result;
}

std::optional<CanonicalPath> canonicalFinalPath(std::string_view finalPath) {
    const std::string_view device = "\\\\?\\";
    if (finalPath.substr(0, device.size()) != device) return std::nullopt;
    const std::string_view rest = finalPath.substr(device.size());
    if (rest.size() > 4 && VariableTable::lowerCaseIs(rest.substr(0, 4), "unc\\"))
        return canonicalPath(std::string("\\\\").append(rest.substr(4)));
    if (rest.size() == 2 && rest[1] == ':') return canonicalPath(std::string(rest) + "\\");
    return canonicalPath(rest);
}

PathGuard::PathGuard(const GuardFolders& folders) {
    for (const std::string* folder :
         {&folders.windowsFolder, &folders.systemFolder, &folders.programsFolder}) {
        if (auto canonical = canonicalPath(*folder)) protected_.push_back(std::move(*canonical));
    }
    installVerdict_ = usableBase(folders.installDir, "install folder", false, install_);
    std::optional<CanonicalPath> startMenu;
    startMenuVerdict_ = usableBase(folders.productStartMenu, "Start-menu folder", true, startMenu);
}

bool PathGuard::isProtected(const CanonicalPath& folder) const {
    for (const CanonicalPath& kept : protected_)
        if (folder == kept || folder.isAbove(kept)) return true;
    return false;
}

// A base folder that is a drive root or holds a protected folder would let
// deletions reach the whole drive or the system: it serves as no base.
Verdict PathGuard::usableBase(const std::string& folder, const char* what, bool networkAllowed,
                              std::optional<CanonicalPath>& base) const {
    const auto no = [what](const char* why) {
        return Verdict::no(std::string("the ") + what + why);
    };
    if (folder.empty()) return no(" is not known");
    const bool network = folder.size() >= 2 && isSeparator(folder[0]) && isSeparator(folder[1]);
    if (network && !networkAllowed) return no(" is a network or device path");
    auto canonical = canonicalPath(folder);
    if (!canonical) return no(" is not a full path");
    if (canonical->isRoot()) return no(" is a drive root");
    if (isProtected(*canonical)) return no(" is a system folder or holds one");
    base = std::move(canonical);
    return Verdict::yes();
}

Verdict PathGuard::fileValueVerdict(std::string_view value) const {
    if (!install_) return installVerdict_;
    const std::vector<std::string_view> pieces = splitPath(value);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        if (pieces[i].empty()) continue;
        const Component kind = classify(pieces[i], false);
        if (kind == Component::DotDot) return Verdict::no("climbs out with \"..\"");
        if (kind != Component::Name && kind != Component::Dot)
            return Verdict::no(
                "holds a drive, a device name or a character no folder name may hold");
    }
    const std::string_view last = pieces.back();
    if (last.empty()) return Verdict::no("names a folder, not files");
    if (classify(last, true) != Component::Name)
        return Verdict::no("names no file that the install folder can hold");
    return Verdict::yes();
}

}  // namespace engine

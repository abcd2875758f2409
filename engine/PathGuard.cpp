#include "engine/PathGuard.h"

#include <cstddef>

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
std::string trimDotsAndSpaces(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return name.substr(0, end);
}

Component classify(const std::string& name, bool wildcardsAllowed) {
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

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (isSeparator(c))
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string folded(const std::string& name) {
    return VariableTable::lowerCase(trimDotsAndSpaces(name));
}

}  // namespace

bool isDeviceName(const std::string& name) {
    // The device is named by the text before the first dot, blanks ignored.
    std::string base = VariableTable::lowerCase(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" ||
        base == "conout$")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0)) {
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

std::optional<CanonicalPath> canonicalPath(const std::string& path) {
    std::vector<std::string> pieces = splitPath(path);
    CanonicalPath result;
    std::size_t next = 0;
    if (path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == ':' && isSeparator(path[2])) {
        result.root = VariableTable::lowerCase(path.substr(0, 2));
        // pieces[0] is "C:"; the components follow it.
        next = 1;
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // "\\server\share": pieces[0] and [1] are the empty texts before and
        // between the leading separators.
        if (pieces.size() < 4) return std::nullopt;
        const std::string& server = pieces[2];
        const std::string& share = pieces[3];
        if (server.empty() || share.empty() || classify(server, false) != Component::Name ||
            classify(share, false) != Component::Name)
            return std::nullopt;
        result.root = "\\\\" + folded(server) + "\\" + folded(share);
        next = 4;
    } else {
        return std::nullopt;  // relative, drive-relative or rooted at the current drive
    }

    for (std::size_t i = next; i < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
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

std::optional<CanonicalPath> canonicalFinalPath(const std::string& finalPath) {
    const std::string device = "\\\\?\\";
    if (finalPath.compare(0, device.size(), device) != 0) return std::nullopt;
    const std::string rest = finalPath.substr(device.size());
    if (rest.size() > 4 && VariableTable::lowerCase(rest.substr(0, 4)) == "unc\\")
        return canonicalPath("\\\\" + rest.substr(4));
    if (rest.size() == 2 && rest[1] == ':') return canonicalPath(rest + "\\");
    return canonicalPath(rest);
}

PathGuard::PathGuard(const GuardFolders& folders) {
    for (const std::string* folder :
         {&folders.windowsFolder, &folders.systemFolder, &folders.programsFolder}) {
        if (auto canonical = canonicalPath(*folder)) protected_.push_back(*canonical);
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
    const std::string the = std::string("the ") + what;
    if (folder.empty()) return Verdict::no(the + " is not known");
    const bool network = folder.size() >= 2 && isSeparator(folder[0]) && isSeparator(folder[1]);
    if (network && !networkAllowed) return Verdict::no(the + " is a network or device path");
    auto canonical = canonicalPath(folder);
    if (!canonical) return Verdict::no(the + " is not a full path");
    if (canonical->isRoot()) return Verdict::no(the + " is a drive root");
    if (isProtected(*canonical)) return Verdict::no(the + " is a system folder or holds one");
    base = canonical;
    return Verdict::yes();
}

Verdict PathGuard::fileValueVerdict(const std::string& value) const {
    if (!install_) return installVerdict_;
    const std::vector<std::string> pieces = splitPath(value);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        if (pieces[i].empty()) continue;
        const Component kind = classify(pieces[i], false);
        if (kind == Component::DotDot) return Verdict::no("climbs out with \"..\"");
        if (kind != Component::Name && kind != Component::Dot)
            return Verdict::no(
                "holds a drive, a device name or a character no folder name may hold");
    }
    const std::string& last = pieces.back();
    if (last.empty()) return Verdict::no("names a folder, not files");
    if (classify(last, true) != Component::Name)
        return Verdict::no("names no file that the install folder can hold");
    return Verdict::yes();
}

}  // namespace engine

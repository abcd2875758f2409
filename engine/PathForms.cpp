#include "engine/PathForms.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "platform/Utf8.h"

namespace engine {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Characters that no Windows file name may hold. `<`, `>` and `"` are also
// wildcards to the kernel's directory search, so they are refused with the
// rest rather than trusted to match nothing.
// A table rather than comparisons: every character of every path passes here.
constexpr std::array<bool, 256> kForbidden = [] {
    std::array<bool, 256> forbidden{};
    for (std::size_t c = 0; c < 32; ++c) forbidden[c] = true;
    for (const char c : {'<', '>', ':', '"', '|'}) forbidden[static_cast<unsigned char>(c)] = true;
    return forbidden;
}();

bool isForbidden(char c) { return kForbidden[static_cast<unsigned char>(c)]; }

// Windows drops trailing dots and spaces from a name before using it.
std::string_view trimDotsAndSpaces(std::string_view name) {
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return name.substr(0, end);
}

}  // namespace

Component classify(std::string_view name, bool wildcardsAllowed, const platform::TextRules& text) {
    for (char c : name) {
        if (isForbidden(c)) return Component::Bad;
        if (!wildcardsAllowed && (c == '*' || c == '?')) return Component::Bad;
    }
    if (trimDotsAndSpaces(name).empty()) {
        if (name == ".") return Component::Dot;
        if (name == "..") return Component::DotDot;
        return Component::Bad;  // "...", ". .", " ": read differently by each Windows
    }
    if (isDeviceName(name, text)) return Component::Bad;
    return Component::Name;
}

std::string_view takeComponent(std::string_view& rest) {
    const std::size_t cut = std::min(firstSeparator(rest), rest.size());
    const std::string_view component = rest.substr(0, cut);
    rest.remove_prefix(std::min(cut + 1, rest.size()));
    return component;
}

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A name as the file system compares it.
std::string folded(std::string_view name, const platform::TextRules& text) {
    return text.upperCaseOrdinal(trimDotsAndSpaces(name));
}

}  // namespace

// A search for either separator at once: find_first_of would look each
// character up in the set of two, one call per character.
std::size_t firstSeparator(std::string_view path) {
    const auto found = std::find_if(path.begin(), path.end(), isSeparator);
    return found == path.end() ? std::string_view::npos
                               : static_cast<std::size_t>(found - path.begin());
}

std::size_t lastSeparator(std::string_view path) {
    const auto found = std::find_if(path.rbegin(), path.rend(), isSeparator);
    return found == path.rend() ? std::string_view::npos
                                : static_cast<std::size_t>(path.rend() - found) - 1;
}

bool isDeviceName(std::string_view name, const platform::TextRules& text) {
    // The device is named by the text before the first dot, blanks ignored.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    // Every device name has three to seven characters (of at most two bytes
    // each); most names have more.
    if (base.size() < 3 || base.size() > 14) return false;
    // Every device name begins with C, P, A, N or L; a name that begins with
    // another ASCII character (which maps only to ASCII) is none.
    const char first = base[0];
    if (static_cast<unsigned char>(first) < 0x80 &&
        std::string_view("CPANLcpanl").find(first) == std::string_view::npos)
        return false;
    const std::size_t characters = platform::utf8::characterCount(base);
    if (characters < 3 || characters > 7) return false;
    const std::string upper = text.upperCaseOrdinal(base);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (upper == device) return true;
    if (characters == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0)) {
        const std::string_view digit = std::string_view(upper).substr(3);
        // The superscript digits 1, 2 and 3 are port numbers to Windows too.
        return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\u00B9" ||
               digit == "\u00B2" || digit == "\u00B3";
    }
    return false;
}

bool CanonicalPath::isWithin(const CanonicalPath& base) const {
    return root == base.root && names.size() >= base.names.size() &&
           names.compare(0, base.names.size(), base.names) == 0 &&
           (names.size() == base.names.size() || names[base.names.size()] == '\\');
}

std::optional<CanonicalPath> canonicalPath(std::string_view path, const platform::TextRules& text) {
    CanonicalPath result;
    std::string_view rest = path;  // the components after the root
    if (path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == ':' && isSeparator(path[2])) {
        const char drive = path[0] >= 'a' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
        result.root = {drive, ':'};
        rest.remove_prefix(3);
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        rest.remove_prefix(2);
        const std::string_view server = takeComponent(rest);
        const std::string_view share = takeComponent(rest);
        if (server.empty() || share.empty() || classify(server, false, text) != Component::Name ||
            classify(share, false, text) != Component::Name)
            return std::nullopt;
        result.root.append("\\\\")
            .append(folded(server, text))
            .append("\\")
            .append(folded(share, text));
    } else {
        return std::nullopt;  // relative, drive-relative or rooted at the current drive
    }

    // The names are gathered as written and upper-cased together at the end:
    // the mapping goes a character at a time, and "\\" is one of its own.
    std::string& names = result.names;
    names.reserve(rest.size() + 1);
    while (!rest.empty()) {
        const std::string_view piece = takeComponent(rest);
        if (piece.empty()) continue;  // doubled or trailing separator
        switch (classify(piece, false, text)) {
            case Component::Name:
                names += '\\';
                names += trimDotsAndSpaces(piece);
                break;
            case Component::Dot:
                break;
            case Component::DotDot:
                if (names.empty()) return std::nullopt;
                names.resize(names.rfind('\\'));
                break;
            case Component::Bad:
                return std::nullopt;
        }
    }
    if (!names.empty()) names = text.upperCaseOrdinal(names);
    return result;
}

// A final path is compared exactly as the system reported it: split at "\\"
// only and every name kept whole, so that a name made through "\\?\\" that
// really ends in a dot or a blank ("QUOB Demo.") stays another name than the
// one without it. Only letter case is ignored, as the file system ignores it.
std::optional<CanonicalPath> canonicalFinalPath(std::string_view finalPath,
                                                const platform::TextRules& text) {
    const std::string_view device = "\\\\?\\";
    if (finalPath.substr(0, device.size()) != device) return std::nullopt;
    std::string_view rest = finalPath.substr(device.size());
    const auto take = [&rest] {
        const std::size_t cut = std::min(rest.find('\\'), rest.size());
        const std::string_view piece = rest.substr(0, cut);
        rest.remove_prefix(std::min(cut + 1, rest.size()));
        return piece;
    };
    CanonicalPath result;
    if (rest.size() > 4 && text.upperCaseOrdinal(rest.substr(0, 4)) == "UNC\\") {
        rest.remove_prefix(4);
        const std::string_view server = take();
        const std::string_view share = take();
        if (server.empty() || share.empty()) return std::nullopt;
        result.root.append("\\\\")
            .append(text.upperCaseOrdinal(server))
            .append("\\")
            .append(text.upperCaseOrdinal(share));
    } else if (rest.size() >= 2 && isAsciiLetter(rest[0]) && rest[1] == ':' &&
               (rest.size() == 2 || rest[2] == '\\')) {
        const char drive = rest[0] >= 'a' ? static_cast<char>(rest[0] - 'a' + 'A') : rest[0];
        result.root = {drive, ':'};
        rest.remove_prefix(std::min<std::size_t>(3, rest.size()));
    } else {
        return std::nullopt;
    }
    std::string& names = result.names;
    names.reserve(rest.size() + 1);
    while (!rest.empty()) {
        const std::string_view piece = take();
        // The system reports no empty name, nor "." or "..": a path that
        // holds one is none of its final paths.
        if ((piece.empty() && !rest.empty()) || piece == "." || piece == "..") return std::nullopt;
        if (!piece.empty()) names.append("\\").append(piece);
    }
    if (!names.empty()) names = text.upperCaseOrdinal(names);
    return result;
}

}  // namespace engine

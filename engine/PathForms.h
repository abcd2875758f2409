// What a path names, in the two forms the deletion judge compares: a written
// path folded the way Win32 folds it before a call reaches the file system,
// so that spelling tricks ("/", doubled separators, "..", trailing dots,
// letter case) can't slip past a comparison; and a real path exactly as the
// system reported it. No rule lives here: the judge (DeletionJudge) decides.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/TextRules.h"

namespace engine {

// An absolute path in the form Windows resolves it to: root "C:" or
// "\\SERVER\SHARE", then the components, each after a "\", all upper-cased
// as the file system compares names (ordinal, whatever the locale), so that
// two paths name the same place when their forms are equal. No component
// holds a "\", so one text compares as the list of components would.
struct CanonicalPath {
    std::string root;
    std::string names;  // "\PROGRAM FILES\QUOB"; empty for the root itself

    bool isRoot() const { return names.empty(); }
    bool operator==(const CanonicalPath& other) const {
        return root == other.root && names == other.names;
    }
    // Whether this path is `base` or lies below it.
    bool isWithin(const CanonicalPath& base) const;
    // Whether this path lies strictly above `other`.
    bool isAbove(const CanonicalPath& other) const {
        return names.size() < other.names.size() && other.isWithin(*this);
    }
};

// The canonical form of `path`, or nothing when the path is not plainly an
// absolute path on a drive or a network share: empty, relative, drive-relative
// ("C:x"), rooted without a drive ("\x"), a device or long-path prefix
// ("\\.\", "\\?\"), a ".." above the root, a component that Windows would
// read unpredictably (only dots and spaces), a reserved device name such as
// CON or LPT1, or a character that no file name may hold (control characters,
// <>:"| and the wildcards * and ?).
std::optional<CanonicalPath> canonicalPath(std::string_view path, const platform::TextRules& text);

// Where the first and the last separator ("\\" or "/") of `path` are, or npos.
std::size_t firstSeparator(std::string_view path);
std::size_t lastSeparator(std::string_view path);

// Whether `name` (one path component, as written) is a reserved device name:
// CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, also with an extension
// or trailing dots and spaces ("con.txt", "NUL ").
bool isDeviceName(std::string_view name, const platform::TextRules& text);

// The canonical form of a final path as the system reports it
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), or nothing when it
// is neither.
std::optional<CanonicalPath> canonicalFinalPath(std::string_view finalPath,
                                                const platform::TextRules& text);

// What one component of a path is, as Windows reads it.
enum class Component {
    Name,    // a name
    Dot,     // "."
    DotDot,  // ".."
    Bad,     // a name no file may have: a device name, a character that
             // no name may hold, only dots and blanks, a wildcard (unless
             // allowed)
};
Component classify(std::string_view name, bool wildcardsAllowed, const platform::TextRules& text);

// The text of `rest` up to its first separator, taken off the front of
// `rest` together with that separator: successive calls give the
// components between separators, empty ones included.
std::string_view takeComponent(std::string_view& rest);

}  // namespace engine

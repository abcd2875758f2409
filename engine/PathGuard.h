// What a deletion may reach. Removal scripts and registered open commands are
// input the uninstaller does not control, so every file and folder deletion is
// checked against the folders that the product owns (the install folder and
// its own Start-menu folder) and against the folders that must never be
// emptied (drive roots, Windows, System, Programs). Paths are compared the way
// Windows folds them before a call reaches the file system, so that spelling
// tricks ("/", doubled separators, "..", trailing dots, letter case) can't
// slip past a comparison.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/TextRules.h"

namespace engine {

// An absolute path in the form Windows resolves it to: root "C:" or
// "\\SERVER\SHARE", then the components, all upper-cased as the file
// system compares names (ordinal, whatever the locale), so that two paths
// name the same place when their forms are equal.
struct CanonicalPath {
    std::string root;
    std::vector<std::string> parts;

    bool isRoot() const { return parts.empty(); }
    bool operator==(const CanonicalPath& other) const {
        return root == other.root && parts == other.parts;
    }
    // Whether this path is `base` or lies below it.
    bool isWithin(const CanonicalPath& base) const;
    // Whether this path lies strictly above `other`.
    bool isAbove(const CanonicalPath& other) const {
        return other.isWithin(*this) && parts.size() < other.parts.size();
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

// A yes or no of the deletion rules; a no carries its reason in plain words.
struct Verdict {
    std::string refusal;  // empty when allowed

    bool allowed() const { return refusal.empty(); }
    static Verdict yes() { return {}; }
    static Verdict no(std::string reason) { return {std::move(reason)}; }
};

// How far a folder removal may reach: strictly inside a folder the product
// owns (a registered command's folders), or one of those folders itself (the
// product clean-up).
enum class Reach { Inside, OwnedFolder };

// The canonical form of a final path as the system reports it
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), or nothing when it
// is neither.
std::optional<CanonicalPath> canonicalFinalPath(std::string_view finalPath,
                                                const platform::TextRules& text);

// The folders a run must know to tell what it may delete.
struct GuardFolders {
    std::string windowsFolder;
    std::string systemFolder;
    std::string programsFolder;
    std::vector<std::string> keptFolders;  // the other folders Windows itself keeps
    std::string installDir;
    std::string productStartMenu;  // the product's own Start-menu folder
};

class PathGuard {
public:
    PathGuard(const GuardFolders& folders, const platform::TextRules& text);

    // The install directory can serve as the base of deletions: a full path
    // on a drive (not a network or device path) that is neither a drive root
    // nor one of the protected folders or a folder above one of them.
    bool installDirUsable() const { return installVerdict_.allowed(); }
    const Verdict& installDirVerdict() const { return installVerdict_; }
    // The same for the product's Start-menu folder. A Start menu redirected
    // to a file server is a share the user controls: it serves as none.
    const Verdict& startMenuVerdict() const { return startMenuVerdict_; }

    // A `removefile` value names files below the install directory: no ".."
    // (nor any other component of dots and spaces), no drive, share or
    // stream colon, no device name, wildcards only in the last component,
    // and a last component that names files rather than a folder.
    Verdict fileValueVerdict(std::string_view value) const;

    // Whether `folder` is a protected folder or lies above one; `real` adds
    // the protected folders' real locations to their written ones.
    bool isProtected(const CanonicalPath& folder) const;
    void addProtected(CanonicalPath real) { protected_.push_back(std::move(real)); }

    const std::optional<CanonicalPath>& installDir() const { return install_; }

private:
    Verdict usableBase(const std::string& folder, const char* what,
                       std::optional<CanonicalPath>& base) const;

    const platform::TextRules& text_;
    std::optional<CanonicalPath> install_;
    Verdict installVerdict_;
    Verdict startMenuVerdict_;
    std::vector<CanonicalPath> protected_;  // never removed, nor anything above
};

}  // namespace engine

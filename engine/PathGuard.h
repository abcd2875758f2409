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
#include <vector>

namespace engine {

// An absolute path in the form Windows resolves it to: root "c:" or
// "\\server\share", then the components, all lower-cased.
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
std::optional<CanonicalPath> canonicalPath(const std::string& path);

// Whether `name` (one path component, as written) is a reserved device name:
// CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, also with an extension
// or trailing dots and spaces ("con.txt", "NUL ").
bool isDeviceName(const std::string& name);

// The folders a run must know to tell what it may delete.
struct GuardFolders {
    std::string windowsFolder;
    std::string systemFolder;
    std::string programsFolder;
    std::string installDir;
    std::string productStartMenu;  // the product's own Start-menu folder
};

class PathGuard {
public:
    explicit PathGuard(const GuardFolders& folders);

    // The install directory can serve as the base of deletions: an absolute
    // folder that is neither a drive root nor one of the protected folders or
    // a folder above one of them.
    bool installDirUsable() const { return install_.has_value(); }

    // A `removefile` value names files below the install directory: no ".."
    // (nor any other component of dots and spaces), no drive, share or
    // stream colon, no device name, wildcards only in the last component,
    // and a last component that names files rather than a folder.
    bool mayDeleteFiles(const std::string& value) const;

    // A folder whose files and then itself may be removed: inside the install
    // folder (the install folder itself included) or inside the product's
    // Start-menu folder, and never a drive root, the Windows, System or
    // Programs folder, or a folder above one of these or above the install
    // folder.
    bool mayRemoveFolder(const std::string& folder) const;

private:
    std::optional<CanonicalPath> install_;
    std::optional<CanonicalPath> startMenu_;
    std::vector<CanonicalPath> protected_;  // never removed, nor anything above
};

}  // namespace engine

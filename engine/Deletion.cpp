// Deleting files and folders of the product, behind the deletion guard.
#include <cstdint>

#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace engine {

namespace {

constexpr const char* kMarkerFile = "\\can't delete";
constexpr const char* kStartMenuFolder = "\\CORVALUNE quob Demo";

}  // namespace

// Worked out once, at the first deletion of the run: a marker file created or
// removed later changes nothing.
bool Install::deletionAllowed() {
    if (guardWorkedOut_) return guardAllows_;
    guardWorkedOut_ = true;
    std::uint64_t length = 0;
    // Any failure of the query counts as a missing marker.
    guardAllows_ = platform_.files.fileLength(platform_.system.programFolder() + kMarkerFile,
                                              length) != platform::kErrorSuccess;
    return guardAllows_;
}

Deletions& Install::deletions() {
    if (!deletions_) {
        GuardFolders folders;
        folders.windowsFolder = sysenv::GetWindowsDir(platform_.system);
        folders.systemFolder = sysenv::GetWindowsSysDir(platform_.system);
        folders.programsFolder = sysenv::getProgramsFolder(platform_.registry);
        folders.installDir = installDir_;
        folders.productStartMenu = folders.programsFolder + kStartMenuFolder;
        deletions_.emplace(platform_.files, folders);
    }
    return *deletions_;
}

// The value names files below the install directory, with or without a
// leading "\"; a value that would lead anywhere else deletes nothing.
void Install::removeFileEntry() {
    if (!deletionAllowed()) return;
    const std::string value = getVariableValue("removefile");
    const std::string path =
        (!value.empty() && value[0] == '\\') ? installDir_ + value : installDir_ + "\\" + value;
    if (const Verdict verdict = deletions().guard().fileValueVerdict(value); !verdict.allowed()) {
        deletions().refuse(path, verdict.refusal);
        return;
    }
    deletions().deleteFiles(path);  // failures are passed over in silence
}

// The files directly in the folder, then the folder if that left it empty;
// subfolders are not entered. A registered command's folders are removed
// only strictly inside a folder the product owns, the clean-up removes
// those folders themselves.
void Install::removeFolder(const std::string& folder, Reach reach) {
    if (!deletionAllowed()) return;
    deletions().removeFolder(folder, reach);
}

}  // namespace engine

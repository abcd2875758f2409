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

const PathGuard& Install::pathGuard() {
    if (!pathGuard_) {
        GuardFolders folders;
        folders.windowsFolder = sysenv::GetWindowsDir(platform_.system);
        folders.systemFolder = sysenv::GetWindowsSysDir(platform_.system);
        folders.programsFolder = sysenv::getProgramsFolder(platform_.registry);
        folders.installDir = installDir_;
        folders.productStartMenu = folders.programsFolder + kStartMenuFolder;
        pathGuard_.emplace(folders);
    }
    return *pathGuard_;
}

// The value names files below the install directory, with or without a
// leading "\"; a value that would lead anywhere else deletes nothing.
void Install::removeFileEntry() {
    if (!deletionAllowed()) return;
    const std::string value = getVariableValue("removefile");
    if (!pathGuard().mayDeleteFiles(value)) return;
    const std::string path =
        (!value.empty() && value[0] == '\\') ? installDir_ + value : installDir_ + "\\" + value;
    platform_.files.deleteFiles(path);  // failures are passed over in silence
}

// The files directly in the folder, then the folder if that left it empty;
// subfolders are not entered.
void Install::removeFolder(const std::string& folder) {
    if (!deletionAllowed()) return;
    if (!pathGuard().mayRemoveFolder(folder)) return;
    platform_.files.deleteFiles(folder + "\\*.*");
    platform_.files.removeDirectory(folder);
}

}  // namespace engine

// What Remove does: the chosen scripts in list order, then the product.
#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace engine {

namespace {

// Deleting a running program file fails with one of these; Windows reports
// a running .exe as access denied, a file held open by another program as a
// sharing violation.
bool inUse(platform::Status status) {
    return status == platform::kErrorAccessDenied || status == platform::kErrorSharingViolation;
}

}  // namespace

// The scripts run without failure trapping: a script that can't be loaded or
// interpreted stops the run where it stands, and what was deleted before it
// stays deleted. The failure comes back as the outcome for the dialog to show.
RemovalOutcome Install::ok_Click() {
    RemovalOutcome outcome;
    try {
        dialog_.hide();
        Int16 selected = 0;
        for (Int16 p = 0; p < appCount_; ++p) {
            if (!list_.isSelected(p)) continue;
            selected = add16(selected, 1);
            progress_.removing(list_.text(p));
            progress_.show();
            dialog_.processPendingEvents();
            const std::size_t position = static_cast<std::size_t>(p) + 1;
            if (position >= scriptNames_.size()) throw Failure(FailureKind::OutOfRange);
            readWholeFile(scriptNames_[position]);
            processScript(true);
        }
        // A Remove that removed nothing leaves the product alone.
        if (selected > 0 && selected == appCount_ && deletionAllowed()) removeProduct();
        progress_.close();
        outcome.completed = true;
        outcome.message = kClosingMessage;
    } catch (const Failure& failure) {
        outcome.completed = false;
        outcome.message = failure.description();
    }
    // Explorer keeps showing icons and "Open with" entries of deleted file
    // types until it is told, also when a later script stopped the run.
    if (fileTypeKeyDeleted_) platform_.shell.notifyAssociationsChanged();
    return outcome;
}

// The product clean-up, in its fixed order. Nothing in it fails: a step that
// can't be done is passed over and the next one runs.
void Install::removeProduct() {
    // Without a usable install directory every path below would start at the
    // root of the current drive (or at a system folder): the file and folder
    // steps are skipped, the registry steps still run.
    if (pathGuard().installDirUsable()) {
        const std::string programFile =
            installDir_ + "\\" + platform_.system.programName() + ".exe";
        if (inUse(platform_.files.deleteFile(programFile))) {
            // The running uninstaller can't delete itself: Windows removes it
            // and then the emptied install folder at the next restart.
            platform_.files.scheduleDeleteAtRestart(programFile);
            platform_.files.scheduleDeleteAtRestart(installDir_);
        }
        removeFolder(sysenv::getProgramsFolder(platform_.registry) + "\\CORVALUNE quob Demo");
        removeFolder(installDir_);
    }
    deleteLocalMachineKey(kUninstallKey);
    deleteLocalMachineKey(kProductKey);
}

void Install::deleteLocalMachineKey(const std::string& keyPath) {
    platform::HKey key = 0;
    if (platform_.registry.openKey(platform::kHkeyLocalMachine, keyPath, 0, platform::kKeyAllAccess,
                                   key) != platform::kErrorSuccess)
        return;
    platform_.registry.deleteKey(key, "");
    platform_.registry.closeKey(key);
}

}  // namespace engine

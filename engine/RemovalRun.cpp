// What Remove does: the chosen scripts in list order, then the product.
#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace engine {

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
    // The owned folders are held for the run alone.
    deletions_.reset();
    // Explorer keeps showing icons and "Open with" entries of deleted file
    // types until it is told, also when a later script stopped the run.
    if (fileTypeKeyDeleted_) platform_.shell.notifyAssociationsChanged();
    return outcome;
}

// The product clean-up, in its fixed order. Nothing in it fails: a step that
// can't be done is passed over and the next one runs.
void Install::removeProduct() {
    Deletions& rules = deletions();
    // Without a usable install directory every path below would start at the
    // root of the current drive (or at a system folder): the install folder's
    // steps are skipped, the Start-menu folder and the registry steps run.
    const bool installDirUsable = rules.installDirVerdict().allowed();
    if (installDirUsable) {
        const std::string programFile =
            installDir_ + "\\" + platform_.system.programName() + ".exe";
        bool running = false;
        rules.deleteFile(programFile, platform_.system.programFile(), running);
        if (running) {
            // The running uninstaller can't delete itself: Windows removes it
            // and then the emptied install folder at the next restart.
            platform_.files.scheduleDeleteAtRestart(programFile);
            platform_.files.scheduleDeleteAtRestart(installDir_);
        }
    }
    rules.releaseStartMenu();
    removeFolder(sysenv::getProgramsFolder(platform_.registry) + "\\CORVALUNE quob Demo",
                 Reach::OwnedFolder);
    if (installDirUsable) {
        rules.releaseInstallDir();
        removeFolder(installDir_, Reach::OwnedFolder);
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

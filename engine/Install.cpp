#include "engine/Install.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/Utf8.h"
#include "sysenv/SysEnv.h"

namespace engine {

Install::Install(platform::Platform platform, DialogView& dialog, ProgressView& progress)
    : platform_(platform), dialog_(dialog), progress_(progress) {}

// ---- the main dialog's load: discovery, then the standard variables

void Install::Form_Load() {
    dialog_.centerForm();
    findApplications();

    // Only the first row that discovery stored stays live; the rest of the
    // table is left to the scripts of the removal run.
    variables_.setVariableCount(1);

    const std::string windowsFolder = sysenv::GetWindowsDir(platform_.system);
    std::string systemFolder = sysenv::GetWindowsSysDir(platform_.system);
    // A System folder outside the Windows folder belongs to a shared Windows
    // installation, often on a read-only network drive: scripts then get the
    // Windows folder unless the System folder can be written to.
    if (systemFolder.find(windowsFolder) == std::string::npos &&
        !sysenv::WriteAccess(platform_.files, systemFolder))
        systemFolder = windowsFolder;

    setVariableValue("windowdirectory", windowsFolder);
    setVariableValue("windowDrive", platform::utf8::firstCharacters(windowsFolder, 2));
    setVariableValue("msDAOPath", getVariableValue("windowdrive") +
                                      "\\program files\\common files\\microsoft shared\\Dao\\");
    setVariableValue("windowSystem", systemFolder);
    setVariableValue("windowMenuPrograms", sysenv::getProgramsFolder(platform_.registry));
    script_.rewind();
    setVariableValue("installtitle", kInstallTitle);

    dialog_.setCaption(getVariableValue("installtitle"));
}

// ---- discovery: the product's removal scripts and their titles

void Install::findApplications() {
    appCount_ = 0;
    scriptNames_.assign(1, std::string());
    titles_.clear();

    platform::HKey key = 0;
    const platform::Status opened = platform_.registry.openKey(
        platform::kHkeyLocalMachine, kProductKey, 0, platform::kKeyAllAccess, key);
    // A failed open leaves the handle 0, which reads as no value at all.
    installDir_ = sysenv::regQueryString(platform_.registry, "", key);
    if (opened == platform::kErrorSuccess) platform_.registry.closeKey(key);

    // A folder that can't be listed lists nothing; one whose listing fails
    // part-way lists the scripts found before the failure.
    std::vector<std::string> names;
    if (opened == platform::kErrorSuccess)
        platform_.files.listFiles(installDir_ + "\\*.del", names);

    for (std::string& name : names) {
        if (name.empty()) continue;
        // The count is 16-bit: scripts past the last position can't be listed.
        if (appCount_ == std::numeric_limits<Int16>::max()) break;
        std::string title;
        try {
            title = scriptTitle(name);
        } catch (const Failure& failure) {
            // A script whose title can't be read takes no position, so list
            // entry k keeps belonging to the script at position k + 1.
            if (observer_ != nullptr) observer_->scriptLeftOut(name, failure);
            continue;
        }
        appCount_ = add16(appCount_, 1);
        scriptNames_.push_back(std::move(name));
        titles_.push_back(std::move(title));
    }
}

std::string Install::scriptTitle(const std::string& name) {
    loadScript(name);
    script_.processScript(false);
    return getVariableValue("title");
}

// Always a separator, even when the install directory already ends in one:
// the installer wrote the folder without it and the file system takes both.
void Install::loadScript(const std::string& name) {
    script_.readWholeFile(installDir_ + "\\" + name);
}

// ---- Remove

// The scripts run without failure trapping: a script that can't be loaded or
// interpreted stops the run where it stands, and what was deleted before it
// stays deleted. The failure comes back as the outcome for the dialog to show.
RemovalOutcome Install::ok_Click(const std::vector<int>& chosen) {
    std::vector<int> positions = chosen;
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());

    RemovalOutcome outcome;
    script_.setObserver(observer_);
    deletions_.setObserver(observer_);
    try {
        dialog_.hide();
        Int16 selected = 0;
        for (const int p : positions) {
            if (p < 0 || p >= appCount_) throw Failure(FailureKind::OutOfRange);
            selected = add16(selected, 1);
            progress_.removing(titles_[static_cast<std::size_t>(p)]);
            progress_.show();
            dialog_.processPendingEvents();
            const std::string& name = scriptNames_[static_cast<std::size_t>(p) + 1];
            if (observer_ != nullptr)
                observer_->applicationStarting(p, titles_[static_cast<std::size_t>(p)], name);
            loadScript(name);
            if (observer_ != nullptr) observer_->scriptLoaded();
            script_.processScript(true);
        }
        // A Remove that removed nothing leaves the product alone.
        if (selected > 0 && selected == appCount_ && deletions_.deletionAllowed()) {
            if (observer_ != nullptr) observer_->cleanupStarting();
            removeProduct();
        }
        progress_.close();
        outcome.completed = true;
        outcome.message = kClosingMessage;
    } catch (const Failure& failure) {
        outcome.completed = false;
        outcome.message = failure.description();
    }
    script_.setObserver(nullptr);
    deletions_.setObserver(nullptr);
    // The owned folders are held for the run alone.
    deletions_.endRun();
    // Explorer keeps showing icons and "Open with" entries of deleted file
    // types until it is told, also when a later script stopped the run.
    if (deletions_.fileTypeKeyDeleted()) platform_.shell.notifyAssociationsChanged();
    return outcome;
}

// The product clean-up, in its fixed order. Nothing in it fails: a step that
// can't be done is passed over and the next one runs.
void Install::removeProduct() {
    DeletionJudge& rules = deletions_.rules();
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
            // and then the emptied install folder at the next restart, both
            // named by where they really are now.
            rules.scheduleAtRestart(programFile, Reach::Inside);
            rules.scheduleAtRestart(installDir_, Reach::OwnedFolder);
        }
    }
    rules.releaseStartMenu();
    deletions_.removeFolder(rules.productStartMenu(), Reach::OwnedFolder);
    if (installDirUsable) {
        rules.releaseInstallDir();
        deletions_.removeFolder(installDir_, Reach::OwnedFolder);
    }
    deletions_.deleteKey(platform::kHkeyLocalMachine, kUninstallKey);
    deletions_.deleteKey(platform::kHkeyLocalMachine, kProductKey);
}

}  // namespace engine

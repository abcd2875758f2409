#include "checker/Checker.h"

#include "checker/Follower.h"
#include "checker/Recording.h"
#include "checker/RunParts.h"
#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace checker {

namespace {

constexpr std::uint32_t kKeyRead = 0x20019u;

int count(const std::vector<std::string>& texts) { return static_cast<int>(texts.size()); }

}  // namespace

int Plan::failureCount() const {
    int n = 0;
    for (const ApplicationReport& app : applications) n += app.failure ? 1 : 0;
    return n;
}

int Plan::refusedCount() const {
    int n = 0;
    for (const ApplicationReport& app : applications)
        for (const LineReport& line : app.lines) n += line.refused.empty() ? 0 : 1;
    if (cleanup) n += count(cleanup->refused);
    return n;
}

int Plan::warningCount() const {
    int n = count(warnings) + static_cast<int>(skipped.size());
    for (const ApplicationReport& app : applications) {
        n += count(app.warnings);
        for (const LineReport& line : app.lines) n += count(line.warnings);
    }
    if (cleanup) n += count(cleanup->warnings);
    return n;
}

int Plan::exitStatus() const {
    return failureCount() + refusedCount() + warningCount() == 0 ? 0 : 1;
}

Plan check(platform::Platform real, const std::optional<std::string>& folder) {
    Plan plan;
    plan.folderMode = folder.has_value();
    if (folder) {
        std::uint32_t attributes = 0;
        if (folder->empty() || real.files.getAttributes(*folder, attributes) != 0 ||
            (attributes & platform::kAttributeDirectory) == 0)
            throw CannotCheck("there is no folder " + *folder);
    } else {
        platform::HKey key = 0;
        if (real.registry.openKey(platform::kHkeyLocalMachine, engine::kProductKey, 0, kKeyRead,
                                  key) != platform::kErrorSuccess)
            throw CannotCheck(std::string("the product is not installed here (there is no key "
                                          "HKLM\\") +
                              engine::kProductKey + "); give the folder of a staged product");
        real.registry.closeKey(key);
    }

    Journal journal;
    RecordingFileSystem files(real.files, real.system, journal);
    RecordingRegistry registry(real.registry, real.system, journal);
    RecordingSystem system(real.system);
    RecordingShell shell;
    if (folder) {
        registry.stageProduct(*folder);
        system.setInstallFolder(*folder);
    }
    SilentDialog dialog;
    SilentProgress progress;
    engine::Install install(platform::Platform{registry, files, system, shell}, dialog, progress);
    Follower follower(plan, journal, install, files);
    install.setObserver(&follower);

    install.Form_Load();
    if (!folder) system.setInstallFolder(install.installDir());
    files.setRunningProgram(system.programFile());
    plan.installDir = install.installDir();
    plan.programsFolder = sysenv::getProgramsFolder(registry);
    std::vector<int> every;
    for (int k = 0; k < install.appCount(); ++k) {
        ApplicationReport app;
        app.title = install.applications()[static_cast<std::size_t>(k)];
        app.script = install.scriptNames()[static_cast<std::size_t>(k) + 1];
        app.position = k + 1;
        plan.applications.push_back(app);
        every.push_back(k);
    }

    plan.deletionsAllowed = install.deletions().deletionAllowed();
    follower.setDeletionsAllowed(plan.deletionsAllowed);
    if (!folder && plan.installDir.empty())
        plan.warnings.push_back(
            "the product key names no install folder: the uninstaller looks for scripts in the "
            "root folder of the current drive");
    if (!plan.deletionsAllowed)
        plan.warnings.push_back(
            "a file \"can't delete\" lies in the install folder: no file or folder is deleted "
            "and the product clean-up is skipped, while removekey lines still delete keys");
    if (install.appCount() == 0)
        plan.warnings.push_back("there are no removal scripts (*.del) in the install folder");
    if (folder) {
        platform::HKey key = 0;
        if (real.registry.openKey(platform::kHkeyLocalMachine, engine::kProductKey, 0, kKeyRead,
                                  key) == platform::kErrorSuccess)
            real.registry.closeKey(key);
        else
            plan.notes.push_back(std::string("this machine has no product key HKLM\\") +
                                 engine::kProductKey + ": the staged product's own is assumed");
    }

    follower.startRemove();
    const engine::RemovalOutcome outcome = install.ok_Click(every);
    follower.finish(outcome);
    return plan;
}

}  // namespace checker

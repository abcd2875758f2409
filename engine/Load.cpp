// The main dialog's load: discovery, then the standard variables.
#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace engine {

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
    setVariableValue("windowDrive", windowsFolder.substr(0, 2));
    setVariableValue("msDAOPath", getVariableValue("windowdrive") +
                                      "\\program files\\common files\\microsoft shared\\Dao\\");
    setVariableValue("windowSystem", systemFolder);
    setVariableValue("windowMenuPrograms", sysenv::getProgramsFolder(platform_.registry));
    scriptPos_ = 1;
    setVariableValue("installtitle", kInstallTitle);

    dialog_.setCaption(getVariableValue("installtitle"));
}

}  // namespace engine

// Finding the product's removal scripts and filling the application list.
#include <limits>

#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace engine {

void Install::findApplications() {
    appCount_ = 0;
    scriptNames_.assign(1, std::string());

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

    for (const std::string& name : names) {
        if (name.empty()) continue;
        // The count is 16-bit: scripts past the last position can't be listed.
        if (appCount_ == std::numeric_limits<Int16>::max()) break;
        std::string title;
        try {
            title = scriptTitle(name);
        } catch (const Failure&) {
            // A script whose title can't be read takes no position, so list
            // entry k keeps belonging to the script at position k + 1.
            continue;
        }
        appCount_ = add16(appCount_, 1);
        scriptNames_.push_back(name);
        list_.append(title);
    }

    if (appCount_ == 1) list_.select(0);
    dialog_.setRemoveEnabled(list_.selectedCount() > 0);
}

std::string Install::scriptTitle(const std::string& name) {
    readWholeFile(name);
    processScript(false);
    return getVariableValue("title");
}

void Install::List1_Click() { dialog_.setRemoveEnabled(list_.selectedCount() > 0); }

}  // namespace engine

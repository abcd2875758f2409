// One run of the uninstaller: the main dialog's load (discovery and the
// standard variables) and Remove (the chosen scripts, then the product
// clean-up). It owns the run's state: the variable table, the script reader
// and the deletions. The dialog window shows what discovery found and hands
// back the positions the user chose.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/Deletions.h"
#include "engine/Int16.h"
#include "engine/Product.h"
#include "engine/RunObserver.h"
#include "engine/Script.h"
#include "engine/VariableTable.h"
#include "engine/Views.h"
#include "platform/Platform.h"

namespace engine {

// What Remove ends with: the closing message, or the failure that stopped it.
struct RemovalOutcome {
    bool completed = false;
    std::string message;  // the closing message, or the failure's description
};

class Install {
public:
    Install(platform::Platform platform, DialogView& dialog, ProgressView& progress);

    // ---- variable table
    std::string getVariableValue(std::string_view whatVar) const {
        return variables_.getVariableValue(whatVar);
    }
    void setVariableValue(std::string_view name, std::string_view value) {
        variables_.setVariableValue(name, value);
    }
    VariableTable& variables() { return variables_; }

    // ---- the main dialog's load
    void Form_Load();

    // ---- discovery
    void findApplications();
    // The applications found, in list order: entry k runs the script at
    // position k + 1 of scriptNames.
    const std::vector<std::string>& applications() const { return titles_; }
    // Whether the list starts with its one entry chosen for the user.
    bool firstChosenAtOnce() const { return appCount_ == 1; }
    const std::string& installDir() const { return installDir_; }
    // Script file names; position 0 is never used.
    const std::vector<std::string>& scriptNames() const { return scriptNames_; }
    Int16 appCount() const { return appCount_; }

    // ---- Remove: the chosen list positions, in list order.
    RemovalOutcome ok_Click(const std::vector<int>& chosen);

    // Told where discovery and Remove stand; null (the default) for none.
    void setObserver(RunObserver* observer) { observer_ = observer; }

    Script& script() { return script_; }
    Deletions& deletions() { return deletions_; }

private:
    std::string scriptTitle(const std::string& name);
    void loadScript(const std::string& name);
    void removeProduct();

    platform::Platform platform_;
    DialogView& dialog_;
    ProgressView& progress_;

    VariableTable variables_{platform_.system};
    std::string installDir_;
    std::vector<std::string> scriptNames_ = std::vector<std::string>(1);
    std::vector<std::string> titles_;
    Int16 appCount_ = 0;
    RunObserver* observer_ = nullptr;

    Deletions deletions_{platform_, variables_, installDir_};
    Script script_{platform_.files, platform_.system, variables_, deletions_};
};

}  // namespace engine

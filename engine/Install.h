// The state of one run of the uninstaller and the operations on it: the
// variable table, the script reader, the application list, the deletion
// guard, and the load, discovery and removal steps of the main dialog. The
// dialog window owns one of these and forwards its events to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Deletions.h"
#include "engine/Int16.h"
#include "engine/VariableTable.h"
#include "engine/Views.h"
#include "platform/Platform.h"

namespace engine {

// What Remove ends with: the closing message, or the failure that stopped it.
struct RemovalOutcome {
    bool completed = false;
    std::string message;  // the closing message, or the failure's description
};

inline constexpr const char* kProductKey = "software\\Corvalune QUOB DEMO";
inline constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Corvalune QUOB DEMO";
inline constexpr const char* kInstallTitle = "QUOB demo application removal";
inline constexpr const char* kClosingMessage = "Application removal completed successfully.";

class Install {
public:
    static constexpr int kScriptBufferSize = 9000;
    static constexpr long long kMaxScriptLength = 32767;

    Install(platform::Platform platform, DialogView& dialog, ApplicationList& list,
            ProgressView& progress);

    // ---- variable table
    std::string getVariableValue(const std::string& whatVar) const {
        return variables_.getVariableValue(whatVar);
    }
    void setVariableValue(const std::string& name, const std::string& value) {
        variables_.setVariableValue(name, value);
    }
    std::string expandVariables(const std::string& text) const {
        return variables_.expandVariables(text);
    }
    VariableTable& variables() { return variables_; }

    // ---- script reader and interpreter
    void readWholeFile(const std::string& fileName);
    void processScript(bool actionsEnabled);
    void processScriptLine(const std::string& line, bool actionsEnabled);
    std::string nextScriptLine();
    static std::string scriptLineKey(const std::string& line);
    std::string scriptLineValue(const std::string& line) const;
    static std::string stripQuotes(const std::string& text);
    static std::string stripAmpersands(const std::string& text);

    const std::string& scriptText() const { return scriptText_; }
    int scriptPos() const { return scriptPos_; }
    Int16 scriptLen() const { return scriptLen_; }

    // ---- discovery
    void findApplications();
    std::string scriptTitle(const std::string& name);
    void List1_Click();

    const std::string& installDir() const { return installDir_; }
    // Discovery sets the install directory from the product key; tests and
    // the fuzzer set it directly to read scripts without a discovery run.
    void setInstallDir(const std::string& dir) { installDir_ = dir; }
    // Script file names; position 0 is never used, entry k of the list
    // belongs to position k + 1.
    const std::vector<std::string>& scriptNames() const { return scriptNames_; }
    Int16 appCount() const { return appCount_; }

    // ---- the main dialog's load
    void Form_Load();

    // ---- deletions
    bool deletionAllowed();
    void removeFileEntry();
    void removeKeyEntry();
    void removeFolder(const std::string& folder, Reach reach = Reach::Inside);
    // The deletion rules of this run, set up at its first deletion.
    Deletions& deletions();

    // ---- Remove
    RemovalOutcome ok_Click();

private:
    platform::Platform platform_;
    DialogView& dialog_;
    ApplicationList& list_;
    ProgressView& progress_;

    VariableTable variables_;

    std::string scriptText_ = std::string(kScriptBufferSize, ' ');
    int scriptPos_ = 1;  // see nextScriptLine: wider than 16 bits on purpose
    Int16 scriptLen_ = 0;

    std::string installDir_;
    std::vector<std::string> scriptNames_ = std::vector<std::string>(1);
    Int16 appCount_ = 0;

    bool guardWorkedOut_ = false;
    bool guardAllows_ = false;

    bool fileTypeKeyDeleted_ = false;  // tells the shell after the run

    // What deletions may reach; worked out at the first deletion, once
    // discovery has fixed the install directory, and holding the owned
    // folders open until the run ends.
    std::optional<Deletions> deletions_;

    void removeProduct();
    void deleteLocalMachineKey(const std::string& keyPath);
};

}  // namespace engine

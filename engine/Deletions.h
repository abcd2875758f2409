// What a run deletes, and the guard over it: the handlers of `removefile`
// and `removekey` lines, folder removal, and the registry keys deleted
// outright. Files and folders go only where the deletion rules say they
// really lie inside the product; nothing here reports a failed deletion.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "engine/DeletionJudge.h"
#include "engine/Product.h"
#include "engine/Script.h"
#include "engine/VariableTable.h"
#include "platform/Platform.h"

namespace engine {

class Deletions final : public ScriptActions {
public:
    // `installDir` is the run's install directory, read at each deletion.
    Deletions(platform::Platform platform, const VariableTable& variables,
              const std::string& installDir);

    // Whether deletions of files and folders may happen at all: no "can't
    // delete" marker in the program's own folder. Worked out once, at the
    // first deletion of the run.
    bool deletionAllowed();

    void removeFileEntry() override;
    void removeKeyEntry() override;
    // The files directly in the folder, then the folder if that left it empty.
    void removeFolder(const std::string& folder, Reach reach = Reach::Inside);

    // Opens `keyPath` below `root`, reads its default value into
    // `defaultValue` when asked, deletes the key and closes it. An empty or
    // rooted name would name the root itself: nothing is opened. Gives
    // whether the key was deleted.
    bool deleteKey(platform::HKey root, const std::string& keyPath,
                   std::string* defaultValue = nullptr);

    // The judge of this run, set up at its first use and holding the owned
    // folders open until endRun.
    DeletionJudge& rules();
    void endRun() { rules_.reset(); }
    // The deletions refused so far in this run; none before its rules are set up.
    std::size_t refusalCount() const { return rules_ ? rules_->refusals().size() : 0; }
    const Refusal& refusal(std::size_t index) const { return rules_->refusals()[index]; }

    // Told of what the deletions do as it happens; null for none.
    void setObserver(RunObserver* observer);

    // Whether a file-type key went in this run: Explorer must be told.
    bool fileTypeKeyDeleted() const { return fileTypeKeyDeleted_; }

private:
    bool isProductType(const std::string& type);
    void keyDeleted(platform::HKey root, const std::string& keyPath);

    platform::Platform platform_;
    const VariableTable& variables_;
    const std::string& installDir_;

    bool guardWorkedOut_ = false;
    bool guardAllows_ = false;
    bool fileTypeKeyDeleted_ = false;
    std::optional<DeletionJudge> rules_;
    RunObserver* observer_ = nullptr;
    std::set<std::string> productTypes_;  // upper-cased, as the registry compares names
};

}  // namespace engine

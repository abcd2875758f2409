#include "checker/Checker.h"

#include <set>

#include "checker/Recording.h"
#include "checker/RunParts.h"
#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace checker {

namespace {

constexpr std::uint32_t kKeyRead = 0x20019u;

int count(const std::vector<std::string>& texts) { return static_cast<int>(texts.size()); }

// Follows the run from the engine's notices and files what the recording
// layer did under the line, application or clean-up it belongs to.
class Follower final : public engine::RunObserver {
public:
    // `files`: the recording layer, which knows what the run has left.
    Follower(Plan& plan, Journal& journal, engine::Install& install, platform::FileSystem& files)
        : plan_(plan), journal_(journal), install_(install), files_(files) {}

    void startRemove() {
        journal_.clear();
        refusalMark_ = install_.deletions().refusalCount();
    }

    void scriptLeftOut(const std::string& name, const engine::Failure& failure) override {
        plan_.skipped.push_back({name, leftOutReason(failure)});
    }

    void applicationStarting(int position, const std::string&, const std::string&) override {
        app_ = &plan_.applications.at(static_cast<std::size_t>(position));
        app_->runs = true;
    }

    void scriptLoaded() override {
        const int length = install_.script().scriptLen();
        if (length > engine::Script::kBufferSize)
            app_->warnings.push_back("the script is " + std::to_string(length) +
                                     " characters long; the uninstaller reads only its first "
                                     "9,000 characters and never the " +
                                     std::to_string(length - engine::Script::kBufferSize) +
                                     " after them");
    }

    void lineStarting(int number, const std::string& text, const engine::LineEnd& end) override {
        line_.emplace();
        line_->line = number;
        line_->text = text;
        if (text.find('=') != std::string::npos) line_->key = engine::Script::scriptLineKey(text);
        lowerKey_.clear();
        eventMark_ = journal_.size();
        refusalMark_ = install_.deletions().refusalCount();

        for (const std::string& name : referencedNames(text, install_.variables())) {
            if (!install_.variables().isStored(name))
                line_->warnings.push_back("$" + name +
                                          "$ is set by no earlier line, earlier script or "
                                          "standard variable: it expands to nothing");
        }
        checkLineEnd(text, end);
    }

    void lineDecoded(const std::string& key, const std::string& value) override {
        line_->value = value;
        lowerKey_ = key;
    }

    void lineDone() override {
        harvest(line_->deletes, line_->refused, line_->warnings, nullptr);
        judgeLine();
        app_->lines.push_back(std::move(*line_));
        line_.reset();
    }

    void cleanupStarting() override {
        cleanup_ = true;
        plan_.cleanup.emplace();
        eventMark_ = journal_.size();
        refusalMark_ = install_.deletions().refusalCount();
    }

    // The rules of the run, and with them its refusals, go when it ends.
    void runEnding() override {
        if (cleanup_) {
            Cleanup& c = *plan_.cleanup;
            harvest(c.deletes, c.refused, c.warnings, &c.scheduled);
            judgeCleanup(c);
        } else if (line_) {
            harvest(line_->deletes, line_->refused, line_->warnings, nullptr);
        }
    }

    void finish(const engine::RemovalOutcome& outcome) {
        if (outcome.completed || app_ == nullptr) return;
        app_->failure = outcome.message;
        if (line_) {
            line_->failure = outcome.message;
            app_->lines.push_back(std::move(*line_));
            line_.reset();
        }
    }

    void setDeletionsAllowed(bool allowed) { deletionsAllowed_ = allowed; }

private:
    // A carriage return must be followed by a line feed: the reader skips
    // the character after it unread, whatever it is.
    void checkLineEnd(const std::string& text, const engine::LineEnd& end) {
        if (text.find('\n') != std::string::npos)
            line_->warnings.push_back(
                "a line feed without a carriage return: the uninstaller reads the text on both "
                "sides of it as one line");
        if (!end.carriageReturn || end.skipped.empty() || end.skipped == "\n") return;
        // Built up piece by piece: GCC 12 warns falsely about "literal" + string&&.
        std::string warning =
            "the line ends in a carriage return without a line feed: the uninstaller skips "
            "the character after it (";
        if (end.skipped == "\r") {
            warning += "a carriage return";
        } else {
            warning += '\'';
            warning += end.skipped;
            warning += '\'';
        }
        warning += ") unread";
        line_->warnings.push_back(warning);
    }

    void harvest(Deletes& deletes, std::vector<std::string>& refused,
                 std::vector<std::string>& warnings, std::vector<std::string>* scheduled) {
        for (std::size_t i = eventMark_; i < journal_.size(); ++i) {
            const Event& e = journal_[i];
            switch (e.kind) {
                case Event::Kind::FileDeleted:
                    deletes.files.push_back(e.path);
                    break;
                case Event::Kind::FolderDeleted:
                    deletes.folders.push_back(e.path);
                    break;
                case Event::Kind::KeyDeleted:
                    deletes.keys.push_back(e.path);
                    break;
                case Event::Kind::FileKept:
                case Event::Kind::KeyKept:
                    warnings.push_back(e.path + " will not be deleted: " + e.reason);
                    break;
                case Event::Kind::FolderKept:
                    warnings.push_back(e.path + " will not be removed: " + e.reason);
                    break;
                case Event::Kind::Scheduled:
                    if (scheduled != nullptr) scheduled->push_back(e.path);
                    break;
                case Event::Kind::KeyOpened:
                    break;
            }
        }
        const engine::Deletions& deletions = install_.deletions();
        for (std::size_t i = refusalMark_; i < deletions.refusalCount(); ++i) {
            const engine::Refusal& r = deletions.refusal(i);
            refused.push_back(r.path + ": " + r.reason);
        }
        harvestedFrom_ = eventMark_;
        eventMark_ = journal_.size();
        refusalMark_ = deletions.refusalCount();
    }

    // Lines that do nothing for a reason worth saying.
    void judgeLine() {
        LineReport& l = *line_;
        if (!l.value) return;
        bool kept = false;
        for (std::size_t i = harvestedFrom_; i < journal_.size(); ++i)
            kept = kept || journal_[i].kind == Event::Kind::FileKept ||
                   journal_[i].kind == Event::Kind::FolderKept;
        if (lowerKey_ == "removefile") {
            if (deletionsAllowed_ && l.deletes.files.empty() && l.refused.empty() && !kept) {
                const std::string& dir = install_.installDir();
                const std::string& v = *l.value;
                const std::string path = (!v.empty() && v[0] == '\\') ? dir + v : dir + "\\" + v;
                l.warnings.push_back("matches nothing: no file " + path + " is there to delete");
            }
        } else if (lowerKey_ == "removekey") {
            const Event* first = nullptr;
            for (std::size_t i = harvestedFrom_; i < journal_.size() && !first; ++i)
                if (journal_[i].kind == Event::Kind::KeyOpened) first = &journal_[i];
            if (first == nullptr) {
                l.warnings.push_back("names no key below HKCR: nothing is deleted");
            } else if (first->status == 0) {
            } else if (first->alreadyGone) {
                l.warnings.push_back(first->path + " is deleted by an earlier line already");
            } else if (first->status == platform::kErrorFileNotFound) {
                if (plan_.folderMode)
                    l.notes.push_back(first->path + " is not registered on this machine");
                else
                    l.warnings.push_back(first->path + " does not exist: nothing is deleted");
            } else {
                l.warnings.push_back(first->path + " can't be opened (error " +
                                     std::to_string(first->status) + ")");
            }
        }
    }

    void judgeCleanup(Cleanup& c) {
        // The rules refuse an owned folder that isn't there; with nothing to
        // remove, that is worth a note only.
        std::vector<std::string> refused;
        for (const std::string& r : c.refused) {
            const std::string path = r.substr(0, r.find(": "));
            std::uint32_t attributes = 0;
            if (files_.getAttributes(path, attributes) == platform::kErrorSuccess)
                refused.push_back(r);
            else
                c.notes.push_back(path + " does not exist: there is nothing to remove");
        }
        c.refused = refused;
        for (const std::string& path : c.scheduled)
            c.notes.push_back(path +
                              " is deleted at the next restart: the running uninstaller can't "
                              "delete its own file and folder");
        for (std::size_t i = harvestedFrom_; i < journal_.size(); ++i) {
            const Event& e = journal_[i];
            if (e.kind != Event::Kind::KeyOpened || e.status == 0 || e.path.rfind("HKLM\\", 0) != 0)
                continue;
            if (plan_.folderMode)
                c.notes.push_back(e.path + " does not exist on this machine");
            else
                c.warnings.push_back(e.path + " does not exist: nothing is deleted");
        }
    }

    Plan& plan_;
    Journal& journal_;
    engine::Install& install_;
    platform::FileSystem& files_;
    ApplicationReport* app_ = nullptr;
    std::optional<LineReport> line_;
    std::string lowerKey_;
    bool cleanup_ = false;
    bool deletionsAllowed_ = true;
    std::size_t eventMark_ = 0;
    std::size_t harvestedFrom_ = 0;
    std::size_t refusalMark_ = 0;
};

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

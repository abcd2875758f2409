#include "checker/Follower.h"

#include <utility>

#include "checker/RunParts.h"

namespace checker {

void Follower::scriptLeftOut(const std::string& name, const engine::Failure& failure) {
    plan_.skipped.push_back({name, leftOutReason(failure)});
}

void Follower::applicationStarting(int position, const std::string&, const std::string&) {
    app_ = &plan_.applications.at(static_cast<std::size_t>(position));
    app_->runs = true;
}

void Follower::scriptLoaded() {
    const int length = install_.script().scriptLen();
    if (length > engine::Script::kBufferSize)
        app_->warnings.push_back("the script is " + std::to_string(length) +
                                 " characters long; the uninstaller reads only its first 9,000 "
                                 "characters and never the " +
                                 std::to_string(length - engine::Script::kBufferSize) +
                                 " after them");
}

// A carriage return must be followed by a line feed: the reader skips the
// character after it unread, whatever it is.
void Follower::lineStarting(int number, const std::string& text, const engine::LineEnd& end) {
    line_.emplace();
    line_->line = number;
    line_->text = text;
    if (text.find('=') != std::string::npos) line_->key = engine::Script::scriptLineKey(text);
    lowerKey_.clear();
    filesNamed_.reset();
    lineJournal_ = journalMark_ = journal_.size();

    if (text.find('\n') != std::string::npos)
        line_->warnings.push_back(
            "a line feed without a carriage return: the uninstaller reads the text on both sides "
            "of it as one line");
    if (!end.carriageReturn || end.skipped.empty() || end.skipped == "\n") return;
    // Built up piece by piece: GCC 12 warns falsely about "literal" + string&&.
    std::string warning =
        "the line ends in a carriage return without a line feed: the uninstaller skips the "
        "character after it (";
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

void Follower::lineValueRead(const std::string& raw) {
    std::vector<std::string> seen;
    for (const std::string_view name : engine::VariableTable::referencesIn(raw)) {
        const std::string lowered = install_.variables().lowerCase(name);
        bool again = false;
        for (const std::string& earlier : seen) again = again || earlier == lowered;
        if (again) continue;
        seen.push_back(lowered);
        if (install_.variables().isStored(name)) continue;
        // Built up piece by piece: GCC 12 warns falsely about "literal" + string&&.
        std::string warning = "$";
        warning.append(name);
        warning +=
            "$ is set by no earlier line, earlier script or standard variable: it expands to "
            "nothing";
        line_->warnings.push_back(std::move(warning));
    }
}

void Follower::lineDecoded(const std::string& key, const std::string& value) {
    line_->value = value;
    lowerKey_ = key;
}

Deletes& Follower::deletes() { return cleanup_ ? plan_.cleanup->deletes : line_->deletes; }

std::vector<std::string>& Follower::refusals() {
    return cleanup_ ? plan_.cleanup->refused : line_->refused;
}

void Follower::deleted(Deleted what, const std::string& path) {
    Deletes& d = deletes();
    (what == Deleted::File     ? d.files
     : what == Deleted::Folder ? d.folders
                               : d.keys)
        .push_back(path);
}

void Follower::refused(const std::string& path, const std::string& reason) {
    if (cleanup_) {
        // The rules refuse an owned folder that isn't there; with nothing to
        // remove, that is worth a note only.
        std::uint32_t attributes = 0;
        if (files_.getAttributes(path, attributes) != platform::kErrorSuccess) {
            plan_.cleanup->notes.push_back(path + " does not exist: there is nothing to remove");
            return;
        }
    }
    refusals().push_back(path + ": " + reason);
}

void Follower::lineDone() {
    takeJournal(line_->warnings, nullptr);
    judgeLine();
    app_->lines.push_back(std::move(*line_));
    line_.reset();
}

void Follower::cleanupStarting() {
    cleanup_ = true;
    plan_.cleanup.emplace();
    lineJournal_ = journalMark_ = journal_.size();
}

void Follower::finish(const engine::RemovalOutcome& outcome) {
    if (cleanup_) {
        Cleanup& c = *plan_.cleanup;
        takeJournal(c.warnings, &c.scheduled);
        judgeCleanup(c);
    }
    if (outcome.completed || app_ == nullptr) return;
    app_->failure = outcome.message;
    if (line_) {
        line_->failure = outcome.message;
        takeJournal(line_->warnings, nullptr);
        app_->lines.push_back(std::move(*line_));
        line_.reset();
    }
}

void Follower::takeJournal(std::vector<std::string>& warnings,
                           std::vector<std::string>* scheduled) {
    for (std::size_t i = journalMark_; i < journal_.size(); ++i) {
        const Event& e = journal_[i];
        switch (e.kind) {
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
            default:
                break;  // deletions come from the engine; key opens are judged below
        }
    }
    journalMark_ = journal_.size();
}

// Lines that do nothing for a reason worth saying.
void Follower::judgeLine() {
    LineReport& l = *line_;
    if (!l.value) return;
    bool kept = false;
    for (std::size_t i = lineJournal_; i < journal_.size(); ++i)
        kept = kept || journal_[i].kind == Event::Kind::FileKept ||
               journal_[i].kind == Event::Kind::FolderKept;
    if (lowerKey_ == "removefile") {
        if (deletionsAllowed_ && filesNamed_ && l.deletes.files.empty() && l.refused.empty() &&
            !kept)
            l.warnings.push_back("matches nothing: no file " + *filesNamed_ +
                                 " is there to delete");
    } else if (lowerKey_ == "removekey") {
        const Event* first = nullptr;
        for (std::size_t i = lineJournal_; i < journal_.size() && !first; ++i)
            if (journal_[i].kind == Event::Kind::KeyOpened) first = &journal_[i];
        if (first == nullptr) {
            if (l.refused.empty())
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

void Follower::judgeCleanup(Cleanup& c) {
    for (const std::string& path : c.scheduled)
        c.notes.push_back(path +
                          " is deleted at the next restart: the running uninstaller can't delete "
                          "its own file and folder");
    for (std::size_t i = lineJournal_; i < journal_.size(); ++i) {
        const Event& e = journal_[i];
        if (e.kind != Event::Kind::KeyOpened || e.status == 0 || e.path.rfind("HKLM\\", 0) != 0)
            continue;
        if (plan_.folderMode)
            c.notes.push_back(e.path + " does not exist on this machine");
        else
            c.warnings.push_back(e.path + " does not exist: nothing is deleted");
    }
}

}  // namespace checker

// Follows a checked run from the engine's notices and files each under the
// line, application or clean-up it belongs to: what was deleted and refused
// as the engine reports it, what the recording layer beneath kept (a
// read-only file, a folder that still holds something, a key with subkeys)
// and the warnings a reader of the plan needs. It works nothing out of the
// engine's insides.
#pragma once

#include <optional>
#include <string>

#include "checker/Plan.h"
#include "checker/Recording.h"
#include "engine/Install.h"
#include "engine/RunObserver.h"

namespace checker {

class Follower final : public engine::RunObserver {
public:
    // `files`: the recording layer, which knows what the run has left.
    Follower(Plan& plan, Journal& journal, engine::Install& install, platform::FileSystem& files)
        : plan_(plan), journal_(journal), install_(install), files_(files) {}

    // Remove begins: what discovery recorded is no part of it.
    void startRemove() { journal_.clear(); }
    // Remove ended with `outcome`.
    void finish(const engine::RemovalOutcome& outcome);

    void setDeletionsAllowed(bool allowed) { deletionsAllowed_ = allowed; }

    void scriptLeftOut(const std::string& name, const engine::Failure& failure) override;
    void applicationStarting(int position, const std::string&, const std::string&) override;
    void scriptLoaded() override;
    void lineStarting(int number, const std::string& text, const engine::LineEnd& end) override;
    void lineValueRead(const std::string& raw) override;
    void lineDecoded(const std::string& key, const std::string& value) override;
    void filesNamed(const std::string& path) override { filesNamed_ = path; }
    void deleted(Deleted what, const std::string& path) override;
    void refused(const std::string& path, const std::string& reason) override;
    void lineDone() override;
    void cleanupStarting() override;

private:
    // Where deletions and refusals go now: the current line, or the clean-up.
    Deletes& deletes();
    std::vector<std::string>& refusals();
    // The recording layer's events since the last look: what it kept, with
    // the reason, and what it was asked to schedule for the restart.
    void takeJournal(std::vector<std::string>& warnings, std::vector<std::string>* scheduled);
    void judgeLine();
    void judgeCleanup(Cleanup& c);

    Plan& plan_;
    Journal& journal_;
    engine::Install& install_;
    platform::FileSystem& files_;
    ApplicationReport* app_ = nullptr;
    std::optional<LineReport> line_;
    std::string lowerKey_;
    std::optional<std::string> filesNamed_;
    bool cleanup_ = false;
    bool deletionsAllowed_ = true;
    std::size_t journalMark_ = 0;
    std::size_t lineJournal_ = 0;  // where the current line's events begin
};

}  // namespace checker

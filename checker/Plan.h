// What Remove would do to this machine, as the checker reports it: per
// application and line what would be deleted, refused or would stop the run,
// and what deserves a warning.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace checker {

struct Deletes {
    std::vector<std::string> files;    // full long paths
    std::vector<std::string> folders;  // full long paths
    std::vector<std::string> keys;     // "HKCR\...", "HKLM\..."

    bool empty() const { return files.empty() && folders.empty() && keys.empty(); }
};

struct LineReport {
    int line = 0;  // 1-based, as the uninstaller cuts lines
    std::string text;
    std::optional<std::string> key;    // as written; none for a line without "="
    std::optional<std::string> value;  // decoded; none where decoding fails
    Deletes deletes;
    std::vector<std::string> refused;  // "<path>: <reason>"
    std::optional<std::string> failure;
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

struct ApplicationReport {
    std::string title;
    std::string script;
    int position = 0;  // 1-based place in the discovery table
    bool runs = false;
    std::optional<std::string> failure;
    std::vector<LineReport> lines;
    std::vector<std::string> warnings;  // those of the script as a whole
};

struct Skipped {
    std::string script;
    std::string reason;
};

struct Cleanup {
    Deletes deletes;
    std::vector<std::string> scheduled;  // deleted at the next restart
    std::vector<std::string> refused;
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

struct Plan {
    bool folderMode = false;
    std::string installDir;
    std::string programsFolder;
    bool deletionsAllowed = true;
    std::vector<ApplicationReport> applications;
    std::vector<Skipped> skipped;
    std::optional<Cleanup> cleanup;
    std::vector<std::string> warnings;  // those that belong to no line
    std::vector<std::string> notes;

    // Lines (and clean-up steps) refused, failures, and warnings, skipped
    // scripts counted among them.
    int failureCount() const;
    int refusedCount() const;
    int warningCount() const;
    // 0 when there is nothing to report, 1 otherwise.
    int exitStatus() const;
};

}  // namespace checker

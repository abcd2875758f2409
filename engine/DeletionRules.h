// Deleting files and folders where they really are. A path can reach the
// same place under several spellings (short 8.3 names, doubled separators)
// and through folder links that lead anywhere on the machine, so before
// anything is deleted it is opened, the system is asked where the opened
// object really lies, and it is deleted through that same handle only when
// that lies inside a folder the product owns. The owned folders (the install
// folder and the product's Start-menu folder) are held open for the whole
// run, so that neither can be swapped for a link while it goes on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/PathGuard.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace engine {

// A deletion the rules refused: what was asked and why not.
struct Refusal {
    std::string path;
    std::string reason;
};

class DeletionRules {
public:
    DeletionRules(platform::FileSystem& files, platform::System& system,
                  const GuardFolders& folders);
    ~DeletionRules();
    DeletionRules(const DeletionRules&) = delete;
    DeletionRules& operator=(const DeletionRules&) = delete;

    // Whether the install folder serves as the base of deletions, and why
    // not: its written form and its real location are both judged.
    const Verdict& installDirVerdict() const { return install_.verdict; }
    const Verdict& startMenuVerdict() const { return startMenu_.verdict; }
    const PathGuard& guard() const { return guard_; }

    // The files that match `pattern` (wildcards in its last component only)
    // and lie inside the install folder.
    void deleteFiles(const std::string& pattern);

    // The files directly in `folder`, then the folder if that left it empty.
    void removeFolder(const std::string& folder, Reach reach);

    // Deletes one file inside the install folder; gives the system's answer
    // and, through `runningProgram`, whether the file is the running
    // program's own (compared by where both really are).
    platform::Status deleteFile(const std::string& path, const std::string& programFile,
                                bool& runningProgram);

    // The long name of what `path` names (its last component as the system
    // stores it), or the last component as written when it can't be opened.
    std::string realName(const std::string& path);

    // Whether a registered open command starts a program of the product: its
    // program (the quoted text when the command starts with a quote, else
    // the text before the command's last "\\") lies in a folder inside the
    // install folder, judged where that folder really is when it exists and
    // as written when it doesn't. A no says why the command stays.
    Verdict commandVerdict(const std::string& command);

    // Hands `path` to the restart queue by where it really is, once the rules
    // allow deleting it (a file inside the install folder, or the install
    // folder itself): Windows deletes it at the next start, as SYSTEM, and
    // must not find something else under a name swapped in meanwhile.
    void scheduleAtRestart(const std::string& path, Reach reach);

    // Let go of the hold on an owned folder, just before the clean-up
    // removes that folder itself.
    void releaseInstallDir() { release(install_); }
    void releaseStartMenu() { release(startMenu_); }

    const std::vector<Refusal>& refusals() const { return refusals_; }
    void refuse(std::string path, std::string reason);

private:
    struct Owned {
        std::string written;
        std::optional<CanonicalPath> real;
        std::string finalPath;  // as the system gave it
        platform::FileHandle held = platform::kNoFile;
        Verdict verdict;
    };

    void holdOwned(Owned& owned, const std::string& what);
    void release(Owned& owned);
    // Whether something really at `real` may go: strictly inside `within`
    // (or either owned folder when that is null), or one of them itself.
    Verdict judge(const CanonicalPath& real, Reach reach, const Owned* within) const;
    // Opens `path` (for deletion, or only to look) and judges where it
    // really is; gives the open handle, or kNoFile when it is not there or
    // was refused.
    platform::FileHandle openChecked(const std::string& path, Reach reach, const Owned* within,
                                     bool folder, platform::OpenFor purpose,
                                     platform::Status* openStatus = nullptr,
                                     std::string* finalPathSeen = nullptr);
    void deleteChecked(const std::string& path, const Owned* within);
    std::optional<CanonicalPath> whereIs(const std::string& path);
    bool onNetwork(const CanonicalPath& real);

    platform::FileSystem& files_;
    platform::System& system_;
    const platform::TextRules& text_;
    PathGuard guard_;
    Owned install_;
    Owned startMenu_;
    std::vector<Refusal> refusals_;
};

}  // namespace engine

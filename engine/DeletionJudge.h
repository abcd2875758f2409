// What a run may delete, decided in one place. Removal scripts and registered
// open commands are input the uninstaller does not control, and a path can
// reach the same place under several spellings (short 8.3 names, doubled
// separators) and through folder links that lead anywhere on the machine. So
// before anything is deleted it is opened, the system is asked where the
// opened object really lies, and it is deleted through that same handle only
// when that lies strictly inside a folder the product owns. The owned folders
// (the install folder and the product's Start-menu folder) are held open for
// the whole run, so that neither can be swapped for a link while it goes on.
//
// Each rule is written once, with one reason: a folder Windows keeps, a drive
// root, a network drive, a link, a place outside the product. The same rules
// judge a written path (folded as Win32 folds it) and a real one (as the
// system reported it).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/PathForms.h"
#include "engine/RunObserver.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace engine {

// A yes or no of the deletion rules; a no carries its reason in plain words.
struct Verdict {
    std::string refusal;  // empty when allowed

    bool allowed() const { return refusal.empty(); }
    static Verdict yes() { return {}; }
    static Verdict no(std::string reason) { return {std::move(reason)}; }
};

// A deletion the rules refused: what was asked and why not.
struct Refusal {
    std::string path;
    std::string reason;
};

// How far a folder removal may reach: strictly inside a folder the product
// owns (a registered command's folders), or one of those folders itself (the
// product clean-up).
enum class Reach { Inside, OwnedFolder };

// The folders a run must know to tell what it may delete.
struct GuardFolders {
    std::string windowsFolder;
    std::string systemFolder;
    std::string programsFolder;
    std::vector<std::string> keptFolders;  // the other folders Windows itself keeps
    std::string installDir;
    std::string productStartMenu;  // the product's own Start-menu folder
};

class DeletionJudge {
public:
    DeletionJudge(platform::FileSystem& files, platform::System& system,
                  const GuardFolders& folders);
    ~DeletionJudge();
    DeletionJudge(const DeletionJudge&) = delete;
    DeletionJudge& operator=(const DeletionJudge&) = delete;

    // Told of every deletion and refusal as it happens; null for none.
    void setObserver(RunObserver* observer) { observer_ = observer; }

    // Whether each owned folder serves, and why not: its written form and
    // its real location are both judged.
    const Verdict& installDirVerdict() const { return install_.verdict; }
    const Verdict& startMenuVerdict() const { return startMenu_.verdict; }
    // The product's Start-menu folder as this run names it.
    const std::string& productStartMenu() const { return startMenu_.written; }

    // A `removefile` value names files below the install folder: no ".."
    // (nor any other component of dots and blanks), no drive, share or
    // stream colon, no device name, wildcards only in the last component,
    // and a last component that names files rather than a folder.
    Verdict fileValueVerdict(std::string_view value) const;

    // Whether a registered open command starts a program of the product: its
    // program (the quoted text when the command starts with a quote, else
    // the text before the command's last "\") lies in a folder inside the
    // install folder, judged where that folder really is when it exists and
    // as written when it doesn't. A no says why the command stays.
    Verdict commandVerdict(const std::string& command);

    // The files that `pattern` names (wildcards in its last component only)
    // inside the install folder.
    void deleteFiles(const std::string& pattern);

    // The files directly in `folder`, then the folder if that left it empty.
    void removeFolder(const std::string& folder, Reach reach);

    // Deletes one file inside the install folder; gives the system's answer
    // and, through `runningProgram`, whether the file is the running
    // program's own (compared by where both really are).
    platform::Status deleteFile(const std::string& path, const std::string& programFile,
                                bool& runningProgram);

    // Hands `path` to the restart queue by where it really is, once the rules
    // allow deleting it (a file inside the install folder, or the install
    // folder itself): Windows deletes it at the next start, as SYSTEM, and
    // must not find something else under a name swapped in meanwhile.
    void scheduleAtRestart(const std::string& path, Reach reach);

    // The long name of what `path` names (its last component as the system
    // stores it), or the last component as written when it can't be opened.
    std::string realName(const std::string& path);

    // Let go of the hold on an owned folder, just before the clean-up
    // removes that folder itself.
    void releaseInstallDir() { release(install_); }
    void releaseStartMenu() { release(startMenu_); }

    const std::vector<Refusal>& refusals() const { return refusals_; }
    void refuse(std::string path, std::string reason);

private:
    struct Owned {
        std::string subject;  // "the install folder", for its verdicts
        std::string written;
        std::optional<CanonicalPath> writtenForm;
        std::optional<CanonicalPath> real;
        platform::FileHandle held = platform::kNoFile;
        Verdict verdict;
    };

    // What an open found: the handle (still open), where it really is, and
    // the attributes the handle reports.
    struct Located {
        platform::FileHandle handle = platform::kNoFile;
        std::string finalPath;
        std::optional<CanonicalPath> real;
        std::uint32_t attributes = 0;
    };

    // ---- the rules
    // A place no deletion may reach or start from: a drive root, a folder
    // Windows keeps or one above it, a network drive.
    Verdict placeVerdict(const CanonicalPath& place) const;
    // Whether something really at `real` may go: strictly inside `within`
    // (or either owned folder when that is null), or, for the clean-up, one
    // of them itself.
    Verdict judge(const CanonicalPath& real, Reach reach, const Owned* within) const;
    bool isKept(const CanonicalPath& folder) const;
    bool onNetwork(const CanonicalPath& place) const;

    // ---- finding out
    // The one way an object is located: opened (for `purpose`, a link
    // itself rather than its target where the system can), its final path
    // read and, unless it is a file to delete (judged by where it lands
    // alone), its attributes. The caller closes the handle.
    platform::Status locate(const std::string& path, platform::OpenFor purpose, Located& found,
                            bool attributes = true);
    // Where `path` really is, the handle closed again; nothing when it
    // can't be opened or told.
    std::optional<CanonicalPath> whereIs(const std::string& path);

    void holdOwned(Owned& owned);
    void release(Owned& owned);
    // Opens `path` and judges where it really is; gives the open handle, or
    // kNoFile when it is not there or was refused. `listedFile`: a file a
    // listing just found, to delete.
    platform::FileHandle openJudged(const std::string& path, Reach reach, const Owned* within,
                                    bool folder, platform::OpenFor purpose,
                                    platform::Status* openStatus = nullptr,
                                    std::string* finalPathSeen = nullptr, bool listedFile = false);
    // Deletes a file a listing found, through the handle it was judged by.
    void deleteJudged(const std::string& path, const Owned* within);
    void deleted(RunObserver::Deleted what, const std::string& finalPath);

    platform::FileSystem& files_;
    platform::System& system_;
    const platform::TextRules& text_;
    RunObserver* observer_ = nullptr;
    std::vector<CanonicalPath> kept_;  // written and real; never removed, nor anything above
    Owned install_;
    Owned startMenu_;
    std::vector<Refusal> refusals_;
};

}  // namespace engine

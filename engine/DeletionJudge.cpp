#include "engine/DeletionJudge.h"

#include <utility>

namespace engine {

using platform::FileHandle;
using platform::kNoFile;

namespace {

// The rules' reasons, one for each rule.
constexpr const char* kDriveRoot = "is a drive root";
constexpr const char* kKept = "is a folder Windows keeps, or holds one";
constexpr const char* kNetwork = "is on a network drive";
constexpr const char* kLink = "is a link";
constexpr const char* kNoLocation = "has no location the system can tell";
constexpr const char* kOwnedItself = "is a folder the product owns itself";
constexpr const char* kOutside = "lies outside the folders the product owns";
constexpr const char* kNotFullPath = "is not a full path";
constexpr const char* kCommandNamesNoProgram =
    "the file type's command names no program of the product: its command stays";
constexpr const char* kCommandOutside =
    "the file type's command lies outside the product: its command stays";

bool isLink(std::uint32_t attributes) {
    return (attributes & platform::kAttributeReparsePoint) != 0;
}

bool isFolder(std::uint32_t attributes) {
    return (attributes & platform::kAttributeDirectory) != 0;
}

// The text after the last "\" (a final path has no other separator).
std::string lastName(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The folder part of a pattern, its last separator included.
std::string folderOf(const std::string& pattern) {
    const std::size_t cut = lastSeparator(pattern);
    return cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
}

bool isDoubleSeparated(const std::string& path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

}  // namespace

DeletionJudge::DeletionJudge(platform::FileSystem& files, platform::System& system,
                             const GuardFolders& folders)
    : files_(files), system_(system), text_(system) {
    // A kept folder is kept under every name it has: as written, and where
    // it really is when that is another place.
    const auto keep = [this](const std::string& folder) {
        if (auto written = canonicalPath(folder, text_)) kept_.push_back(std::move(*written));
    };
    for (const std::string* folder :
         {&folders.windowsFolder, &folders.systemFolder, &folders.programsFolder})
        keep(*folder);
    for (const std::string& folder : folders.keptFolders) keep(folder);
    const std::size_t written = kept_.size();
    const auto keepReal = [this, written](const std::string& folder) {
        // A folder that isn't there (it can't be opened) has no other name
        // to be reached by.
        auto real = whereIs(folder);
        if (!real) return;
        for (std::size_t i = 0; i < written; ++i)
            if (kept_[i] == *real) return;
        kept_.push_back(std::move(*real));
    };
    for (const std::string* folder :
         {&folders.windowsFolder, &folders.systemFolder, &folders.programsFolder})
        keepReal(*folder);
    for (const std::string& folder : folders.keptFolders) keepReal(folder);

    install_.subject = "the install folder";
    install_.written = folders.installDir;
    startMenu_.subject = "the Start-menu folder";
    startMenu_.written = folders.productStartMenu;
    holdOwned(install_);
    holdOwned(startMenu_);
}

DeletionJudge::~DeletionJudge() {
    release(install_);
    release(startMenu_);
}

// ---- the rules

bool DeletionJudge::isKept(const CanonicalPath& folder) const {
    for (const CanonicalPath& kept : kept_)
        if (folder == kept || folder.isAbove(kept)) return true;
    return false;
}

// A share is the server's: it follows links of its own that no final path
// shows, in a place a standard user may control.
bool DeletionJudge::onNetwork(const CanonicalPath& place) const {
    if (place.root.size() != 2) return true;
    return system_.getDriveType(place.root + "\\") == platform::kDriveRemote;
}

Verdict DeletionJudge::placeVerdict(const CanonicalPath& place) const {
    if (place.isRoot()) return Verdict::no(kDriveRoot);
    if (onNetwork(place)) return Verdict::no(kNetwork);
    if (isKept(place)) return Verdict::no(kKept);
    return Verdict::yes();
}

// What lies inside an owned folder shares its drive, which holding the folder
// found local: the drive is not asked again for every file.
Verdict DeletionJudge::judge(const CanonicalPath& real, Reach reach, const Owned* within) const {
    if (real.isRoot()) return Verdict::no(kDriveRoot);
    if (isKept(real)) return Verdict::no(kKept);
    for (const Owned* owned : {&install_, &startMenu_}) {
        if (within != nullptr && owned != within) continue;
        if (!owned->real || !real.isWithin(*owned->real)) continue;
        const bool itself = real == *owned->real;
        if (itself == (reach == Reach::OwnedFolder)) return Verdict::yes();
        if (itself) return Verdict::no(kOwnedItself);
    }
    return Verdict::no(kOutside);
}

Verdict DeletionJudge::fileValueVerdict(std::string_view value) const {
    if (!install_.real) return install_.verdict;
    // The folders on the way, then the last component, which names the files.
    const std::size_t cut = lastSeparator(value);
    std::string_view folders = cut == std::string_view::npos ? "" : value.substr(0, cut);
    const std::string_view last = cut == std::string_view::npos ? value : value.substr(cut + 1);
    while (!folders.empty()) {
        const std::string_view folder = takeComponent(folders);
        if (folder.empty()) continue;
        const Component kind = classify(folder, false, text_);
        if (kind == Component::DotDot) return Verdict::no("climbs out with \"..\"");
        if (kind != Component::Name && kind != Component::Dot)
            return Verdict::no(
                "holds a drive, a device name or a character no folder name may hold");
    }
    if (last.empty()) return Verdict::no("names a folder, not files");
    if (classify(last, true, text_) != Component::Name)
        return Verdict::no("names no file that the install folder can hold");
    return Verdict::yes();
}

Verdict DeletionJudge::commandVerdict(const std::string& command) {
    // The program's folder: up to the last "\" of the quoted program, or of
    // the whole command as the Start-menu folder's name is cut from it.
    std::string_view program = command;
    if (!program.empty() && program[0] == '"') {
        program.remove_prefix(1);
        program = program.substr(0, program.find('"'));
    }
    const std::size_t cut = program.rfind('\\');
    const std::string folder(program.substr(0, cut == std::string_view::npos ? 0 : cut));
    if (folder.empty()) return Verdict::no(kCommandNamesNoProgram);
    if (!install_.real) return Verdict::no(kCommandOutside);
    // Where the folder really is when it exists (short names and links on
    // the way resolved; a folder that is a link itself leads elsewhere),
    // else where its written path leads.
    Located found;
    if (locate(folder, platform::OpenFor::Inspection, found) == platform::kErrorSuccess) {
        files_.closeEntry(found.handle);
        const bool inside =
            found.real && !isLink(found.attributes) && found.real->isWithin(*install_.real);
        return inside ? Verdict::yes() : Verdict::no(kCommandOutside);
    }
    const auto written = canonicalPath(folder, text_);
    const bool inside = written && install_.writtenForm && written->isWithin(*install_.writtenForm);
    return inside ? Verdict::yes() : Verdict::no(kCommandOutside);
}

// ---- finding out

platform::Status DeletionJudge::locate(const std::string& path, platform::OpenFor purpose,
                                       Located& found, bool attributes) {
    found = Located{};
    if (path.empty()) return platform::kErrorPathNotFound;
    const platform::Status opened = files_.openEntry(path, purpose, found.handle);
    if (opened != platform::kErrorSuccess) return opened;
    const platform::Status described =
        attributes ? files_.describeEntry(found.handle, found.finalPath, found.attributes)
                   : files_.finalPathOf(found.handle, found.finalPath);
    if (described == platform::kErrorSuccess)
        found.real = canonicalFinalPath(found.finalPath, text_);
    return platform::kErrorSuccess;
}

std::optional<CanonicalPath> DeletionJudge::whereIs(const std::string& path) {
    Located found;
    if (locate(path, platform::OpenFor::Inspection, found) != platform::kErrorSuccess)
        return std::nullopt;
    files_.closeEntry(found.handle);
    return std::move(found.real);
}

// An owned folder serves only as the folder itself, on a local drive, never
// through a link: the product's Start-menu folder lies in the user's own
// profile, where anybody could put a link to a system folder in its place.
void DeletionJudge::holdOwned(Owned& owned) {
    const auto no = [&owned](const char* why) {
        owned.verdict = Verdict::no(owned.subject + " " + why);
    };
    if (owned.written.empty()) return no("is not known");
    if (isDoubleSeparated(owned.written)) {
        const char third = owned.written.size() > 2 ? owned.written[2] : '\0';
        return no(third == '?' || third == '.' ? "is named through a device path" : kNetwork);
    }
    owned.writtenForm = canonicalPath(owned.written, text_);
    if (!owned.writtenForm) return no(kNotFullPath);
    if (Verdict place = placeVerdict(*owned.writtenForm); !place.allowed())
        return no(place.refusal.c_str());

    // A folder's own attributes show a link where an open can't: a system
    // that opens a link's target even when asked for the link itself.
    std::uint32_t attributes = 0;
    if (files_.getAttributes(owned.written, attributes) != platform::kErrorSuccess)
        return no("does not exist");
    if (isLink(attributes)) return no(kLink);
    if (!isFolder(attributes)) return no("is not a folder");
    Located found;
    if (locate(owned.written, platform::OpenFor::Holding, found) != platform::kErrorSuccess)
        return no("can't be held open");
    if (!found.real) {
        no(kNoLocation);
    } else if (isLink(found.attributes)) {
        no(kLink);
    } else if (Verdict place = placeVerdict(*found.real); !place.allowed()) {
        no(place.refusal.c_str());
    } else {
        owned.real = std::move(found.real);
        owned.held = found.handle;
        return;
    }
    files_.closeEntry(found.handle);
}

void DeletionJudge::release(Owned& owned) {
    if (owned.held == kNoFile) return;
    files_.closeEntry(owned.held);
    owned.held = kNoFile;
}

FileHandle DeletionJudge::openJudged(const std::string& path, Reach reach, const Owned* within,
                                     bool folder, platform::OpenFor purpose,
                                     platform::Status* openStatus, std::string* finalPathSeen,
                                     bool listedFile) {
    // A folder's own attributes show a link where an open can't (Wine opens
    // a Unix symbolic link's target even when asked for the link itself). A
    // file needs no such look: what it really is shows in its final path.
    if (folder) {
        std::uint32_t attributes = 0;
        if (files_.getAttributes(path, attributes) != platform::kErrorSuccess) return kNoFile;
        if (isLink(attributes)) {
            refuse(path, kLink);
            return kNoFile;
        }
    }
    // A file a listing found is judged by where it lands alone: its
    // attributes would tell nothing the listing and the final path don't (a
    // link at its name opens as itself, or, under Wine, as its target, which
    // the path then names).
    Located found;
    const bool fileToDelete = listedFile && !folder && purpose == platform::OpenFor::Deletion;
    const platform::Status opened = locate(path, purpose, found, !fileToDelete);
    if (openStatus != nullptr) *openStatus = opened;
    if (opened != platform::kErrorSuccess) {
        if (opened == platform::kErrorFileNotFound || opened == platform::kErrorPathNotFound)
            return kNoFile;
        // Nothing can be deleted; still say why the rules would refuse it
        // (an owned folder, held open for the run, is one such).
        if (const auto real = whereIs(path)) {
            if (Verdict verdict = judge(*real, reach, within); !verdict.allowed())
                refuse(path, std::move(verdict.refusal));
        }
        return kNoFile;
    }
    Verdict verdict;
    if (!found.real) {
        verdict = Verdict::no(kNoLocation);
    } else if (folder && isLink(found.attributes)) {
        verdict = Verdict::no(kLink);
    } else if (!fileToDelete && isFolder(found.attributes) != folder) {
        files_.closeEntry(found.handle);  // changed from file to folder meanwhile: nothing to do
        return kNoFile;
    } else {
        verdict = judge(*found.real, reach, within);
    }
    if (verdict.allowed()) {
        if (finalPathSeen != nullptr) *finalPathSeen = std::move(found.finalPath);
        return found.handle;
    }
    files_.closeEntry(found.handle);
    refuse(path, std::move(verdict.refusal));
    return kNoFile;
}

// ---- deleting

void DeletionJudge::deleted(RunObserver::Deleted what, const std::string& finalPath) {
    if (observer_ == nullptr) return;
    // "\\?\C:\..." as "C:\...", "\\?\UNC\s\x" as "\\s\x".
    std::string shown = finalPath;
    if (shown.rfind("\\\\?\\UNC\\", 0) == 0)
        shown = "\\\\" + shown.substr(8);
    else if (shown.rfind("\\\\?\\", 0) == 0)
        shown.erase(0, 4);
    observer_->deleted(what, shown);
}

void DeletionJudge::deleteJudged(const std::string& path, const Owned* within) {
    std::string finalPath;
    const FileHandle handle = openJudged(path, Reach::Inside, within, false,
                                         platform::OpenFor::Deletion, nullptr, &finalPath, true);
    if (handle == kNoFile) return;
    // Failures are passed over in silence.
    if (files_.deleteEntry(handle) == platform::kErrorSuccess)
        deleted(RunObserver::Deleted::File, finalPath);
    files_.closeEntry(handle);
}

void DeletionJudge::deleteFiles(const std::string& pattern) {
    if (!install_.real) {
        refuse(pattern, install_.verdict.refusal);
        return;
    }
    // What a listing found before it failed part-way is still deleted.
    std::vector<platform::FoundEntry> found;
    files_.findEntries(pattern, found);
    const std::string folder = folderOf(pattern);
    for (const platform::FoundEntry& entry : found) {
        if (!isFolder(entry.attributes)) deleteJudged(folder + entry.name, &install_);
    }
}

void DeletionJudge::removeFolder(const std::string& folder, Reach reach) {
    const auto written = canonicalPath(folder, text_);
    if (!written || written->isRoot()) {
        refuse(folder, written ? kDriveRoot : kNotFullPath);
        return;
    }
    const Owned* within = nullptr;
    if (reach == Reach::OwnedFolder) {
        // The clean-up names each owned folder as it was written.
        within =
            install_.writtenForm && *written == *install_.writtenForm ? &install_ : &startMenu_;
        if (!within->real) {
            refuse(folder, within->verdict.refusal);
            return;
        }
    }
    // The folder is judged before anything in it is touched, and opened for
    // deletion only once it is emptied: a listing can't be made of a folder
    // that is open for deletion on every system.
    const FileHandle looked =
        openJudged(folder, reach, within, true, platform::OpenFor::Inspection);
    if (looked == kNoFile) return;
    files_.closeEntry(looked);
    const std::string inFolder = folder + "\\";
    std::vector<platform::FoundEntry> found;
    files_.findEntries(inFolder + "*.*", found);
    for (const platform::FoundEntry& entry : found) {
        if (!isFolder(entry.attributes)) deleteJudged(inFolder + entry.name, nullptr);
    }
    std::string finalPath;
    const FileHandle handle =
        openJudged(folder, reach, within, true, platform::OpenFor::Deletion, nullptr, &finalPath);
    if (handle == kNoFile) return;
    // Only an emptied folder goes.
    if (files_.deleteEntry(handle) == platform::kErrorSuccess)
        deleted(RunObserver::Deleted::Folder, finalPath);
    files_.closeEntry(handle);
}

platform::Status DeletionJudge::deleteFile(const std::string& path, const std::string& programFile,
                                           bool& runningProgram) {
    runningProgram = false;
    if (!install_.real) return platform::kErrorAccessDenied;
    platform::Status status = platform::kErrorFileNotFound;
    std::string finalPath;
    const FileHandle handle = openJudged(path, Reach::Inside, &install_, false,
                                         platform::OpenFor::Deletion, &status, &finalPath);
    if (handle != kNoFile) {
        status = files_.deleteEntry(handle);
        if (status == platform::kErrorSuccess) deleted(RunObserver::Deleted::File, finalPath);
        files_.closeEntry(handle);
    }
    if (status == platform::kErrorAccessDenied || status == platform::kErrorSharingViolation) {
        const auto real = whereIs(path);
        runningProgram = real && real == whereIs(programFile);
    }
    return status;
}

void DeletionJudge::scheduleAtRestart(const std::string& path, Reach reach) {
    std::string finalPath;
    const bool folder = reach == Reach::OwnedFolder;
    const FileHandle handle = openJudged(path, reach, &install_, folder,
                                         platform::OpenFor::Inspection, nullptr, &finalPath);
    if (handle == kNoFile) return;
    files_.closeEntry(handle);
    // "\\?\C:\..." as "C:\...": an owned folder is on a local drive.
    if (finalPath.rfind("\\\\?\\", 0) == 0) finalPath.erase(0, 4);
    files_.scheduleDeleteAtRestart(finalPath);
}

std::string DeletionJudge::realName(const std::string& path) {
    Located found;
    if (locate(path, platform::OpenFor::Inspection, found) != platform::kErrorSuccess)
        return lastName(path);
    files_.closeEntry(found.handle);
    return found.real ? lastName(found.finalPath) : lastName(path);
}

void DeletionJudge::refuse(std::string path, std::string reason) {
    if (observer_ != nullptr) observer_->refused(path, reason);
    refusals_.push_back({std::move(path), std::move(reason)});
}

}  // namespace engine

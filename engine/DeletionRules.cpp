#include "engine/DeletionRules.h"

#include <utility>

namespace engine {

using platform::FileHandle;
using platform::kNoFile;

namespace {

bool isLink(std::uint32_t attributes) {
    return (attributes & platform::kAttributeReparsePoint) != 0;
}

bool isFolder(std::uint32_t attributes) {
    return (attributes & platform::kAttributeDirectory) != 0;
}

// The text after the last "\\" (a final path has no other separator).
std::string lastName(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The folder part of a pattern, its last separator included.
std::string folderOf(const std::string& pattern) {
    const std::size_t cut = lastSeparator(pattern);
    return cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
}

}  // namespace

DeletionRules::DeletionRules(platform::FileSystem& files, platform::System& system,
                             const GuardFolders& folders)
    : files_(files), system_(system), text_(system), guard_(folders, system) {
    // A protected folder is protected under every name it has; a real
    // location that the written ones already cover adds nothing.
    const auto protectReal = [this](const std::string& folder) {
        auto real = whereIs(folder);
        if (real && !guard_.isProtected(*real)) guard_.addProtected(std::move(*real));
    };
    for (const std::string* folder :
         {&folders.windowsFolder, &folders.systemFolder, &folders.programsFolder})
        protectReal(*folder);
    for (const std::string& folder : folders.keptFolders) protectReal(folder);
    install_.written = folders.installDir;
    install_.verdict = guard_.installDirVerdict();
    if (install_.verdict.allowed()) holdOwned(install_, "the install folder");
    startMenu_.written = folders.productStartMenu;
    startMenu_.verdict = guard_.startMenuVerdict();
    if (startMenu_.verdict.allowed()) holdOwned(startMenu_, "the Start-menu folder");
}

DeletionRules::~DeletionRules() {
    release(install_);
    release(startMenu_);
}

// An owned folder serves only as the folder itself, never through a link:
// the product's Start-menu folder lies in the user's own profile, where
// anybody could put a link to a system folder in its place.
void DeletionRules::holdOwned(Owned& owned, const std::string& what) {
    std::uint32_t attributes = 0;
    if (files_.getAttributes(owned.written, attributes) != platform::kErrorSuccess) {
        owned.verdict = Verdict::no(what + " does not exist");
        return;
    }
    if (isLink(attributes)) {
        owned.verdict = Verdict::no(what + " is a link");
        return;
    }
    if (!isFolder(attributes)) {
        owned.verdict = Verdict::no(what + " is not a folder");
        return;
    }
    FileHandle held = kNoFile;
    if (files_.openEntry(owned.written, platform::OpenFor::Holding, held) !=
        platform::kErrorSuccess) {
        owned.verdict = Verdict::no(what + " can't be held open");
        return;
    }
    std::string finalPath;
    const bool described =
        files_.describeEntry(held, finalPath, attributes) == platform::kErrorSuccess;
    auto real = described ? canonicalFinalPath(finalPath, text_) : std::nullopt;
    if (!real) {
        owned.verdict = Verdict::no(what + " has no location the system can tell");
    } else if (isLink(attributes)) {
        owned.verdict = Verdict::no(what + " is a link");
    } else if (onNetwork(*real)) {
        owned.verdict = Verdict::no(what + " is on a network drive");
    } else if (real->isRoot() || guard_.isProtected(*real)) {
        owned.verdict =
            Verdict::no(what + " is a folder Windows keeps, or holds one, under another name");
    } else {
        owned.real = std::move(real);
        owned.finalPath = std::move(finalPath);
        owned.held = held;
        return;
    }
    files_.closeEntry(held);
}

void DeletionRules::release(Owned& owned) {
    if (owned.held == kNoFile) return;
    files_.closeEntry(owned.held);
    owned.held = kNoFile;
}

Verdict DeletionRules::judge(const CanonicalPath& real, Reach reach, const Owned* within) const {
    if (real.isRoot()) return Verdict::no("is a drive root");
    if (guard_.isProtected(real)) return Verdict::no("is a folder Windows keeps, or holds one");
    if (install_.real && real.isAbove(*install_.real))
        return Verdict::no("names a folder above the install folder");
    for (const Owned* owned : {&install_, &startMenu_}) {
        if (within != nullptr && owned != within) continue;
        if (!owned->real || !real.isWithin(*owned->real)) continue;
        const bool itself = real == *owned->real;
        if (itself == (reach == Reach::OwnedFolder)) return Verdict::yes();
        if (itself) {
            return Verdict::no(owned == &install_ ? "is the install folder itself"
                                                  : "is the product's Start-menu folder itself");
        }
    }
    if (within == &install_)
        return Verdict::no("leads outside the install folder through a link or another name");
    return Verdict::no("lies outside the install folder and the product's Start-menu folder");
}

FileHandle DeletionRules::openChecked(const std::string& path, Reach reach, const Owned* within,
                                      bool folder, platform::OpenFor purpose,
                                      platform::Status* openStatus, std::string* finalPathSeen) {
    // A folder's own attributes show a link where an open can't: a system
    // that opens a link's target even when asked for the link itself (Wine,
    // for a Unix symbolic link). A file needs no such look: what it really is
    // shows in its final path, which is judged below.
    std::uint32_t attributes = 0;
    if (folder) {
        if (files_.getAttributes(path, attributes) != platform::kErrorSuccess) return kNoFile;
        if (isLink(attributes)) {
            refuse(path, "is a link");
            return kNoFile;
        }
    }
    FileHandle handle = kNoFile;
    const platform::Status opened = files_.openEntry(path, purpose, handle);
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
    std::string finalPath;
    Verdict verdict;
    if (files_.describeEntry(handle, finalPath, attributes) != platform::kErrorSuccess) {
        verdict = Verdict::no("has no location the system can tell");
    } else if (folder && isLink(attributes)) {
        verdict = Verdict::no("is a link");
    } else if (isFolder(attributes) != folder) {
        files_.closeEntry(handle);  // changed from file to folder meanwhile: nothing to do
        return kNoFile;
    } else if (const auto real = canonicalFinalPath(finalPath, text_)) {
        verdict = judge(*real, reach, within);
    } else {
        verdict = Verdict::no("has no location the system can tell");
    }
    if (verdict.allowed()) {
        if (finalPathSeen != nullptr) *finalPathSeen = std::move(finalPath);
        return handle;
    }
    files_.closeEntry(handle);
    refuse(path, std::move(verdict.refusal));
    return kNoFile;
}

void DeletionRules::deleteChecked(const std::string& path, const Owned* within) {
    const FileHandle handle =
        openChecked(path, Reach::Inside, within, false, platform::OpenFor::Deletion);
    if (handle == kNoFile) return;
    files_.deleteEntry(handle);  // failures are passed over in silence
    files_.closeEntry(handle);
}

void DeletionRules::deleteFiles(const std::string& pattern) {
    if (!install_.verdict.allowed()) {
        refuse(pattern, install_.verdict.refusal);
        return;
    }
    // What a listing found before it failed part-way is still deleted.
    std::vector<platform::FoundEntry> found;
    files_.findEntries(pattern, found);
    const std::string folder = folderOf(pattern);
    for (const platform::FoundEntry& entry : found) {
        if (!isFolder(entry.attributes)) deleteChecked(folder + entry.name, &install_);
    }
}

void DeletionRules::removeFolder(const std::string& folder, Reach reach) {
    const auto written = canonicalPath(folder, text_);
    if (!written || written->isRoot()) {
        refuse(folder, written ? "is a drive root" : "is not a full path");
        return;
    }
    const Owned* within = nullptr;
    if (reach == Reach::OwnedFolder) {
        // The clean-up names each owned folder as it was written.
        const auto& installDir = guard_.installDir();
        within = installDir && *written == *installDir ? &install_ : &startMenu_;
        if (!within->verdict.allowed()) {
            refuse(folder, within->verdict.refusal);
            return;
        }
    }
    // The folder is judged before anything in it is touched, and opened for
    // deletion only once it is emptied: a listing can't be made of a folder
    // that is open for deletion on every system.
    const FileHandle looked =
        openChecked(folder, reach, within, true, platform::OpenFor::Inspection);
    if (looked == kNoFile) return;
    files_.closeEntry(looked);
    const std::string inFolder = folder + "\\";
    std::vector<platform::FoundEntry> found;
    files_.findEntries(inFolder + "*.*", found);
    for (const platform::FoundEntry& entry : found) {
        if (!isFolder(entry.attributes)) deleteChecked(inFolder + entry.name, nullptr);
    }
    const FileHandle handle = openChecked(folder, reach, within, true, platform::OpenFor::Deletion);
    if (handle == kNoFile) return;
    files_.deleteEntry(handle);  // only an emptied folder goes
    files_.closeEntry(handle);
}

platform::Status DeletionRules::deleteFile(const std::string& path, const std::string& programFile,
                                           bool& runningProgram) {
    runningProgram = false;
    if (!install_.verdict.allowed()) return platform::kErrorAccessDenied;
    platform::Status status = platform::kErrorFileNotFound;
    const FileHandle handle =
        openChecked(path, Reach::Inside, &install_, false, platform::OpenFor::Deletion, &status);
    if (handle != kNoFile) {
        status = files_.deleteEntry(handle);
        files_.closeEntry(handle);
    }
    if (status == platform::kErrorAccessDenied || status == platform::kErrorSharingViolation) {
        const auto real = whereIs(path);
        runningProgram = real && real == whereIs(programFile);
    }
    return status;
}

std::string DeletionRules::realName(const std::string& path) {
    FileHandle handle = kNoFile;
    if (files_.openEntry(path, platform::OpenFor::Inspection, handle) != platform::kErrorSuccess)
        return lastName(path);
    std::string finalPath;
    std::uint32_t attributes = 0;
    const bool described =
        files_.describeEntry(handle, finalPath, attributes) == platform::kErrorSuccess;
    files_.closeEntry(handle);
    return described && canonicalFinalPath(finalPath, text_) ? lastName(finalPath) : lastName(path);
}

Verdict DeletionRules::commandVerdict(const std::string& command) {
    // The program's folder: up to the last "\\" of the quoted program, or of
    // the whole command as the Start-menu folder's name is cut from it.
    std::string_view program = command;
    if (!program.empty() && program[0] == '"') {
        program.remove_prefix(1);
        program = program.substr(0, program.find('"'));
    }
    const std::size_t cut = program.rfind('\\');
    const std::string folder(program.substr(0, cut == std::string_view::npos ? 0 : cut));
    if (folder.empty())
        return Verdict::no(
            "the file type's command names no program of the product: its command stays");
    // Where the folder really is when it exists (short names and links on
    // the way resolved; a folder that is a link itself leads elsewhere),
    // else where its written path leads.
    std::uint32_t attributes = 0;
    if (files_.getAttributes(folder, attributes) == platform::kErrorSuccess && isLink(attributes))
        return Verdict::no("the file type's command lies outside the product: its command stays");
    const auto real = whereIs(folder);
    const auto written = real ? std::nullopt : canonicalPath(folder, text_);
    const bool inside = real ? install_.real && real->isWithin(*install_.real)
                             : written && guard_.installDir() && install_.real &&
                                   written->isWithin(*guard_.installDir());
    if (!inside)
        return Verdict::no("the file type's command lies outside the product: its command stays");
    return Verdict::yes();
}

void DeletionRules::scheduleAtRestart(const std::string& path, Reach reach) {
    std::string finalPath;
    const bool folder = reach == Reach::OwnedFolder;
    const FileHandle handle = openChecked(path, reach, &install_, folder,
                                          platform::OpenFor::Inspection, nullptr, &finalPath);
    if (handle == kNoFile) return;
    files_.closeEntry(handle);
    // "\\?\\C:\\..." as "C:\\...": an owned folder is on a local drive.
    if (finalPath.rfind("\\\\?\\", 0) == 0) finalPath.erase(0, 4);
    files_.scheduleDeleteAtRestart(finalPath);
}

// A final path on a share, or a drive the system calls remote.
bool DeletionRules::onNetwork(const CanonicalPath& real) {
    if (real.root.size() != 2) return true;
    return system_.getDriveType(real.root + "\\") == platform::kDriveRemote;
}

std::optional<CanonicalPath> DeletionRules::whereIs(const std::string& path) {
    if (path.empty()) return std::nullopt;
    FileHandle handle = kNoFile;
    if (files_.openEntry(path, platform::OpenFor::Inspection, handle) != platform::kErrorSuccess)
        return std::nullopt;
    std::string finalPath;
    std::uint32_t attributes = 0;
    const bool described =
        files_.describeEntry(handle, finalPath, attributes) == platform::kErrorSuccess;
    files_.closeEntry(handle);
    return described ? canonicalFinalPath(finalPath, text_) : std::nullopt;
}

void DeletionRules::refuse(std::string path, std::string reason) {
    refusals_.push_back({std::move(path), std::move(reason)});
}

}  // namespace engine

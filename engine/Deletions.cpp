#include "engine/Deletions.h"

#include <cstdint>
#include <utility>

#include "platform/Utf8.h"
#include "sysenv/SysEnv.h"

namespace engine {

namespace {

constexpr const char* kMarkerFile = "\\can't delete";
constexpr std::uint32_t kKeyRead = 0x20019u;
constexpr std::size_t kMaxFolderName = 999;

// Character positions in a command are 16-bit: a longer text is an overflow.
// Most commands are far shorter in bytes, and need no counting.
void checkPositions(const std::string& text) {
    if (text.size() > 32767) toInt16(static_cast<long long>(platform::utf8::characterCount(text)));
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    return std::string(platform::utf8::firstCharacters(text, count));
}

// The text before the last "\\" of `text`, or all of it when there is none.
std::string beforeLastSeparator(const std::string& text) {
    checkPositions(text);
    const std::size_t cut = text.rfind('\\');
    return cut == std::string::npos ? text : text.substr(0, cut);
}

// The text after the last "\\" of `text`, or all of it, at most 999 characters.
std::string afterLastSeparator(const std::string& text) {
    checkPositions(text);
    const std::size_t cut = text.rfind('\\');
    return firstCharacters(
        cut == std::string::npos ? std::string_view(text) : std::string_view(text).substr(cut + 1),
        kMaxFolderName);
}

// A name that would open a root key itself, or that Windows reads as
// rooted, names no key to delete.
bool namesSubkey(const std::string& name) { return !name.empty() && name[0] != '\\'; }

}  // namespace

Deletions::Deletions(platform::Platform platform, const VariableTable& variables,
                     const std::string& installDir)
    : platform_(platform), variables_(variables), installDir_(installDir) {}

// Worked out once, at the first deletion of the run: a marker file created or
// removed later changes nothing.
bool Deletions::deletionAllowed() {
    if (guardWorkedOut_) return guardAllows_;
    guardWorkedOut_ = true;
    std::uint64_t length = 0;
    // Any failure of the query counts as a missing marker.
    guardAllows_ = platform_.files.fileLength(platform_.system.programFolder() + kMarkerFile,
                                              length) != platform::kErrorSuccess;
    return guardAllows_;
}

void Deletions::setObserver(RunObserver* observer) {
    observer_ = observer;
    if (rules_) rules_->setObserver(observer);
}

DeletionJudge& Deletions::rules() {
    if (!rules_) {
        GuardFolders folders;
        folders.windowsFolder = sysenv::GetWindowsDir(platform_.system);
        folders.systemFolder = sysenv::GetWindowsSysDir(platform_.system);
        folders.programsFolder = sysenv::getProgramsFolder(platform_.registry);
        folders.keptFolders = platform_.system.keptFolders();
        folders.installDir = installDir_;
        folders.productStartMenu = folders.programsFolder + "\\" + kStartMenuFolderName;
        rules_.emplace(platform_.files, platform_.system, folders);
        rules_->setObserver(observer_);
    }
    return *rules_;
}

// The value names files below the install directory, with or without a
// leading "\\"; a value that would lead anywhere else deletes nothing.
void Deletions::removeFileEntry() {
    if (!deletionAllowed()) return;
    const std::string value = variables_.getVariableValue("removefile");
    const bool rooted = !value.empty() && value[0] == '\\';
    std::string path;
    path.reserve(installDir_.size() + 1 + value.size());
    path.append(installDir_).append(rooted ? "" : "\\").append(value);
    if (observer_ != nullptr) observer_->filesNamed(path);
    if (Verdict verdict = rules().fileValueVerdict(value); !verdict.allowed()) {
        rules().refuse(std::move(path), std::move(verdict.refusal));
        return;
    }
    rules().deleteFiles(path);  // failures are passed over in silence
}

// Subfolders are not entered. A registered command's folders are removed
// only strictly inside a folder the product owns; the clean-up removes those
// folders themselves.
void Deletions::removeFolder(const std::string& folder, Reach reach) {
    if (!deletionAllowed()) return;
    rules().removeFolder(folder, reach);
}

bool Deletions::deleteKey(platform::HKey root, const std::string& keyPath,
                          std::string* defaultValue) {
    if (!namesSubkey(keyPath)) return false;
    auto& registry = platform_.registry;
    platform::HKey key = 0;
    if (registry.openKey(root, keyPath, 0, platform::kKeyAllAccess, key) != platform::kErrorSuccess)
        return false;
    if (defaultValue != nullptr) *defaultValue = sysenv::regQueryString(registry, "", key);
    const bool deleted = registry.deleteKey(key, "") == platform::kErrorSuccess;
    registry.closeKey(key);
    if (deleted) keyDeleted(root, keyPath);
    return deleted;
}

void Deletions::keyDeleted(platform::HKey root, const std::string& keyPath) {
    if (observer_ != nullptr)
        observer_->deleted(RunObserver::Deleted::Key,
                           std::string(platform::rootKeyName(root)) + "\\" + keyPath);
}

// A file type of the product: one whose open command this run deleted as
// the product's, or whose open command starts a program of the product.
bool Deletions::isProductType(const std::string& type) {
    if (type.empty()) return false;
    if (productTypes_.count(platform_.system.upperCaseOrdinal(type)) != 0) return true;
    auto& registry = platform_.registry;
    platform::HKey key = 0;
    if (registry.openKey(platform::kHkeyClassesRoot, type + "\\shell\\open\\command", 0, kKeyRead,
                         key) != platform::kErrorSuccess)
        return false;
    const std::string command = sysenv::regQueryString(registry, "", key);
    registry.closeKey(key);
    return rules().commandVerdict(command).allowed();
}

// The extension key goes, then the file type's open command key, then the
// folder of the program the command starts and the Start-menu folder of the
// same name. The command key is read on its open handle and closed only
// after both folder removals.
void Deletions::removeKeyEntry() {
    auto& registry = platform_.registry;
    const std::string keyName = variables_.getVariableValue("removekey");
    // A file-name extension is one key right below HKCR. A name of several
    // levels names no file type: it is deleted only when it lies below a file
    // type of the product (a product's scripts delete their types' keys that
    // way), never elsewhere ("CLSID\\{...}\\InprocServer32"). A "/" is no
    // separator to the registry, but a sign of a path, not an extension.
    if (keyName.find('/') != std::string::npos) {
        rules().refuse("HKCR\\" + keyName, "names no file type: an extension holds no \\ or /");
        return;
    }
    if (const std::size_t level = keyName.find('\\'); level != std::string::npos) {
        if (isProductType(keyName.substr(0, level)))
            deleteKey(platform::kHkeyClassesRoot, keyName);
        else
            rules().refuse("HKCR\\" + keyName,
                           "names no file type, nor a key below a file type of the product");
        return;
    }
    std::string fileType;
    // Gone even when the command below can't be opened.
    if (deleteKey(platform::kHkeyClassesRoot, keyName, &fileType)) fileTypeKeyDeleted_ = true;

    // Without a file type the command key would be "\\shell\\open\\command",
    // which belongs to no file type.
    if (!namesSubkey(fileType)) return;
    platform::HKey commandKey = 0;
    if (registry.openKey(platform::kHkeyClassesRoot, fileType + "\\shell\\open\\command", 0,
                         platform::kKeyAllAccess, commandKey) != platform::kErrorSuccess)
        return;
    const std::string command = sysenv::regQueryString(registry, "", commandKey);

    // A failure here (a command too long for 16-bit positions) stops the
    // run; the handle is closed on the way out all the same.
    try {
        checkPositions(command);
        // Only the command key goes, and only when it starts a program of the
        // product: a type shared with Windows or taken over by another
        // program, or one a user pointed elsewhere in their own classes,
        // keeps its command. The file type's own key and its shell and
        // shell\\open keys stay.
        if (Verdict verdict = rules().commandVerdict(command); verdict.allowed()) {
            productTypes_.insert(platform_.system.upperCaseOrdinal(fileType));
            if (registry.deleteKey(commandKey, "") == platform::kErrorSuccess) {
                fileTypeKeyDeleted_ = true;
                keyDeleted(platform::kHkeyClassesRoot, fileType + "\\shell\\open\\command");
            }
        } else {
            rules().refuse("HKCR\\" + fileType + "\\shell\\open\\command",
                           std::move(verdict.refusal));
        }
        // An empty command names no program: both folder removals would
        // otherwise start from the product's Start-menu folder itself.
        if (!command.empty()) {
            const std::string programFolder = beforeLastSeparator(command);
            // The Start-menu folder is named after the program folder's
            // last name as written. Where that folder really exists as a
            // full path, its long name is read before it goes: a command
            // registered in its short 8.3 form names the same Start-menu
            // folder as the long one. A path that is no full path ("C:"
            // before "\x.exe") is not opened: it would name some current
            // folder that the command never meant.
            checkPositions(programFolder);
            const bool fullPath = canonicalPath(programFolder, platform_.system).has_value();
            const std::string folderName =
                deletionAllowed() && fullPath
                    ? firstCharacters(rules().realName(programFolder), kMaxFolderName)
                    : afterLastSeparator(programFolder);
            removeFolder(programFolder);
            removeFolder(rules().productStartMenu() + "\\" + folderName);
        }
    } catch (...) {
        registry.closeKey(commandKey);
        throw;
    }
    registry.closeKey(commandKey);
}

}  // namespace engine

// Removing a file-type registration and the folders its command points to.
#include "engine/Install.h"
#include "sysenv/SysEnv.h"

namespace engine {

namespace {

constexpr std::size_t kMaxFolderName = 999;

// Character positions in a command are 16-bit: a longer text is an overflow.
void checkPositions(const std::string& text) { toInt16(static_cast<long long>(text.size())); }

// The text before the last "\" of `text`, or all of it when there is none.
std::string beforeLastSeparator(const std::string& text) {
    checkPositions(text);
    const std::size_t cut = text.rfind('\\');
    return cut == std::string::npos ? text : text.substr(0, cut);
}

// The text after the last "\" of `text`, or all of it, at most 999 characters.
std::string afterLastSeparator(const std::string& text) {
    checkPositions(text);
    const std::size_t cut = text.rfind('\\');
    return cut == std::string::npos ? text.substr(0, kMaxFolderName)
                                    : text.substr(cut + 1, kMaxFolderName);
}

// A name that would open HKEY_CLASSES_ROOT itself, or that Windows reads as
// rooted, names no file-type key.
bool namesSubkey(const std::string& name) { return !name.empty() && name[0] != '\\'; }

}  // namespace

void Install::removeKeyEntry() {
    auto& registry = platform_.registry;
    const std::string keyName = getVariableValue("removekey");
    if (!namesSubkey(keyName)) return;

    platform::HKey extensionKey = 0;
    if (registry.openKey(platform::kHkeyClassesRoot, keyName, 0, platform::kKeyAllAccess,
                         extensionKey) != platform::kErrorSuccess)
        return;
    const std::string fileType = sysenv::regQueryString(registry, "", extensionKey);
    // Gone even when the command below can't be opened.
    if (registry.deleteKey(extensionKey, "") == platform::kErrorSuccess) fileTypeKeyDeleted_ = true;
    registry.closeKey(extensionKey);

    // Without a file type the command key would be "\shell\open\command",
    // which belongs to no file type.
    if (!namesSubkey(fileType)) return;
    platform::HKey commandKey = 0;
    if (registry.openKey(platform::kHkeyClassesRoot, fileType + "\\shell\\open\\command", 0,
                         platform::kKeyAllAccess, commandKey) != platform::kErrorSuccess)
        return;
    const std::string command = sysenv::regQueryString(registry, "", commandKey);
    // Only the command key goes; the file type's own key and its shell and
    // shell\open keys stay.
    if (registry.deleteKey(commandKey, "") == platform::kErrorSuccess) fileTypeKeyDeleted_ = true;

    // A failure here (a command too long for 16-bit positions) stops the
    // run; the handle is closed on the way out all the same.
    try {
        // An empty command names no program: both folder removals would
        // otherwise start from the product's Start-menu folder itself.
        if (!command.empty()) {
            const std::string programFolder = beforeLastSeparator(command);
            // The Start-menu folder is named after the program folder's long
            // name, read before that folder goes: a command registered in its
            // short 8.3 form names the same Start-menu folder as the long one.
            checkPositions(programFolder);
            const std::string folderName =
                deletionAllowed() ? deletions().realName(programFolder).substr(0, kMaxFolderName)
                                  : afterLastSeparator(programFolder);
            removeFolder(programFolder);
            removeFolder(sysenv::getProgramsFolder(registry) + "\\CORVALUNE quob demo\\" +
                         folderName);
        }
    } catch (...) {
        registry.closeKey(commandKey);
        throw;
    }
    registry.closeKey(commandKey);
}

}  // namespace engine

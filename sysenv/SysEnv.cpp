// The system-environment toolkit over the platform seams. Every operation
// here swallows the platform's failures and answers "" or false instead.
#include "sysenv/SysEnv.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <utility>

#include "platform/Utf8.h"

namespace sysenv {

namespace {

// The folder queries hand the system a buffer of this many characters.
constexpr std::uint32_t kFolderBufferSize = 255;

constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kProbeFileName = "W-r-i-t-e.acc";

using FolderQuery = std::uint32_t (platform::System::*)(char16_t*, std::uint32_t);

std::string folderFromSystem(platform::System& system, FolderQuery query) {
    std::array<char16_t, kFolderBufferSize> buffer;
    buffer.fill(u' ');
    const std::uint32_t written = (system.*query)(buffer.data(), kFolderBufferSize);
    if (written == 0) return "";
    // A folder too long for the buffer comes back as the size it would need,
    // with the buffer untouched: that is no folder at all, not 255 spaces.
    if (written >= kFolderBufferSize) return "";
    // Cut at the NUL before converting: what follows it is the buffer's.
    const std::u16string_view filled(buffer.data(), buffer.size());
    std::string folder = platform::utf8::fromUtf16(filled.substr(0, filled.find(u'\0')));
    folder.reserve(folder.size() + 1);  // for AddDirSep's separator
    AddDirSep(folder);
    return folder;
}

using NameFacts = platform::FileSystem::NameFacts;

// A file of the probe's name that an earlier probe left behind: one plain
// file with a single name. Anything else (a link, a file that has another
// name elsewhere, a folder) may lead to a file that is not the probe's, and
// the probe neither empties nor deletes it.
bool isLeftoverProbe(const NameFacts& existing) {
    constexpr std::uint32_t kNotPlain = platform::kAttributeDirectory | platform::kAttributeDevice |
                                        platform::kAttributeReparsePoint;
    return existing.links == 1 && (existing.attributes & kNotPlain) == 0;
}

// A leftover is emptied as any file opened for output would be; a read-only,
// hidden or system file would refuse that, and is left as it is.
bool mayEmptyProbe(const NameFacts& existing) {
    constexpr std::uint32_t kRefused =
        platform::kAttributeReadOnly | platform::kAttributeHidden | platform::kAttributeSystem;
    return isLeftoverProbe(existing) && (existing.attributes & kRefused) == 0;
}

}  // namespace

std::string StripTerminator(std::string strString) {
    // The cut is made wherever the first NUL lies, also beyond 32,767
    // characters: the toolkit never fails, so a long text is cut, not refused.
    const auto nul = strString.find('\0');
    if (nul != std::string::npos) strString.resize(nul);
    return strString;
}

void AddDirSep(std::string& strPathName) {
    std::size_t end = strPathName.size();
    while (end > 0 && strPathName[end - 1] == ' ') --end;
    if (end > 0 && strPathName[end - 1] == '\\') return;
    strPathName.resize(end);
    strPathName += '\\';
}

std::string GetWindowsDir(platform::System& system) {
    return folderFromSystem(system, &platform::System::getWindowsDirectory);
}

std::string GetWindowsSysDir(platform::System& system) {
    return folderFromSystem(system, &platform::System::getSystemDirectory);
}

std::string regQueryString(platform::Registry& registry, const std::string& valueName,
                           platform::HKey key) {
    std::uint32_t type = platform::kRegNone;
    std::uint32_t size = 0;
    if (registry.queryValue(key, valueName, &type, nullptr, &size) != platform::kErrorSuccess) {
        return "";
    }
    if (type != platform::kRegSz) return "";

    // String data comes as UTF-16 units of two bytes each; the buffer holds
    // the reported size in bytes, of spaces. Most values fit one on the stack.
    const std::size_t units = size / 2 + size % 2;
    std::array<char16_t, 256> small;
    std::u16string large;
    char16_t* buffer = small.data();
    try {
        if (units > small.size()) {
            large.assign(units, u' ');
            buffer = large.data();
        } else {
            std::fill_n(buffer, units, u' ');
        }
    } catch (const std::exception&) {
        return "";  // a size no buffer can hold: unreadable, like any other failure
    }
    std::uint32_t secondType = platform::kRegNone;
    std::uint32_t got = size;
    if (registry.queryValue(key, valueName, &secondType, reinterpret_cast<std::uint8_t*>(buffer),
                            &got) != platform::kErrorSuccess) {
        return "";
    }
    // Only the units the second query wrote are the value's: a value that
    // shrank in between leaves the buffer's padding behind it. An odd last
    // byte is half a unit, and no character. The value ends at its first NUL.
    const std::u16string_view value(buffer, std::min<std::size_t>(got / 2, units));
    return platform::utf8::fromUtf16(value.substr(0, value.find(u'\0')));
}

std::string getProgramsFolder(platform::Registry& registry) {
    // The folder is read several times in a run; the key's name is made once.
    static const std::string shellFolders = kShellFoldersKey;
    platform::HKey key = 0;
    // A failed open leaves the handle 0, which the read and the close then
    // refuse; the result is "" either way.
    registry.openKey(platform::kHkeyCurrentUser, shellFolders, 0, platform::kKeyAllAccess, key);
    std::string folder = regQueryString(registry, "Programs", key);
    registry.closeKey(key);
    return folder;
}

bool WriteAccess(platform::FileSystem& files, std::string strDirName) {
    AddDirSep(strDirName);
    const std::string probe = strDirName + kProbeFileName;
    NameFacts existing;
    const bool created =
        files.createNewFile(probe, &mayEmptyProbe, existing) == platform::kErrorSuccess;
    // Tried for the probe's own file and for a leftover, even one the create
    // could not empty, but for nothing else. Without wildcards, so a folder
    // name holding `*` or `?` can never delete other files.
    if (created || isLeftoverProbe(existing)) files.deleteFile(probe);
    return created;
}

}  // namespace sysenv

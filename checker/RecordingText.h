// Helpers the recording file system and registry share: the names of what
// is gone are kept as the system compares names (upper-cased, ordinal),
// paths and keys tidied as the system tidies them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/TextRules.h"

namespace checker::recording {

inline constexpr std::uint32_t kKeyRead = 0x20019u;
// The product key of a staged product, which needs no real key behind it.
inline constexpr platform::HKey kStagedProductKey = 0x7FFFFF01u;
// At most this many names are given when a folder or key still holds things.
inline constexpr std::size_t kNamesShown = 3;

// The key of a long path: as names compare, no trailing separator but a root's.
inline std::string keyOf(const platform::TextRules& text, const std::string& display) {
    std::string key = text.upperCaseOrdinal(display);
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

inline std::string childKey(const platform::TextRules& text, const std::string& folderKey,
                            const std::string& name) {
    if (!folderKey.empty() && folderKey.back() == '\\')
        return folderKey + text.upperCaseOrdinal(name);
    return folderKey + "\\" + text.upperCaseOrdinal(name);
}

inline std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > kNamesShown)
        text += " and " + std::to_string(names.size() - kNamesShown) + " more";
    return text;
}

// One separator between key names, none at the end.
inline std::string tidyKeyPath(const std::string& path) {
    std::string tidy;
    for (char c : path)
        if (c != '\\' || (!tidy.empty() && tidy.back() != '\\')) tidy += c;
    while (!tidy.empty() && tidy.back() == '\\') tidy.pop_back();
    return tidy;
}

// A name as the system stores it: trailing dots and blanks go.
inline std::string lastNameKey(const platform::TextRules& text, const std::string& path) {
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return text.upperCaseOrdinal(name);
}

}  // namespace checker::recording

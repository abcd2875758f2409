// What the fuzz targets share: an invariant that aborts with its reason, and
// path comparisons with letter case ignored as the fakes ignore it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzzing {

inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

namespace detail {

inline char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `text` begins with `prefix`, letter case ignored as the fakes
// ignore it; compared in place, since it runs for every path of every input.
inline bool startsWithFolded(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (upper(text[i]) != upper(prefix[i])) return false;
    return true;
}

}  // namespace detail

// Whether `path` lies below `folder`, letter case ignored.
inline bool below(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path[folder.size()] == '\\' &&
           detail::startsWithFolded(path, folder);
}

// Whether `path` is `folder` or lies below it.
inline bool within(std::string_view path, std::string_view folder) {
    return (path.size() == folder.size() && detail::startsWithFolded(path, folder)) ||
           below(path, folder);
}

}  // namespace fuzzing

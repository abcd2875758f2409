// What the fuzz targets share: an invariant that aborts with its reason, and
// path comparisons with letter case ignored as the fakes ignore it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/fakes/FakeText.h"

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

// Whether `path` lies below `folder`, letter case ignored.
inline bool below(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path[folder.size()] == '\\' &&
           fakes::startsWithText(path, folder);
}

// Whether `path` is `folder` or lies below it.
inline bool within(std::string_view path, std::string_view folder) {
    return fakes::sameText(path, folder) || below(path, folder);
}

}  // namespace fuzzing

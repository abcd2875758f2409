// What the fuzz targets share: an invariant that aborts with its reason, and
// the case folding the fakes use for paths.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

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
inline bool below(const std::string& path, const std::string& folder) {
    return startsWith(fakes::upperText(path), fakes::upperText(folder) + "\\");
}

// Whether `path` is `folder` or lies below it.
inline bool within(const std::string& path, const std::string& folder) {
    return fakes::upperText(path) == fakes::upperText(folder) || below(path, folder);
}

}  // namespace fuzzing

// Matching a file name against the last component of a search pattern the
// way Windows does it on long names: `*` and `?` with the DOS rules that make
// "*.*" take names without a dot and "a?.txt" take "a.txt".
#pragma once

#include <string>

namespace platform::win32 {

// Whether `text` holds `*` or `?`.
bool hasWildcards(const std::string& text);

// Whether `name` matches `pattern`. Both must already be in one letter case:
// the comparison of the other characters is exact.
bool wildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace platform::win32

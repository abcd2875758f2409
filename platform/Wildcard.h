// Matching a file name against the last component of a search pattern the
// way Windows does it on long names: `*` and `?` with the DOS rules that make
// "*.*" take names without a dot and "a?.txt" take "a.txt". The file adapter
// matches with it in place of the system (which also matches short 8.3
// aliases), and the in-memory file system of the tests with it too.
#pragma once

#include <string_view>

namespace platform {

// Whether `text` holds `*` or `?`.
bool hasWildcards(std::string_view text);

// Whether `name` matches `pattern`. Both must already be in one letter case:
// the comparison of the other characters is exact.
bool wildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace platform

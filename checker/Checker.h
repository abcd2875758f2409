// delcheck's engine: runs what Remove would run, with every listed
// application chosen, over a recording layer on the real platform, and
// reports what each line would delete. The run is the uninstaller's own
// (the same interpreter, variable table, discovery and deletion rules); only
// the layer beneath it differs.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "checker/Plan.h"
#include "platform/Platform.h"

namespace checker {

// The checker could not check at all: bad arguments, nothing installed and
// no folder given, a folder that doesn't exist.
class CannotCheck : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `folder`: the install folder of a staged product (as a full path); none
// to check the product installed on this machine. Throws CannotCheck.
Plan check(platform::Platform real, const std::optional<std::string>& folder);

}  // namespace checker

// The run's state owner: construction, and the script reader and interpreter.
#include "engine/Install.h"

namespace engine {

Install::Install(platform::Platform platform, DialogView& dialog, ApplicationList& list,
                 ProgressView& progress)
    : platform_(platform), dialog_(dialog), list_(list), progress_(progress) {}

}  // namespace engine

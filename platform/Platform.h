// The platform services the portable code is handed, in one bundle.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace platform {

struct Platform {
    Registry& registry;
    FileSystem& files;
    System& system;
    Shell& shell;
};

}  // namespace platform

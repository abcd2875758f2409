// The four Win32 adapters in one place, for the program and the Win32 tests.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"

namespace platform::win32 {

struct Win32Platform {
    Win32Registry registry;
    Win32FileSystem files;
    Win32System system;
    Win32Shell shell;

    // The bundle the portable code is handed; it refers to the members above.
    Platform platform() { return Platform{registry, files, system, shell}; }
};

}  // namespace platform::win32

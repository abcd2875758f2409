// Every fake of the platform and the windows, sharing one operation log, and
// the platform bundle over them: the usual starting point of an engine test.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeViews.h"
#include "tests/fakes/OperationLog.h"

namespace fakes {

struct FakeWorld {
    OperationLog log;
    FakeRegistry registry{log};
    FakeFileSystem files{log};
    FakeSystem system{log};
    FakeShell shell{log};
    FakeDialogView dialog{log};
    FakeProgressView progress{log};

    platform::Platform platform() { return platform::Platform{registry, files, system, shell}; }
};

}  // namespace fakes

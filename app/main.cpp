// The program's start: the backdrop's load, then the message loop. The
// program never comes back out of the loop: Remove and Exit end it at once.
#include <windows.h>

#include "app/CommonControls.h"
#include "app/Ending.h"
#include "app/Install.h"
#include "app/MessageLoop.h"
#include "app/frmBackDrop.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"

namespace {

// The one instance of each window object, alive for the whole run. The
// main dialog owns the progress window of its run; the backdrop reads the
// title the dialog's load stored when it paints.
struct Program {
    platform::win32::Win32Platform platform;
    app::Install install{platform.platform()};
    app::frmBackDrop backdrop{platform.system, install,
                              [this] { return install.getVariableValue("installtitle"); }};
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Runs elevated from a folder that a product may have opened to users:
    // no system library may come from there, so this goes first.
    platform::win32::restrictDllSearch();
    app::CommonControls::load();

    static Program* program = nullptr;
    app::guarded([] {
        program = new Program;
        program->backdrop.create();
        program->backdrop.Form_Load();
        ShowWindow(program->backdrop.handle(), SW_SHOW);
        UpdateWindow(program->backdrop.handle());
    });
    app::runMessageLoop();
}

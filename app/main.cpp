// The program's start: the backdrop's load, then the message loop. The
// program never comes back out of the loop: Remove and Exit end it at once.
#include <windows.h>

#include "app/CommonControls.h"
#include "app/Install.h"
#include "app/Module1.h"
#include "app/frmBackDrop.h"
#include "app/frmProgress.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"

namespace {

// The one instance of each window object, alive for the whole run.
struct Program {
    platform::win32::Win32Platform platform;
    app::frmProgress progress{install};
    app::Install install{platform.platform(), progress};
    app::frmBackDrop backdrop{platform.system, install};
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Runs elevated from a folder that a product may have opened to users:
    // no system library may come from there, so this goes first.
    platform::win32::restrictDllSearch();
    app::CommonControls::load();

    static Program* program = nullptr;
    app::Module1::guarded([] {
        program = new Program;
        program->backdrop.create();
        program->backdrop.Form_Load();
        ShowWindow(program->backdrop.handle(), SW_SHOW);
        UpdateWindow(program->backdrop.handle());
    });

    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) app::Module1::endAtOnce(got == 0 ? 0 : 1);
        app::Module1::dispatch(msg);
    }
}

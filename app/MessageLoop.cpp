#include "app/MessageLoop.h"

#include "app/Ending.h"

namespace app {

HWND dialogWindow = nullptr;

void dispatch(MSG& msg) {
    HWND dialog = dialogWindow;
    if (dialog && IsWindowVisible(dialog) && (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) &&
        IsDialogMessageW(dialog, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void processPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) endAtOnce(static_cast<unsigned>(msg.wParam));
        dispatch(msg);
    }
}

void runMessageLoop() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) endAtOnce(got == 0 ? 0 : 1);
        dispatch(msg);
    }
}

}  // namespace app

#include "app/Module1.h"

#include "app/portable/Geometry.h"

namespace app::Module1 {

std::string programTitle;
std::string applicationTitle = kDefaultApplicationTitle;
HWND ownerWindow = nullptr;
HWND dialogWindow = nullptr;

int screenDpi() {
    static int dpi = [] {
        HDC screen = GetDC(nullptr);
        int value = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int twipsToPixels(double twips) { return ui::twipsToPixels(twips, screenDpi()); }

double pixelsToTwips(int pixels) { return ui::pixelsToTwips(pixels, screenDpi()); }

void centerForm(HWND form) {
    RECT outer{};
    GetWindowRect(form, &outer);
    const float screenWidth = static_cast<float>(pixelsToTwips(GetSystemMetrics(SM_CXSCREEN)));
    const float screenHeight = static_cast<float>(pixelsToTwips(GetSystemMetrics(SM_CYSCREEN)));
    const float formWidth = static_cast<float>(pixelsToTwips(outer.right - outer.left));
    const float formHeight = static_cast<float>(pixelsToTwips(outer.bottom - outer.top));
    const ui::TwipsPoint at =
        ui::centerFormPosition(screenWidth, screenHeight, formWidth, formHeight);
    SetWindowPos(form, nullptr, twipsToPixels(at.left), twipsToPixels(at.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void dispatch(MSG& msg) {
    HWND dialog = dialogWindow;
    if (dialog && IsWindowVisible(dialog) && (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) &&
        IsDialogMessageA(dialog, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void processPendingEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) endAtOnce(static_cast<unsigned>(msg.wParam));
        dispatch(msg);
    }
}

int messageBox(const std::string& text, unsigned style, const std::string& caption) {
    const std::string& shown = caption.empty() ? applicationTitle : caption;
    HWND owner = ownerWindow && IsWindow(ownerWindow) ? ownerWindow : nullptr;
    return MessageBoxA(owner, text.c_str(), shown.c_str(), style);
}

void endAtOnce(unsigned exitCode) { ExitProcess(exitCode); }

void failAndEnd(const std::string& description) {
    // MB_ICONSTOP: the program stops here; the user can only acknowledge it.
    messageBox(description, MB_OK | MB_ICONSTOP);
    endAtOnce(1);
}

}  // namespace app::Module1

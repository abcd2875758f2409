#include "app/frmBackDrop.h"

#include <string>

#include "app/Ending.h"
#include "app/Fonts.h"
#include "app/MessageBoxes.h"
#include "app/Module1.h"
#include "app/ScreenUnits.h"
#include "app/portable/Geometry.h"
#include "platform/Win32Codes.h"
#include "platform/win32/WideText.h"

namespace app {

frmBackDrop::~frmBackDrop() {
    if (image_) {
        SelectObject(image_, previousBitmap_);
        DeleteDC(image_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    if (font_) DeleteObject(font_);
}

void frmBackDrop::create() {
    registerClass(kClassName, nullptr);  // no window icon
    Window::create(WS_EX_APPWINDOW, kClassName, applicationTitle(), WS_POPUP | WS_CLIPCHILDREN, 0,
                   0, 0, 0, nullptr);
    if (!hwnd_) failAndEnd("The backdrop window could not be created");
    ownerWindow = hwnd_;
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
    font_ = createFont("Times New Roman", 24, FW_BOLD);
}

void frmBackDrop::Form_Load() {
    // Start-up guard: the drive the program was started from.
    const std::string folder = system_.programFolder();
    const std::string root = folder.substr(0, 1) + ":\\";
    if (system_.getDriveType(root) == platform::kDriveCdrom) {
        messageBox(kCdromRefusal, MB_OK);
        endAtOnce();
    }

    dialog_.load(hwnd_);

    const int width = twipsToPixels(pixelsToTwips(GetSystemMetrics(SM_CXSCREEN)));
    const int height = twipsToPixels(pixelsToTwips(GetSystemMetrics(SM_CYSCREEN)));
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    backdropReady = true;
    paintBackdrop();
}

void frmBackDrop::paintBackdrop() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int w = client.right, h = client.bottom;

    HDC screen = GetDC(hwnd_);
    if (!image_) {
        image_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, w > 0 ? w : 1, h > 0 ? h : 1);
        previousBitmap_ = SelectObject(image_, bitmap_);
    }
    ReleaseDC(hwnd_, screen);

    // The band's corners are both inside it; a RECT's right and bottom are not.
    for (const ui::Band& band : ui::backdropBands(w, h)) {
        RECT r{band.left, band.top, band.right + 1, band.bottom + 1};
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, band.blue));
        FillRect(image_, &r, brush);
        DeleteObject(brush);
    }

    if (!backdropReady) return;

    // The program title is also the application's title from now on.
    Module1::programTitle = installTitle_();
    // The backdrop stands for the program on the taskbar: it carries the title.
    SetWindowTextW(hwnd_, platform::win32::wide(applicationTitle()).c_str());

    const std::wstring title = platform::win32::wide(Module1::programTitle);
    HGDIOBJ previousFont = SelectObject(image_, font_);
    SetBkMode(image_, TRANSPARENT);
    SetTextColor(image_, RGB(0, 0, 0));
    TextOutW(image_, 8, 8, title.data(), static_cast<int>(title.size()));
    SetTextColor(image_, RGB(255, 255, 255));
    TextOutW(image_, 4, 4, title.data(), static_cast<int>(title.size()));
    SelectObject(image_, previousFont);
}

void frmBackDrop::Timer1_Timer() {
    if (!backdropReady) return;
    KillTimer(hwnd_, kTimer1);
    dialog_.showInside(hwnd_);
}

void frmBackDrop::copyImage(HDC target, const RECT& area) {
    if (!image_) return;
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, image_,
           area.left, area.top, SRCCOPY);
}

LRESULT frmBackDrop::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTimer1) Timer1_Timer();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the image covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            copyImage(dc, ps.rcPaint);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_SETFOCUS:
            // The backdrop takes no keyboard input: the dialog inside does.
            dialog_.restoreFocus();
            return 0;
        case WM_CLOSE:
            // Nothing closes the backdrop; the program ends through its dialogs.
            return 0;
        default:
            return defaultHandling(message, wParam, lParam);
    }
}

}  // namespace app

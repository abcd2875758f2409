#include "app/frmProgress.h"

#include "app/Ending.h"
#include "app/Fonts.h"
#include "app/MessageBoxes.h"
#include "app/MessageLoop.h"
#include "app/Module1.h"
#include "app/ScreenUnits.h"
#include "platform/win32/WideText.h"

namespace app {

namespace {

// Layout in twips.
constexpr int kInnerWidth = 5370, kInnerHeight = 525;
constexpr int kLabelLeft = 240, kLabelTop = 150, kLabelWidth = 4755, kLabelHeight = 210;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

}  // namespace

void frmProgress::Form_Load() {
    registerClass(kClassName, programIcon());
    const SIZE outer =
        outerSize(twipsToPixels(kInnerWidth), twipsToPixels(kInnerHeight), kStyle, kExStyle);
    const std::string caption = installTitle_();
    create(kExStyle, kClassName, caption, kStyle, 0, 0, outer.cx, outer.cy, ownerWindow);
    if (!hwnd_) failAndEnd("The progress window could not be created");
    setIcon(hwnd_);

    const int x = twipsToPixels(kLabelLeft), y = twipsToPixels(kLabelTop);
    // One line: a title too long for the label is cut off at its right edge.
    // SS_NOPREFIX: an "&" in an application's title is shown as it is.
    fname_ = CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, x, y,
        twipsToPixels(kLabelLeft + kLabelWidth) - x, twipsToPixels(kLabelTop + kLabelHeight) - y,
        hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(fname_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), FALSE);
    Module1::centerForm(hwnd_);
}

void frmProgress::removing(const std::string& subject) {
    if (!hwnd_) Form_Load();
    SetWindowTextW(fname_, platform::win32::wide("Removing " + subject).c_str());
    processPendingEvents();
}

void frmProgress::show() {
    if (!hwnd_) Form_Load();
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void frmProgress::close() {
    if (hwnd_) DestroyWindow(hwnd_);
    fname_ = nullptr;
}

LRESULT frmProgress::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Only the removal run closes this window.
    if (message == WM_CLOSE) return 0;
    if (message == WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return defaultHandling(message, wParam, lParam);
}

}  // namespace app

#include "app/Window.h"

#include "app/Ending.h"
#include "app/resource.h"
#include "platform/win32/WideText.h"

namespace app {

void Window::registerClass(const char* className, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::windowProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    const std::wstring name = platform::win32::wide(className);
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

HWND Window::create(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                    int x, int y, int width, int height, HWND parent) {
    return CreateWindowExW(exStyle, platform::win32::wide(className).c_str(),
                           platform::win32::wide(caption).c_str(), style, x, y, width, height,
                           parent, nullptr, GetModuleHandleW(nullptr), this);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK Window::windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    guarded([&] { result = self->handleMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

SIZE outerSize(int innerWidth, int innerHeight, DWORD style, DWORD exStyle) {
    RECT r{0, 0, innerWidth, innerHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HICON programIcon() {
    static HICON icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM),
                                      IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    return icon;
}

void setIcon(HWND window) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(programIcon()));
}

}  // namespace app

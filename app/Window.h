// A window object that owns its handle. One static window procedure serves
// every window of the program: it finds the object from the handle and hands
// the message to it, inside the handler boundary. The windows are Unicode
// windows: their texts (UTF-8 in the program) reach them through the W
// functions, whatever the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

namespace app {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    HWND handle() const { return hwnd_; }

protected:
    // Registers a window class served by the shared window procedure.
    static void registerClass(const char* className, HICON icon);

    // Creates the window with this object attached to it.
    HWND create(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                int x, int y, int width, int height, HWND parent);

    // The object's own messages; anything it leaves goes to DefWindowProc.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The outer size of a window whose inner area is `innerWidth` x `innerHeight`
// pixels with the given styles.
SIZE outerSize(int innerWidth, int innerHeight, DWORD style, DWORD exStyle);

// The program's icon, 32 x 32 pixels in 16 colours.
HICON programIcon();

// Gives a window the program's icon (for the task switcher and the taskbar).
void setIcon(HWND window);

}  // namespace app

// The program's message boxes: who owns them, and the caption they get when
// none is given.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// The name the program presents itself under: the caption of message boxes
// that get no caption of their own. The built-in default until the backdrop
// paints the program title (Module1::programTitle), then that title.
inline constexpr const char* kDefaultApplicationTitle = "sprellow";
std::string applicationTitle();

// The window that owns the program's message boxes and the progress window:
// the backdrop once it exists.
extern HWND ownerWindow;

// MessageBoxA with the given style; an empty caption means the application's
// title.
int messageBox(const std::string& text, unsigned style, const std::string& caption = {});

}  // namespace app

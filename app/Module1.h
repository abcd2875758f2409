// The program title that every window shares, and window centring.
// Module1: the name under which people who know this program look for both.
#pragma once

#include <windows.h>

#include <string>

namespace app::Module1 {

// Empty until the backdrop paints its title, then the variable installtitle.
extern std::string programTitle;

// Places `form` in the middle of the screen (a little left of it).
void centerForm(HWND form);

}  // namespace app::Module1

// The program title that every window shares, and window centring.
// Named Module1 because people who know this program look there for
// `programTitle` and `centerForm`.
#pragma once

#include <windows.h>

#include <string>

namespace app::Module1 {

// Empty until the backdrop paints its title, then the variable installtitle.
extern std::string programTitle;

// Places `form` in the middle of the screen (a little left of it).
void centerForm(HWND form);

}  // namespace app::Module1

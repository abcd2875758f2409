// The fonts of the windows, in points at the screen's resolution.
#pragma once

#include <windows.h>

namespace app {

// A font given in points, scaled to the screen's DPI.
HFONT createFont(const char* face, double points, int weight, BYTE charset = ANSI_CHARSET);

// The default dialog font: MS Shell Dlg, 8 points. The main dialog's
// controls (but the frame's caption) and the progress label use it. Made
// once; it lives as long as the program.
HFONT dialogFont();

}  // namespace app

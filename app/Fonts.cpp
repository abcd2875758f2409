#include "app/Fonts.h"

#include "app/ScreenUnits.h"

namespace app {

HFONT createFont(const char* face, double points, int weight, BYTE charset) {
    const int height = -static_cast<int>(points * screenDpi() / 72.0 + 0.5);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

HFONT dialogFont() {
    // Not the system's message font: on Windows 10 and later its line is
    // taller than the progress label. The dialog face fits the layout's
    // twips. The system's character set, as for any dialog's text.
    static HFONT font = createFont("MS Shell Dlg", 8, FW_NORMAL, DEFAULT_CHARSET);
    return font;
}

}  // namespace app

#include "app/ScreenUnits.h"

#include <windows.h>

#include "app/portable/Geometry.h"

namespace app {

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

}  // namespace app

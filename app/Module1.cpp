#include "app/Module1.h"

#include "app/ScreenUnits.h"
#include "app/portable/Geometry.h"

namespace app::Module1 {

std::string programTitle;

void centerForm(HWND form) {
    RECT outer{};
    GetWindowRect(form, &outer);
    const float screenWidth = static_cast<float>(pixelsToTwips(GetSystemMetrics(SM_CXSCREEN)));
    const float screenHeight = static_cast<float>(pixelsToTwips(GetSystemMetrics(SM_CYSCREEN)));
    const float formWidth = static_cast<float>(pixelsToTwips(outer.right - outer.left));
    const float formHeight = static_cast<float>(pixelsToTwips(outer.bottom - outer.top));
    const ui::TwipsPoint at =
        ui::centerFormPosition(screenWidth, screenHeight, formWidth, formHeight);
    SetWindowPos(form, nullptr, twipsToPixels(at.left), twipsToPixels(at.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace app::Module1

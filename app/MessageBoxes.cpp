#include "app/MessageBoxes.h"

namespace app {

std::string applicationTitle = kDefaultApplicationTitle;
HWND ownerWindow = nullptr;

int messageBox(const std::string& text, unsigned style, const std::string& caption) {
    const std::string& shown = caption.empty() ? applicationTitle : caption;
    HWND owner = ownerWindow && IsWindow(ownerWindow) ? ownerWindow : nullptr;
    return MessageBoxA(owner, text.c_str(), shown.c_str(), style);
}

}  // namespace app

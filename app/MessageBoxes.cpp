#include "app/MessageBoxes.h"

#include "app/Module1.h"

#include "platform/win32/WideText.h"

namespace app {

std::string applicationTitle() {
    return Module1::programTitle.empty() ? kDefaultApplicationTitle : Module1::programTitle;
}
HWND ownerWindow = nullptr;

int messageBox(const std::string& text, unsigned style, const std::string& caption) {
    const std::string shown = caption.empty() ? applicationTitle() : caption;
    HWND owner = ownerWindow && IsWindow(ownerWindow) ? ownerWindow : nullptr;
    return MessageBoxW(owner, platform::win32::wide(text).c_str(),
                       platform::win32::wide(shown).c_str(), style);
}

}  // namespace app

// Acting on sprellow's windows as a user would: mouse clicks and typed keys.
#include <cctype>

#include "uidriver.h"

namespace uidriver {

namespace {

DWORD sprellowThread() {
    HWND backdrop = findWindow("frmBackDrop", "*");
    if (!backdrop) fail("sprellow's backdrop is not shown");
    return GetWindowThreadProcessId(backdrop, nullptr);
}

void keyEvent(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

WORD virtualKey(const std::string& name) {
    if (name == "tab") return VK_TAB;
    if (name == "space") return VK_SPACE;
    if (name == "enter") return VK_RETURN;
    if (name == "escape") return VK_ESCAPE;
    if (name == "down") return VK_DOWN;
    if (name == "up") return VK_UP;
    if (name == "f4") return VK_F4;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    fail("unknown key " + name);
}

}  // namespace

void click(HWND w, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(w, WM_MOUSEMOVE, 0, at);
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(w, WM_LBUTTONUP, 0, at);
}

void clickItem(int index) {
    HWND list = list1();
    RECT r;
    if (SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        fail("no entry " + std::to_string(index));
    const std::vector<int> before = selection(list);
    click(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    waitFor([&] { return selection(list) != before; }, "the list's selection to change");
}

void clickButton(const std::string& text) {
    HWND b = button(dialog(), text);
    if (!b) fail("no button " + text);
    if (!IsWindowEnabled(b)) fail("button " + text + " is disabled");
    RECT r;
    GetClientRect(b, &r);
    click(b, r.right / 2, r.bottom / 2);
}

HWND focused() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(sprellowThread(), &info)) return nullptr;
    return info.hwndFocus;
}

// Types one key, with Alt or Shift held for "alt+x" or "shift+tab", into the
// program's active window.
void typeKey(const std::string& typed) {
    HWND backdrop = findWindow("frmBackDrop", "*");
    if (backdrop) SetForegroundWindow(backdrop);
    std::string key = typed;
    WORD modifier = 0;
    if (key.rfind("alt+", 0) == 0) modifier = VK_MENU, key = key.substr(4);
    if (key.rfind("shift+", 0) == 0) modifier = VK_SHIFT, key = key.substr(6);
    const WORD vk = virtualKey(key);
    if (modifier) keyEvent(modifier, false);
    keyEvent(vk, false);
    keyEvent(vk, true);
    if (modifier) keyEvent(modifier, true);
    Sleep(150);  // let the key reach the program before the next one is typed
}

}  // namespace uidriver

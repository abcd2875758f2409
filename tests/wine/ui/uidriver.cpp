// The UI driver: drives sprellow's windows from outside as a user would, for
// the end-to-end tests and the self-running demo. One command per run:
//
//   wait-window CLASS [CAPTION] [MS]   wait until a visible window shows
//   wait-gone CLASS [CAPTION] [MS]     wait until no such window is visible
//   window CLASS [CAPTION]             caption, rectangles, parent, state
//   controls CLASS [CAPTION]           the window's child controls
//   list                               List1's entries: "selected<TAB>text"
//   click-item INDEX                   click an entry of List1
//   click-button TEXT                  click a button of the main dialog
//   key KEYS...                        type keys: tab, space, enter, alt+r, ...
//   focus                              the control that has sprellow's focus
//   wait-focus TEXT [MS]               wait until that control has the focus
//   msgbox [MS]                        wait for a message box; print it
//   answer BUTTON [MS]                 press a message box's button
//   watch-progress [MS [SHOT.bmp]]     print what the progress window shows
//                                      (and take one screenshot of it)
//   press-and-watch BUTTON [MS [SHOT]] click a button, then watch-progress
//   column X Y0 Y1 STEP                "y r g b" down a column of the screen
//   region X Y W H                     white, black and other pixels there
//   screenshot FILE.bmp                the whole screen as a bitmap file
//   pixel X Y                          the screen's colour at a point
//
// Windows are matched by class and caption (CAPTION "*" matches any), top
// level or child. Every wait polls with a deadline; a command that fails
// prints why and exits 1.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultWait = 10000;
constexpr DWORD kPoll = 50;

std::string classOf(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string textOf(HWND w) {
    // WM_GETTEXT reaches controls of another process too.
    char text[1024] = {};
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::string withoutAmpersands(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

struct Search {
    std::string cls;
    std::string caption;
    HWND found = nullptr;
};

bool matches(HWND w, const Search& s) {
    if (!IsWindowVisible(w)) return false;
    if (_stricmp(classOf(w).c_str(), s.cls.c_str()) != 0) return false;
    return s.caption == "*" || textOf(w) == s.caption;
}

BOOL CALLBACK visit(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (matches(w, *s)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK visitTop(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (matches(w, *s)) {
        s->found = w;
        return FALSE;
    }
    EnumChildWindows(w, visit, p);  // every descendant, not only direct children
    return s->found ? FALSE : TRUE;
}

HWND findWindow(const std::string& cls, const std::string& caption) {
    Search s{cls, caption};
    EnumWindows(visitTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND waitWindow(const std::string& cls, const std::string& caption, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND w = findWindow(cls, caption)) return w;
        if (GetTickCount() - start > ms) return nullptr;
        Sleep(kPoll);
    }
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stdout, "uidriver: %s\n", why.c_str());
    std::fflush(stdout);
    std::exit(1);
}

HWND dialog() {
    HWND d = waitWindow("Install", "*", kDefaultWait);
    if (!d) fail("the main dialog is not shown");
    return d;
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

HWND list1() {
    for (HWND c : children(dialog()))
        if (_stricmp(classOf(c).c_str(), "ListBox") == 0) return c;
    fail("the main dialog has no list box");
}

HWND button(HWND parent, const std::string& text) {
    for (HWND c : children(parent))
        if (_stricmp(classOf(c).c_str(), "Button") == 0 &&
            (textOf(c) == text || withoutAmpersands(textOf(c)) == text))
            return c;
    return nullptr;
}

// A mouse click as the window receives it from the system: press and
// release at a point of its inner area.
void click(HWND w, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(w, WM_MOUSEMOVE, 0, at);
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(w, WM_LBUTTONUP, 0, at);
}

void printRect(const char* name, const RECT& r) {
    std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void describeWindow(HWND w) {
    RECT outer, inner;
    GetWindowRect(w, &outer);
    GetClientRect(w, &inner);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    HWND parent = GetAncestor(w, GA_PARENT);
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    std::printf("caption %s\n", textOf(w).c_str());
    printRect("outer", outer);
    std::printf("inner %ld %ld %ld %ld\n", origin.x, origin.y, inner.right, inner.bottom);
    std::printf("parent %s\n",
                parent == GetDesktopWindow() ? "(desktop)" : classOf(parent).c_str());
    std::printf("visible %d\nenabled %d\nchild %d\n", IsWindowVisible(w) ? 1 : 0,
                IsWindowEnabled(w) ? 1 : 0, (style & WS_CHILD) ? 1 : 0);
    std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HDC screen = GetDC(nullptr);
    std::printf("dpi %d\n", GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
}

void describeControls(HWND w) {
    for (HWND c : children(w)) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        std::printf("%s\t%s\t%ld %ld %ld %ld\tenabled=%d visible=%d tabstop=%d style=%08lx\n",
                    classOf(c).c_str(), textOf(c).c_str(), r.left, r.top, r.right - r.left,
                    r.bottom - r.top, IsWindowEnabled(c) ? 1 : 0, IsWindowVisible(c) ? 1 : 0,
                    (style & WS_TABSTOP) ? 1 : 0, static_cast<unsigned long>(style));
    }
}

std::vector<int> selection(HWND list) {
    std::vector<int> sel;
    const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) sel.push_back(SendMessageA(list, LB_GETSEL, i, 0) > 0 ? 1 : 0);
    return sel;
}

// An entry's text. The wide message: Wine carries it across processes whole.
std::string itemText(HWND list, int index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

void printList() {
    HWND list = list1();
    std::vector<int> sel = selection(list);
    for (size_t i = 0; i < sel.size(); ++i) {
        std::printf("%d\t%s\n", sel[i], itemText(list, static_cast<int>(i)).c_str());
    }
}

// Waits until `done` holds, or fails with `what` at the deadline.
template <typename Condition>
void waitFor(Condition done, const std::string& what, DWORD ms = kDefaultWait) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) fail("timed out waiting for " + what);
        Sleep(kPoll);
    }
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

DWORD sprellowThread() {
    HWND backdrop = findWindow("frmBackDrop", "*");
    if (!backdrop) fail("sprellow's backdrop is not shown");
    return GetWindowThreadProcessId(backdrop, nullptr);
}

HWND focused() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(sprellowThread(), &info)) return nullptr;
    return info.hwndFocus;
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

HWND messageBoxWindow(DWORD ms) {
    HWND box = waitWindow("#32770", "*", ms);
    if (!box) fail("no message box");
    return box;
}

void printMessageBox(HWND box) {
    std::printf("caption %s\n", textOf(box).c_str());
    for (HWND c : children(box)) {
        const std::string cls = classOf(c);
        if (!IsWindowVisible(c)) continue;
        if (_stricmp(cls.c_str(), "Static") == 0 && !textOf(c).empty())
            std::printf("text %s\n", textOf(c).c_str());
        else if (_stricmp(cls.c_str(), "Button") == 0)
            std::printf("button %s\n", withoutAmpersands(textOf(c)).c_str());
        else if (_stricmp(cls.c_str(), "Static") == 0 &&
                 (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                 SendMessageA(c, STM_GETICON, 0, 0) != 0)
            std::printf("icon\n");
    }
}

// A rectangle of the screen as 32-bit pixels, top row first.
struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB
};

Capture capture(int x, int y, int width, int height) {
    Capture c;
    c.width = width;
    c.height = height;
    c.pixels.resize(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
    GdiFlush();
    std::memcpy(c.pixels.data(), bits, c.pixels.size() * 4);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

void saveBmp(const Capture& c, const std::string& file) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = c.width;
    ih.biHeight = -c.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    const DWORD bytes = static_cast<DWORD>(c.pixels.size() * 4);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + bytes;
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) fail("can't write " + file);
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    // Opaque pixels: viewers read the fourth byte as alpha.
    std::vector<DWORD> opaque(c.pixels);
    for (DWORD& p : opaque) p |= 0xFF000000u;
    std::fwrite(opaque.data(), bytes, 1, f);
    std::fclose(f);
}

// How many pixels of a rectangle are pure white, pure black, or something else.
void regionCounts(const Capture& c) {
    long white = 0, black = 0, other = 0;
    for (DWORD p : c.pixels) {
        p &= 0xFFFFFF;
        if (p == 0xFFFFFF)
            ++white;
        else if (p == 0)
            ++black;
        else
            ++other;
    }
    std::printf("white %ld\nblack %ld\nother %ld\n", white, black, other);
}

// The text the window manager holds for a window, read without a message to
// its thread, so a busy program can be watched.
std::string heldText(HWND w) {
    wchar_t wide[1024] = {};
    InternalGetWindowText(w, wide, 1024);
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// Follows the progress window until the program's closing (or error) message
// shows: prints each distinct "caption<TAB>label" it sees, in order.
void watchProgress(DWORD ms, const std::string& shot) {
    const DWORD start = GetTickCount();
    std::string last;
    bool shotTaken = shot.empty();
    for (;;) {
        if (HWND p = FindWindowA("frmProgress", nullptr)) {
            HWND label = GetWindow(p, GW_CHILD);
            RECT r;
            GetWindowRect(p, &r);
            const std::string seen = heldText(p) + "\t" + (label ? heldText(label) : "") + "\t" +
                                     std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                                     std::to_string(r.right - r.left) + " " +
                                     std::to_string(r.bottom - r.top);
            if (seen != last && IsWindowVisible(p)) {
                std::printf("%s\n", seen.c_str());
                std::fflush(stdout);
                last = seen;
                if (!shotTaken) {
                    // Give the window a moment to paint its new text first.
                    Sleep(40);
                    saveBmp(
                        capture(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                        shot);
                    shotTaken = true;
                }
            }
        }
        if (FindWindowA("#32770", nullptr)) return;
        if (GetTickCount() - start > ms) fail("timed out watching the progress window");
        Sleep(1);
    }
}

DWORD millis(int argc, char** argv, int at) {
    return argc > at ? static_cast<DWORD>(std::atoi(argv[at])) : kDefaultWait;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) fail("usage: uidriver COMMAND [ARGS]");
    const std::string cmd = argv[1];
    auto arg = [&](int i) -> std::string {
        if (argc <= i) fail("missing argument for " + cmd);
        return argv[i];
    };
    auto captionArg = [&](int i) { return argc > i ? std::string(argv[i]) : std::string("*"); };

    if (cmd == "wait-window") {
        HWND w = waitWindow(arg(2), captionArg(3), millis(argc, argv, 4));
        if (!w) fail("no window " + arg(2));
        std::printf("%s\n", textOf(w).c_str());
    } else if (cmd == "wait-gone") {
        const std::string cls = arg(2), caption = captionArg(3);
        waitFor([&] { return findWindow(cls, caption) == nullptr; }, cls + " to go",
                millis(argc, argv, 4));
    } else if (cmd == "window") {
        HWND w = findWindow(arg(2), captionArg(3));
        if (!w) fail("no window " + arg(2));
        describeWindow(w);
    } else if (cmd == "controls") {
        HWND w = findWindow(arg(2), captionArg(3));
        if (!w) fail("no window " + arg(2));
        describeControls(w);
    } else if (cmd == "list") {
        printList();
    } else if (cmd == "click-item") {
        clickItem(std::atoi(arg(2).c_str()));
    } else if (cmd == "click-button") {
        clickButton(arg(2));
    } else if (cmd == "key") {
        for (int i = 2; i < argc; ++i) typeKey(argv[i]);
    } else if (cmd == "focus") {
        HWND f = focused();
        std::printf("%s\t%s\n", f ? classOf(f).c_str() : "(none)", f ? textOf(f).c_str() : "");
    } else if (cmd == "wait-focus") {
        const std::string want = arg(2);
        waitFor(
            [&] {
                HWND f = focused();
                if (!f) return false;
                return withoutAmpersands(textOf(f)) == want || classOf(f) == want;
            },
            "the focus on " + want, millis(argc, argv, 3));
    } else if (cmd == "msgbox") {
        printMessageBox(messageBoxWindow(millis(argc, argv, 2)));
    } else if (cmd == "answer") {
        HWND box = messageBoxWindow(millis(argc, argv, 3));
        HWND b = button(box, arg(2));
        if (!b) fail("the message box has no button " + arg(2));
        RECT r;
        GetClientRect(b, &r);
        click(b, r.right / 2, r.bottom / 2);
        waitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); },
                "the message box to close");
    } else if (cmd == "watch-progress") {
        watchProgress(millis(argc, argv, 2), argc > 3 ? argv[3] : "");
    } else if (cmd == "press-and-watch") {
        // Watching starts the moment the button is pressed, so the first
        // application's progress can't be missed.
        clickButton(arg(2));
        watchProgress(millis(argc, argv, 3), argc > 4 ? argv[4] : "");
    } else if (cmd == "column") {
        // column X Y0 Y1 STEP: "y r g b" for every STEP-th row
        const int x = std::atoi(arg(2).c_str()), y0 = std::atoi(arg(3).c_str());
        const int y1 = std::atoi(arg(4).c_str()), step = std::max(1, std::atoi(arg(5).c_str()));
        const Capture c = capture(x, y0, 1, y1 - y0 + 1);
        for (int y = y0; y <= y1; y += step) {
            const DWORD p = c.pixels[static_cast<size_t>(y - y0)];
            std::printf("%d %lu %lu %lu\n", y, (p >> 16) & 255, (p >> 8) & 255, p & 255);
        }
    } else if (cmd == "region") {
        regionCounts(capture(std::atoi(arg(2).c_str()), std::atoi(arg(3).c_str()),
                             std::atoi(arg(4).c_str()), std::atoi(arg(5).c_str())));
    } else if (cmd == "screenshot") {
        saveBmp(capture(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                arg(2));
    } else if (cmd == "pixel") {
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, std::atoi(arg(2).c_str()), std::atoi(arg(3).c_str()));
        ReleaseDC(nullptr, screen);
        std::printf("%d %d %d\n", GetRValue(c), GetGValue(c), GetBValue(c));
    } else {
        fail("unknown command " + cmd);
    }
    std::fflush(stdout);
    return 0;
}

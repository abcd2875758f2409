// Finding sprellow's windows and reading what they show.
#include <cstdio>
#include <cstring>

#include "uidriver.h"

namespace uidriver {

namespace {

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

void printRect(const char* name, const RECT& r) {
    std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

std::string classOf(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

// Text of the other process's windows, as UTF-8: a localized system's
// captions come through whole in any code page.
std::string utf8(const wchar_t* wide) {
    char text[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::string textOf(HWND w) {
    // WM_GETTEXT reaches controls of another process too.
    wchar_t text[1024] = {};
    SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return utf8(text);
}

// A message box's standard buttons by what they answer, whatever the
// system's language calls them.
const char* answerOf(HWND button) {
    switch (GetDlgCtrlID(button)) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        default:
            return nullptr;
    }
}

std::string withoutAmpersands(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
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
    // A message box's own buttons also by their answer.
    for (HWND c : children(parent))
        if (_stricmp(classOf(c).c_str(), "Button") == 0 && answerOf(c) != nullptr &&
            _stricmp(classOf(parent).c_str(), "#32770") == 0 && text == answerOf(c))
            return c;
    return nullptr;
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
    return utf8(wide.c_str());
}

void printList() {
    HWND list = list1();
    std::vector<int> sel = selection(list);
    for (size_t i = 0; i < sel.size(); ++i) {
        std::printf("%d\t%s\n", sel[i], itemText(list, static_cast<int>(i)).c_str());
    }
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
            std::printf("button %s\n",
                        answerOf(c) ? answerOf(c) : withoutAmpersands(textOf(c)).c_str());
        else if (_stricmp(cls.c_str(), "Static") == 0 &&
                 (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                 SendMessageA(c, STM_GETICON, 0, 0) != 0)
            std::printf("icon\n");
    }
}

}  // namespace uidriver

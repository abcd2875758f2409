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
#include <cstdio>
#include <cstdlib>
#include <string>

#include "uidriver.h"

namespace uidriver {

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stdout, "uidriver: %s\n", why.c_str());
    std::fflush(stdout);
    std::exit(1);
}

}  // namespace uidriver

using namespace uidriver;

namespace {

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

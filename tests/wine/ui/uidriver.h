// What the UI driver's commands are made of: finding sprellow's windows and
// reading them, acting on them as a user would, and reading the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

constexpr DWORD kDefaultWait = 10000;
constexpr DWORD kPoll = 50;

// Prints why a command failed and exits 1.
[[noreturn]] void fail(const std::string& why);

// Waits until `done` holds, or fails with `what` at the deadline.
template <typename Condition>
void waitFor(Condition done, const std::string& what, DWORD ms = kDefaultWait) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) fail("timed out waiting for " + what);
        Sleep(kPoll);
    }
}

// ---- windows: finding them and reading them (uidriver_windows.cpp)

std::string classOf(HWND w);
std::string textOf(HWND w);
std::string withoutAmpersands(const std::string& s);

// A visible window of the class with the caption ("*" for any), top level or
// child; waitWindow gives nullptr at the deadline.
HWND findWindow(const std::string& cls, const std::string& caption);
HWND waitWindow(const std::string& cls, const std::string& caption, DWORD ms);

HWND dialog();  // the main dialog, or fail
std::vector<HWND> children(HWND parent);
HWND list1();
HWND button(HWND parent, const std::string& text);
std::vector<int> selection(HWND list);

void describeWindow(HWND w);
void describeControls(HWND w);
void printList();

HWND messageBoxWindow(DWORD ms);
void printMessageBox(HWND box);

// ---- acting as a user would (uidriver_input.cpp)

// A mouse click as the window receives it from the system: press and
// release at a point of its inner area.
void click(HWND w, int x, int y);
void clickItem(int index);
void clickButton(const std::string& text);
HWND focused();
void typeKey(const std::string& typed);

// ---- the screen (uidriver_screen.cpp)

// A rectangle of the screen as 32-bit pixels, top row first.
struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB
};

Capture capture(int x, int y, int width, int height);
void saveBmp(const Capture& c, const std::string& file);
void regionCounts(const Capture& c);
void watchProgress(DWORD ms, const std::string& shot);

}  // namespace uidriver

// Reading the screen: pixels, screenshots, and what the progress window shows
// while a removal runs.
#include <cstdio>
#include <cstring>

#include "uidriver.h"

namespace uidriver {

namespace {

// The text the window manager holds for a window, read without a message to
// its thread, so a busy program can be watched.
std::string heldText(HWND w) {
    wchar_t wide[1024] = {};
    InternalGetWindowText(w, wide, 1024);
    char text[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

}  // namespace

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

}  // namespace uidriver

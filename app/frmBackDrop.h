// The backdrop `frmBackDrop`: the program's first window. It refuses to run
// from a CD-ROM drive, loads the main dialog, covers the screen with a blue
// gradient and the program title, and at its timer's first tick takes the
// main dialog in as a child window and shows it.
#pragma once

#include <windows.h>

#include "app/Window.h"
#include "platform/System.h"

namespace app {

class Install;

class frmBackDrop final : public Window {
public:
    frmBackDrop(platform::System& system, Install& install) : system_(system), install_(install) {}
    ~frmBackDrop() override;

    // Creates the window (hidden); Timer1 runs from here on.
    void create();

    void Form_Load();
    void Timer1_Timer();

    static constexpr const char* kClassName = "frmBackDrop";
    static constexpr const char* kCdromRefusal =
        "You cannot run this program directly from this CD. If you want to remove any of your "
        "this product then use add/remove program found in the Window 95 control panel.";

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void paintBackdrop();
    void copyImage(HDC target, const RECT& area);

    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kTimer1Interval = 1000;

    platform::System& system_;
    Install& install_;
    bool backdropReady = false;

    // The persistent image that WM_PAINT copies.
    HDC image_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace app

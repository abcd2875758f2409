// The backdrop `frmBackDrop`: the program's first window. It refuses to run
// from a CD-ROM drive, loads the main dialog, covers the screen with a blue
// gradient and the program title, and at its timer's first tick takes the
// main dialog in as a child window and shows it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "app/Window.h"
#include "platform/System.h"

namespace app {

// The main dialog as the backdrop deals with it: the backdrop's load loads
// it, hidden; the first tick takes it in as a child window and shows it; the
// keyboard focus that reaches the backdrop goes on to it.
class HostedDialog {
public:
    virtual void load(HWND owner) = 0;
    virtual void showInside(HWND parent) = 0;
    virtual void restoreFocus() = 0;

protected:
    ~HostedDialog() = default;
};

class frmBackDrop final : public Window {
public:
    // `installTitle` reads the variable installtitle, which the dialog's load
    // stored; the backdrop reads it once, when it paints.
    frmBackDrop(platform::System& system, HostedDialog& dialog,
                std::function<std::string()> installTitle)
        : system_(system), dialog_(dialog), installTitle_(std::move(installTitle)) {}
    ~frmBackDrop() override;

    // Creates the window (hidden); Timer1 runs from here on.
    void create();

    void Form_Load();
    void Timer1_Timer();

    static constexpr const char* kClassName = "frmBackDrop";
    // The wording is deliberate, its slips included: keep it exactly as it is.
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
    HostedDialog& dialog_;
    std::function<std::string()> installTitle_;
    bool backdropReady = false;

    // The persistent image that WM_PAINT copies.
    HDC image_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace app

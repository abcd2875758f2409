// The main dialog `Install`: the framed list of applications and the Remove
// and Exit buttons. It owns the run (engine::Install) and is its window
// side: it lists the applications the run found, keeps Remove enabled while
// one is selected, and hands the chosen list positions to Remove, whose
// progress window it owns too.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/Window.h"
#include "app/frmBackDrop.h"
#include "app/frmProgress.h"
#include "engine/Install.h"
#include "engine/Views.h"
#include "platform/Platform.h"

namespace app {

class Install final : public Window, public HostedDialog, public engine::DialogView {
public:
    explicit Install(platform::Platform platform);
    ~Install() override;

    // ---- HostedDialog
    // Creates the window hidden, with its controls, and runs its load.
    void load(HWND owner) override;
    // Makes the dialog a child window of `parent` and shows it.
    void showInside(HWND parent) override;
    // Gives the keyboard focus back to the dialog's control that last had it.
    void restoreFocus() override;

    std::string getVariableValue(const std::string& whatVar) const {
        return engine_.getVariableValue(whatVar);
    }

    // ---- handlers
    void Form_Load();
    void List1_Click();
    void ok_Click();
    void Exit_Click();

    // ---- engine::DialogView
    void centerForm() override;
    void setCaption(const std::string& caption) override;
    void hide() override;
    void processPendingEvents() override;

    // Control identifiers; none is IDOK or IDCANCEL, so Enter and Escape
    // press nothing: neither button is the default or the cancel button.
    enum : int { kIdOk = 101, kIdExit = 102, kIdFrame1 = 103, kIdList1 = 104 };

    static constexpr const char* kClassName = "Install";

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void createControls();
    // The list positions of List1's selected entries, in list order.
    std::vector<int> selectedPositions() const;
    static LRESULT CALLBACK list1Keys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    HWND createControl(const char* className, const char* text, DWORD style, int id, int left,
                       int top, int width, int height, HFONT font);

    // Built before the run that shows it; it reads the title from the run's
    // variables only when it loads, at the run's first `removing`.
    frmProgress progress_{[this] { return getVariableValue("installtitle"); }};
    engine::Install engine_;
    HWND ok_ = nullptr;
    HWND exit_ = nullptr;
    HWND frame1_ = nullptr;
    HWND list1_ = nullptr;
    HWND lastFocus_ = nullptr;
    HFONT dialogFont_ = nullptr;
    HFONT frameFont_ = nullptr;
};

}  // namespace app

#include "app/Install.h"

#include <vector>

#include "app/CommonControls.h"
#include "app/Ending.h"
#include "app/Fonts.h"
#include "app/MessageBoxes.h"
#include "app/MessageLoop.h"
#include "app/Module1.h"
#include "app/ScreenUnits.h"
#include "platform/win32/WideText.h"

namespace app {

namespace {

// Layout in twips, positions within the containing window's inner area.
constexpr int kInnerWidth = 4380, kInnerHeight = 2595;
constexpr int kFrameLeft = 45, kFrameTop = 105, kFrameWidth = 4275, kFrameHeight = 1980;
constexpr int kListLeft = 90, kListTop = 270, kListWidth = 4095, kListHeight = 1620;
constexpr int kOkLeft = 1815, kExitLeft = 3090, kButtonTop = 2175;
constexpr int kButtonWidth = 1215, kButtonHeight = 360;

// A fixed dialog frame with a caption and no title-bar buttons: only Remove
// and Exit leave it.
// Not WS_CLIPCHILDREN: the frame paints only its outline and caption, the
// dialog's face shows through it.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

Install::Install(platform::Platform platform) : engine_(platform, *this, progress_) {}

Install::~Install() {
    if (frameFont_) DeleteObject(frameFont_);
}

void Install::load(HWND owner) {
    registerClass(kClassName, programIcon());
    const SIZE outer =
        outerSize(twipsToPixels(kInnerWidth), twipsToPixels(kInnerHeight), kStyle, kExStyle);
    create(kExStyle, kClassName, "install", kStyle, 0, 0, outer.cx, outer.cy, owner);
    if (!hwnd_) failAndEnd("The main dialog could not be created");
    setIcon(hwnd_);
    createControls();
    dialogWindow = hwnd_;
    guarded([this] { Form_Load(); });
}

void Install::createControls() {
    dialogFont_ = dialogFont();
    frameFont_ = createFont("MS Sans Serif", 8.25, FW_BOLD);
    // Creation order is the tab order: Remove, Exit, the frame (no stop), the list.
    ok_ = createControl("BUTTON", "&Remove", BS_PUSHBUTTON | WS_TABSTOP, kIdOk, kOkLeft, kButtonTop,
                        kButtonWidth, kButtonHeight, dialogFont_);
    exit_ = createControl("BUTTON", "E&xit", BS_PUSHBUTTON | WS_TABSTOP, kIdExit, kExitLeft,
                          kButtonTop, kButtonWidth, kButtonHeight, dialogFont_);
    frame1_ = createControl("BUTTON", "Application(s) found", BS_GROUPBOX, kIdFrame1, kFrameLeft,
                            kFrameTop, kFrameWidth, kFrameHeight, frameFont_);
    // The list sits inside the frame; it is the dialog's own child, placed at
    // the frame's position plus its own, so its notifications reach the dialog.
    list1_ = createControl(
        "LISTBOX", "",
        LBS_MULTIPLESEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
        kIdList1, kFrameLeft + kListLeft, kFrameTop + kListTop, kListWidth, kListHeight,
        dialogFont_);
    CommonControls::setWindowSubclass(list1_, &Install::list1Keys, 1,
                                      reinterpret_cast<DWORD_PTR>(this));
}

// Some list boxes (Wine's among them) don't notify a selection toggled with
// the space bar. List1_Click only brings Remove's state in line with the
// selection, so running it after every key the list takes is always right.
LRESULT CALLBACK Install::list1Keys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR self) {
    const LRESULT result = CommonControls::defSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_KEYDOWN || message == WM_CHAR) {
        auto* dialog = reinterpret_cast<Install*>(self);
        guarded([dialog] { dialog->List1_Click(); });
    }
    return result;
}

HWND Install::createControl(const char* className, const char* text, DWORD style, int id, int left,
                            int top, int width, int height, HFONT font) {
    const int x = twipsToPixels(left), y = twipsToPixels(top);
    const int w = twipsToPixels(left + width) - x;
    const int h = twipsToPixels(top + height) - y;
    HWND control = CreateWindowExW(
        0, platform::win32::wide(className).c_str(), platform::win32::wide(text).c_str(),
        WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control) failAndEnd("A control of the main dialog could not be created");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void Install::showInside(HWND parent) {
    // A child window keeps its position, which now counts from the
    // backdrop's inner top-left corner: the screen's, as the backdrop covers it.
    const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
    SetWindowLongW(hwnd_, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
    SetParent(hwnd_, parent);
    ShowWindow(hwnd_, SW_SHOW);
    // A child window's caption is never activated by the system; it stands
    // for the program's one active dialog, so draw it active.
    SendMessageW(hwnd_, WM_NCACTIVATE, TRUE, 0);
    restoreFocus();
}

void Install::restoreFocus() {
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
    HWND target = lastFocus_;
    if (!target || !IsWindow(target) || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target) SetFocus(target);
}

// ---- handlers

// The run's load fills nothing of the window but its caption: the list shows
// what discovery found, with a lone application chosen for the user.
void Install::Form_Load() {
    engine_.Form_Load();
    for (const std::string& title : engine_.applications())
        SendMessageW(list1_, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(platform::win32::wide(title).c_str()));
    if (engine_.firstChosenAtOnce()) SendMessageW(list1_, LB_SETSEL, TRUE, 0);
    List1_Click();
}

// Remove is enabled while something is selected.
void Install::List1_Click() { EnableWindow(ok_, selectedPositions().empty() ? FALSE : TRUE); }

std::vector<int> Install::selectedPositions() const {
    const LRESULT count = SendMessageW(list1_, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) return {};
    std::vector<int> positions(static_cast<std::size_t>(count));
    const LRESULT got = SendMessageW(list1_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                     reinterpret_cast<LPARAM>(positions.data()));
    positions.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return positions;
}

void Install::ok_Click() {
    const engine::RemovalOutcome outcome = engine_.ok_Click(selectedPositions());
    if (!outcome.completed) failAndEnd(outcome.message);
    messageBox(outcome.message, MB_OK | MB_ICONINFORMATION, Module1::programTitle);
    endAtOnce();
}

void Install::Exit_Click() {
    const std::string question = "Are you sure you want to exit the " + Module1::programTitle + "?";
    if (messageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES) endAtOnce();
    restoreFocus();
}

LRESULT Install::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            if (id == kIdOk && code == BN_CLICKED)
                ok_Click();
            else if (id == kIdExit && code == BN_CLICKED)
                Exit_Click();
            else if (id == kIdList1 && code == LBN_SELCHANGE)
                List1_Click();
            if (id == kIdOk || id == kIdExit || id == kIdList1) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // The frame's caption and the buttons sit on the dialog's own face.
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_PRINTCLIENT: {
            // Themed controls ask for the dialog's face to draw themselves over.
            RECT r;
            GetClientRect(hwnd_, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 0;
        }
        case WM_SETFOCUS:
            restoreFocus();
            return 0;
        case WM_NCACTIVATE:
            // Keep the caption drawn active while the dialog is the backdrop's child.
            if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD)
                return defaultHandling(message, TRUE, lParam);
            break;
        case WM_CLOSE:
            // Only Remove and Exit leave the dialog.
            return 0;
        default:
            break;
    }
    return defaultHandling(message, wParam, lParam);
}

// ---- engine::DialogView

void Install::centerForm() { Module1::centerForm(hwnd_); }

void Install::setCaption(const std::string& caption) {
    SetWindowTextW(hwnd_, platform::win32::wide(caption).c_str());
}

void Install::hide() { ShowWindow(hwnd_, SW_HIDE); }

void Install::processPendingEvents() { app::processPendingEvents(); }

}  // namespace app

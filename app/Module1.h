// The program-wide pieces every window shares: the program title, the
// application's title, the conversion between twips and screen pixels,
// window centring, processing pending events, and the two ways of ending.
#pragma once

#include <windows.h>

#include <exception>
#include <new>
#include <string>

#include "engine/Failure.h"

namespace app::Module1 {

// Empty until the backdrop paints its title, then the variable installtitle.
extern std::string programTitle;

// The name the program presents itself under: the caption of message boxes
// that get no caption of their own. The built-in default until the backdrop
// sets it to the program title.
extern std::string applicationTitle;
inline constexpr const char* kDefaultApplicationTitle = "sprellow";

// The window that owns the program's message boxes (the backdrop once it
// exists), and the dialog whose Tab and access keys the message loop serves.
extern HWND ownerWindow;
extern HWND dialogWindow;

// Screen pixels per inch; twips are converted at this resolution.
int screenDpi();
int twipsToPixels(double twips);
double pixelsToTwips(int pixels);

// Places `form` in the middle of the screen (a little left of it).
void centerForm(HWND form);

// Hands one message to the dialog's keyboard handling or to its window.
void dispatch(MSG& msg);

// Delivers every message waiting in the queue, then returns.
void processPendingEvents();

// MessageBoxA with the given style; an empty caption means the application's
// title.
int messageBox(const std::string& text, unsigned style, const std::string& caption = {});

// Ends the program at once: no close, destroy or unload handler runs.
[[noreturn]] void endAtOnce(unsigned exitCode = 0);

// An untrapped failure: its plain description in a message box, then the end.
[[noreturn]] void failAndEnd(const std::string& description);

// Runs one window event handler. Nothing thrown inside may unwind into
// Windows, so a failure that reaches here is shown and ends the program.
template <typename Handler>
void guarded(Handler&& handler) noexcept;

}  // namespace app::Module1

// ---- the handler boundary, kept in one place for every window

namespace app::Module1 {

template <typename Handler>
void guarded(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const engine::Failure& failure) {
        failAndEnd(failure.description());
    } catch (const std::bad_alloc&) {
        failAndEnd("Out of memory");
    } catch (const std::exception& other) {
        failAndEnd(other.what());
    } catch (...) {
        failAndEnd("Unexpected error");
    }
}

}  // namespace app::Module1

// Window events: the program's message loop, and processing the events that
// wait while a handler runs. Events reach the windows only here, in message
// boxes, and between handlers.
#pragma once

#include <windows.h>

namespace app {

// The dialog whose Tab and access keys the loop serves (the main dialog once
// it is created).
extern HWND dialogWindow;

// Hands one message to the dialog's keyboard handling or to its window.
void dispatch(MSG& msg);

// Delivers every message waiting in the queue, then returns.
void processPendingEvents();

// The message loop, for the rest of the program's life: Remove and Exit end
// the program from inside it.
[[noreturn]] void runMessageLoop();

}  // namespace app

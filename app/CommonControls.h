// The common controls, from the side-by-side assembly that the manifest
// names. The program loads them itself, once the DLL search is restricted,
// instead of importing comctl32: loading comctl32 runs its start-up, which
// loads the theme library by bare name, and for an import that would happen
// before WinMain, with the program's own folder still first in the search.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace app::CommonControls {

// Loads comctl32 and registers the standard control classes (themed ones
// with the manifest's version 6). Call once, after restrictDllSearch.
void load();

// SetWindowSubclass and DefSubclassProc of the loaded comctl32. Without it
// (never on a system the program supports), the window is not subclassed.
bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace app::CommonControls

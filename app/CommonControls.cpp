#include "app/CommonControls.h"

namespace app::CommonControls {

namespace {

using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using SetSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using DefSubclassFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

SetSubclassFn setSubclass = nullptr;
DefSubclassFn defSubclass = nullptr;

template <typename Fn>
Fn lookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void load() {
    const HMODULE comctl = LoadLibraryA("comctl32.dll");
    if (comctl == nullptr) return;
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    if (const auto init = lookUp<InitFn>(comctl, "InitCommonControlsEx")) init(&controls);
    setSubclass = lookUp<SetSubclassFn>(comctl, "SetWindowSubclass");
    defSubclass = lookUp<DefSubclassFn>(comctl, "DefSubclassProc");
}

bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    // Both or neither: a subclass procedure always has DefSubclassProc to call.
    return setSubclass != nullptr && defSubclass != nullptr &&
           setSubclass(window, procedure, id, data);
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return defSubclass(window, message, wParam, lParam);
}

}  // namespace app::CommonControls

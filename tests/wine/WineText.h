// Letter case as the Win32 tests compare names: lower-cased by the system,
// character by character, as Windows folds the names of files and keys.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"

namespace winetest {

inline std::string lower(const std::string& text) {
    std::wstring units = platform::win32::wide(text);
    if (!units.empty()) CharLowerBuffW(units.data(), static_cast<DWORD>(units.size()));
    return platform::win32::narrow(units.data(), units.size());
}

}  // namespace winetest

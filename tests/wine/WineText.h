// Letter case as the Win32 tests compare names: lower-cased in the ANSI code
// page, as Windows folds the names of files and keys.
#pragma once

#include <windows.h>

#include <string>

namespace winetest {

inline std::string lower(std::string text) {
    if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace winetest

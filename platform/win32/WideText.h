// Text between the program (UTF-8) and the W functions (UTF-16), and the
// two case mappings the system offers for it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16 units");

// `text` as a NUL-terminated string for a W function.
inline std::wstring wide(std::string_view text) {
    const std::u16string units = utf8::toUtf16(text);
    return std::wstring(units.begin(), units.end());
}

// UTF-16 units from a W function as text.
inline std::string narrow(const wchar_t* units, std::size_t count) {
    return utf8::fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(units), count));
}

inline std::string narrow(const wchar_t* units) { return narrow(units, wcslen(units)); }

// `text` mapped by LCMapStringEx with `locale` and `flags` (LCMAP_LOWERCASE
// or LCMAP_UPPERCASE); the text unchanged where the system can't map it.
std::string mapCase(std::string_view text, const wchar_t* locale, DWORD flags);

// Upper-cased as the file system compares names (see TextRules).
std::string upperCaseOrdinal(std::string_view text);

}  // namespace platform::win32

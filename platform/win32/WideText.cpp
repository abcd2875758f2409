#include "platform/win32/WideText.h"

#include <algorithm>

namespace platform::win32 {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string mapCase(std::string_view text, const wchar_t* locale, DWORD flags) {
    // Letters of basic Latin map alike in every locale without linguistic
    // casing: most names are only those, and need no round trip.
    if (isAscii(text)) {
        std::string mapped(text);
        for (char& c : mapped) {
            if ((flags & LCMAP_LOWERCASE) && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            if ((flags & LCMAP_UPPERCASE) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        }
        return mapped;
    }
    std::wstring units = wide(text);
    if (units.empty()) return std::string(text);
    // Neither mapping changes the number of UTF-16 units.
    std::wstring mapped(units.size(), L'\0');
    const int written =
        LCMapStringEx(locale, flags, units.data(), static_cast<int>(units.size()), mapped.data(),
                      static_cast<int>(mapped.size()), nullptr, nullptr, 0);
    if (written <= 0) return std::string(text);
    return narrow(mapped.data(), static_cast<std::size_t>(written));
}

std::string upperCaseOrdinal(std::string_view text) {
    return mapCase(text, LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE);
}

}  // namespace platform::win32

// Letter case as the fakes fold names: upper-cased character by character
// with the Unicode case mapping of the C library (glibc's, as the machine's
// own stands in for Windows' table), so that "ЧЕРНОВИКИ" and "черновики" are
// one name, as on Windows. Text is UTF-8, as everywhere in the program.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace fakes {

// One code point upper-cased or lower-cased by the C library's Unicode
// mapping; ASCII without asking it.
char32_t upperCodePoint(char32_t c);
char32_t lowerCodePoint(char32_t c);

// `text` upper-cased or lower-cased character by character.
std::string upperText(std::string_view text);
std::string lowerText(std::string_view text);
// The upper-cased or lower-cased `text` into `out`, reusing its memory.
void upperTextInto(std::string_view text, std::string& out);
void lowerTextInto(std::string_view text, std::string& out);

inline char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Text as UTF-8 from a u8"" literal, for the tests.
inline std::string utf8(std::u8string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// <0, 0 or >0 as `a` orders before, with or after `b`, their upper-cased
// forms compared character by character from byte `from` on (the bytes
// before it alike in both).
int compareCaselessFrom(std::string_view a, std::string_view b, std::size_t from);

// The same from the start. Maps of paths compare long stretches of ASCII
// spelled alike: those are passed over here, eight bytes at a time.
inline int compareCaseless(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i + 8 <= common && std::memcmp(a.data() + i, b.data() + i, 8) == 0) i += 8;
    for (; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) >= 0x80) return compareCaselessFrom(a, b, i);
        const auto ua = static_cast<unsigned char>(upperChar(static_cast<char>(ca)));
        const auto ub = static_cast<unsigned char>(upperChar(static_cast<char>(cb)));
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Whether two texts are the same with case ignored.
inline bool sameText(std::string_view a, std::string_view b) { return compareCaseless(a, b) == 0; }

// Whether `text` begins with `prefix`, case ignored, from byte `from` on
// (the bytes before it alike, and where a character starts in both).
bool startsWithTextFrom(std::string_view text, std::string_view prefix, std::size_t from);

// Whether `text` begins with `prefix`, case ignored.
inline bool startsWithText(std::string_view text, std::string_view prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (i >= text.size()) return false;
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if ((a | b) >= 0x80) return startsWithTextFrom(text, prefix, i);
        if (upperChar(static_cast<char>(a)) != upperChar(static_cast<char>(b))) return false;
    }
    return true;
}

// Orders texts as their upper-cased forms order (code point by code point),
// so a map ordered by it finds a name in any case.
struct CaselessLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return compareCaseless(a, b) < 0;
    }
};

}  // namespace fakes

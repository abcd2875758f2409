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

inline char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Text as UTF-8 from a u8"" literal, for the tests.
inline std::string utf8(std::u8string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// <0, 0 or >0 as `a` orders before, with or after `b`, their upper-cased
// forms compared character by character.
int compareCaseless(std::string_view a, std::string_view b);

// Whether two texts are the same with case ignored.
inline bool sameText(std::string_view a, std::string_view b) { return compareCaseless(a, b) == 0; }

// Whether `text` begins with `prefix`, case ignored.
bool startsWithText(std::string_view text, std::string_view prefix);

// Orders texts as their upper-cased forms order (code point by code point),
// so a map ordered by it finds a name in any case.
struct CaselessLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return compareCaseless(a, b) < 0;
    }
};

}  // namespace fakes

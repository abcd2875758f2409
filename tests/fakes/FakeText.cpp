#include "tests/fakes/FakeText.h"

#include <locale.h>
#include <array>
#include <clocale>
#include <cwctype>

#include "platform/Utf8.h"

namespace fakes {

namespace {

// The C library's Unicode locale, made once; without one, only ASCII folds.
locale_t unicodeLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

// `text` with each character mapped by `map`; `asciiOffset` is what the
// map adds to an ASCII letter between `first` and `last` ('a' and 'z' with
// -32 upper-cases), so that plain ASCII, which most names are, is mapped in
// place without a call per character.
template <typename Map>
void mapInto(std::string_view text, Map map, char first, char last, int asciiOffset,
             std::string& out) {
    out.assign(text);
    std::size_t ascii = 0;
    for (; ascii < text.size(); ++ascii) {
        const char c = text[ascii];
        if (static_cast<unsigned char>(c) >= 0x80) break;
        if (c >= first && c <= last) out[ascii] = static_cast<char>(c + asciiOffset);
    }
    if (ascii == text.size()) return;
    out.resize(ascii);
    text.remove_prefix(ascii);
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            out += static_cast<char>(map(byte));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t c = platform::utf8::next(text, pos);
        // A byte that starts no character stays as it is.
        if (c == 0xFFFD && pos == start + 1)
            out += text[start];
        else
            platform::utf8::append(out, map(c));
    }
}

// The C library's answers for the characters of two bytes (Latin, Greek,
// Cyrillic and more), asked once: every fuzz input folds many of them.
constexpr char32_t kCached = 0x800;

template <wint_t (*Map)(wint_t, locale_t)>
char32_t mapCodePoint(char32_t c) {
    static const std::array<char32_t, kCached> cached = [] {
        std::array<char32_t, kCached> table{};
        const locale_t locale = unicodeLocale();
        for (char32_t i = 0; i < kCached; ++i)
            table[i] = locale ? static_cast<char32_t>(Map(static_cast<wint_t>(i), locale)) : i;
        return table;
    }();
    if (c < kCached) return cached[c];
    // Surrogates are no characters to the C library: they stay as they are.
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const locale_t locale = unicodeLocale();
    return locale ? static_cast<char32_t>(Map(static_cast<wint_t>(c), locale)) : c;
}

wint_t upperOf(wint_t c, locale_t locale) { return towupper_l(c, locale); }
wint_t lowerOf(wint_t c, locale_t locale) { return towlower_l(c, locale); }

}  // namespace

char32_t upperCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    return mapCodePoint<upperOf>(c);
}

char32_t lowerCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return mapCodePoint<lowerOf>(c);
}

void upperTextInto(std::string_view text, std::string& upper) {
    mapInto(text, upperCodePoint, 'a', 'z', 'A' - 'a', upper);
}

std::string upperText(std::string_view text) {
    std::string upper;
    upperTextInto(text, upper);
    return upper;
}

void lowerTextInto(std::string_view text, std::string& lower) {
    mapInto(text, lowerCodePoint, 'A', 'Z', 'a' - 'A', lower);
}

std::string lowerText(std::string_view text) {
    std::string lower;
    lowerTextInto(text, lower);
    return lower;
}

int compareCaselessFrom(std::string_view a, std::string_view b, std::size_t from) {
    std::size_t i = from;
    // Back to the start of a character, which the bytes before it share.
    while (i > 0 && i < a.size() && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) --i;
    std::size_t j = i;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        char32_t ua, ub;
        if (ca < 0x80 && cb < 0x80) {
            ua = upperCodePoint(ca);
            ub = upperCodePoint(cb);
            ++i;
            ++j;
        } else {
            // The same character needs no mapping.
            ua = platform::utf8::next(a, i);
            ub = platform::utf8::next(b, j);
            if (ua != ub) {
                ua = upperCodePoint(ua);
                ub = upperCodePoint(ub);
            }
        }
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool startsWithTextFrom(std::string_view text, std::string_view prefix, std::size_t from) {
    std::size_t i = from, j = from;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        const auto ca = static_cast<unsigned char>(text[i]);
        const auto cb = static_cast<unsigned char>(prefix[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (upperCodePoint(ca) != upperCodePoint(cb)) return false;
            ++i;
            ++j;
        } else {
            const char32_t a = platform::utf8::next(text, i);
            const char32_t b = platform::utf8::next(prefix, j);
            if (a != b && upperCodePoint(a) != upperCodePoint(b)) return false;
        }
    }
    return true;
}

}  // namespace fakes

#include "tests/fakes/FakeText.h"

#include <locale.h>
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

template <typename Map>
std::string mapped(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
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
    return out;
}

}  // namespace

char32_t upperCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    // Surrogates are no characters to the C library: they stay as they are.
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const locale_t locale = unicodeLocale();
    return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale)) : c;
}

char32_t lowerCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const locale_t locale = unicodeLocale();
    return locale ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale)) : c;
}

std::string upperText(std::string_view text) { return mapped(text, upperCodePoint); }

std::string lowerText(std::string_view text) { return mapped(text, lowerCodePoint); }

int compareCaseless(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    // Stretches spelled alike are passed over eight bytes at a time: the
    // neighbouring paths of a map share long beginnings.
    const std::size_t common = std::min(a.size(), b.size());
    while (i + 8 <= common && std::memcmp(a.data() + i, b.data() + i, 8) == 0) i += 8;
    // Back to the start of a character, which the bytes before it share.
    while (i > 0 && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) --i;
    j = i;
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
            ua = upperCodePoint(platform::utf8::next(a, i));
            ub = upperCodePoint(platform::utf8::next(b, j));
        }
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool startsWithText(std::string_view text, std::string_view prefix) {
    std::size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        const auto ca = static_cast<unsigned char>(text[i]);
        const auto cb = static_cast<unsigned char>(prefix[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (upperCodePoint(ca) != upperCodePoint(cb)) return false;
            ++i;
            ++j;
        } else if (upperCodePoint(platform::utf8::next(text, i)) !=
                   upperCodePoint(platform::utf8::next(prefix, j))) {
            return false;
        }
    }
    return true;
}

}  // namespace fakes

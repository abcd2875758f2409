#include "platform/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform::utf8 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// How many bytes from `pos` on are ASCII, looked at eight at a time: most
// text is nothing else, and needs no decoding.
std::size_t asciiRun(std::string_view text, std::size_t pos, std::size_t limit) {
    const std::size_t end = pos + std::min(limit, text.size() - pos);
    std::size_t at = pos;
    while (at + 8 <= end) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        if (word & 0x8080808080808080ull) break;
        at += 8;
    }
    while (at < end && static_cast<unsigned char>(text[at]) < 0x80) ++at;
    return at - pos;
}

// The code point and length of a well-formed character at `pos`, or length
// 0. Surrogates (ED A0..BF xx) are accepted: they are how WTF-8 keeps a
// lone one.
std::size_t decode(std::string_view text, std::size_t pos, char32_t& codePoint) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const std::size_t left = text.size() - pos;
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (left < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(at(i))) return 0;
        value = (value << 6) | (at(i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF) return 0;  // overlong, or past Unicode
    codePoint = value;
    return length;
}

}  // namespace

std::size_t characterLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    // Plain ASCII, which most text is, needs no decoding; nor does a
    // well-formed character of two bytes, the Latin, Greek and Cyrillic ones.
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < text.size() &&
        isContinuation(static_cast<unsigned char>(text[pos + 1])))
        return 2;
    char32_t ignored = 0;
    const std::size_t length = decode(text, pos, ignored);
    return length == 0 ? 1 : length;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            const std::size_t ascii = asciiRun(text, pos, text.size());
            count += ascii - 1;
            pos += ascii;
        } else {
            pos += characterLength(text, pos);
        }
    }
    return count;
}

std::string_view firstCharacters(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    while (count > 0 && pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            const std::size_t ascii = asciiRun(text, pos, count);
            pos += ascii;
            count -= ascii;
        } else {
            pos += characterLength(text, pos);
            --count;
        }
    }
    return text.substr(0, pos);
}

char32_t next(std::string_view text, std::size_t& pos) {
    char32_t codePoint = 0;
    const std::size_t length = decode(text, pos, codePoint);
    if (length == 0) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return codePoint;
}

void append(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u16string toUtf16(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            wide += static_cast<char16_t>(byte);
            ++pos;
            continue;
        }
        const char32_t c = next(text, pos);
        if (c < 0x10000) {
            wide += static_cast<char16_t>(c);
        } else {
            wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return wide;
}

std::string fromUtf16(std::u16string_view wide) {
    // Plain ASCII, which most names are, is copied unit for byte.
    std::size_t ascii = 0;
    while (ascii < wide.size() && wide[ascii] < 0x80) ++ascii;
    std::string text(ascii, '\0');
    for (std::size_t i = 0; i < ascii; ++i) text[i] = static_cast<char>(wide[i]);
    if (ascii == wide.size()) return text;
    text.reserve(wide.size() + (wide.size() - ascii) * 2);
    for (std::size_t i = ascii; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit < 0x80) {
            text += static_cast<char>(unit);
            continue;
        }
        // A surrogate pair is one character; a lone surrogate stays itself.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            append(text, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                             (static_cast<char32_t>(wide[i + 1]) - 0xDC00));
            ++i;
            continue;
        }
        append(text, unit);
    }
    return text;
}

}  // namespace platform::utf8

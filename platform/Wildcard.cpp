#include "platform/Wildcard.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Utf8.h"

namespace platform {
namespace {

// A pattern character after the translation FindFirstFile makes before the
// file system sees the pattern.
enum class Kind {
    Literal,  // itself
    Star,     // any run of characters
    DosStar,  // `*` before a `.`: any run up to the name's last dot
    DosQm,    // `?`: one character, or none at a dot or the end of the name
    DosDot,   // `.` before a wildcard or at the end: a dot, or the end of the name
};

// The kind of pattern[i]; it depends on the character after it too.
Kind kindAt(std::string_view pattern, std::size_t i) {
    const char c = pattern[i];
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '?') return Kind::DosQm;
    if (c == '*') return next == '.' ? Kind::DosStar : Kind::Star;
    if (c == '.' && (next == '?' || next == '*' || next == '\0')) return Kind::DosDot;
    return Kind::Literal;
}

// Names up to this length are matched without taking memory from the heap.
constexpr std::size_t kShortName = 260;

}  // namespace

bool hasWildcards(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '*' || c == '?'; });
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    const std::size_t n = name.size();
    const std::size_t lastDot = name.rfind('.');
    const std::size_t dosStarEnd = lastDot == name.npos ? n : lastDot;

    // at[k]: the pattern so far can end just before name position k. One pass
    // per pattern character keeps the cost at pattern × name length, whatever
    // the stars.
    std::array<char, kShortName + 1> atShort, nextShort;  // only [0, n] is used
    std::vector<char> atLong, nextLong;
    char* at = atShort.data();
    char* next = nextShort.data();
    if (n > kShortName) {
        atLong.assign(n + 1, 0);
        nextLong.assign(n + 1, 0);
        at = atLong.data();
        next = nextLong.data();
    }
    std::fill(at, at + n + 1, 0);
    at[0] = 1;
    // Where the name's characters start: `*` and `?` take whole characters,
    // so a match may stop only there (the end of the name is one such place).
    // A literal of several bytes still steps through a character byte by
    // byte, but only from its first byte, which no other byte equals.
    std::array<char, kShortName + 1> startsShort;
    std::vector<char> startsLong;
    char* starts = startsShort.data();
    if (n > kShortName) {
        startsLong.assign(n + 1, 0);
        starts = startsLong.data();
    }
    // A name of ASCII alone, as most are, starts a character at every byte.
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::fill(starts, starts + n + 1, ascii ? 1 : 0);
    for (std::size_t k = 0; !ascii && k < n; k += utf8::characterLength(name, k)) starts[k] = 1;
    starts[n] = 1;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const Kind kind = kindAt(pattern, i);
        std::fill(next, next + n + 1, 0);
        for (std::size_t k = 0; k <= n; ++k) {
            if (!at[k]) continue;
            switch (kind) {
                case Kind::Literal:
                    if (k < n && name[k] == pattern[i]) next[k + 1] = 1;
                    break;
                case Kind::Star:
                    for (std::size_t j = k; j <= n; ++j) next[j] |= starts[j];
                    break;
                case Kind::DosStar:
                    next[k] = 1;
                    for (std::size_t j = k + 1; j <= dosStarEnd; ++j) next[j] |= starts[j];
                    break;
                case Kind::DosQm:
                    if (k == n || name[k] == '.')
                        next[k] = 1;
                    else
                        next[k + (ascii ? 1 : utf8::characterLength(name, k))] = 1;
                    break;
                case Kind::DosDot:
                    if (k == n)
                        next[k] = 1;
                    else if (name[k] == '.')
                        next[k + 1] = 1;
                    break;
            }
        }
        std::swap(at, next);
        // Nothing matches any more: the rest of the pattern can't change that.
        if (std::find(at, at + n + 1, 1) == at + n + 1) return false;
    }
    return at[n] != 0;
}

}  // namespace platform

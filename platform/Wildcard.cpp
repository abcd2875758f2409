#include "platform/Wildcard.h"

#include <algorithm>
#include <vector>

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

struct Token {
    Kind kind;
    char c;
};

std::vector<Token> translate(const std::string& pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '?')
            tokens.push_back({Kind::DosQm, c});
        else if (c == '*')
            tokens.push_back({next == '.' ? Kind::DosStar : Kind::Star, c});
        else if (c == '.' && (next == '?' || next == '*' || next == '\0'))
            tokens.push_back({Kind::DosDot, c});
        else
            tokens.push_back({Kind::Literal, c});
    }
    return tokens;
}

}  // namespace

bool hasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    const std::vector<Token> tokens = translate(pattern);
    const std::size_t n = name.size();
    const std::size_t lastDot = name.rfind('.');
    const std::size_t dosStarEnd = lastDot == std::string::npos ? n : lastDot;

    // at[k]: the tokens so far can end just before name position k. One pass
    // per token keeps the cost at tokens × name length, whatever the stars.
    std::vector<char> at(n + 1, 0), next(n + 1, 0);
    at[0] = 1;
    for (const Token& token : tokens) {
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t k = 0; k <= n; ++k) {
            if (!at[k]) continue;
            switch (token.kind) {
                case Kind::Literal:
                    if (k < n && name[k] == token.c) next[k + 1] = 1;
                    break;
                case Kind::Star:
                    for (std::size_t j = k; j <= n; ++j) next[j] = 1;
                    break;
                case Kind::DosStar:
                    next[k] = 1;
                    for (std::size_t j = k + 1; j <= dosStarEnd; ++j) next[j] = 1;
                    break;
                case Kind::DosQm:
                    if (k == n || name[k] == '.')
                        next[k] = 1;
                    else
                        next[k + 1] = 1;
                    break;
                case Kind::DosDot:
                    if (k == n)
                        next[k] = 1;
                    else if (name[k] == '.')
                        next[k + 1] = 1;
                    break;
            }
        }
        at.swap(next);
    }
    return at[n] != 0;
}

}  // namespace platform

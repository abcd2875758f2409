// Letter case as the fakes fold it: ASCII letters only, other bytes exactly.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace fakes {

inline char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string upperText(std::string text) {
    for (char& c : text) c = upperChar(c);
    return text;
}

// Whether two texts are the same with case ignored.
inline bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return upperChar(x) == upperChar(y);
           });
}

inline bool startsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameText(text.substr(0, prefix.size()), prefix);
}

// Orders texts as their upper-cased forms order (byte by byte, as
// std::string does), so a map ordered by it finds a name in any case.
struct CaselessLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        const std::size_t common = std::min(a.size(), b.size());
        std::size_t i = 0;
        // Stretches spelled alike are passed over eight bytes at a time: the
        // neighbouring paths of a map share long beginnings.
        while (i + 8 <= common && std::memcmp(a.data() + i, b.data() + i, 8) == 0) i += 8;
        for (; i < common; ++i) {
            const auto ua = static_cast<unsigned char>(upperChar(a[i]));
            const auto ub = static_cast<unsigned char>(upperChar(b[i]));
            if (ua != ub) return ua < ub;
        }
        return a.size() < b.size();
    }
};

}  // namespace fakes

// Letter case as the fakes fold it: ASCII letters only, other bytes exactly.
#pragma once

#include <string>

namespace fakes {

inline char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string upperText(std::string text) {
    for (char& c : text) c = upperChar(c);
    return text;
}

}  // namespace fakes

// Letter case as the fakes fold it: ASCII letters only, other bytes exactly.
#pragma once

#include <string>

namespace fakes {

inline std::string upperText(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace fakes

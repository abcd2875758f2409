// The checker's two ways of telling its plan: aligned text for people, and
// one JSON document (UTF-8) for tools.
#pragma once

#include <string>
#include <string_view>

#include "checker/Plan.h"

namespace checker {

// `text` as a JSON string, quotes included; `text` is UTF-8 already.
std::string jsonString(const std::string& utf8);
// The same, added to the end of `out`.
void appendJsonString(std::string& out, std::string_view utf8);

std::string toJson(const Plan& plan);
std::string toText(const Plan& plan);
// "3 applications, 41 files, 12 keys, 4 folders would be removed; 1 line
// refused, 2 warnings".
std::string summary(const Plan& plan);

}  // namespace checker

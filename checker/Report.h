// The checker's two ways of telling its plan: aligned text for people, and
// one JSON document (UTF-8) for tools.
#pragma once

#include <string>

#include "checker/Plan.h"

namespace checker {

// Text in the ANSI code page to UTF-8; the Windows program converts through
// the system's code page.
using ToUtf8 = std::string (*)(const std::string& ansi);

// Windows-1252 as Latin-1 (the bytes 0x80-0x9F as the code points of the
// same number): enough where no code page is at hand.
std::string latin1ToUtf8(const std::string& text);

// `text` as a JSON string, quotes included; `text` is UTF-8 already.
std::string jsonString(const std::string& utf8);

std::string toJson(const Plan& plan, ToUtf8 toUtf8 = latin1ToUtf8);
std::string toText(const Plan& plan);
// "3 applications, 41 files, 12 keys, 4 folders would be removed; 1 line
// refused, 2 warnings".
std::string summary(const Plan& plan);

}  // namespace checker

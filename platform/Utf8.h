// Text inside the program is UTF-8 in std::string: every character the
// removal scripts, the registry and the file system can hold, one encoding
// from the script file to the JSON report. Precisely it is WTF-8: a Windows
// name may hold a UTF-16 surrogate without its partner, and such a unit is
// kept as the three bytes UTF-8 would give it, so that every name the
// system lists comes back to it unchanged.
//
// What makes the encoding hard to misuse: no byte below 0x80 ever occurs
// inside a longer character, so a search for "\", "$", "=", '"', "&", "."
// or a carriage return can only find that character itself, never the
// second byte of another one (as 0x5C is in many characters of code page
// 932). What does need care is counting: a cut "at 999 characters" or a
// `?` that takes "one character" works on characters, through the helpers
// below, never on bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

// The length in bytes of the character that starts at `text[pos]` (1 to 4);
// a byte that starts no well-formed character counts as one character of
// its own.
std::size_t characterLength(std::string_view text, std::size_t pos);

// How many characters `text` holds.
std::size_t characterCount(std::string_view text);

// The first `count` characters of `text` (all of it when it holds fewer).
std::string_view firstCharacters(std::string_view text, std::size_t count);

// The text as UTF-16 and back. A byte that starts no character becomes
// U+FFFD; a lone surrogate travels both ways unchanged.
std::u16string toUtf16(std::string_view text);
std::string fromUtf16(std::u16string_view text);

// One character, given as its code point (a lone surrogate included).
void append(std::string& text, char32_t codePoint);
// The code point of the character at `text[pos]`, U+FFFD for a byte that
// starts none; `pos` moves past it.
char32_t next(std::string_view text, std::size_t& pos);

}  // namespace platform::utf8

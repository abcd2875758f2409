// How this machine reads and compares text: the ANSI code page that removal
// scripts are written in, and its two case mappings. Asked of the system,
// never answered by a table of the program's own: the Win32 adapter calls
// MultiByteToWideChar and LCMapStringEx, the fakes glibc's iconv and its
// Unicode case mapping.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class TextRules {
public:
    virtual ~TextRules() = default;

    // Bytes in the ANSI code page as text (MultiByteToWideChar with CP_ACP):
    // one character for each character of the code page, whether it takes
    // one byte or two.
    virtual std::string fromAnsi(std::string_view bytes) const = 0;

    // `text` lower-cased by the system's case mapping for the user's locale
    // (LCMapStringEx, LCMAP_LOWERCASE): how variable names are stored and
    // looked up. The result goes into `lower`, whose memory is reused: every
    // script line looks names up.
    virtual void lowerCase(std::string_view text, std::string& lower) const = 0;
    std::string lowerCase(std::string_view text) const {
        std::string lower;
        lowerCase(text, lower);
        return lower;
    }

    // `text` upper-cased as the file system compares names: ordinal, the
    // same for every locale (the table CompareStringOrdinal uses when case is
    // ignored). Two names are the same file name when these are equal.
    virtual std::string upperCaseOrdinal(std::string_view text) const = 0;
};

}  // namespace platform

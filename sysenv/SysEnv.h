// The system-environment toolkit: Windows folders, path tidying, registry
// string values, the Programs folder and the write-access probe. None of
// these ever fails: they give the empty text or false instead.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace sysenv {

// `strString` up to its first NUL character.
std::string StripTerminator(std::string strString);

// Makes `strPathName` end in "\" (trailing blanks dropped first, unless a
// "\" comes before them).
void AddDirSep(std::string& strPathName);

// The Windows and System folders, ending in "\"; "" when the system fails.
std::string GetWindowsDir(platform::System& system);
std::string GetWindowsSysDir(platform::System& system);

// A REG_SZ value of an open key up to its first NUL; "" on any failure.
// The empty name reads the key's default value.
std::string regQueryString(platform::Registry& registry, const std::string& valueName,
                           platform::HKey key);

// The current user's Start-menu Programs folder as stored; "" if unreadable.
std::string getProgramsFolder(platform::Registry& registry);

// Whether a file can be created in `strDirName`, by creating and deleting
// the probe file "W-r-i-t-e.acc" there. A probe file left there earlier (a
// plain file with one name) is emptied and deleted; a name that holds
// anything else (a link, a file with other names, a folder) is no write
// access, and is left untouched.
bool WriteAccess(platform::FileSystem& files, std::string strDirName);

}  // namespace sysenv

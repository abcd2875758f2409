// The registry as the portable code sees it: the advapi32 calls the
// uninstaller makes, with their Win32 arguments and result codes. Key and
// value names are text (UTF-8); the adapter calls the W functions, so string
// data comes back as UTF-16 (two bytes a unit, sizes in bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform {

// A registry key handle is a 32-bit value; 0 stands for no key.
using HKey = std::uint32_t;

inline constexpr HKey kHkeyClassesRoot = 0x80000000u;
inline constexpr HKey kHkeyCurrentUser = 0x80000001u;
inline constexpr HKey kHkeyLocalMachine = 0x80000002u;

// The short name a root key is written with ("HKCR", "HKCU", "HKLM"), or ""
// for any other key.
inline const char* rootKeyName(HKey root) {
    switch (root) {
        case kHkeyClassesRoot:
            return "HKCR";
        case kHkeyCurrentUser:
            return "HKCU";
        case kHkeyLocalMachine:
            return "HKLM";
        default:
            return "";
    }
}

inline constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExW. On success `result` receives the open handle; on failure
    // it is left as the caller set it.
    virtual Status openKey(HKey root, const std::string& subKey, std::uint32_t options,
                           std::uint32_t access, HKey& result) = 0;

    // RegQueryValueExW. `data` may be null to ask only for the type and size.
    // `size` is in bytes on the way in (buffer size) and out (data size);
    // a buffer that is too small gives kErrorMoreData.
    virtual Status queryValue(HKey key, const std::string& valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) = 0;

    // RegDeleteKeyW; the empty subkey name deletes the opened key itself.
    virtual Status deleteKey(HKey key, const std::string& subKey) = 0;

    // RegCloseKey.
    virtual Status closeKey(HKey key) = 0;

    // RegEnumKeyExW from index 0 until ERROR_NO_MORE_ITEMS: the names of the
    // open key's direct subkeys, in the order the registry gives them.
    virtual Status subkeyNames(HKey key, std::vector<std::string>& names) = 0;
};

}  // namespace platform

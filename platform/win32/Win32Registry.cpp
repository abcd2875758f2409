#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

// The seam carries key handles as 32-bit values; on 32-bit Windows an HKEY,
// the predefined roots included, is exactly such a value.
static_assert(sizeof(HKEY) == sizeof(HKey), "key handles must fit the seam's 32-bit value");

HKEY toNative(HKey key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)); }

HKey fromNative(HKEY key) { return static_cast<HKey>(reinterpret_cast<std::uintptr_t>(key)); }

}  // namespace

Status Win32Registry::openKey(HKey root, const std::string& subKey, std::uint32_t options,
                              std::uint32_t access, HKey& result) {
    HKEY opened = nullptr;
    const LONG status =
        RegOpenKeyExW(toNative(root), wide(subKey).c_str(), options, access, &opened);
    if (status == ERROR_SUCCESS) result = fromNative(opened);
    return status;
}

Status Win32Registry::queryValue(HKey key, const std::string& valueName, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) {
    // DWORD is unsigned long in the Windows headers, so the seam's 32-bit
    // values travel through locals of that type, starting as the caller's so
    // that what the call leaves alone stays as it was.
    DWORD nativeType = type ? *type : 0;
    DWORD nativeSize = size ? *size : 0;
    const LONG status =
        RegQueryValueExW(toNative(key), wide(valueName).c_str(), nullptr,
                         type ? &nativeType : nullptr, data, size ? &nativeSize : nullptr);
    if (type) *type = nativeType;
    if (size) *size = nativeSize;
    return status;
}

Status Win32Registry::deleteKey(HKey key, const std::string& subKey) {
    return RegDeleteKeyW(toNative(key), wide(subKey).c_str());
}

Status Win32Registry::closeKey(HKey key) { return RegCloseKey(toNative(key)); }

Status Win32Registry::subkeyNames(HKey key, std::vector<std::string>& names) {
    names.clear();
    // A key name is at most 255 characters.
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        const LONG status =
            RegEnumKeyExW(toNative(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return kErrorSuccess;
        if (status != ERROR_SUCCESS) return status;
        names.push_back(narrow(name, length));
    }
}

}  // namespace platform::win32

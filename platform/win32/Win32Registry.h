// The registry seam over advapi32: each call is the Win32 function of the
// same name with its arguments passed straight through.
#pragma once

#include "platform/Registry.h"

namespace platform::win32 {

class Win32Registry final : public Registry {
public:
    Status openKey(HKey root, const std::string& subKey, std::uint32_t options,
                   std::uint32_t access, HKey& result) override;
    Status queryValue(HKey key, const std::string& valueName, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* size) override;
    Status deleteKey(HKey key, const std::string& subKey) override;
    Status closeKey(HKey key) override;
    Status subkeyNames(HKey key, std::vector<std::string>& names) override;
};

}  // namespace platform::win32

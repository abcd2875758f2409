// The registry adapter against Wine's real registry: values written by
// reg.exe (or by RegSetValueExA where reg.exe can't say it) read back through
// the toolkit exactly as the in-memory registry of the unit tests gives them.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "Scratch.h"
#include "platform/win32/Win32Registry.h"
#include "sysenv/SysEnv.h"

using platform::HKey;
using platform::Status;
using winetest::reg;
using winetest::ScratchKey;

namespace {

class RegistryOnWine : public ::testing::Test {
protected:
    ScratchKey key{HKEY_CURRENT_USER, "HKCU"};
    platform::win32::Win32Registry registry;
    HKey handle = 0;

    void SetUp() override {
        ASSERT_EQ(registry.openKey(platform::kHkeyCurrentUser, key.subKey(), 0,
                                   platform::kKeyAllAccess, handle),
                  0);
        ASSERT_NE(handle, 0u);
    }
    void TearDown() override {
        if (handle != 0) registry.closeKey(handle);
    }

    // Adds a value with reg.exe; `data` must not end in a backslash.
    void regAdd(const std::string& name, const char* type, const std::string& data) {
        const std::string which = name.empty() ? "/ve" : "/v \"" + name + "\"";
        ASSERT_EQ(reg("add \"" + key.regPath() + "\" " + which + " /t " + type + " /d \"" + data +
                      "\" /f"),
                  0);
    }

    // Sets a value with exactly the bytes given.
    void setRaw(const std::string& name, DWORD type, const std::string& bytes) {
        HKEY native = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.subKey().c_str(), 0, KEY_SET_VALUE, &native),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(native, name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(native);
    }

    std::string read(const std::string& name) {
        return sysenv::regQueryString(registry, name, handle);
    }
};

TEST_F(RegistryOnWine, StringsWrittenByRegReadBackOnlyWhenTheyAreRegSz) {
    regAdd("Plain", "REG_SZ", "C:\\Program Files\\Corvalune demo");
    regAdd("Empty", "REG_SZ", "");
    regAdd("Expandable", "REG_EXPAND_SZ", "%SystemRoot%\\system32");
    regAdd("Number", "REG_DWORD", "42");
    regAdd("Bytes", "REG_BINARY", "414243");
    regAdd("Several", "REG_MULTI_SZ", "one\\0two");

    EXPECT_EQ(read("Plain"), "C:\\Program Files\\Corvalune demo");
    EXPECT_EQ(read("plain"), "C:\\Program Files\\Corvalune demo");  // names ignore case
    EXPECT_EQ(read("Empty"), "");
    EXPECT_EQ(read("Expandable"), "");
    EXPECT_EQ(read("Number"), "");
    EXPECT_EQ(read("Bytes"), "");
    EXPECT_EQ(read("Several"), "");
    EXPECT_EQ(read("Missing"), "");
}

TEST_F(RegistryOnWine, EmptyNameReadsTheDefaultValue) {
    EXPECT_EQ(read(""), "");  // a new key has no default value
    regAdd("", "REG_SZ", "C:\\QUOB");
    EXPECT_EQ(read(""), "C:\\QUOB");
}

TEST_F(RegistryOnWine, DataIsCutAtItsFirstNul) {
    setRaw("Inner", REG_SZ, std::string("ab\0cd\0", 6));
    setRaw("Unterminated", REG_SZ, "abc");
    setRaw("Nothing", REG_SZ, "");
    setRaw("Terminator", REG_SZ, std::string(1, '\0'));
    EXPECT_EQ(read("Inner"), "ab");
    EXPECT_EQ(read("Unterminated"), "abc");
    EXPECT_EQ(read("Nothing"), "");
    EXPECT_EQ(read("Terminator"), "");
}

TEST_F(RegistryOnWine, LongValuesAndAnsiTextComeBackWhole) {
    std::string text;
    for (int i = 0; text.size() < 5000; ++i) text += "segment " + std::to_string(i) + "\\";
    setRaw("Long", REG_SZ, text + '\0');
    setRaw("Accents", REG_SZ, std::string("Caf\xe9 \xc6gir\0", 10));
    EXPECT_EQ(read("Long"), text);
    EXPECT_EQ(read("Accents"), "Caf\xe9 \xc6gir");
}

TEST_F(RegistryOnWine, QueryFollowsTheTwoCallSizeProtocol) {
    setRaw("Value", REG_SZ, std::string("hello\0", 6));

    std::uint32_t type = 99;
    std::uint32_t size = 0;
    ASSERT_EQ(registry.queryValue(handle, "Value", &type, nullptr, &size), 0);
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_GE(size, 6u);  // the terminator counts

    std::uint8_t small[3] = {'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(registry.queryValue(handle, "Value", &type, small, &size), platform::kErrorMoreData);
    EXPECT_EQ(size, 6u);  // what it takes

    std::uint8_t fits[16];
    size = sizeof fits;
    ASSERT_EQ(registry.queryValue(handle, "Value", nullptr, fits, &size), 0);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(fits), size), std::string("hello\0", 6));
}

// The real registry, with the value rewritten longer between the first and
// the second query of a read.
class GrowingValue : public platform::Registry {
public:
    GrowingValue(platform::Registry& real, std::function<void()> grow)
        : real_(real), grow_(std::move(grow)) {}

    Status openKey(HKey root, const std::string& subKey, std::uint32_t options,
                   std::uint32_t access, HKey& result) override {
        return real_.openKey(root, subKey, options, access, result);
    }
    Status queryValue(HKey key, const std::string& valueName, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* size) override {
        if (data != nullptr) grow_();
        return real_.queryValue(key, valueName, type, data, size);
    }
    Status deleteKey(HKey key, const std::string& subKey) override {
        return real_.deleteKey(key, subKey);
    }
    Status closeKey(HKey key) override { return real_.closeKey(key); }
    Status subkeyNames(HKey key, std::vector<std::string>& names) override {
        return real_.subkeyNames(key, names);
    }

private:
    platform::Registry& real_;
    std::function<void()> grow_;
};

TEST_F(RegistryOnWine, ValueThatGrowsBetweenTheTwoQueriesReadsAsEmpty) {
    regAdd("Growing", "REG_SZ", "short");
    GrowingValue growing(registry, [&] { regAdd("Growing", "REG_SZ", "rather longer now"); });
    EXPECT_EQ(sysenv::regQueryString(growing, "Growing", handle), "");
    EXPECT_EQ(read("Growing"), "rather longer now");
}

TEST_F(RegistryOnWine, MissingValueFailsWithNoTypeAndNoSize) {
    std::uint32_t type = 77;
    std::uint32_t size = 5;
    EXPECT_EQ(registry.queryValue(handle, "Missing", &type, nullptr, &size),
              platform::kErrorFileNotFound);
    EXPECT_EQ(type, platform::kRegNone);
    EXPECT_EQ(size, 0u);
}

TEST_F(RegistryOnWine, NoKeyReadsAsEmpty) {
    regAdd("", "REG_SZ", "set");
    EXPECT_EQ(sysenv::regQueryString(registry, "", 0), "");
    EXPECT_EQ(registry.closeKey(0), platform::kErrorInvalidHandle);
}

TEST_F(RegistryOnWine, OpenIgnoresCaseAndAFailedOpenLeavesTheHandle) {
    std::string upper = key.subKey();
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    HKey other = 0;
    ASSERT_EQ(
        registry.openKey(platform::kHkeyCurrentUser, upper, 0, platform::kKeyAllAccess, other), 0);
    EXPECT_NE(other, 0u);
    EXPECT_EQ(registry.closeKey(other), 0);

    HKey untouched = 1234;
    EXPECT_EQ(registry.openKey(platform::kHkeyCurrentUser, key.subKey() + "\\Absent", 0,
                               platform::kKeyAllAccess, untouched),
              platform::kErrorFileNotFound);
    EXPECT_EQ(untouched, 1234u);
}

TEST_F(RegistryOnWine, DeletingAnOpenKeyFailsWhileItHasSubkeys) {
    ASSERT_EQ(reg("add \"" + key.regPath() + "\\Parent\\Child\" /f"), 0);
    HKey parent = 0;
    ASSERT_EQ(registry.openKey(platform::kHkeyCurrentUser, key.subKey() + "\\Parent", 0,
                               platform::kKeyAllAccess, parent),
              0);
    EXPECT_EQ(registry.deleteKey(parent, ""), platform::kErrorAccessDenied);
    EXPECT_EQ(registry.closeKey(parent), 0);
    EXPECT_EQ(reg("query \"" + key.regPath() + "\\Parent\\Child\""), 0);  // nothing went

    HKey child = 0;
    ASSERT_EQ(registry.openKey(platform::kHkeyCurrentUser, key.subKey() + "\\parent\\CHILD", 0,
                               platform::kKeyAllAccess, child),
              0);
    EXPECT_EQ(registry.deleteKey(child, ""), 0);
    EXPECT_EQ(registry.closeKey(child), 0);
    EXPECT_NE(reg("query \"" + key.regPath() + "\\Parent\\Child\""), 0);

    ASSERT_EQ(registry.openKey(platform::kHkeyCurrentUser, key.subKey() + "\\Parent", 0,
                               platform::kKeyAllAccess, parent),
              0);
    EXPECT_EQ(registry.deleteKey(parent, ""), 0);  // a leaf now
    EXPECT_EQ(registry.closeKey(parent), 0);
}

TEST_F(RegistryOnWine, HandleOfADeletedKeyFailsWithKeyDeleted) {
    ASSERT_EQ(reg("add \"" + key.regPath() + "\\Doomed\" /ve /t REG_SZ /d \"x\" /f"), 0);
    HKey first = 0;
    HKey second = 0;
    const std::string doomed = key.subKey() + "\\Doomed";
    ASSERT_EQ(
        registry.openKey(platform::kHkeyCurrentUser, doomed, 0, platform::kKeyAllAccess, first), 0);
    ASSERT_EQ(
        registry.openKey(platform::kHkeyCurrentUser, doomed, 0, platform::kKeyAllAccess, second),
        0);
    EXPECT_EQ(registry.deleteKey(first, ""), 0);

    constexpr Status kErrorKeyDeleted = 1018;
    std::uint32_t size = 0;
    EXPECT_EQ(registry.queryValue(second, "", nullptr, nullptr, &size), kErrorKeyDeleted);
    EXPECT_EQ(sysenv::regQueryString(registry, "", second), "");
    EXPECT_EQ(registry.deleteKey(second, ""), kErrorKeyDeleted);
    EXPECT_EQ(registry.closeKey(first), 0);
    EXPECT_EQ(registry.closeKey(second), 0);
    EXPECT_EQ(registry.closeKey(second), platform::kErrorInvalidHandle);  // closed already
}

TEST_F(RegistryOnWine, KeyPathWithALeadingSeparatorIsABadPath) {
    HKey untouched = 0;
    constexpr Status kErrorBadPathname = 161;
    EXPECT_EQ(registry.openKey(platform::kHkeyCurrentUser, "\\" + key.subKey(), 0,
                               platform::kKeyAllAccess, untouched),
              kErrorBadPathname);
    EXPECT_EQ(untouched, 0u);
}

TEST(RegistryRootsOnWine, MachineKeysOpenWithFullAccess) {
    ScratchKey machine(HKEY_LOCAL_MACHINE, "HKLM");
    ASSERT_EQ(reg("add \"" + machine.regPath() + "\" /ve /t REG_SZ /d \"C:\\demo\" /f"), 0);
    platform::win32::Win32Registry registry;
    HKey handle = 0;
    ASSERT_EQ(registry.openKey(platform::kHkeyLocalMachine, machine.subKey(), 0,
                               platform::kKeyAllAccess, handle),
              0);
    EXPECT_EQ(sysenv::regQueryString(registry, "", handle), "C:\\demo");
    EXPECT_EQ(registry.closeKey(handle), 0);

    // The classes root is reachable too; "CLSID" is there in every prefix.
    ASSERT_EQ(registry.openKey(platform::kHkeyClassesRoot, "CLSID", 0, KEY_READ, handle), 0);
    EXPECT_EQ(registry.closeKey(handle), 0);
}

}  // namespace

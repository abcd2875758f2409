// An in-memory registry that answers as the advapi32 calls do; the table in
// tests/contract/ holds it to the real registry under Wine.
//
// - Keys live under the predefined roots HKCR, HKCU and HKLM (the platform's
//   kHkey* values). Key and value names compare case-insensitively (ASCII
//   letters) and keep the spelling they were created with. Key paths given to
//   the helpers and to openKey use "\" between names; a leading "\" gives
//   ERROR_BAD_PATHNAME (161), doubled separators count as one and a trailing
//   "\" is ignored.
// - A value has a type and raw bytes, which may hold NULs; setString stores
//   the text in UTF-16 with its terminating NUL, as RegSetValueExW is
//   usually called, and queries answer as RegQueryValueExW does.
//   The empty value name is the key's default value, which exists only once
//   set.
// - openKey hands out a fresh non-zero handle each time (never reused, so a
//   stale handle stays invalid). A handle of 0 or one that is not open gives
//   ERROR_INVALID_HANDLE (6); a key deleted through another handle gives
//   ERROR_KEY_DELETED (1018) to the handles still open on it.
// - A key marked with denyFullAccess opens only for reading: any access bit
//   beyond KEY_READ gives ERROR_ACCESS_DENIED (5), and it can't be deleted.
// - deleteKey with the empty name deletes the opened key itself, which needs
//   the DELETE right in the handle's access; with a name it deletes that
//   subkey. Either way a key with subkeys is refused with 5, as RegDeleteKeyA
//   does, and so is a predefined root.
// - queryValue follows the two-call protocol: with no data buffer it reports
//   type and size; with a buffer that is too small it gives ERROR_MORE_DATA
//   (234) and the size needed; a data buffer without a size gives 87 before
//   anything else is looked at.
// - A copy has the original's keys, values, open handles and pending
//   changes, none of them shared: what happens in one leaves the other
//   alone, so a prepared registry can be copied for each run. A copy made by
//   construction logs where the original does (into its own log when the
//   original logs into its own); an assignment keeps the log it had.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "tests/fakes/FakeText.h"
#include "tests/fakes/OperationLog.h"

namespace fakes {

inline constexpr platform::Status kErrorBadPathname = 161;
inline constexpr platform::Status kErrorKeyDeleted = 1018;
inline constexpr std::uint32_t kKeyRead = 0x20019u;
inline constexpr std::uint32_t kDeleteAccess = 0x10000u;

// Text (UTF-8) as the bytes of its UTF-16 units, low byte first, as the
// registry's W functions store string data.
std::string utf16Bytes(std::string_view text);

class FakeRegistry : public platform::Registry {
public:
    FakeRegistry();
    explicit FakeRegistry(OperationLog& log);
    FakeRegistry(const FakeRegistry& other);
    FakeRegistry& operator=(const FakeRegistry& other);
    ~FakeRegistry() override;

    // ---- platform::Registry (each call adds one line to the log)
    platform::Status openKey(platform::HKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, platform::HKey& result) override;
    platform::Status queryValue(platform::HKey key, const std::string& valueName,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) override;
    platform::Status deleteKey(platform::HKey key, const std::string& subKey) override;
    platform::Status closeKey(platform::HKey key) override;
    // Subkey names in the order of their upper-cased names.
    platform::Status subkeyNames(platform::HKey key, std::vector<std::string>& names) override;

    // ---- set-up and inspection; `root` is one of the predefined roots and
    // `path` a key path below it. Bad arguments throw std::invalid_argument.

    // Creates the key and its parents.
    void addKey(platform::HKey root, const std::string& path);
    // Creates the key as needed and stores `text` plus a terminating NUL.
    void setString(platform::HKey root, const std::string& path, const std::string& name,
                   const std::string& text, std::uint32_t type = platform::kRegSz);
    // Creates the key as needed and stores exactly `bytes`.
    void setValue(platform::HKey root, const std::string& path, const std::string& name,
                  std::uint32_t type, std::string bytes);
    void removeValue(platform::HKey root, const std::string& path, const std::string& name);
    // The key opens for reading only and can't be deleted.
    void denyFullAccess(platform::HKey root, const std::string& path, bool deny = true);

    bool keyExists(platform::HKey root, const std::string& path) const;
    bool valueExists(platform::HKey root, const std::string& path, const std::string& name) const;
    // The stored bytes of a value; throws std::invalid_argument when missing.
    std::string valueBytes(platform::HKey root, const std::string& path,
                           const std::string& name) const;

    // Replaces a value's type and bytes right after the next query of it
    // that asks for its size only, so the caller's second query sees another
    // value than the first one reported.
    void changeValueAfterSizeQuery(platform::HKey root, const std::string& path,
                                   const std::string& name, std::uint32_t type,
                                   const std::string& bytes);

    // Handles opened and not yet closed, in opening order.
    std::vector<platform::HKey> openHandles() const;
    // Every key below the roots as "HKLM\path", in stored spelling, in tree
    // order (roots HKCR, HKCU, HKLM; each key before its subkeys, siblings
    // with case ignored); handy to show that nothing else was deleted.
    std::vector<std::string> allKeys() const;

    OperationLog& log() { return *log_; }

private:
    struct Value {
        std::string name;
        std::uint32_t type = platform::kRegNone;
        std::string bytes;
    };
    struct Key {
        std::string name;
        // Subkeys and values by upper-cased name, found in any case.
        std::map<std::string, std::shared_ptr<Key>, CaselessLess> subkeys;
        std::map<std::string, Value, CaselessLess> values;
        bool denyFullAccess = false;
        bool deleted = false;
        bool predefined = false;
        std::weak_ptr<Key> parent;
    };
    struct Handle {
        std::shared_ptr<Key> key;
        std::string path;  // "HKLM\..." as opened
        std::uint32_t access = 0;
    };
    struct PendingChange {
        std::shared_ptr<Key> key;
        std::string valueName;  // upper-cased
        Value value;
    };
    // The copies of another registry's keys, by the original.
    using Copies = std::map<const Key*, std::shared_ptr<Key>>;

    void addRoots();
    // Takes the keys, handles and pending changes of `other` as copies.
    void copyFrom(const FakeRegistry& other);
    // Whether two keys hold the same names, values and flags, all the way down.
    static bool sameTree(const Key& a, const Key& b);
    // Whether the roots hold the same keys as the other's.
    bool sameKeys(const FakeRegistry& other) const;
    // A copy of `key` and everything below it, recorded in `copies` when given.
    static std::shared_ptr<Key> copyTree(const Key& key, const std::shared_ptr<Key>& parent,
                                         Copies* copies);
    // The key `path` names below `from`, or null; `path` must be valid.
    static std::shared_ptr<Key> walk(std::shared_ptr<Key> from, std::string_view path);
    // Whether a key path may be given: a leading "\" is refused.
    static bool validPath(std::string_view path) { return path.empty() || path[0] != '\\'; }
    std::shared_ptr<Key> rootKey(platform::HKey root) const;
    std::shared_ptr<Key> findKey(platform::HKey root, const std::string& path) const;
    std::shared_ptr<Key> makeKey(platform::HKey root, const std::string& path);
    // Adds "<path>\<name>" of each key below `key` to `keys`, in tree order.
    static void listKeys(const Key& key, std::string& path, std::vector<std::string>& keys);
    // The key a handle or predefined root names, or null.
    const Handle* handle(platform::HKey key) const;
    std::string describe(platform::HKey key) const;
    // The log text of a call on `key` and `subKey` below it; empty while
    // the log is off, for nobody reads it then.
    std::string callText(const char* call, platform::HKey key,
                         const std::string& subKey = "") const;
    platform::Status logged(const std::string& what, platform::Status status);

    OperationLog ownLog_;
    OperationLog* log_;
    std::map<platform::HKey, Handle> roots_;
    std::map<platform::HKey, Handle> handles_;
    std::vector<PendingChange> pending_;
    platform::HKey nextHandle_ = 0x100;
};

}  // namespace fakes

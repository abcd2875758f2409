#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/Utf8.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::HKey;
using platform::Status;

namespace {

std::string joinPath(std::string_view base, std::string_view subKey) {
    if (!subKey.empty() && subKey.back() == '\\') subKey.remove_suffix(1);
    std::string path;
    path.reserve(base.size() + 1 + subKey.size());
    path += base;
    if (!subKey.empty()) {
        path += '\\';
        path += subKey;
    }
    return path;
}

// Takes the next name off the front of a key path into `name`; doubled
// separators count as one and a trailing one is ignored. False when no name
// is left.
bool nextName(std::string_view& rest, std::string_view& name) {
    while (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
    if (rest.empty()) return false;
    name = rest.substr(0, rest.find('\\'));
    rest.remove_prefix(name.size());
    return true;
}

}  // namespace

FakeRegistry::FakeRegistry() : log_(&ownLog_) { addRoots(); }

FakeRegistry::FakeRegistry(OperationLog& log) : log_(&log) { addRoots(); }

FakeRegistry::FakeRegistry(const FakeRegistry& other)
    : ownLog_(other.ownLog_), log_(other.log_ == &other.ownLog_ ? &ownLog_ : other.log_) {
    copyFrom(other);
}

FakeRegistry& FakeRegistry::operator=(const FakeRegistry& other) {
    // Keys equal to the other's stay as they are: a fuzz target assigns its
    // prepared registry before every input, and most inputs delete no key.
    if (this != &other && handles_.empty() && pending_.empty() && other.handles_.empty() &&
        other.pending_.empty() && sameKeys(other)) {
        nextHandle_ = other.nextHandle_;
        return *this;
    }
    if (this != &other) {
        roots_.clear();
        handles_.clear();
        pending_.clear();
        copyFrom(other);
    }
    return *this;
}

FakeRegistry::~FakeRegistry() = default;

void FakeRegistry::addRoots() {
    for (HKey root :
         {platform::kHkeyClassesRoot, platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
        auto key = std::make_shared<Key>();
        key->name = platform::rootKeyName(root);
        key->predefined = true;
        roots_[root] = Handle{key, platform::rootKeyName(root), platform::kKeyAllAccess};
    }
}

void FakeRegistry::copyFrom(const FakeRegistry& other) {
    // Open handles and pending changes hold keys of the other tree; they take
    // the copies of those keys, which are looked up only when there are any.
    Copies copies;
    Copies* record = other.handles_.empty() && other.pending_.empty() ? nullptr : &copies;
    for (const auto& [root, h] : other.roots_)
        roots_[root] = Handle{copyTree(*h.key, nullptr, record), h.path, h.access};
    const auto copyOf = [&](const std::shared_ptr<Key>& key) {
        if (auto it = copies.find(key.get()); it != copies.end()) return it->second;
        // A key deleted through a handle is no longer in the tree.
        const auto parent = copies.find(key->parent.lock().get());
        return copyTree(*key, parent == copies.end() ? nullptr : parent->second, &copies);
    };
    for (const auto& [opened, h] : other.handles_)
        handles_[opened] = Handle{copyOf(h.key), h.path, h.access};
    for (const auto& change : other.pending_)
        pending_.push_back(PendingChange{copyOf(change.key), change.valueName, change.value});
    nextHandle_ = other.nextHandle_;
}

bool FakeRegistry::sameTree(const Key& a, const Key& b) {
    const auto sameValue = [](const auto& x, const auto& y) {
        return x.first == y.first && x.second.name == y.second.name &&
               x.second.type == y.second.type && x.second.bytes == y.second.bytes;
    };
    const auto sameSubkey = [](const auto& x, const auto& y) {
        return x.first == y.first && sameTree(*x.second, *y.second);
    };
    return a.name == b.name && a.denyFullAccess == b.denyFullAccess && a.deleted == b.deleted &&
           a.predefined == b.predefined &&
           std::equal(a.values.begin(), a.values.end(), b.values.begin(), b.values.end(),
                      sameValue) &&
           std::equal(a.subkeys.begin(), a.subkeys.end(), b.subkeys.begin(), b.subkeys.end(),
                      sameSubkey);
}

bool FakeRegistry::sameKeys(const FakeRegistry& other) const {
    return std::equal(roots_.begin(), roots_.end(), other.roots_.begin(), other.roots_.end(),
                      [](const auto& x, const auto& y) {
                          return x.first == y.first && x.second.path == y.second.path &&
                                 x.second.access == y.second.access &&
                                 sameTree(*x.second.key, *y.second.key);
                      });
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::copyTree(const Key& key,
                                                          const std::shared_ptr<Key>& parent,
                                                          Copies* copies) {
    auto copy = std::make_shared<Key>();
    copy->name = key.name;
    copy->values = key.values;
    copy->denyFullAccess = key.denyFullAccess;
    copy->deleted = key.deleted;
    copy->predefined = key.predefined;
    copy->parent = parent;
    for (const auto& [upperName, sub] : key.subkeys)
        copy->subkeys.emplace_hint(copy->subkeys.end(), upperName, copyTree(*sub, copy, copies));
    if (copies != nullptr) copies->emplace(&key, copy);
    return copy;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::walk(std::shared_ptr<Key> from,
                                                      std::string_view path) {
    std::string_view name;
    while (nextName(path, name)) {
        auto it = from->subkeys.find(name);
        if (it == from->subkeys.end()) return nullptr;
        from = it->second;
    }
    return from;
}

const FakeRegistry::Handle* FakeRegistry::handle(HKey key) const {
    if (auto it = roots_.find(key); it != roots_.end()) return &it->second;
    if (auto it = handles_.find(key); it != handles_.end()) return &it->second;
    return nullptr;
}

std::string FakeRegistry::describe(HKey key) const {
    if (const Handle* h = handle(key)) return h->path;
    char text[16];
    std::snprintf(text, sizeof text, "#%X", static_cast<unsigned>(key));
    return text;
}

std::string FakeRegistry::callText(const char* call, HKey key, const std::string& subKey) const {
    if (!log_->recording()) return {};
    return call + (" " + joinPath(describe(key), subKey));
}

Status FakeRegistry::logged(const std::string& what, Status status) {
    log_->addResult(what, status);
    return status;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::rootKey(HKey root) const {
    auto it = roots_.find(root);
    if (it == roots_.end()) throw std::invalid_argument("fake registry: not a predefined root");
    return it->second.key;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::findKey(HKey root, const std::string& path) const {
    if (!validPath(path)) throw std::invalid_argument("fake registry: bad key path " + path);
    return walk(rootKey(root), path);
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::makeKey(HKey root, const std::string& path) {
    if (!validPath(path)) throw std::invalid_argument("fake registry: bad key path " + path);
    std::shared_ptr<Key> key = rootKey(root);
    std::string_view rest = path;
    std::string_view name;
    while (nextName(rest, name)) {
        auto it = key->subkeys.find(name);
        if (it == key->subkeys.end()) {
            auto made = std::make_shared<Key>();
            made->name = name;
            made->parent = key;
            it = key->subkeys.emplace(upperText(std::string(name)), std::move(made)).first;
        }
        key = it->second;
    }
    return key;
}

// ---- platform::Registry

Status FakeRegistry::openKey(HKey root, const std::string& subKey, std::uint32_t /*options*/,
                             std::uint32_t access, HKey& result) {
    const std::string what = callText("RegOpenKeyEx", root, subKey);
    const Handle* from = handle(root);
    if (from == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (from->key->deleted) return logged(what, kErrorKeyDeleted);
    if (!validPath(subKey)) return logged(what, kErrorBadPathname);
    const std::shared_ptr<Key> key = walk(from->key, subKey);
    if (key == nullptr) return logged(what, platform::kErrorFileNotFound);
    if (key->denyFullAccess && (access & ~kKeyRead) != 0) {
        return logged(what, platform::kErrorAccessDenied);
    }
    const HKey opened = nextHandle_;
    nextHandle_ += 4;
    handles_[opened] = Handle{key, joinPath(from->path, subKey), access};
    result = opened;
    return logged(what, 0);
}

Status FakeRegistry::queryValue(HKey key, const std::string& valueName, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) {
    std::string what;
    if (log_->recording()) what = "RegQueryValueEx " + describe(key) + " \"" + valueName + "\"";
    // The arguments are checked before the key is looked at.
    if (data != nullptr && size == nullptr) return logged(what, platform::kErrorInvalidParameter);
    const Handle* h = handle(key);
    if (h == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (h->key->deleted) return logged(what, kErrorKeyDeleted);
    auto it = h->key->values.find(valueName);
    if (it == h->key->values.end()) return logged(what, platform::kErrorFileNotFound);
    const Value& v = it->second;
    const auto needed = static_cast<std::uint32_t>(v.bytes.size());
    if (type != nullptr) *type = v.type;
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        // A change waiting for this value happens now, between the caller's
        // size query and its data query.
        for (auto p = pending_.begin(); p != pending_.end(); ++p) {
            if (p->key == h->key && sameText(p->valueName, valueName)) {
                it->second.type = p->value.type;
                it->second.bytes = p->value.bytes;
                pending_.erase(p);
                break;
            }
        }
        return logged(what, 0);
    }
    if (*size < needed) {
        *size = needed;
        return logged(what, platform::kErrorMoreData);
    }
    if (needed != 0) std::memcpy(data, v.bytes.data(), needed);
    *size = needed;
    return logged(what, 0);
}

Status FakeRegistry::deleteKey(HKey key, const std::string& subKey) {
    const std::string what = callText("RegDeleteKey", key, subKey);
    const Handle* h = handle(key);
    if (h == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (h->key->deleted) return logged(what, kErrorKeyDeleted);
    if (!validPath(subKey)) return logged(what, kErrorBadPathname);
    const std::shared_ptr<Key> target = walk(h->key, subKey);
    if (target == nullptr) return logged(what, platform::kErrorFileNotFound);
    if (target->predefined) return logged(what, platform::kErrorAccessDenied);
    // With no name the handle's own key goes, which takes the DELETE right.
    const bool itself = target == h->key;
    if (itself && (h->access & kDeleteAccess) == 0) {
        return logged(what, platform::kErrorAccessDenied);
    }
    if (target->denyFullAccess || !target->subkeys.empty()) {
        return logged(what, platform::kErrorAccessDenied);
    }
    std::shared_ptr<Key> parent = target->parent.lock();
    parent->subkeys.erase(parent->subkeys.find(target->name));
    target->deleted = true;
    return logged(what, 0);
}

Status FakeRegistry::closeKey(HKey key) {
    const std::string what = callText("RegCloseKey", key);
    if (roots_.count(key) != 0) return logged(what, 0);
    if (handles_.erase(key) == 0) return logged(what, platform::kErrorInvalidHandle);
    return logged(what, 0);
}

Status FakeRegistry::subkeyNames(HKey key, std::vector<std::string>& names) {
    names.clear();
    const std::string what = callText("RegEnumKeyEx", key);
    const Handle* h = handle(key);
    if (h == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (h->key->deleted) return logged(what, kErrorKeyDeleted);
    for (const auto& [upperName, sub] : h->key->subkeys) names.push_back(sub->name);
    return logged(what, 0);
}

// ---- set-up and inspection

void FakeRegistry::addKey(HKey root, const std::string& path) { makeKey(root, path); }

void FakeRegistry::setString(HKey root, const std::string& path, const std::string& name,
                             const std::string& text, std::uint32_t type) {
    setValue(root, path, name, type, utf16Bytes(text + std::string(1, '\0')));
}

void FakeRegistry::setValue(HKey root, const std::string& path, const std::string& name,
                            std::uint32_t type, std::string bytes) {
    auto& values = makeKey(root, path)->values;
    auto it = values.find(name);
    if (it == values.end()) it = values.emplace(upperText(name), Value{}).first;
    it->second = Value{name, type, std::move(bytes)};
}

void FakeRegistry::removeValue(HKey root, const std::string& path, const std::string& name) {
    if (auto key = findKey(root, path)) {
        if (auto it = key->values.find(name); it != key->values.end()) key->values.erase(it);
    }
}

void FakeRegistry::denyFullAccess(HKey root, const std::string& path, bool deny) {
    auto key = findKey(root, path);
    if (!key) throw std::invalid_argument("fake registry: no key " + path);
    key->denyFullAccess = deny;
}

bool FakeRegistry::keyExists(HKey root, const std::string& path) const {
    return findKey(root, path) != nullptr;
}

bool FakeRegistry::valueExists(HKey root, const std::string& path, const std::string& name) const {
    auto key = findKey(root, path);
    return key && key->values.count(name) != 0;
}

std::string FakeRegistry::valueBytes(HKey root, const std::string& path,
                                     const std::string& name) const {
    auto key = findKey(root, path);
    if (!key) throw std::invalid_argument("fake registry: no key " + path);
    auto it = key->values.find(name);
    if (it == key->values.end()) throw std::invalid_argument("fake registry: no value " + name);
    return it->second.bytes;
}

void FakeRegistry::changeValueAfterSizeQuery(HKey root, const std::string& path,
                                             const std::string& name, std::uint32_t type,
                                             const std::string& bytes) {
    auto key = findKey(root, path);
    if (!key) throw std::invalid_argument("fake registry: no key " + path);
    pending_.push_back(PendingChange{key, upperText(name), Value{name, type, bytes}});
}

std::vector<HKey> FakeRegistry::openHandles() const {
    std::vector<HKey> open;
    for (const auto& [h, entry] : handles_) open.push_back(h);
    return open;
}

void FakeRegistry::listKeys(const Key& key, std::string& path, std::vector<std::string>& keys) {
    for (const auto& [upperName, sub] : key.subkeys) {
        const std::size_t length = path.size();
        path += '\\';
        path += sub->name;
        keys.push_back(path);
        listKeys(*sub, path, keys);
        path.resize(length);
    }
}

std::vector<std::string> FakeRegistry::allKeys() const {
    std::vector<std::string> keys;
    std::string path;
    for (const auto& [root, h] : roots_) {
        path = h.path;
        listKeys(*h.key, path, keys);
    }
    return keys;
}

}  // namespace fakes

namespace fakes {

std::string utf16Bytes(std::string_view text) {
    const std::u16string units = platform::utf8::toUtf16(text);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace fakes

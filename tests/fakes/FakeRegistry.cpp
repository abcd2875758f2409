#include "tests/fakes/FakeRegistry.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "tests/fakes/FakeText.h"

namespace fakes {

using platform::HKey;
using platform::Status;

namespace {

std::string joinPath(const std::string& base, const std::string& subKey) {
    std::string sub = subKey;
    if (!sub.empty() && sub.back() == '\\') sub.pop_back();
    return sub.empty() ? base : base + "\\" + sub;
}

}  // namespace

FakeRegistry::FakeRegistry() : log_(&ownLog_) { addRoots(); }

FakeRegistry::FakeRegistry(OperationLog& log) : log_(&log) { addRoots(); }

void FakeRegistry::addRoots() {
    for (HKey root :
         {platform::kHkeyClassesRoot, platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
        auto key = std::make_shared<Key>();
        key->name = platform::rootKeyName(root);
        key->predefined = true;
        roots_[root] = Handle{key, platform::rootKeyName(root), platform::kKeyAllAccess};
    }
}

FakeRegistry::~FakeRegistry() = default;

bool FakeRegistry::splitPath(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    if (path.empty()) return true;
    if (path[0] == '\\') return false;
    std::string p = path;
    if (p.back() == '\\') p.pop_back();
    std::size_t start = 0;
    while (true) {
        const std::size_t end = p.find('\\', start);
        const std::string name = p.substr(start, end == std::string::npos ? end : end - start);
        if (!name.empty()) names.push_back(name);
        if (end == std::string::npos) return true;
        start = end + 1;
    }
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
    std::vector<std::string> names;
    if (!splitPath(path, names)) throw std::invalid_argument("fake registry: bad key path " + path);
    std::shared_ptr<Key> key = rootKey(root);
    for (const auto& name : names) {
        auto it = key->subkeys.find(upperText(name));
        if (it == key->subkeys.end()) return nullptr;
        key = it->second;
    }
    return key;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::makeKey(HKey root, const std::string& path) {
    std::vector<std::string> names;
    if (!splitPath(path, names)) throw std::invalid_argument("fake registry: bad key path " + path);
    std::shared_ptr<Key> key = rootKey(root);
    for (const auto& name : names) {
        auto& slot = key->subkeys[upperText(name)];
        if (!slot) {
            slot = std::make_shared<Key>();
            slot->name = name;
            slot->parent = key;
        }
        key = slot;
    }
    return key;
}

// ---- platform::Registry

Status FakeRegistry::openKey(HKey root, const std::string& subKey, std::uint32_t /*options*/,
                             std::uint32_t access, HKey& result) {
    const std::string what = "RegOpenKeyEx " + joinPath(describe(root), subKey);
    const Handle* from = handle(root);
    if (from == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (from->key->deleted) return logged(what, kErrorKeyDeleted);
    std::vector<std::string> names;
    if (!splitPath(subKey, names)) return logged(what, kErrorBadPathname);
    std::shared_ptr<Key> key = from->key;
    for (const auto& name : names) {
        auto it = key->subkeys.find(upperText(name));
        if (it == key->subkeys.end()) return logged(what, platform::kErrorFileNotFound);
        key = it->second;
    }
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
    const std::string what = "RegQueryValueEx " + describe(key) + " \"" + valueName + "\"";
    // The arguments are checked before the key is looked at.
    if (data != nullptr && size == nullptr) return logged(what, platform::kErrorInvalidParameter);
    const Handle* h = handle(key);
    if (h == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (h->key->deleted) return logged(what, kErrorKeyDeleted);
    const std::string upperName = upperText(valueName);
    auto it = h->key->values.find(upperName);
    if (it == h->key->values.end()) return logged(what, platform::kErrorFileNotFound);
    const Value& v = it->second;
    const auto needed = static_cast<std::uint32_t>(v.bytes.size());
    if (type != nullptr) *type = v.type;
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        // A change waiting for this value happens now, between the caller's
        // size query and its data query.
        for (auto p = pending_.begin(); p != pending_.end(); ++p) {
            if (p->key == h->key && p->valueName == upperName) {
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
    const std::string what = "RegDeleteKey " + joinPath(describe(key), subKey);
    const Handle* h = handle(key);
    if (h == nullptr) return logged(what, platform::kErrorInvalidHandle);
    if (h->key->deleted) return logged(what, kErrorKeyDeleted);
    std::vector<std::string> names;
    if (!splitPath(subKey, names)) return logged(what, kErrorBadPathname);
    std::shared_ptr<Key> target = h->key;
    for (const auto& name : names) {
        auto it = target->subkeys.find(upperText(name));
        if (it == target->subkeys.end()) return logged(what, platform::kErrorFileNotFound);
        target = it->second;
    }
    if (target->predefined) return logged(what, platform::kErrorAccessDenied);
    if (names.empty() && (h->access & kDeleteAccess) == 0) {
        return logged(what, platform::kErrorAccessDenied);
    }
    if (target->denyFullAccess || !target->subkeys.empty()) {
        return logged(what, platform::kErrorAccessDenied);
    }
    std::shared_ptr<Key> parent = target->parent.lock();
    parent->subkeys.erase(upperText(target->name));
    target->deleted = true;
    return logged(what, 0);
}

Status FakeRegistry::closeKey(HKey key) {
    const std::string what = "RegCloseKey " + describe(key);
    if (roots_.count(key) != 0) return logged(what, 0);
    if (handles_.erase(key) == 0) return logged(what, platform::kErrorInvalidHandle);
    return logged(what, 0);
}

Status FakeRegistry::subkeyNames(HKey key, std::vector<std::string>& names) {
    names.clear();
    const std::string what = "RegEnumKeyEx " + describe(key);
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
    setValue(root, path, name, type, text + std::string(1, '\0'));
}

void FakeRegistry::setValue(HKey root, const std::string& path, const std::string& name,
                            std::uint32_t type, const std::string& bytes) {
    makeKey(root, path)->values[upperText(name)] = Value{name, type, bytes};
}

void FakeRegistry::removeValue(HKey root, const std::string& path, const std::string& name) {
    if (auto key = findKey(root, path)) key->values.erase(upperText(name));
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
    return key && key->values.count(upperText(name)) != 0;
}

std::string FakeRegistry::valueBytes(HKey root, const std::string& path,
                                     const std::string& name) const {
    auto key = findKey(root, path);
    if (!key) throw std::invalid_argument("fake registry: no key " + path);
    auto it = key->values.find(upperText(name));
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

std::vector<std::string> FakeRegistry::allKeys() const {
    std::vector<std::string> keys;
    std::function<void(const Key&, const std::string&)> walk = [&](const Key& key,
                                                                   const std::string& path) {
        for (const auto& [upperName, sub] : key.subkeys) {
            const std::string subPath = path + "\\" + sub->name;
            keys.push_back(subPath);
            walk(*sub, subPath);
        }
    };
    for (const auto& [root, h] : roots_) walk(*h.key, h.path);
    return keys;
}

}  // namespace fakes

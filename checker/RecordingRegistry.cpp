// The recording registry and system: keys that earlier lines would have
// deleted are gone for the later ones; the program is the uninstaller in the
// install folder.
#include <algorithm>
#include <cstring>

#include "checker/Recording.h"
#include "checker/RecordingText.h"
#include "engine/Install.h"
#include "platform/Utf8.h"

namespace checker {

using platform::Status;
using namespace recording;

// ---- registry

RecordingRegistry::RecordingRegistry(platform::Registry& real, const platform::TextRules& text,
                                     Journal& journal)
    : real_(real), text_(text), journal_(journal) {}

void RecordingRegistry::stageProduct(const std::string& installDir) {
    staged_ = true;
    stagedDir_ = installDir;
}

// Keys are opened for reading only, whatever access the run asks for: the
// answer is the one a run with administrator rights gets for a key that
// exists.
Status RecordingRegistry::openKey(platform::HKey root, const std::string& subKey,
                                  std::uint32_t options, std::uint32_t, platform::HKey& result) {
    std::string parent;
    if (const auto it = opened_.find(root); it != opened_.end())
        parent = it->second.display;
    else
        parent = platform::rootKeyName(root);
    if (parent.empty() || root == kStagedProductKey) return platform::kErrorInvalidHandle;
    const std::string tidy = tidyKeyPath(subKey);
    Opened opened;
    opened.display = tidy.empty() ? parent : parent + "\\" + tidy;
    opened.key = text_.upperCaseOrdinal(opened.display);

    if (staged_ &&
        opened.key == text_.upperCaseOrdinal(std::string("HKLM\\") + engine::kProductKey)) {
        opened_[kStagedProductKey] = opened;
        result = kStagedProductKey;
        journal_.push_back({Event::Kind::KeyOpened, opened.display, {}, 0});
        return platform::kErrorSuccess;
    }
    for (std::size_t cut = opened.key.size(); cut != std::string::npos && cut > 0;
         cut = opened.key.rfind('\\', cut - 1)) {
        if (gone_.count(opened.key.substr(0, cut)) != 0) {
            journal_.push_back(
                {Event::Kind::KeyOpened, opened.display, {}, platform::kErrorFileNotFound, true});
            return platform::kErrorFileNotFound;
        }
    }
    platform::HKey handle = 0;
    const Status status = real_.openKey(root, subKey, options, kKeyRead, handle);
    journal_.push_back({Event::Kind::KeyOpened, opened.display, {}, status});
    if (status != platform::kErrorSuccess) return status;
    opened_[handle] = opened;
    result = handle;
    return status;
}

Status RecordingRegistry::queryValue(platform::HKey key, const std::string& valueName,
                                     std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    if (key != kStagedProductKey) return real_.queryValue(key, valueName, type, data, size);
    if (!valueName.empty()) return platform::kErrorFileNotFound;
    if (data != nullptr && size == nullptr) return platform::kErrorInvalidParameter;
    // The value as RegQueryValueExW gives it: UTF-16 units and their NUL.
    const std::u16string units = platform::utf8::toUtf16(stagedDir_) + u'\0';
    const std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (type != nullptr) *type = platform::kRegSz;
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return platform::kErrorSuccess;
    }
    if (*size < needed) {
        *size = needed;
        return platform::kErrorMoreData;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    *size = needed;
    return platform::kErrorSuccess;
}

std::vector<std::string> RecordingRegistry::liveSubkeys(platform::HKey key,
                                                        const std::string& lowerName) {
    std::vector<std::string> names;
    if (key == kStagedProductKey) return names;
    real_.subkeyNames(key, names);
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [&](const std::string& name) {
                           return gone_.count(lowerName + "\\" + text_.upperCaseOrdinal(name)) != 0;
                       }),
        names.end());
    return names;
}

Status RecordingRegistry::deleteKey(platform::HKey key, const std::string& subKey) {
    const auto it = opened_.find(key);
    if (it == opened_.end()) return platform::kErrorInvalidHandle;
    // The run deletes only keys it has opened, by the empty name.
    if (!subKey.empty()) return platform::kErrorAccessDenied;
    const Opened& opened = it->second;
    // As RegDeleteKeyW, a key that still has subkeys is not deleted.
    const std::vector<std::string> left = liveSubkeys(key, opened.key);
    if (!left.empty()) {
        journal_.push_back({Event::Kind::KeyKept, opened.display, "it has subkeys: " + listed(left),
                            platform::kErrorAccessDenied});
        return platform::kErrorAccessDenied;
    }
    gone_.insert(opened.key);
    journal_.push_back({Event::Kind::KeyDeleted, opened.display, {}, 0});
    return platform::kErrorSuccess;
}

Status RecordingRegistry::closeKey(platform::HKey key) {
    opened_.erase(key);
    if (key == kStagedProductKey) return platform::kErrorSuccess;
    return real_.closeKey(key);
}

Status RecordingRegistry::subkeyNames(platform::HKey key, std::vector<std::string>& names) {
    const auto it = opened_.find(key);
    if (it == opened_.end()) return real_.subkeyNames(key, names);
    names = liveSubkeys(key, it->second.key);
    return platform::kErrorSuccess;
}

// ---- system

void RecordingSystem::setInstallFolder(const std::string& installDir) {
    folder_ = installDir;
    // The folder of a program has no trailing separator unless it is a root.
    while (folder_.size() > 3 && folder_.back() == '\\') folder_.pop_back();
}

}  // namespace checker

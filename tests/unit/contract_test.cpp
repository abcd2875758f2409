// The platform promises (tests/contract/) held by the in-memory fakes, below
// C:\Contract and HKCU\Software\Contract.
#include <map>

#include "tests/contract/Contract.h"
#include "tests/fakes/FakeText.h"
#include "tests/fakes/Fakes.h"

namespace {

using contract::Plant;
using platform::kHkeyCurrentUser;

class FakeSide : public contract::Side {
public:
    FakeSide() {
        world_.files.addFolder(root());
        world_.registry.addKey(kHkeyCurrentUser, keyPath());
    }
    platform::Platform platform() override { return world_.platform(); }
    std::string root() const override { return "C:\\Contract"; }
    std::string keyPath() const override { return "Software\\Contract"; }

    void plant(const Plant& p) override {
        fakes::FakeFileSystem& fs = world_.files;
        switch (p.kind) {
            case Plant::File:
                return fs.addFile(at(p.path), p.text, p.bits);
            case Plant::Folder:
                return fs.addFolder(at(p.path), p.bits);
            case Plant::Link:
                return fs.addFolderLink(at(p.path), at(p.text));
            case Plant::HardLink:
                fs.addFile(at(p.path), fs.contents(at(p.text)));
                fs.setLinkCount(at(p.path), 2);
                return fs.setLinkCount(at(p.text), 2);
            case Plant::Busy:
                return fs.markInUse(at(p.path));
            case Plant::Alias:
                aliases_[fakes::upperText(p.path.substr(p.path.find_last_of('\\') + 1))] = p.text;
                return fs.setShortName(at(p.path), p.text);
            case Plant::Key:
                return world_.registry.addKey(kHkeyCurrentUser, key(p.path));
            case Plant::Value:
                return world_.registry.setValue(kHkeyCurrentUser, key(p.path), p.text, p.bits,
                                                p.bytes);
        }
    }
    std::string contents(const std::string& path) override {
        return world_.files.contents(at(path));
    }
    bool scheduled(const std::string& path) override {
        for (const std::string& s : world_.files.scheduledForRestart())
            if (s == path) return true;
        return false;
    }
    // The last name spelled by its alias, when it has one.
    std::string shortPath(const std::string& path) override {
        const auto cut = path.find_last_of('\\') + 1;
        const auto found = aliases_.find(fakes::upperText(path.substr(cut)));
        return at(path.substr(0, cut) +
                  (found == aliases_.end() ? path.substr(cut) : found->second));
    }
    bool onWine() const override { return false; }

private:
    std::string at(const std::string& path) const { return root() + "\\" + path; }
    std::string key(const std::string& path) const {
        return path.empty() ? keyPath() : keyPath() + "\\" + path;
    }

    fakes::FakeWorld world_;
    std::map<std::string, std::string> aliases_;
};

CONTRACT_TESTS(ContractOnFakes, FakeSide);

}  // namespace

// The platform promises (tests/contract/) held by the in-memory fakes, below
// C:\Contract and HKCU\Software\Contract.
#include <gtest/gtest.h>

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
    platform::FileSystem& files() override { return world_.files; }
    platform::Registry& registry() override { return world_.registry; }
    platform::System& system() override { return world_.system; }
    std::string root() const override { return "C:\\Contract"; }
    platform::HKey keyRoot() const override { return kHkeyCurrentUser; }
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
    bool exists(const std::string& path) override { return world_.files.exists(at(path)); }
    std::string contents(const std::string& path) override {
        return world_.files.contents(at(path));
    }
    bool keyExists(const std::string& path) override {
        return world_.registry.keyExists(kHkeyCurrentUser, key(path));
    }
    bool scheduled(const std::string& path) override {
        for (const std::string& s : world_.files.scheduledForRestart())
            if (s == path) return true;
        return false;
    }
    // Every name that has an alias is spelled by it.
    std::string shortPath(const std::string& path) override {
        std::string result = root();
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = path.find('\\', start);
            if (end == std::string::npos) end = path.size();
            const std::string name = path.substr(start, end - start);
            const auto found = aliases_.find(fakes::upperText(name));
            result += "\\" + (found == aliases_.end() ? name : found->second);
            start = end + 1;
        }
        return result;
    }
    void release() override {}
    bool onWine() const override { return false; }

private:
    std::string at(const std::string& path) const { return root() + "\\" + path; }
    std::string key(const std::string& path) const {
        return path.empty() ? keyPath() : keyPath() + "\\" + path;
    }

    fakes::FakeWorld world_;
    std::map<std::string, std::string> aliases_;
};

class ContractOnFakes : public ::testing::TestWithParam<contract::Case> {};

TEST_P(ContractOnFakes, Holds) {
    FakeSide side;
    contract::check(GetParam(), side);
}

INSTANTIATE_TEST_SUITE_P(Files, ContractOnFakes, ::testing::ValuesIn(contract::fileCases()),
                         contract::CaseName());
INSTANTIATE_TEST_SUITE_P(RegistryAndSystem, ContractOnFakes,
                         ::testing::ValuesIn(contract::registryAndSystemCases()),
                         contract::CaseName());

}  // namespace

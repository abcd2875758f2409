// The platform promises (tests/contract/) held by the Win32 adapters, in a
// scratch folder and a scratch key of the Wine prefix; then the one promise
// that only the real system can show: its own listing order.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "Scratch.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "tests/contract/Contract.h"
#include "tests/wine/FolderLink.h"

namespace {

using contract::Plant;

class WineSide : public contract::Side {
public:
    ~WineSide() override {
        release();
        for (const std::string& link : links_) winetest::removeFolderLink(link);
    }
    platform::Platform platform() override { return platform_.platform(); }
    std::string root() const override { return scratch_.path(); }
    std::string keyPath() const override { return key_.subKey(); }

    void plant(const Plant& p) override {
        const std::string path = scratch_ / p.path;
        bool done = true;
        switch (p.kind) {
            case Plant::File:
                parents(p.path);
                winetest::writeFile(path, p.text);
                if (p.bits != 0) winetest::setAttributes(path, p.bits);
                break;
            case Plant::Folder:
                parents(p.path + "\\");
                if (p.bits != 0) winetest::setAttributes(path, p.bits);
                break;
            case Plant::Link:
                done = winetest::plantFolderLink(path, scratch_ / p.text);
                if (done) links_.push_back(path);
                break;
            case Plant::HardLink:
                done = CreateHardLinkA(path.c_str(), (scratch_ / p.text).c_str(), nullptr);
                break;
            case Plant::Busy:
                busy_.push_back(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
                done = busy_.back() != INVALID_HANDLE_VALUE;
                break;
            case Plant::Alias:
                break;  // the system makes its own
            case Plant::Key: {
                HKEY created = nullptr;
                done = RegCreateKeyW(HKEY_CURRENT_USER,
                                     platform::win32::wide(regKey(p.path)).c_str(), &created) == 0;
                RegCloseKey(created);
                break;
            }
            case Plant::Value:
                // The W function stores the bytes exactly as given.
                done = RegSetKeyValueW(HKEY_CURRENT_USER,
                                       platform::win32::wide(regKey(p.path)).c_str(),
                                       platform::win32::wide(p.text).c_str(), p.bits,
                                       p.bytes.data(), static_cast<DWORD>(p.bytes.size())) == 0;
                break;
        }
        if (!done) throw std::runtime_error("can't lay down " + p.path);
    }
    std::string contents(const std::string& path) override {
        return winetest::readFile(scratch_ / path);
    }
    // The system keeps the request with the machine's session settings.
    bool scheduled(const std::string& path) override {
        std::string pending(1 << 16, '\0');
        DWORD size = static_cast<DWORD>(pending.size());
        return RegGetValueA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Control\\Session Manager",
                            "PendingFileRenameOperations", RRF_RT_ANY, nullptr, pending.data(),
                            &size) == 0 &&
               pending.substr(0, size).find(path) != std::string::npos;
    }
    // Short names are the system's own (generated ones under Wine): read at
    // run time, never guessed.
    std::string shortPath(const std::string& path) override {
        char found[MAX_PATH] = {};
        if (GetShortPathNameA((scratch_ / path).c_str(), found, MAX_PATH) == 0)
            throw std::runtime_error("no short name for " + path);
        return found;
    }
    void release() override {
        for (HANDLE handle : busy_) CloseHandle(handle);
        busy_.clear();
    }
    bool onWine() const override { return true; }

private:
    // Creates the folders on the way to `path` (up to its last "\").
    void parents(const std::string& path) {
        for (auto cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1))
            CreateDirectoryW(platform::win32::wide(scratch_ / path.substr(0, cut)).c_str(),
                             nullptr);
    }
    std::string regKey(const std::string& path) const {
        return path.empty() ? key_.subKey() : key_.subKey() + "\\" + path;
    }

    winetest::ScratchFolder scratch_;
    winetest::ScratchKey key_{HKEY_CURRENT_USER, "HKCU"};
    platform::win32::Win32Platform platform_;
    std::vector<HANDLE> busy_;
    std::vector<std::string> links_;
};

CONTRACT_TESTS(ContractOnWine, WineSide);

TEST(FilesOnWine, ListingKeepsTheSystemsOrder) {
    winetest::ScratchFolder scratch;
    for (const char* name : {"b.del", "c.del", "a.del", "d.del"})
        winetest::writeFile(scratch / name, "");
    std::vector<std::string> system;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((scratch / "*.del").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do system.emplace_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::vector<std::string> names;
    EXPECT_EQ(platform::win32::Win32FileSystem().listFiles(scratch / "*.del", names), 0);
    EXPECT_EQ(names, system);
}

}  // namespace

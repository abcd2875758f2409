// Removal scripts read from real ".del" files and run by the engine over the
// Win32 adapters. The product key is looked up under a scratch key of the
// current user instead of the machine's, so the test never meets the real
// product's traces in a shared prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Scratch.h"
#include "engine/Failure.h"
#include "engine/Install.h"
#include "platform/win32/Win32Platform.h"
#include "sysenv/SysEnv.h"
#include "tests/wine/WineText.h"

using winetest::exists;
using winetest::reg;
using winetest::ScratchFolder;
using winetest::ScratchKey;
using winetest::writeFile;

namespace {

class QuietDialog : public engine::DialogView {
public:
    void centerForm() override {}
    void setCaption(const std::string&) override {}
    void hide() override {}
    void processPendingEvents() override {}
};

class QuietProgress : public engine::ProgressView {
public:
    void removing(const std::string&) override {}
    void show() override {}
    void close() override {}
};

using winetest::lower;

// The real registry, except that the product key is a scratch key of the
// current user.
class ProductKeyElsewhere : public platform::Registry {
public:
    ProductKeyElsewhere(platform::Registry& real, std::string productKey)
        : real_(real), productKey_(std::move(productKey)) {}

    platform::Status openKey(platform::HKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, platform::HKey& result) override {
        if (root == platform::kHkeyLocalMachine && lower(subKey) == lower(engine::kProductKey))
            return real_.openKey(platform::kHkeyCurrentUser, productKey_, options, access, result);
        return real_.openKey(root, subKey, options, access, result);
    }
    platform::Status queryValue(platform::HKey key, const std::string& valueName,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) override {
        return real_.queryValue(key, valueName, type, data, size);
    }
    platform::Status deleteKey(platform::HKey key, const std::string& subKey) override {
        return real_.deleteKey(key, subKey);
    }
    platform::Status closeKey(platform::HKey key) override { return real_.closeKey(key); }
    platform::Status subkeyNames(platform::HKey key, std::vector<std::string>& names) override {
        return real_.subkeyNames(key, names);
    }

private:
    platform::Registry& real_;
    std::string productKey_;
};

class ScriptsOnWine : public ::testing::Test {
protected:
    ScratchFolder installDir;
    ScratchKey productKey{HKEY_CURRENT_USER, "HKCU"};
    platform::win32::Win32Platform win32;
    ProductKeyElsewhere registry{win32.registry, productKey.subKey()};
    QuietDialog dialog;
    QuietProgress progress;
    engine::Install install{platform::Platform{registry, win32.files, win32.system, win32.shell},
                            dialog, progress};

    void SetUp() override {
        ASSERT_EQ(reg("add \"" + productKey.regPath() + "\" /ve /t REG_SZ /d \"" +
                      installDir.path() + "\" /f"),
                  0);
    }
};

// The seven lines of the reading example, each ending in CR LF.
const char* const kReadingDemo =
    "title=\"Reading Demo\"\r\n"
    "[files]\r\n"
    "sub=DATA\r\n"
    "removefile=$SUB$\\MAIN.DAT\r\n"
    "removefile=READ&ME.TXT\r\n"
    "\r\n"
    "note=a=b\r\n";

TEST_F(ScriptsOnWine, ReadingExampleDeletesItsFilesInTheInstallFolder) {
    ASSERT_TRUE(CreateDirectoryA((installDir / "data").c_str(), nullptr));
    writeFile(installDir / "data\\main.dat", "x");
    writeFile(installDir / "readme.txt", "x");
    writeFile(installDir / "keep.txt", "x");
    writeFile(installDir / "reading.del", kReadingDemo);

    install.findApplications();
    EXPECT_EQ(install.installDir(), installDir.path());
    ASSERT_EQ(install.applications(), std::vector<std::string>{"Reading Demo"});
    EXPECT_TRUE(exists(installDir / "readme.txt"));  // discovery deletes nothing

    install.script().readWholeFile(installDir.path() + "\\reading.del");
    EXPECT_EQ(install.script().scriptLen(),
              static_cast<engine::Int16>(std::string(kReadingDemo).size()));
    install.script().processScript(true);

    EXPECT_EQ(install.getVariableValue("title"), "Reading Demo");
    EXPECT_EQ(install.getVariableValue("removefile"), "README.TXT");
    EXPECT_EQ(install.getVariableValue("sub"), "DATA");
    EXPECT_EQ(install.getVariableValue("note"), "a=b");
    EXPECT_FALSE(exists(installDir / "data\\main.dat"));
    EXPECT_FALSE(exists(installDir / "readme.txt"));
    EXPECT_TRUE(exists(installDir / "keep.txt"));
    EXPECT_TRUE(exists(installDir / "data"));
}

TEST_F(ScriptsOnWine, DiscoveryListsOrdinaryScriptsOnly) {
    writeFile(installDir / "first.del", "title=First\r\n");
    writeFile(installDir / "hidden.del", "title=Hidden\r\n");
    winetest::setAttributes(installDir / "hidden.del", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateDirectoryA((installDir / "folder.del").c_str(), nullptr));

    install.findApplications();
    EXPECT_EQ(install.applications(), std::vector<std::string>{"First"});
    ASSERT_EQ(install.appCount(), 1);
    EXPECT_EQ(install.scriptNames().at(1), "first.del");
    EXPECT_TRUE(install.firstChosenAtOnce());
}

TEST_F(ScriptsOnWine, InstallFolderEndingInASeparatorStillReadsItsScripts) {
    ASSERT_EQ(reg("add \"" + productKey.regPath() + "\" /ve /t REG_SZ /d \"" + installDir.path() +
                  "\\\\\" /f"),
              0);
    writeFile(installDir / "one.del", "title=One\r\nremovefile=gone.txt");
    writeFile(installDir / "gone.txt", "x");

    install.findApplications();
    EXPECT_EQ(install.installDir(), installDir.path() + "\\");
    ASSERT_EQ(install.applications(), std::vector<std::string>{"One"});
    install.script().readWholeFile(installDir.path() + "\\one.del");
    install.script().processScript(true);
    EXPECT_FALSE(exists(installDir / "gone.txt"));
}

TEST_F(ScriptsOnWine, ScriptsThatCantBeReadFailWithTheirKind) {
    writeFile(installDir / "big.del", "title=Big\r\n" + std::string(32767, ' '));
    install.findApplications();  // discovery passes over the script it can't read
    EXPECT_TRUE(install.applications().empty());

    try {
        install.script().readWholeFile(installDir.path() + "\\big.del");
        ADD_FAILURE() << "a script over 32,767 bytes was read";
    } catch (const engine::Failure& failure) {
        EXPECT_EQ(failure.kind(), engine::FailureKind::Overflow);
    }
    try {
        install.script().readWholeFile(installDir.path() + "\\absent.del");
        ADD_FAILURE() << "a missing script was read";
    } catch (const engine::Failure& failure) {
        EXPECT_EQ(failure.kind(), engine::FailureKind::FileNotFound);
    }
}

TEST_F(ScriptsOnWine, LoadStoresTheMachinesFolders) {
    install.Form_Load();
    EXPECT_EQ(install.getVariableValue("windowdirectory"), "C:\\windows\\");
    EXPECT_EQ(install.getVariableValue("windowDrive"), "C:");
    EXPECT_EQ(install.getVariableValue("windowsystem"), "C:\\windows\\system32\\");
    EXPECT_EQ(install.getVariableValue("windowMenuPrograms"),
              sysenv::getProgramsFolder(win32.registry));
    EXPECT_NE(install.getVariableValue("windowMenuPrograms"), "");
}

}  // namespace

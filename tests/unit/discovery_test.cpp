// Finding the removal scripts through the product key and filling the list.
#include <string>
#include <vector>

#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;
using Strings = std::vector<std::string>;

class Discovery : public ProductTest {};

TEST_F(Discovery, NoProductKeyListsNothingAndLooksNowhere) {
    install.findApplications();
    EXPECT_TRUE(install.applications().empty());
    EXPECT_EQ(install.installDir(), "");
    EXPECT_EQ(install.appCount(), 0);
    EXPECT_EQ(world.log.count("ListFiles"), 0);
    EXPECT_TRUE(world.registry.openHandles().empty());
}

TEST_F(Discovery, KeyThatMayNotBeOpenedWithFullAccessListsNothing) {
    layDownProduct();
    addScript("a.del", script({"title=A"}));
    world.registry.denyFullAccess(HKLM, engine::kProductKey);
    install.findApplications();
    EXPECT_TRUE(install.applications().empty());
    EXPECT_EQ(install.installDir(), "");
}

TEST_F(Discovery, InstallFolderWithoutScriptsListsNothing) {
    layDownProduct();
    world.files.addFile(inInstall("readme.del.bak"));
    world.files.addFile(inInstall("x.delx"));
    install.findApplications();
    EXPECT_EQ(install.installDir(), kInstallDir);
    EXPECT_TRUE(install.applications().empty());
    EXPECT_TRUE(world.registry.openHandles().empty());
}

TEST_F(Discovery, ASingleScriptIsSelectedAtOnce) {
    layDownProduct();
    addScript("one.del", script({"title=Only One"}));
    install.findApplications();
    EXPECT_EQ(install.applications(), Strings{"Only One"});
    EXPECT_TRUE(install.firstChosenAtOnce());
}

TEST_F(Discovery, TwoScriptsInListingOrderNeitherChosenForTheUser) {
    layDownProduct();
    addScript("b.del", script({"title=Bravo"}));
    addScript("A.del", script({"title=Alpha"}));
    install.findApplications();
    EXPECT_EQ(install.applications(), (Strings{"Alpha", "Bravo"}));
    EXPECT_EQ(install.scriptNames(), (Strings{"", "A.del", "b.del"}));
    EXPECT_FALSE(install.firstChosenAtOnce());
}

TEST_F(Discovery, TitlesCarryOverBetweenScriptsAndSeeNoStandardVariables) {
    layDownProduct();
    addScript("a.del", script({"note=first has no title"}));
    addScript("b.del", script({"title=Bravo $windowdirectory$ end", "removefile=*.*"}));
    addScript("c.del", script({"[no title here]"}));
    addScript("d.del", script({"sub=D", "title=$sub$ \"Delta\" & co"}));
    install.findApplications();
    EXPECT_EQ(install.applications(), (Strings{"", "Bravo  end", "Bravo  end", "D Delta  co"}));
    // Reading titles never deletes anything.
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
}

TEST_F(Discovery, HiddenAndSystemScriptsAndFoldersAreNotListed) {
    layDownProduct();
    addScript("a.del", script({"title=A"}));
    world.files.addFile(inInstall("h.del"), script({"title=Hidden"}), fakes::kAttrHidden);
    world.files.addFile(inInstall("s.del"), script({"title=System"}), fakes::kAttrSystem);
    world.files.addFolder(inInstall("folder.del"));
    install.findApplications();
    EXPECT_EQ(install.applications(), Strings{"A"});
}

TEST_F(Discovery, InstallDirectoryEndingInASeparatorIsJoinedAsItStands) {
    layDownProduct(std::string(kInstallDir) + "\\");
    world.files.addFile(std::string(kInstallDir) + "\\a.del", script({"title=A"}));
    install.findApplications();
    EXPECT_TRUE(world.log.contains("ListFiles C:\\Program Files\\Corvalune\\\\*.del -> 0"));
    EXPECT_TRUE(world.log.contains("ReadWholeFile C:\\Program Files\\Corvalune\\\\a.del -> 0"));
    EXPECT_EQ(install.applications(), Strings{"A"});
}

TEST_F(Discovery, KeyWithoutAStringDefaultLeavesTheInstallDirectoryEmpty) {
    layDownProduct();
    world.registry.setValue(HKLM, engine::kProductKey, "", platform::kRegExpandSz,
                            std::string(kInstallDir) + '\0');
    install.findApplications();
    EXPECT_EQ(install.installDir(), "");
    EXPECT_TRUE(world.log.contains("ListFiles \\*.del -> 0"));
}

TEST_F(Discovery, AFolderThatCantBeListedListsNothingAndAListingCutShortWhatItFound) {
    layDownProduct("E:\\Corvalune");
    addScript("a.del", script({"title=A"}));
    addScript("b.del", script({"title=B"}));
    world.files.setDriveNotReady('E');
    install.findApplications();
    EXPECT_TRUE(install.applications().empty());

    world.files.setDriveNotReady('E', false);
    world.files.setListingFailsAfter(1);
    install.findApplications();
    EXPECT_EQ(install.applications(), (std::vector<std::string>{"A"}));
}

// Scripts that can't be opened, are too long, or fail while interpreted take
// no position, so entry k always runs the script at position k + 1.
TEST_F(Discovery, ScriptsWhoseTitleCantBeReadTakeNoPosition) {
    layDownProduct();
    addScript("a.del", script({"title=A"}));
    addScript("b.del", script({"title=B", "bad=$unterminated"}));
    addScript("c.del", script({"title=C"}));
    addScript("d.del", std::string(32768, 'x'));
    addScript("e.del", script({"title=E"}));
    world.files.lockForReading(inInstall("e.del"));
    addScript("f.del", script({"title=F"}));
    install.findApplications();

    EXPECT_EQ(install.applications(), (Strings{"A", "C", "F"}));
    EXPECT_EQ(install.scriptNames(), (Strings{"", "a.del", "c.del", "f.del"}));
    EXPECT_EQ(install.appCount(), 3);
    // What the failed script stored before its failure stays stored.
    EXPECT_EQ(install.getVariableValue("title"), "F");
    EXPECT_EQ(world.log.count("ReadWholeFile"), 6);
}

TEST_F(Discovery, MoreThanFiftyScriptsAreAllListedInStep) {
    layDownProduct();
    for (int i = 0; i < 60; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        addScript("app" + n + ".del", script({"title=App " + n}));
    }
    install.findApplications();
    ASSERT_EQ(install.appCount(), 60);
    ASSERT_EQ(static_cast<int>(install.applications().size()), 60);
    ASSERT_EQ(install.scriptNames().size(), 61u);
    for (int k = 0; k < 60; ++k) {
        const std::string n = (k < 10 ? "0" : "") + std::to_string(k);
        EXPECT_EQ(install.applications()[static_cast<std::size_t>(k)], "App " + n);
        EXPECT_EQ(install.scriptNames()[static_cast<std::size_t>(k) + 1], "app" + n + ".del");
    }
}

}  // namespace

// The main dialog's load: discovery, the cut to one row, the six standard
// variables and the caption.
#include <string>
#include <vector>

#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;

class Load : public ProductTest {
protected:
    std::string var(const std::string& name) { return install.getVariableValue(name); }
};

TEST_F(Load, CentresDiscoversThenStoresTheStandardVariablesAndSetsTheCaption) {
    layDownProduct();
    install.Form_Load();

    EXPECT_EQ(var("windowdirectory"), "C:\\WINDOWS\\");
    EXPECT_EQ(var("windowdrive"), "C:");
    EXPECT_EQ(var("msdaopath"), "C:\\program files\\common files\\microsoft shared\\Dao\\");
    EXPECT_EQ(var("windowsystem"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(var("windowmenuprograms"), kPrograms);
    EXPECT_EQ(var("installtitle"), "QUOB demo application removal");
    for (const char* spelling : {"windowDrive", "WINDOWDRIVE", "WindowDrive"})
        EXPECT_EQ(var(spelling), "C:") << spelling;
    EXPECT_EQ(world.dialog.caption(), "QUOB demo application removal");
    EXPECT_EQ(install.script().scriptPos(), 1);

    // System folder inside the Windows folder: no write probe.
    EXPECT_EQ(world.log.count("CreateNewFile"), 0);
    const auto& lines = world.log.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "centerForm");
    EXPECT_EQ(lines.back(), "caption QUOB demo application removal");
}

TEST_F(Load, WithoutScriptsTheStandardVariablesFollowTheEmptyRow) {
    install.Form_Load();
    EXPECT_EQ(install.variables().variableCount(), 7);
    EXPECT_EQ(var(""), "");
    EXPECT_EQ(var("installtitle"), "QUOB demo application removal");
}

TEST_F(Load, OnlyTheFirstVariableOfDiscoveryOutlivesTheCut) {
    layDownProduct();
    addScript("a.del", script({"title=First", "other=gone"}));
    addScript("b.del", script({"title=Last", "more=gone too"}));
    install.Form_Load();
    EXPECT_EQ(var("title"), "Last");
    EXPECT_EQ(var("other"), "");
    EXPECT_EQ(var("more"), "");
    EXPECT_EQ(install.variables().variableCount(), 7);
}

TEST_F(Load, AStandardNameStoredFirstByDiscoveryIsUpdatedInPlace) {
    layDownProduct();
    addScript("a.del", script({"windowdrive=Z:", "title=A"}));
    install.Form_Load();
    EXPECT_EQ(var("windowdrive"), "C:");
    EXPECT_EQ(install.variables().variableCount(), 6);
}

// A shared Windows installation keeps its System folder outside the Windows
// folder, often on a share the user may not write to.
TEST_F(Load, SharedWindowsWithAReadOnlySystemFolderUsesTheWindowsFolder) {
    world.system.setWindowsFolder("C:\\WINDOWS");
    world.system.setSystemFolder("S:\\SHARED\\SYSTEM");
    world.files.addFolder("S:\\SHARED\\SYSTEM");
    world.files.setWritable("S:\\SHARED\\SYSTEM", false);
    install.Form_Load();
    EXPECT_EQ(var("windowsystem"), "C:\\WINDOWS\\");
    EXPECT_EQ(world.log.count("CreateNewFile S:\\SHARED\\SYSTEM\\W-r-i-t-e.acc"), 1);
}

TEST_F(Load, SharedWindowsWithAWritableSystemFolderKeepsIt) {
    world.system.setSystemFolder("S:\\SHARED\\SYSTEM");
    world.files.addFolder("S:\\SHARED\\SYSTEM");
    install.Form_Load();
    EXPECT_EQ(var("windowsystem"), "S:\\SHARED\\SYSTEM\\");
    EXPECT_FALSE(exists("S:\\SHARED\\SYSTEM\\W-r-i-t-e.acc"));
}

TEST_F(Load, FoldersDifferingInLetterCaseCountAsNotContained) {
    world.system.setWindowsFolder("C:\\Windows");
    world.system.setSystemFolder("C:\\WINDOWS\\SYSTEM");
    world.files.addFolder("C:\\WINDOWS\\SYSTEM");
    world.files.setWritable("C:\\WINDOWS\\SYSTEM", false);
    install.Form_Load();
    EXPECT_EQ(world.log.count("CreateNewFile"), 1);
    EXPECT_EQ(var("windowsystem"), "C:\\Windows\\");
}

TEST_F(Load, AnEmptyWindowsFolderIsContainedInAnySystemFolder) {
    world.system.failWindowsFolder();
    world.system.setSystemFolder("S:\\SYSTEM");
    install.Form_Load();
    EXPECT_EQ(world.log.count("CreateNewFile"), 0);
    EXPECT_EQ(var("windowdirectory"), "");
    EXPECT_EQ(var("windowdrive"), "");
    EXPECT_EQ(var("msdaopath"), "\\program files\\common files\\microsoft shared\\Dao\\");
    EXPECT_EQ(var("windowsystem"), "S:\\SYSTEM\\");
}

TEST_F(Load, NoProgramsFolderGivesTheEmptyText) {
    install.Form_Load();
    EXPECT_EQ(var("windowmenuprograms"), "");
}

}  // namespace

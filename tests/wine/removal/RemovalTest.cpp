// The whole removal, headless, against the real registry and file system of
// the prefix: the demo tool lays the product down in a scratch folder, the
// engine runs over the Win32 adapters with console views, and what is left
// is compared with what must be left. Files around the product (in the
// Windows folder, the Programs folder and beside the install folder) must
// come through untouched.
//
// The running program is this test, not sprellow.exe, so the product
// clean-up deletes "<install folder>\<this test's name>.exe": the tests lay
// a stand-in under that name, where the uninstaller would sit.
#include "tests/wine/removal/RemovalFixture.h"

using namespace removaltest;

namespace {

TEST_F(RemovalOnWine, DiscoveryListsEveryApplicationAndDeletesNothing) {
    lay();
    Headless uninstaller;

    EXPECT_EQ(uninstaller.install.installDir(), options.installDir);
    // The tool reports what it created, the product key last.
    const std::string report = readFile(scratch + "\\lay.txt");
    EXPECT_NE(report.find("HKLM\\software\\Corvalune QUOB DEMO = " + options.installDir + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(uninstaller.list.titles, titlesInListingOrder());
    const std::vector<std::string> scripts = scriptsInListingOrder();
    ASSERT_EQ(uninstaller.install.appCount(), static_cast<int>(scripts.size()));
    for (std::size_t k = 0; k < scripts.size(); ++k)
        EXPECT_EQ(uninstaller.install.scriptNames()[k + 1], scripts[k]);
    // Three applications: none is chosen for the user.
    EXPECT_EQ(uninstaller.list.selectedCount(), 0);
    EXPECT_EQ(uninstaller.list.selectedCount(), 0);
    EXPECT_EQ(uninstaller.dialog.caption, engine::kInstallTitle);
    EXPECT_EQ(uninstaller.install.getVariableValue("windowMenuPrograms"), programs);
    EXPECT_EQ(uninstaller.install.getVariableValue("WINDOWDRIVE"), windowsFolder().substr(0, 2));

    EXPECT_EQ(tree(options.installDir), expectedInstallTree(allTitles()));
    EXPECT_EQ(tree(startMenuFolder()), expectedStartMenuTree(allTitles()));
    for (const demo::Application& a : layout.apps) expectFileTypes(a, true);
    expectProductKeys(true);
    expectSentinelsUntouched();
}

TEST_F(RemovalOnWine, RemovingSomeApplicationsThenAllLeavesNothingOfTheProduct) {
    lay();
    {
        Headless uninstaller;
        uninstaller.selectTitle("QUOB Painter");
        ASSERT_EQ(uninstaller.list.selectedCount(), 1);
        const engine::RemovalOutcome outcome = uninstaller.remove();
        EXPECT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.message, engine::kClosingMessage);
        EXPECT_TRUE(uninstaller.dialog.hidden);
        EXPECT_EQ(uninstaller.progress.subjects, std::vector<std::string>{"QUOB Painter"});
        EXPECT_TRUE(uninstaller.progress.closed);
    }
    const std::set<std::string> kept = {"QUOB Reader", "QUOB Tunes"};
    EXPECT_EQ(tree(options.installDir), expectedInstallTree(kept));
    EXPECT_EQ(tree(startMenuFolder()), expectedStartMenuTree(kept));
    expectFileTypes(app("QUOB Painter"), false);
    expectFileTypes(app("QUOB Reader"), true);
    expectFileTypes(app("QUOB Tunes"), true);
    expectProductKeys(true);
    expectSentinelsUntouched();

    {
        Headless uninstaller;
        // The removed application's script went with it.
        EXPECT_EQ(uninstaller.list.titles, titlesInListingOrder());
        EXPECT_EQ(
            std::set<std::string>(uninstaller.list.titles.begin(), uninstaller.list.titles.end()),
            kept);
        uninstaller.list.selectAll();
        const engine::RemovalOutcome outcome = uninstaller.remove();
        EXPECT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.message, engine::kClosingMessage);
        EXPECT_EQ(uninstaller.progress.subjects, uninstaller.list.titles);  // in list order
    }
    expectNothingOfTheProduct();
    EXPECT_TRUE(folderExists(scratch));
    expectSentinelsUntouched();
}

// Without its file-type registrations only the script's removefile lines
// act: every file goes, the folders stay, since nothing else names them.
TEST_F(RemovalOnWine, WithoutItsFileTypesAnApplicationLeavesOnlyItsEmptyFolders) {
    lay();
    const demo::Application& reader = app("QUOB Reader");
    for (const demo::FileType& type : reader.fileTypes) {
        deleteKeyTree(HKEY_CLASSES_ROOT, type.extension);
        deleteKeyTree(HKEY_CLASSES_ROOT, type.name);
    }
    {
        Headless uninstaller;
        uninstaller.selectTitle("QUOB Reader");
        ASSERT_TRUE(uninstaller.remove().completed);
    }
    Tree expected = expectedInstallTree({"QUOB Painter", "QUOB Tunes"});
    for (const std::string& folder : reader.folders) expected.insert("folder " + lower(folder));
    EXPECT_EQ(tree(options.installDir), expected);
    EXPECT_EQ(tree(startMenuFolder()), expectedStartMenuTree(allTitles()));
    expectFileTypes(app("QUOB Painter"), true);
    expectProductKeys(true);
    expectSentinelsUntouched();
}

TEST_F(RemovalOnWine, ASingleApplicationIsChosenAtOnceAndRemovedWithTheProduct) {
    options.apps = 1;
    lay("--apps 1");
    Headless uninstaller;
    ASSERT_EQ(uninstaller.list.titles, std::vector<std::string>{"QUOB Reader"});
    EXPECT_TRUE(uninstaller.list.isSelected(0));
    EXPECT_EQ(uninstaller.list.selectedCount(), 1);

    const engine::RemovalOutcome outcome = uninstaller.remove();
    EXPECT_TRUE(outcome.completed);
    expectNothingOfTheProduct();
    expectSentinelsUntouched();
}

TEST_F(RemovalOnWine, WithoutTheProductKeyNothingIsListedOrDeleted) {
    lay("--no-product-key");
    Headless uninstaller;
    EXPECT_EQ(uninstaller.list.count(), 0);
    EXPECT_EQ(uninstaller.list.selectedCount(), 0);
    EXPECT_EQ(uninstaller.install.installDir(), "");
    EXPECT_EQ(tree(options.installDir), expectedInstallTree(allTitles()));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, demo::kUninstallKey));
    expectSentinelsUntouched();
}

// The removal of every application leaves the product's install folder with
// what only the product clean-up removes; a partial removal stops there.
TEST_F(RemovalOnWine, RemovingEveryApplicationOneRunAtATimeLeavesTheProductItself) {
    lay();
    std::set<std::string> kept = allTitles();
    for (const char* title : {"QUOB Tunes", "QUOB Reader"}) {
        Headless uninstaller;
        uninstaller.selectTitle(title);
        ASSERT_TRUE(uninstaller.remove().completed);
        kept.erase(title);
        EXPECT_EQ(tree(options.installDir), expectedInstallTree(kept)) << "after " << title;
    }
    {
        // The last one is the only one listed, so it is chosen already, and
        // with it every listed application: the product goes too.
        Headless uninstaller;
        ASSERT_EQ(uninstaller.list.titles, std::vector<std::string>{"QUOB Painter"});
        ASSERT_TRUE(uninstaller.remove().completed);
    }
    expectNothingOfTheProduct();
    expectSentinelsUntouched();
}

// Removing the product empties its install folder, so the tool lays it only
// into a new or empty folder, or over an earlier demo product.
TEST_F(RemovalOnWine, TheToolLaysNoProductIntoAFolderHoldingOtherFiles) {
    const std::string tool = "\"" + ownFolder() + "\\demoproduct.exe\" lay --dir \"";
    makeFolder(options.installDir);
    writeFile(options.installDir + "\\letter.txt", "mine");
    EXPECT_NE(runProgram(tool + options.installDir + "\"", scratch + "\\refused.txt"), 0);
    EXPECT_NE(readFile(scratch + "\\refused.txt").find("not the demo product's"),
              std::string::npos);
    EXPECT_EQ(tree(options.installDir), Tree{"file letter.txt"});
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, demo::kProductKey));
    DeleteFileA((options.installDir + "\\letter.txt").c_str());

    lay();
    EXPECT_EQ(runProgram(tool + options.installDir + "\"", scratch + "\\again.txt"), 0)
        << readFile(scratch + "\\again.txt");
    EXPECT_EQ(tree(options.installDir), expectedInstallTree(allTitles()));
}

}  // namespace

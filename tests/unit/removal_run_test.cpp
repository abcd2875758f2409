// Remove: the chosen scripts in list order, the product clean-up, and the
// outcome the dialog shows.
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;
using Strings = std::vector<std::string>;

class RemovalRun : public ProductTest {
protected:
    // Two applications, each with files, a file type pointing into its own
    // folder and a Start-menu folder.
    void layDownTwoApplications() {
        layDownProduct();
        addScript("a.del", script({"title=Alpha", "dir=Alpha", "removefile=$dir$\\alpha.exe",
                                   "removekey=.alp"}));
        addScript("b.del", script({"title=Bravo", "removefile=Bravo\\*.*", "removekey=.brv"}));
        world.files.addFile(inInstall("Alpha\\alpha.exe"));
        world.files.addFile(inInstall("Alpha\\alpha.hlp"));
        world.files.addFile(inInstall("Bravo\\b1.dat"));
        world.files.addFile(inInstall("Bravo\\b2.dat"));
        addFileType(".alp", "AlphaDoc", inInstall("Alpha\\alpha.exe") + " %1");
        addFileType(".brv", "BravoDoc", inInstall("Bravo\\bravo.exe") + " %1");
        world.files.addFile(startMenu("Alpha\\Alpha.lnk"));
        world.files.addFile(startMenu("Bravo\\Bravo.lnk"));
        world.files.addFile(startMenu("Remove QUOB.lnk"));
    }

    engine::RemovalOutcome removeAll() {
        install.Form_Load();
        world.log.clear();
        return install.ok_Click(every(install));
    }

    void expectProductKept() {
        EXPECT_TRUE(exists(inInstall("sprellow.exe")));
        EXPECT_TRUE(exists(startMenu()));
        EXPECT_TRUE(keyExists(HKLM, engine::kProductKey));
        EXPECT_TRUE(keyExists(HKLM, engine::kUninstallKey));
    }

    void deleteKey(platform::HKey root, const std::string& path) {
        platform::HKey key = 0;
        ASSERT_EQ(world.registry.openKey(root, path, 0, platform::kKeyAllAccess, key), 0);
        world.registry.deleteKey(key, "");
        world.registry.closeKey(key);
    }
};

// What a full run deletes, in its order; reads and look-ups may come and go.
TEST_F(RemovalRun, EveryDeletionOfAFullRunInItsOrder) {
    layDownTwoApplications();
    world.files.markRunningProgram(inInstall("sprellow.exe"));
    const engine::RemovalOutcome outcome = removeAll();

    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.message, "Application removal completed successfully.");

    const std::string dir = "C:\\Program Files\\Corvalune";
    const std::string menu = "C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob Demo";
    auto deleted = [](const std::string& path, const char* result = "0") {
        return "DeleteEntry " + path + " -> " + result;
    };
    auto keyDeleted = [](const std::string& key) { return "RegDeleteKey " + key + " -> 0"; };
    const Strings expected{
        "removing Alpha", deleted(dir + "\\Alpha\\alpha.exe"), keyDeleted("HKCR\\.alp"),
        keyDeleted("HKCR\\AlphaDoc\\shell\\open\\command"), deleted(dir + "\\Alpha\\alpha.hlp"),
        deleted(dir + "\\Alpha"), deleted(menu + "\\Alpha\\Alpha.lnk"), deleted(menu + "\\Alpha"),
        "removing Bravo", deleted(dir + "\\Bravo\\b1.dat"), deleted(dir + "\\Bravo\\b2.dat"),
        keyDeleted("HKCR\\.brv"), keyDeleted("HKCR\\BravoDoc\\shell\\open\\command"),
        deleted(dir + "\\Bravo"), deleted(menu + "\\Bravo\\Bravo.lnk"), deleted(menu + "\\Bravo"),
        // The product clean-up: program file, Start-menu folder, install
        // folder, uninstall entry, product key.
        deleted(dir + "\\sprellow.exe", "5"),
        "ScheduleDeleteAtRestart " + dir + "\\sprellow.exe -> 0",
        "ScheduleDeleteAtRestart " + dir + " -> 0", deleted(menu + "\\Remove QUOB.lnk"),
        deleted(menu), deleted(dir + "\\a.del"), deleted(dir + "\\b.del"),
        deleted(dir + "\\sprellow.exe", "5"), deleted(dir, "145"),
        keyDeleted("HKLM\\" + std::string(engine::kUninstallKey)),
        keyDeleted("HKLM\\" + std::string(engine::kProductKey)), "progress close",
        "SHChangeNotify"};
    EXPECT_EQ(world.log.only({"removing", "DeleteEntry", "RegDeleteKey", "ScheduleDeleteAtRestart",
                              "progress close", "SHChangeNotify"}),
              expected)
        << world.log.text();

    EXPECT_EQ(world.files.scheduledForRestart(), (Strings{inInstall("sprellow.exe"), kInstallDir}));
    EXPECT_TRUE(world.registry.openHandles().empty());
    EXPECT_EQ(world.files.openHandles(), 0u);
    // Only the running program is left in the install folder.
    EXPECT_EQ(world.files.allPaths(),
              (Strings{"C:\\", "C:\\Program Files", kInstallDir, inInstall("sprellow.exe"),
                       "C:\\Users", "C:\\Users\\ann", "C:\\Users\\ann\\Start Menu", kPrograms}));
}

TEST_F(RemovalRun, OnlyTheSelectedScriptsRunAndTheProductStays) {
    layDownProduct();
    for (const char* name : {"a", "b", "c"})
        addScript(std::string(name) + ".del",
                  script({"title=App " + std::string(name), "removefile=" + std::string(name)}));
    for (const char* name : {"a", "b", "c"}) world.files.addFile(inInstall(name));
    install.Form_Load();
    world.log.clear();
    const engine::RemovalOutcome outcome = install.ok_Click({2, 0});

    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.message, engine::kClosingMessage);
    EXPECT_EQ(world.progress.subjects(), (Strings{"App a", "App c"}));
    EXPECT_EQ(world.log.only({"ReadWholeFile"}),
              (Strings{"ReadWholeFile C:\\Program Files\\Corvalune\\a.del -> 0",
                       "ReadWholeFile C:\\Program Files\\Corvalune\\c.del -> 0"}));
    EXPECT_FALSE(exists(inInstall("a")));
    EXPECT_TRUE(exists(inInstall("b")));
    EXPECT_FALSE(exists(inInstall("c")));
    expectProductKept();
    EXPECT_TRUE(world.dialog.hidden());
    EXPECT_TRUE(world.progress.closed());
    EXPECT_EQ(world.shell.associationsChangedCount(), 0);
}

TEST_F(RemovalRun, ASingleApplicationIsChosenAtOnceAndRemovedWithTheProduct) {
    layDownProduct();
    addScript("only.del", script({"title=Only", "removefile=only.dat"}));
    world.files.addFile(inInstall("only.dat"));
    install.Form_Load();
    ASSERT_TRUE(install.firstChosenAtOnce());
    EXPECT_TRUE(install.ok_Click({0}).completed);
    EXPECT_FALSE(exists(installDir));
    EXPECT_FALSE(exists(startMenu()));
    EXPECT_FALSE(keyExists(HKLM, engine::kProductKey));
    EXPECT_FALSE(keyExists(HKLM, engine::kUninstallKey));
    EXPECT_TRUE(world.files.scheduledForRestart().empty());
}

TEST_F(RemovalRun, WithDeletionsForbiddenScriptsRunButOnlyTheirKeysGo) {
    layDownTwoApplications();
    world.files.addFile(inInstall("can't delete"));
    EXPECT_TRUE(removeAll().completed);
    EXPECT_EQ(install.getVariableValue("dir"), "Alpha");
    EXPECT_FALSE(keyExists(HKCR, ".alp"));
    EXPECT_FALSE(keyExists(HKCR, "BravoDoc\\shell\\open\\command"));
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
    EXPECT_EQ(world.log.count("ScheduleDeleteAtRestart"), 0);
    EXPECT_TRUE(exists(inInstall("Alpha\\alpha.exe")));
    expectProductKept();
}

TEST_F(RemovalRun, ProductKeysAlreadyMissingAreLeftAlone) {
    layDownTwoApplications();
    install.Form_Load();
    deleteKey(HKLM, engine::kUninstallKey);
    deleteKey(HKLM, engine::kProductKey);
    world.log.clear();
    EXPECT_TRUE(install.ok_Click(every(install)).completed);
    EXPECT_EQ(world.log.only({"RegOpenKeyEx HKLM", "RegDeleteKey HKLM"}),
              (Strings{"RegOpenKeyEx HKLM\\" + std::string(engine::kUninstallKey) + " -> 2",
                       "RegOpenKeyEx HKLM\\software\\Corvalune QUOB DEMO -> 2"}));
}

TEST_F(RemovalRun, AnInstallDirectoryEndingInASeparatorIsUsedUnchanged) {
    layDownProduct(std::string(kInstallDir) + "\\");
    world.files.addFile(std::string(kInstallDir) + "\\a.del", script({"title=A"}));
    removeAll();
    EXPECT_TRUE(world.log.contains("OpenEntry C:\\Program Files\\Corvalune\\\\sprellow.exe -> 0"));
    EXPECT_FALSE(exists(kInstallDir));
}

// With no install directory every clean-up path would start at the root of
// the current drive: the install folder's steps are skipped, while the
// product's Start-menu folder, which doesn't depend on it, still goes.
TEST_F(RemovalRun, AnEmptyInstallDirectoryKeepsTheCleanUpToTheStartMenuAndTheRegistry) {
    layDownProduct();
    world.registry.setValue(HKLM, engine::kProductKey, "", platform::kRegExpandSz,
                            std::string(kInstallDir) + '\0');
    world.files.addFile("C:\\root.del", script({"title=At the root", "removefile=boot.ini"}));
    world.files.addFile("C:\\boot.ini");
    world.files.addFile("C:\\sprellow.exe");
    world.files.erase(startMenu());
    const std::vector<std::string> before = world.files.allPaths();
    world.files.addFile(startMenu("Remove QUOB.lnk"));
    const engine::RemovalOutcome outcome = removeAll();

    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(world.progress.subjects(), Strings{"At the root"});
    EXPECT_EQ(world.files.allPaths(), before);
    EXPECT_EQ(world.log.count("DeleteEntry"), 2);
    EXPECT_EQ(world.log.count("ScheduleDeleteAtRestart"), 0);
    EXPECT_FALSE(keyExists(HKLM, engine::kUninstallKey));
    EXPECT_FALSE(keyExists(HKLM, engine::kProductKey));
}

TEST_F(RemovalRun, AProgramFileThatIsNotInUseIsNotScheduled) {
    layDownTwoApplications();
    removeAll();
    EXPECT_TRUE(world.files.scheduledForRestart().empty());
    EXPECT_FALSE(exists(installDir));
}

TEST_F(RemovalRun, AMissingProgramFileIsNotScheduled) {
    layDownTwoApplications();
    world.files.deleteFile(inInstall("sprellow.exe"));
    removeAll();
    EXPECT_EQ(world.log.count("DeleteEntry C:\\Program Files\\Corvalune\\sprellow.exe"), 0);
    EXPECT_TRUE(world.files.scheduledForRestart().empty());
}

// Only the running program's own file is left to the next restart, told by
// where both really are: another program's file that can't go now stays.
// The restart queue gets the real paths, not the product key's spelling: the
// system deletes them later, when a name could lead elsewhere.
TEST_F(RemovalRun, AFileInUseIsScheduledOnlyWhenItIsTheRunningProgram) {
    layDownTwoApplications();
    world.files.markInUse(inInstall("sprellow.exe"));
    world.files.setShortName(installDir, "CORVAL~1");
    world.files.setShortName("C:\\Program Files", "PROGRA~1");
    world.registry.setString(HKLM, engine::kProductKey, "", "c:\\progra~1\\CORVAL~1");
    world.system.setProgramFolder("C:\\Program Files\\CORVAL~1");
    removeAll();
    EXPECT_EQ(world.files.scheduledForRestart(), (Strings{inInstall("sprellow.exe"), kInstallDir}));

    world.system.setProgramFolder("D:\\tools");
    world.files.addFile("D:\\tools\\sprellow.exe");
    world.files.addFile(inInstall("sprellow.exe"));
    world.files.markInUse(inInstall("sprellow.exe"));
    world.registry.setString(HKLM, engine::kProductKey, "", installDir);
    world.registry.setString(HKLM, engine::kUninstallKey, "DisplayName", "again");
    addScript("c.del", script({"title=C"}));
    engine::Install again{world.platform(), world.dialog, world.progress};
    again.Form_Load();
    again.ok_Click(every(again));
    EXPECT_EQ(world.files.scheduledForRestart().size(), 2u);
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
}

TEST_F(RemovalRun, AVanishedScriptStopsTheRunWithItsDescription) {
    layDownTwoApplications();
    install.Form_Load();
    world.files.deleteFile(inInstall("b.del"));
    const engine::RemovalOutcome outcome = install.ok_Click(every(install));

    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.message, "File not found");
    // What the first script deleted stays deleted; nothing else happens.
    EXPECT_FALSE(exists(inInstall("Alpha")));
    EXPECT_TRUE(exists(inInstall("Bravo\\b1.dat")));
    EXPECT_FALSE(world.progress.closed());
    expectProductKept();
    // The first script's file type is gone, so the shell hears of it.
    EXPECT_EQ(world.shell.associationsChangedCount(), 1);
}

TEST_F(RemovalRun, AScriptGrownPastItsLimitSinceDiscoveryStopsTheRun) {
    layDownTwoApplications();
    install.Form_Load();
    addScript("a.del",
              script({"title=Alpha", "removefile=Alpha\\alpha.exe"}) + std::string(32767, ' '));
    const engine::RemovalOutcome outcome = install.ok_Click(every(install));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.message, "Overflow");
    EXPECT_TRUE(exists(inInstall("Alpha\\alpha.exe")));
    EXPECT_EQ(world.progress.subjects(), std::vector<std::string>{"Alpha"});
    expectProductKept();
}

// A script whose line fails at discovery is not listed; one changed since
// discovery fails while it runs.
TEST_F(RemovalRun, AFailingLineKeepsTheEffectsOfTheLinesBeforeIt) {
    layDownProduct();
    addScript("a.del", script({"title=A"}));
    addScript("b.del", script({"title=B", "removefile=five.dat"}));
    for (const char* name : {"one.dat", "two.dat", "three.dat", "four.dat", "five.dat"})
        world.files.addFile(inInstall(name));
    install.Form_Load();
    addScript("a.del", script({"title=A", "removefile=one.dat", "removefile=two.dat",
                               "removefile=three.dat", "bad=$oops", "removefile=four.dat"}));
    const engine::RemovalOutcome outcome = install.ok_Click(every(install));

    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.message, "Invalid procedure call or argument");
    EXPECT_FALSE(exists(inInstall("three.dat")));
    EXPECT_TRUE(exists(inInstall("four.dat")));
    EXPECT_TRUE(exists(inInstall("five.dat")));
    EXPECT_EQ(world.shell.associationsChangedCount(), 0);
    expectProductKept();
}

// Discovery starts from an empty table; the run shares it with the six
// standard variables, so a script can fit the first and not the second.
TEST_F(RemovalRun, AFiftySecondVariableStopsTheRun) {
    layDownProduct();
    std::string text = "title=Many\r\nremovefile=f.dat\r\n";
    for (int i = 0; i < 44; ++i) text += "v" + std::to_string(i) + "=x\r\n";
    text += "removefile=g.dat\r\n";
    addScript("many.del", text);
    world.files.addFile(inInstall("f.dat"));
    world.files.addFile(inInstall("g.dat"));
    const engine::RemovalOutcome outcome = removeAll();
    EXPECT_EQ(install.appCount(), 1);
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.message, "Subscript out of range");
    EXPECT_FALSE(exists(inInstall("f.dat")));
    EXPECT_TRUE(exists(inInstall("g.dat")));
    expectProductKept();
}

TEST_F(RemovalRun, TheShellHearsOnceOfDeletedFileTypesAndNotOtherwise) {
    layDownTwoApplications();
    removeAll();
    EXPECT_EQ(world.shell.associationsChangedCount(), 1);

    // A run whose removekey lines found nothing says nothing.
    fakes::FakeWorld other;
    engine::Install second(other.platform(), other.dialog, other.progress);
    other.registry.setString(HKLM, engine::kProductKey, "", kInstallDir);
    other.files.addFile(inInstall("a.del"), script({"title=A", "removekey=.absent"}));
    second.Form_Load();
    EXPECT_TRUE(second.ok_Click({0}).completed);
    EXPECT_EQ(other.shell.associationsChangedCount(), 0);
}

}  // namespace

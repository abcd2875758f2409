// The deletion guard, removefile lines and folder removal.
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;

class Deletion : public ProductTest {
protected:
    void SetUp() override {
        layDownProduct();
        install.findApplications();
    }
};

TEST_F(Deletion, AnEmptyMarkerFileTurnsEveryDeletionOffForTheWholeRun) {
    world.files.addFile(inInstall("can't delete"));
    world.files.addFile(inInstall("a.txt"));
    world.files.addFolder(inInstall("empty"));
    removeFile("a.txt");
    install.deletions().removeFolder(inInstall("empty"));
    // Deleting the marker later changes nothing: the answer is kept.
    world.files.deleteFile(inInstall("can't delete"));
    removeFile("a.txt");
    EXPECT_FALSE(install.deletions().deletionAllowed());
    EXPECT_TRUE(exists(inInstall("a.txt")));
    EXPECT_TRUE(exists(inInstall("empty")));
    EXPECT_EQ(world.log.count("FileLength"), 1);
    EXPECT_TRUE(world.log.contains("FileLength C:\\Program Files\\Corvalune\\can't delete -> 0"));
}

TEST_F(Deletion, WithoutTheMarkerDeletionsGoAheadAndAMarkerMadeLaterChangesNothing) {
    world.files.addFile(inInstall("a.txt"));
    world.files.addFile(inInstall("b.txt"));
    removeFile("a.txt");
    world.files.addFile(inInstall("can't delete"));
    removeFile("b.txt");
    EXPECT_FALSE(exists(inInstall("a.txt")));
    EXPECT_FALSE(exists(inInstall("b.txt")));
    EXPECT_EQ(world.log.count("FileLength"), 1);
}

// A folder of that name exists as far as the system's length query goes, so
// it turns deletions off too: the safe reading of an odd marker.
TEST_F(Deletion, AFolderNamedLikeTheMarkerCountsAsTheMarker) {
    world.files.addFolder(inInstall("can't delete"));
    world.files.addFile(inInstall("a.txt"));
    removeFile("a.txt");
    EXPECT_FALSE(install.deletions().deletionAllowed());
    EXPECT_TRUE(exists(inInstall("a.txt")));
}

TEST_F(Deletion, TheMarkerIsLookedForInTheProgramsOwnFolder) {
    world.system.setProgramFolder("D:\\tools");
    world.files.addFile("D:\\tools\\can't delete");
    EXPECT_FALSE(install.deletions().deletionAllowed());
}

TEST_F(Deletion, ValuesWithAndWithoutALeadingSeparatorNameTheSameFile) {
    world.files.addFile(inInstall("data\\main.dat"));
    world.files.addFile(inInstall("readme.txt"));
    removeFile("\\data\\main.dat");
    removeFile("readme.txt");
    EXPECT_FALSE(exists(inInstall("data\\main.dat")));
    EXPECT_FALSE(exists(inInstall("readme.txt")));
    EXPECT_TRUE(
        world.log.contains("FindEntries C:\\Program Files\\Corvalune\\data\\main.dat -> 0"));
    EXPECT_TRUE(world.log.contains("FindEntries C:\\Program Files\\Corvalune\\readme.txt -> 0"));
}

TEST_F(Deletion, WildcardsMatchOnlyInTheFolderTheValueNames) {
    world.files.addFile(inInstall("app\\a.dll"));
    world.files.addFile(inInstall("app\\b.dll"));
    world.files.addFile(inInstall("app\\keep.exe"));
    world.files.addFile(inInstall("app\\sub\\c.dll"));
    world.files.addFile(inInstall("top.dll"));
    removeFile("app\\*.dll");
    EXPECT_FALSE(exists(inInstall("app\\a.dll")));
    EXPECT_FALSE(exists(inInstall("app\\b.dll")));
    EXPECT_TRUE(exists(inInstall("app\\keep.exe")));
    EXPECT_TRUE(exists(inInstall("app\\sub\\c.dll")));
    EXPECT_TRUE(exists(inInstall("top.dll")));
}

TEST_F(Deletion, FilesThatCantBeDeletedArePassedOverInSilence) {
    world.files.addFile(inInstall("busy.dat"));
    world.files.markInUse(inInstall("busy.dat"));
    world.files.addFile(inInstall("ro.dat"), "", fakes::kAttrReadOnly);
    removeFile("busy.dat");
    removeFile("ro.dat");
    removeFile("missing.dat");
    removeFile("sub");  // names a folder
    EXPECT_TRUE(exists(inInstall("busy.dat")));
}

TEST_F(Deletion, ValuesThatReachOutsideTheInstallDirectoryDeleteNothing) {
    world.files.addFile("C:\\WINDOWS\\SYSTEM\\kernel.dll");
    world.files.addFile("C:\\Program Files\\other.txt");
    world.files.addFile(inInstall("x.txt"));
    world.files.addFile(inInstall("sub\\x.txt"));
    for (const char* value : {"C:\\WINDOWS\\SYSTEM\\kernel.dll", "..\\other.txt", "sub\\..\\x.txt",
                              "sub/../x.txt", "..", "", "\\", "CON", "x.txt:stream"})
        removeFile(value);
    // Built from a standard variable, as a script would write it.
    install.setVariableValue("windowsystem", "C:\\WINDOWS\\SYSTEM\\");
    removeFile(install.variables().expandVariables("$windowsystem$kernel.dll"));
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
    EXPECT_TRUE(exists("C:\\WINDOWS\\SYSTEM\\kernel.dll"));
    EXPECT_TRUE(exists("C:\\Program Files\\other.txt"));
    EXPECT_TRUE(exists(inInstall("x.txt")));
}

TEST_F(Deletion, AnEmptyInstallDirectoryDeletesNothing) {
    world.registry.setString(HKLM, engine::kProductKey, "", "");
    install.findApplications();
    world.files.addFile("C:\\a.txt");
    world.files.addFile("C:\\boot.ini");
    removeFile("a.txt");
    removeFile("\\boot.ini");
    removeFile("*.*");
    EXPECT_TRUE(exists("C:\\a.txt"));
    EXPECT_TRUE(exists("C:\\boot.ini"));
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
}

TEST_F(Deletion, AFolderLosesItsFilesButKeepsItsSubfolders) {
    world.files.addFile(inInstall("app\\a.exe"));
    world.files.addFile(inInstall("app\\noext"));
    world.files.addFile(inInstall("app\\sub\\b.dat"));
    install.deletions().removeFolder(inInstall("app"));
    EXPECT_FALSE(exists(inInstall("app\\a.exe")));
    EXPECT_FALSE(exists(inInstall("app\\noext")));
    EXPECT_TRUE(exists(inInstall("app\\sub\\b.dat")));
    EXPECT_TRUE(exists(inInstall("app")));
}

TEST_F(Deletion, AnEmptiedFolderIsRemovedAndAMissingOneIsNoMatter) {
    world.files.addFile(inInstall("app\\a.exe"));
    world.files.addFolder(inInstall("empty"));
    install.deletions().removeFolder(inInstall("app"));
    install.deletions().removeFolder(inInstall("empty"));
    install.deletions().removeFolder(inInstall("missing"));
    EXPECT_FALSE(exists(inInstall("app")));
    EXPECT_FALSE(exists(inInstall("empty")));
    EXPECT_EQ(world.log.only({"DeleteEntry"}),
              (std::vector<std::string>{"DeleteEntry C:\\Program Files\\Corvalune\\app\\a.exe -> 0",
                                        "DeleteEntry C:\\Program Files\\Corvalune\\app -> 0",
                                        "DeleteEntry C:\\Program Files\\Corvalune\\empty -> 0"}));
}

// An application's folder lies strictly inside a folder the product owns:
// one that comes out as the install folder or the Start-menu folder itself
// (a program right in the install folder) would take every other
// application's scripts with it. Only the clean-up removes those two.
TEST_F(Deletion, TheOwnedFoldersThemselvesAreNoApplicationsFolder) {
    world.files.addFile(startMenu("Remove QUOB.lnk"));
    for (const std::string& folder : {installDir, installDir + "\\", installDir + "\\.",
                                      startMenu(), startMenu() + "\\", startMenu() + "\\."})
        install.deletions().removeFolder(folder);
    EXPECT_TRUE(exists(startMenu("Remove QUOB.lnk")));
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
    const auto& refusals = install.deletions().rules().refusals();
    ASSERT_EQ(refusals.size(), 6u);
    EXPECT_EQ(refusals[0].reason, "is a folder the product owns itself");
    EXPECT_EQ(refusals[5].reason, "is a folder the product owns itself");
}

// Folders the product doesn't own are never emptied, whatever the spelling.
TEST_F(Deletion, FoldersOutsideTheProductAreNeverEmptied) {
    for (const char* file :
         {"C:\\top.txt", "C:\\WINDOWS\\win.ini", "C:\\WINDOWS\\SYSTEM\\x.dll",
          "C:\\Users\\ann\\Start Menu\\Programs\\x.lnk", "C:\\Program Files\\x.txt",
          "C:\\Other\\x.txt", "C:\\WINDOWS\\Fonts\\a.fon", "D:\\Program Files\\Corvalune\\d.txt"})
        world.files.addFile(file);
    world.files.setCurrentFolder("C:\\Other");
    const std::vector<std::string> before = world.files.allPaths();
    for (const char* folder : {"",
                               "C:",
                               "C:\\",
                               "\\",
                               "\\\\server\\share",
                               "C:\\WINDOWS",
                               "c:\\windows\\\\",
                               "C:\\WINDOWS\\SYSTEM\\",
                               "C:/Windows/System",
                               kPrograms,
                               "C:\\Users\\ann",
                               "C:\\Program Files",
                               "C:\\Program Files\\Corvalune\\..",
                               "C:\\Other",
                               ".",
                               "Other",
                               "C:\\WINDOWS\\.",
                               "C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob demo\\..",
                               "C:\\WINDOWS\\system\\..",
                               "C:\\Users\\ann\\Start Menu",
                               "C:\\WINDOWS\\Fonts",
                               "D:\\Program Files\\Corvalune",
                               "\"C:\\Program Files\\Corvalune\\App",
                               "Corvalune",
                               "C:\\Program Files\\Corvalune\\App\\NOTEPAD.EXE %1 C:\\temp"})
        install.deletions().removeFolder(folder);
    EXPECT_EQ(world.files.allPaths(), before);
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
}

// A folder link inside the install folder leads wherever its maker chose:
// nothing behind it is deleted, whether named through the link by a file
// value, a wildcard or a folder removal, and the link itself stays.
TEST_F(Deletion, NothingBehindAFolderLinkIsDeleted) {
    world.files.addFile("C:\\precious\\a.txt");
    world.files.addFile("C:\\precious\\sub\\b.txt");
    world.files.addFolderLink(inInstall("Data"), "C:\\precious");
    const std::vector<std::string> before = world.files.allPaths();
    removeFile("Data\\*.*");
    removeFile("Data\\a.txt");
    removeFile("DATA\\sub\\b.txt");
    install.deletions().removeFolder(inInstall("Data\\sub"));
    install.deletions().removeFolder(inInstall("Data"));
    EXPECT_EQ(world.files.allPaths(), before);
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
    std::vector<std::string> reasons;
    for (const engine::Refusal& refusal : install.deletions().rules().refusals())
        reasons.push_back(refusal.reason);
    const std::string outside = "lies outside the folders the product owns";
    EXPECT_EQ(reasons, (std::vector<std::string>{outside, outside, outside, outside, "is a link"}));
}

// Only the owned folder itself and what lies in it are judged: a product on
// a linked folder is normal, an owned folder that is a link is not used.
TEST_F(Deletion, AnOwnedFolderMayLieBelowALinkButNotBeOne) {
    world.files.addFile("E:\\real\\Corvalune\\a.txt");
    world.files.addFolderLink("D:\\Apps", "E:\\real");
    world.registry.setString(HKLM, engine::kProductKey, "", "D:\\Apps\\Corvalune");
    install.findApplications();
    removeFile("a.txt");
    EXPECT_FALSE(exists("E:\\real\\Corvalune\\a.txt"));

    // The Start-menu folder, in the user's own profile, made a link to
    // Program Files: its "Corvalune" would be the install folder.
    world.files.erase(startMenu());
    world.files.addFolderLink(startMenu(), "C:\\Program Files");
    engine::Install again{world.platform(), world.dialog, world.progress};
    again.findApplications();
    again.deletions().removeFolder(startMenu("Corvalune"));
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
    EXPECT_EQ(again.deletions().rules().startMenuVerdict().refusal,
              "the Start-menu folder is a link");
}

// A folder the product owns is used only on the machine's own drives: on a
// share the server follows links of its own that no final path shows, in a
// place the user controls. Named as a share, on a drive the system calls
// remote, or reached through a share whatever the spelling: nothing in it goes.
TEST_F(Deletion, AnOwnedFolderOnANetworkDriveIsNotUsed) {
    struct Row {
        const char* what;
        std::function<void(fakes::FakeWorld&)> place;
        bool installDir;  // else the Start-menu folder
    };
    const Row rows[] = {
        {"a Start menu named as a share",
         [](fakes::FakeWorld& w) {
             w.registry.setString(HKCU, kShellFolders, "Programs", "\\\\127.0.0.1\\C$\\sm");
         },
         false},
        {"a Start menu on a remote drive",
         [](fakes::FakeWorld& w) {
             w.files.addFile("Z:\\sm\\CORVALUNE quob Demo\\Viewer\\x.lnk");
             w.system.setDriveType("Z:\\", platform::kDriveRemote);
             w.registry.setString(HKCU, kShellFolders, "Programs", "Z:\\sm");
         },
         false},
        {"a Start menu whose real place is a share",
         [](fakes::FakeWorld& w) {
             w.files.addFile("Y:\\sm\\CORVALUNE quob Demo\\Viewer\\x.lnk");
             w.files.serveFromShare('Y', "127.0.0.1\\C$");
             w.registry.setString(HKCU, kShellFolders, "Programs", "Y:\\sm");
         },
         false},
        {"an install folder whose real place is a share",
         [](fakes::FakeWorld& w) {
             w.files.addFile("Y:\\QUOB\\a.txt");
             w.files.serveFromShare('Y', "server\\apps");
             w.registry.setString(HKLM, engine::kProductKey, "", "Y:\\QUOB");
         },
         true},
    };
    for (const Row& row : rows) {
        fakes::FakeWorld world;
        engine::Install run{world.platform(), world.dialog, world.progress};
        world.registry.setString(HKLM, engine::kProductKey, "", kInstallDir);
        world.files.addFile(std::string(kInstallDir) + "\\a.txt");
        row.place(world);
        run.findApplications();
        run.deletions().removeFolder(std::string(kPrograms) + "\\CORVALUNE quob Demo\\Viewer");
        run.deletions().removeFolder("Z:\\sm\\CORVALUNE quob Demo\\Viewer");
        run.deletions().removeFolder("Y:\\sm\\CORVALUNE quob Demo\\Viewer");
        run.setVariableValue("removefile", "a.txt");
        run.deletions().removeFileEntry();
        const auto& rules = run.deletions().rules();
        const engine::Verdict& verdict =
            row.installDir ? rules.installDirVerdict() : rules.startMenuVerdict();
        EXPECT_EQ(verdict.refusal, std::string("the ") +
                                       (row.installDir ? "install" : "Start-menu") +
                                       " folder is on a network drive")
            << row.what;
        for (const std::string& gone : world.files.deletedPaths())
            EXPECT_EQ(gone.rfind(row.installDir ? "C:" : kInstallDir, 0), 0u) << row.what;
    }
}

// A folder Windows keeps (Program Files, ProgramData, a profile, ...), or
// one above it, and a short spelling of one, is as unusable an install
// folder as a drive root: a product key that names it lists the removal
// scripts lying there, and their lines would reach other programs' files.
TEST_F(Deletion, AShortSpellingOfAProtectedFolderIsNoInstallFolder) {
    world.files.setShortName("C:\\Users\\ann\\Start Menu", "STARTM~1");
    world.files.addFile(startMenu("Remove QUOB.lnk"));
    for (const char* dir : {"C:\\Users\\ann\\STARTM~1", "C:\\USERS\\ann\\STARTM~1\\Programs",
                            "C:\\Program Files", "C:\\PROGRA~1", "C:\\Users\\ann",
                            "C:\\Users\\ann\\AppData", "C:\\ProgramData", "C:\\Users\\Public"}) {
        world.registry.setString(HKLM, engine::kProductKey, "", dir);
        engine::Install other{world.platform(), world.dialog, world.progress};
        other.findApplications();
        other.setVariableValue("removefile", "Programs\\CORVALUNE quob Demo\\*.*");
        other.deletions().removeFileEntry();
        other.setVariableValue("removefile", "CORVALUNE quob Demo\\*.*");
        other.deletions().removeFileEntry();
        EXPECT_FALSE(other.deletions().rules().installDirVerdict().allowed()) << dir;
        other.setVariableValue("removefile", "Corvalune\\sprellow.exe");
        other.deletions().removeFileEntry();
    }
    world.files.setShortName("C:\\Program Files", "PROGRA~1");
    EXPECT_TRUE(exists(startMenu("Remove QUOB.lnk")));
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
}

// Windows drops blanks from the end of a path's last name, not dots: "*."
// keeps naming the files without a dot.
TEST_F(Deletion, TrailingBlanksOfAValueGoAndTrailingDotsStay) {
    world.files.addFile(inInstall("a.txt"));
    world.files.addFile(inInstall("b.txt"));
    world.files.addFile(inInstall("noext"));
    removeFile("a.txt ");
    removeFile("*.txt  ");
    EXPECT_FALSE(exists(inInstall("a.txt")));
    EXPECT_FALSE(exists(inInstall("b.txt")));
    EXPECT_TRUE(exists(inInstall("noext")));
    removeFile("*.");
    EXPECT_FALSE(exists(inInstall("noext")));
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
}

TEST_F(Deletion, AListingThatFailsPartWayStillDeletesWhatItFound) {
    world.files.addFile(inInstall("app\\a.dll"));
    world.files.addFile(inInstall("app\\b.dll"));
    world.files.setListingFailsAfter(1);
    removeFile("app\\*.dll");
    EXPECT_FALSE(exists(inInstall("app\\a.dll")));
    EXPECT_TRUE(exists(inInstall("app\\b.dll")));
}

}  // namespace

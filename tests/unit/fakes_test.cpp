// The fakes stand in for Windows in every native test, so the Win32 rules
// they follow are pinned here.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/fakes/Fakes.h"

namespace {

using fakes::FakeFileSystem;
using fakes::FakeRegistry;
using platform::kHkeyClassesRoot;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::kKeyAllAccess;
using Names = std::vector<std::string>;

// ---- file system

class FakeFileSystemTest : public ::testing::Test {
protected:
    fakes::OperationLog log;
    FakeFileSystem fs{log};
};

TEST_F(FakeFileSystemTest, ListsOrdinaryFilesSortedWithCaseIgnored) {
    fs.addFile("C:\\prod\\b.del");
    fs.addFile("C:\\prod\\A.del");
    fs.addFile("C:\\prod\\hidden.del", "", fakes::kAttrHidden);
    fs.addFile("C:\\prod\\system.del", "", fakes::kAttrSystem);
    fs.addFile("C:\\prod\\ro.del", "", fakes::kAttrReadOnly);
    fs.addFolder("C:\\prod\\folder.del");
    fs.addFile("C:\\prod\\c.delx");
    Names names;
    ASSERT_EQ(fs.listFiles("c:\\PROD\\*.del", names), 0);
    EXPECT_EQ(names, (Names{"A.del", "b.del", "ro.del"}));
}

TEST_F(FakeFileSystemTest, ListingErrorsAndEmptyResults) {
    fs.addFolder("C:\\prod");
    Names names{"stale"};
    EXPECT_EQ(fs.listFiles("C:\\prod\\*.del", names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(fs.listFiles("C:\\missing\\*.del", names), platform::kErrorPathNotFound);
    EXPECT_EQ(fs.listFiles("D:\\prod\\*.del", names), platform::kErrorPathNotFound);
    EXPECT_EQ(fs.listFiles("C:\\prod\\", names), 0);
    EXPECT_TRUE(names.empty());
}

TEST_F(FakeFileSystemTest, FoldsPathsAsWin32Does) {
    fs.addFile("C:\\Prod\\Sub\\a.del", "x");
    EXPECT_TRUE(fs.exists("c:\\prod\\sub\\A.DEL"));
    EXPECT_TRUE(fs.exists("C:\\prod\\\\sub\\\\a.del"));
    EXPECT_TRUE(fs.exists("C:/prod/sub/a.del"));
    EXPECT_TRUE(fs.exists("C:\\prod\\.\\x\\..\\sub\\a.del."));
    EXPECT_TRUE(fs.exists("\\prod\\sub\\a.del"));  // rooted at the current drive
    EXPECT_TRUE(fs.isFolder("C:\\prod\\sub\\"));

    fs.setCurrentFolder("c:\\PROD");
    EXPECT_EQ(fs.currentFolder(), "C:\\Prod");
    EXPECT_TRUE(fs.exists("sub\\a.del"));
    EXPECT_TRUE(fs.exists("C:sub\\a.del"));

    Names names;
    EXPECT_EQ(fs.listFiles("C:\\prod\\\\sub\\*.del", names), 0);
    EXPECT_EQ(names, Names{"a.del"});
    std::string text;
    std::uint64_t length = 0;
    EXPECT_EQ(fs.readWholeFile("C:\\prod\\sub\\a.del\\", 100, text, length),
              platform::kErrorInvalidName);
    EXPECT_EQ(fs.readWholeFile("\\\\server\\share\\a.del", 100, text, length),
              fakes::kErrorBadNetPath);
    EXPECT_EQ(fs.readWholeFile("C:\\prod\\C:\\windows\\a.del", 100, text, length),
              platform::kErrorInvalidName);
}

TEST_F(FakeFileSystemTest, TrailingDotsAndBlanksFollowWin32Rules) {
    fs.addFile("C:\\prod\\a.del");
    EXPECT_TRUE(fs.exists("C:\\prod\\a.del. . "));
    EXPECT_TRUE(fs.exists("C:\\prod.\\a.del"));
    EXPECT_FALSE(fs.exists("C:\\prod \\a.del"));  // blanks stay on inner names
    fs.addFolder("C:\\blank \\");
    EXPECT_TRUE(fs.isFolder("C:\\blank \\"));
    EXPECT_FALSE(fs.exists("C:\\blank"));
    EXPECT_EQ(fs.allPaths(), (Names{"C:\\", "C:\\blank ", "C:\\prod", "C:\\prod\\a.del"}));
}

TEST_F(FakeFileSystemTest, ReadWholeFileHonoursTheLimitAndLocks) {
    fs.addFile("C:\\p\\a.del", std::string("ab\0c", 4));
    std::string text = "old";
    std::uint64_t length = 0;
    ASSERT_EQ(fs.readWholeFile("C:\\p\\a.del", 4, text, length), 0);
    EXPECT_EQ(text, std::string("ab\0c", 4));
    EXPECT_EQ(length, 4u);
    ASSERT_EQ(fs.readWholeFile("C:\\p\\a.del", 3, text, length), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(length, 4u);

    EXPECT_EQ(fs.readWholeFile("C:\\p\\none.del", 9, text, length), platform::kErrorFileNotFound);
    EXPECT_EQ(fs.readWholeFile("C:\\q\\none.del", 9, text, length), platform::kErrorPathNotFound);
    EXPECT_EQ(fs.readWholeFile("C:\\p", 9, text, length), platform::kErrorAccessDenied);
    fs.markInUse("C:\\p\\a.del");
    EXPECT_EQ(fs.readWholeFile("C:\\p\\a.del", 9, text, length), platform::kErrorSharingViolation);
    fs.markInUse("C:\\p\\a.del", false);
    fs.lockForReading("C:\\p\\a.del");
    EXPECT_EQ(fs.readWholeFile("C:\\p\\a.del", 9, text, length), platform::kErrorAccessDenied);
    EXPECT_EQ(fs.fileLength("C:\\p\\a.del", length), 0);
    EXPECT_EQ(fs.fileLength("C:\\p\\b.del", length), platform::kErrorFileNotFound);
    length = 7;
    EXPECT_EQ(fs.fileLength("C:\\p", length), 0);
    EXPECT_EQ(length, 0u);
}

TEST_F(FakeFileSystemTest, DeleteFilesDeletesEveryMatchAndReportsTheFirstFailure) {
    fs.addFile("C:\\prod\\a.txt");
    fs.addFile("C:\\prod\\b.txt", "", fakes::kAttrReadOnly);
    fs.addFile("C:\\prod\\c.txt", "", fakes::kAttrHidden | fakes::kAttrSystem);
    fs.addFile("C:\\prod\\d.txt");
    fs.markInUse("C:\\prod\\d.txt");
    fs.addFile("C:\\prod\\README");
    fs.addFolder("C:\\prod\\sub");
    fs.addFile("C:\\prod\\sub\\e.txt");

    EXPECT_EQ(fs.deleteFiles("C:\\PROD\\*.*"), platform::kErrorAccessDenied);
    EXPECT_EQ(fs.allPaths(), (Names{"C:\\", "C:\\prod", "C:\\prod\\b.txt", "C:\\prod\\d.txt",
                                    "C:\\prod\\sub", "C:\\prod\\sub\\e.txt"}));
    EXPECT_EQ(fs.deletedPaths(), (Names{"C:\\prod\\a.txt", "C:\\prod\\c.txt", "C:\\prod\\README"}));

    EXPECT_EQ(fs.deleteFiles("C:\\prod\\*.del"), platform::kErrorFileNotFound);
    EXPECT_EQ(fs.deleteFiles("C:\\nowhere\\*.*"), platform::kErrorPathNotFound);
    EXPECT_EQ(fs.deleteFiles("C:\\prod\\sub"), platform::kErrorFileNotFound);
    EXPECT_EQ(fs.deleteFiles("C:\\prod\\d.txt"), platform::kErrorSharingViolation);
    EXPECT_EQ(log.only({"DeleteFiles"}).front(), "DeleteFiles C:\\PROD\\*.* -> 5");
}

TEST_F(FakeFileSystemTest, RunningProgramCanBeReadButNotDeleted) {
    fs.addFile("C:\\prod\\sprellow.exe", "MZ");
    fs.markRunningProgram("C:\\prod\\sprellow.exe");
    std::string text;
    std::uint64_t length = 0;
    EXPECT_EQ(fs.readWholeFile("C:\\prod\\sprellow.exe", 9, text, length), 0);
    EXPECT_EQ(fs.deleteFile("C:\\prod\\sprellow.exe"), platform::kErrorAccessDenied);
    EXPECT_EQ(fs.createFileForOutput("C:\\prod\\sprellow.exe"), platform::kErrorSharingViolation);
    EXPECT_TRUE(fs.exists("C:\\prod\\sprellow.exe"));
    EXPECT_EQ(fs.scheduleDeleteAtRestart("C:\\prod\\sprellow.exe"), 0);
    EXPECT_EQ(fs.scheduledForRestart(), Names{"C:\\prod\\sprellow.exe"});
}

TEST_F(FakeFileSystemTest, RemoveDirectoryOnlyEmptiesAndReportsWhy) {
    fs.addFile("C:\\prod\\sub\\.hidden", "", fakes::kAttrHidden);
    fs.addFile("C:\\prod\\file");
    EXPECT_EQ(fs.removeDirectory("C:\\prod\\sub"), platform::kErrorDirNotEmpty);
    EXPECT_EQ(fs.removeDirectory("C:\\prod\\none"), platform::kErrorFileNotFound);
    EXPECT_EQ(fs.removeDirectory("C:\\none\\none"), platform::kErrorPathNotFound);
    EXPECT_EQ(fs.removeDirectory("C:\\prod\\file"), fakes::kErrorDirectory);
    EXPECT_EQ(fs.removeDirectory("C:\\"), platform::kErrorAccessDenied);
    EXPECT_EQ(fs.deleteFile("C:\\prod\\sub\\.hidden"), 0);
    fs.setCurrentFolder("C:\\prod\\sub");
    EXPECT_EQ(fs.removeDirectory("C:\\prod\\sub"), platform::kErrorSharingViolation);
    fs.setCurrentFolder("C:\\");
    EXPECT_EQ(fs.removeDirectory("C:\\prod\\sub\\"), 0);
    EXPECT_FALSE(fs.exists("C:\\prod\\sub"));

    fs.addFile("C:\\prod\\deep\\er\\x");
    fs.addFile("C:\\prod deep\\y");
    fs.erase("C:\\PROD");
    EXPECT_EQ(fs.allPaths(), (Names{"C:\\", "C:\\prod deep", "C:\\prod deep\\y"}));
}

TEST_F(FakeFileSystemTest, CreateFileForOutputRules) {
    fs.addFolder("C:\\w");
    EXPECT_EQ(fs.createFileForOutput("C:\\w\\new.acc"), 0);
    EXPECT_TRUE(fs.exists("C:\\w\\new.acc"));
    fs.addFile("C:\\w\\full.acc", "data");
    EXPECT_EQ(fs.createFileForOutput("C:\\w\\FULL.acc"), 0);
    EXPECT_EQ(fs.contents("C:\\w\\full.acc"), "");

    fs.addFile("C:\\w\\ro.acc", "", fakes::kAttrReadOnly);
    EXPECT_EQ(fs.createFileForOutput("C:\\w\\ro.acc"), platform::kErrorAccessDenied);
    fs.addFile("C:\\w\\hid.acc", "", fakes::kAttrHidden);
    EXPECT_EQ(fs.createFileForOutput("C:\\w\\hid.acc"), platform::kErrorAccessDenied);
    EXPECT_EQ(fs.createFileForOutput("C:\\none\\x.acc"), platform::kErrorPathNotFound);
    EXPECT_EQ(fs.createFileForOutput("C:\\w"), platform::kErrorAccessDenied);

    // A read-only folder still takes new files; an unwritable one doesn't,
    // nor do its subfolders.
    fs.addFolder("C:\\ro", fakes::kAttrReadOnly);
    EXPECT_EQ(fs.createFileForOutput("C:\\ro\\x.acc"), 0);
    fs.addFolder("C:\\share\\sub");
    fs.setWritable("C:\\share", false);
    EXPECT_EQ(fs.createFileForOutput("C:\\share\\sub\\x.acc"), platform::kErrorAccessDenied);
    EXPECT_FALSE(fs.exists("C:\\share\\sub\\x.acc"));

    fs.addFolder("A:\\");
    fs.setDriveNotReady('a');
    EXPECT_EQ(fs.createFileForOutput("A:\\x.acc"), platform::kErrorNotReady);
}

// ---- registry

// The same facts the Win32 adapter shows under Wine: links and short names
// resolve to one final path, a link itself is removed rather than its target
// (as Windows does; Wine removes an empty target instead), a held folder
// stays put, and a deletion through a handle happens at its close.
TEST_F(FakeFileSystemTest, LinksShortNamesHandlesAndHolds) {
    fs.addFile("C:\\target\\precious.txt", "kept");
    fs.addFolderLink("C:\\inst\\ulink", "C:\\target");
    fs.setShortName("C:\\target\\precious.txt", "PRECIO~1.TXT");
    std::uint32_t attributes = 0;
    ASSERT_EQ(fs.getAttributes("C:\\inst\\ulink", attributes), 0);
    EXPECT_EQ(attributes, platform::kAttributeDirectory | platform::kAttributeReparsePoint);
    auto finalPath = [&](const std::string& path) {
        platform::FileHandle handle = platform::kNoFile;
        if (fs.openEntry(path, platform::OpenFor::Inspection, handle) != 0) return std::string();
        std::string result;
        EXPECT_EQ(fs.describeEntry(handle, result, attributes), 0);
        fs.closeEntry(handle);
        return result;
    };
    EXPECT_EQ(finalPath("C:\\inst\\ulink\\precious.txt"), "\\\\?\\C:\\target\\precious.txt");
    EXPECT_EQ(finalPath("c:\\INST\\\\ulink\\PRECIO~1.TXT "), "\\\\?\\C:\\target\\precious.txt");
    EXPECT_EQ(finalPath("C:\\inst\\ulink"), "\\\\?\\C:\\inst\\ulink");  // the link itself

    platform::FileHandle hold = platform::kNoFile;
    platform::FileHandle handle = platform::kNoFile;
    ASSERT_EQ(fs.openEntry("C:\\target", platform::OpenFor::Holding, hold), 0);
    EXPECT_EQ(fs.openEntry("C:\\target", platform::OpenFor::Deletion, handle), 32);
    ASSERT_EQ(fs.openEntry("C:\\target\\precious.txt", platform::OpenFor::Deletion, handle), 0);
    EXPECT_EQ(fs.deleteEntry(handle), 0);
    EXPECT_TRUE(fs.exists("C:\\target\\precious.txt"));
    fs.closeEntry(handle);
    EXPECT_FALSE(fs.exists("C:\\target\\precious.txt"));
    fs.closeEntry(hold);
    EXPECT_EQ(fs.removeDirectory("C:\\inst\\ulink"), 0);
    EXPECT_TRUE(fs.isFolder("C:\\target"));
    EXPECT_EQ(fs.openHandles(), 0u);
}

class FakeRegistryTest : public ::testing::Test {
protected:
    fakes::OperationLog log;
    FakeRegistry reg{log};

    platform::HKey open(platform::HKey root, const std::string& path,
                        platform::Status expected = 0) {
        platform::HKey key = 0;
        EXPECT_EQ(reg.openKey(root, path, 0, kKeyAllAccess, key), expected) << path;
        return key;
    }
};

TEST_F(FakeRegistryTest, KeyAndValueNamesIgnoreCase) {
    reg.setString(kHkeyLocalMachine, "Software\\Corvalune QUOB DEMO", "", "C:\\prod");
    const platform::HKey key = open(kHkeyLocalMachine, "software\\corvalune quob demo");
    ASSERT_NE(key, 0u);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(reg.queryValue(key, "", &type, nullptr, &size), 0);
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(size, 8u);  // the text and its NUL
    EXPECT_EQ(reg.queryValue(key, "Other", &type, nullptr, &size), platform::kErrorFileNotFound);
    EXPECT_EQ(reg.closeKey(key), 0);
    EXPECT_TRUE(log.contains("RegOpenKeyEx HKLM\\software\\corvalune quob demo -> 0"));
    EXPECT_TRUE(log.contains("RegQueryValueEx HKLM\\software\\corvalune quob demo \"\" -> 0"));
}

TEST_F(FakeRegistryTest, TwoCallProtocolWithMoreData) {
    reg.setValue(kHkeyCurrentUser, "k", "v", platform::kRegSz, std::string("ab\0cd\0", 6));
    const platform::HKey key = open(kHkeyCurrentUser, "k");
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(reg.queryValue(key, "V", &type, nullptr, &size), 0);
    ASSERT_EQ(size, 6u);
    std::uint8_t small[3];
    size = 3;
    EXPECT_EQ(reg.queryValue(key, "v", &type, small, &size), platform::kErrorMoreData);
    EXPECT_EQ(size, 6u);
    std::uint8_t data[8] = {};
    size = 8;
    ASSERT_EQ(reg.queryValue(key, "v", &type, data, &size), 0);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::memcmp(data, "ab\0cd\0", 6), 0);
    EXPECT_EQ(reg.queryValue(key, "v", &type, data, nullptr), platform::kErrorInvalidParameter);
}

TEST_F(FakeRegistryTest, ValueThatGrowsBetweenTheTwoQueries) {
    reg.setString(kHkeyCurrentUser, "k", "v", "short");
    reg.changeValueAfterSizeQuery(kHkeyCurrentUser, "k", "v", platform::kRegSz,
                                  std::string("much longer\0", 12));
    const platform::HKey key = open(kHkeyCurrentUser, "k");
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(reg.queryValue(key, "v", &type, nullptr, &size), 0);
    ASSERT_EQ(size, 6u);
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(reg.queryValue(key, "v", &type, data.data(), &size), platform::kErrorMoreData);
    EXPECT_EQ(size, 12u);
}

TEST_F(FakeRegistryTest, HandlesAreUniqueAndCheckedUntilClosed) {
    reg.addKey(kHkeyClassesRoot, ".abc");
    const platform::HKey a = open(kHkeyClassesRoot, ".abc");
    const platform::HKey b = open(kHkeyClassesRoot, ".ABC");
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(reg.openHandles(), (std::vector<platform::HKey>{a, b}));
    EXPECT_EQ(reg.closeKey(a), 0);
    EXPECT_EQ(reg.closeKey(a), platform::kErrorInvalidHandle);
    EXPECT_EQ(reg.closeKey(0), platform::kErrorInvalidHandle);
    std::uint32_t size = 0;
    EXPECT_EQ(reg.queryValue(0, "", nullptr, nullptr, &size), platform::kErrorInvalidHandle);
    EXPECT_EQ(reg.closeKey(b), 0);
    EXPECT_TRUE(reg.openHandles().empty());

    platform::HKey untouched = 77;
    EXPECT_EQ(reg.openKey(kHkeyClassesRoot, ".none", 0, kKeyAllAccess, untouched),
              platform::kErrorFileNotFound);
    EXPECT_EQ(untouched, 77u);
    reg.denyFullAccess(kHkeyClassesRoot, ".abc");
    open(kHkeyClassesRoot, ".abc", platform::kErrorAccessDenied);
    EXPECT_EQ(reg.openKey(kHkeyClassesRoot, ".abc", 0, fakes::kKeyRead, untouched), 0);
    reg.closeKey(untouched);

    reg.addKey(kHkeyLocalMachine, "software\\x");
    reg.closeKey(open(kHkeyLocalMachine, "software\\\\x\\"));
    open(kHkeyLocalMachine, "\\software\\x", fakes::kErrorBadPathname);
}

TEST_F(FakeRegistryTest, DeleteKeyRefusesKeysWithSubkeys) {
    reg.addKey(kHkeyClassesRoot, "abcfile\\shell\\open\\command");
    const platform::HKey file = open(kHkeyClassesRoot, "abcfile");
    EXPECT_EQ(reg.deleteKey(file, ""), platform::kErrorAccessDenied);
    EXPECT_TRUE(reg.keyExists(kHkeyClassesRoot, "abcfile"));
    EXPECT_EQ(reg.deleteKey(file, "shell\\open\\command"), 0);
    EXPECT_EQ(reg.deleteKey(file, "shell\\open"), 0);
    EXPECT_EQ(reg.deleteKey(file, "shell"), 0);
    EXPECT_EQ(reg.deleteKey(file, "shell"), platform::kErrorFileNotFound);
    EXPECT_EQ(reg.deleteKey(file, ""), 0);
    EXPECT_FALSE(reg.keyExists(kHkeyClassesRoot, "abcfile"));
    std::uint32_t size = 0;
    EXPECT_EQ(reg.queryValue(file, "", nullptr, nullptr, &size), fakes::kErrorKeyDeleted);
    EXPECT_EQ(reg.closeKey(file), 0);
    EXPECT_EQ(reg.deleteKey(kHkeyClassesRoot, ""), platform::kErrorAccessDenied);
    EXPECT_EQ(log.only({"RegDeleteKey"}).front(), "RegDeleteKey HKCR\\abcfile -> 5");
}

// ---- views and the shared log

TEST(FakeViews, RecordInOneLogInOrder) {
    fakes::FakeWorld world;
    world.dialog.centerForm();
    world.dialog.hide();
    world.progress.removing("Reading Demo");
    world.progress.show();
    world.shell.notifyAssociationsChanged();
    world.progress.close();
    EXPECT_EQ(world.log.lines(), (Names{"centerForm", "hide", "removing Reading Demo",
                                        "progress show", "SHChangeNotify", "progress close"}));
}

}  // namespace

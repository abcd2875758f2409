// What the fakes do beyond the promises they share with the real system
// (tests/contract/, run in contract_test.cpp): the set-up helpers, the
// states only a fake can stage, the order they list in, and their log.
#include <gtest/gtest.h>

#include "tests/fakes/Fakes.h"

namespace {

using fakes::FakeFileSystem;
using fakes::FakeRegistry;
using platform::kHkeyClassesRoot;
using platform::kKeyAllAccess;
using Names = std::vector<std::string>;

// ---- file system

class FakeFileSystemTest : public ::testing::Test {
protected:
    fakes::OperationLog log;
    FakeFileSystem fs{log};
    std::string text;
    std::uint64_t length = 0;
};

TEST_F(FakeFileSystemTest, FoldsPathsAndListsInNameOrder) {
    fs.addFile("C:\\Prod\\Sub\\b.del", "x");
    fs.addFile("C:\\Prod\\Sub\\A.del", "x");
    // Names that begin like the folder's own are beside it, not in it.
    fs.addFile("C:\\Prod\\Sub.del", "x");
    fs.addFile("C:\\Prod\\Sub2\\c.del", "x");
    Names names;
    ASSERT_EQ(fs.listFiles("c:\\PROD\\sub\\*.del", names), 0);
    EXPECT_EQ(names, (Names{"A.del", "b.del"}));  // with case ignored, as NTFS lists
    EXPECT_EQ(fs.listFiles("D:\\prod\\*.del", names), platform::kErrorPathNotFound);
    EXPECT_TRUE(fs.exists("\\prod\\sub\\a.del"));  // rooted at the current drive
    EXPECT_TRUE(fs.isFolder("C:\\prod\\sub\\"));

    fs.setCurrentFolder("c:\\PROD");
    EXPECT_EQ(fs.currentFolder(), "C:\\Prod");
    EXPECT_TRUE(fs.exists("sub\\a.del"));
    EXPECT_TRUE(fs.exists("C:sub\\a.del"));
    EXPECT_EQ(fs.readWholeFile("\\\\server\\share\\a.del", 100, text, length),
              fakes::kErrorBadNetPath);

    // A trailing separator keeps the blanks of a folder's name.
    fs.addFolder("C:\\blank \\");
    EXPECT_TRUE(fs.isFolder("C:\\blank \\"));
    EXPECT_FALSE(fs.exists("C:\\blank"));
    EXPECT_EQ(fs.allPaths(), (Names{"C:\\", "C:\\blank ", "C:\\Prod", "C:\\Prod\\Sub",
                                    "C:\\Prod\\Sub.del", "C:\\Prod\\Sub2", "C:\\Prod\\Sub2\\c.del",
                                    "C:\\Prod\\Sub\\A.del", "C:\\Prod\\Sub\\b.del"}));
}

// The running program, a file the user may not read, a folder the program may
// not write to, a drive without its medium.
TEST_F(FakeFileSystemTest, StatesOnlyAFakeStages) {
    fs.addFile("C:\\prod\\sprellow.exe", "MZ");
    fs.markRunningProgram("C:\\prod\\sprellow.exe");
    EXPECT_EQ(fs.readWholeFile("C:\\prod\\sprellow.exe", 9, text, length), 0);
    EXPECT_EQ(fs.deleteFile("C:\\prod\\sprellow.exe"), platform::kErrorAccessDenied);
    EXPECT_TRUE(fs.exists("C:\\prod\\sprellow.exe"));
    EXPECT_EQ(fs.scheduleDeleteAtRestart("C:\\prod\\sprellow.exe"), 0);
    EXPECT_EQ(fs.scheduledForRestart(), Names{"C:\\prod\\sprellow.exe"});

    fs.lockForReading("C:\\prod\\sprellow.exe");
    EXPECT_EQ(fs.readWholeFile("C:\\prod\\sprellow.exe", 9, text, length),
              platform::kErrorAccessDenied);
    EXPECT_EQ(fs.fileLength("C:\\prod\\sprellow.exe", length), 0);
    EXPECT_EQ(length, 2u);

    fs.addFolder("C:\\share\\sub");
    fs.setWritable("C:\\share", false);
    fs.addFile("C:\\share\\sub\\x.acc");
    EXPECT_EQ(fs.deleteFile("C:\\share\\sub\\x.acc"), platform::kErrorAccessDenied);
    EXPECT_TRUE(fs.exists("C:\\share\\sub\\x.acc"));
    fs.addFolder("A:\\");
    fs.setDriveNotReady('a');
    EXPECT_EQ(fs.fileLength("A:\\x.acc", length), platform::kErrorNotReady);
}

TEST_F(FakeFileSystemTest, RootsCurrentFolderAndErase) {
    fs.addFolder("C:\\prod\\sub");
    auto removeFolder = [&](const std::string& path) {
        platform::FileHandle handle = platform::kNoFile;
        platform::Status status = fs.openEntry(path, platform::OpenFor::Deletion, handle);
        if (status == 0) status = fs.deleteEntry(handle);
        fs.closeEntry(handle);
        return status;
    };
    EXPECT_EQ(removeFolder("C:\\"), platform::kErrorAccessDenied);
    fs.setCurrentFolder("C:\\prod\\sub");
    EXPECT_EQ(removeFolder("C:\\prod\\sub"), platform::kErrorSharingViolation);
    fs.setCurrentFolder("C:\\");
    fs.addFile("C:\\prod\\sub.txt");  // beside the folder, not in it
    EXPECT_EQ(removeFolder("C:\\prod\\sub"), 0);

    fs.addFile("C:\\prod\\deep\\er\\x");
    fs.addFile("C:\\prod deep\\y");
    fs.erase("C:\\PROD");
    EXPECT_EQ(fs.allPaths(), (Names{"C:\\", "C:\\prod deep", "C:\\prod deep\\y"}));
}

// A deletion through a handle happens when the handle is closed.
TEST_F(FakeFileSystemTest, DeletionThroughAHandleWaitsForItsClose) {
    fs.addFile("C:\\target\\precious.txt", "kept");
    platform::FileHandle handle = platform::kNoFile;
    ASSERT_EQ(fs.openEntry("C:\\target\\precious.txt", platform::OpenFor::Deletion, handle), 0);
    EXPECT_EQ(fs.deleteEntry(handle), 0);
    EXPECT_TRUE(fs.exists("C:\\target\\precious.txt"));
    EXPECT_EQ(fs.openHandles(), 1u);
    fs.closeEntry(handle);
    EXPECT_FALSE(fs.exists("C:\\target\\precious.txt"));
    EXPECT_EQ(fs.openHandles(), 0u);
}

// ---- registry

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

TEST_F(FakeRegistryTest, ValueThatGrowsBetweenTheTwoQueries) {
    reg.setString(platform::kHkeyCurrentUser, "k", "v", "short");
    reg.changeValueAfterSizeQuery(platform::kHkeyCurrentUser, "k", "v", platform::kRegSz,
                                  fakes::utf16Bytes(std::string("much longer\0", 12)));
    const platform::HKey key = open(platform::kHkeyCurrentUser, "k");
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(reg.queryValue(key, "v", &type, nullptr, &size), 0);
    ASSERT_EQ(size, 12u);  // UTF-16: two bytes a character, the NUL too
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(reg.queryValue(key, "v", &type, data.data(), &size), platform::kErrorMoreData);
    EXPECT_EQ(size, 24u);
}

TEST_F(FakeRegistryTest, HandlesAreUniqueKeysMayDenyFullAccessRootsStay) {
    reg.addKey(kHkeyClassesRoot, ".abc");
    const platform::HKey a = open(kHkeyClassesRoot, ".abc");
    const platform::HKey b = open(kHkeyClassesRoot, ".ABC");
    EXPECT_NE(a, b);
    EXPECT_EQ(reg.openHandles(), (std::vector<platform::HKey>{a, b}));
    reg.closeKey(a);
    reg.closeKey(b);
    EXPECT_TRUE(reg.openHandles().empty());

    reg.denyFullAccess(kHkeyClassesRoot, ".abc");
    open(kHkeyClassesRoot, ".abc", platform::kErrorAccessDenied);
    platform::HKey readOnly = 0;
    EXPECT_EQ(reg.openKey(kHkeyClassesRoot, ".abc", 0, fakes::kKeyRead, readOnly), 0);
    EXPECT_EQ(reg.deleteKey(readOnly, ""), platform::kErrorAccessDenied);
    reg.closeKey(readOnly);
    EXPECT_EQ(reg.deleteKey(kHkeyClassesRoot, ""), platform::kErrorAccessDenied);  // a root stays
}

// A copy goes its own way: its keys, values, handles and pending changes are
// its own, so a prepared registry can serve many runs.
TEST_F(FakeRegistryTest, ACopySharesNothingWithItsOriginal) {
    reg.setString(kHkeyClassesRoot, ".abc\\shell", "", "one");
    reg.changeValueAfterSizeQuery(kHkeyClassesRoot, ".abc\\shell", "", platform::kRegSz,
                                  std::string("longer\0", 7));
    const platform::HKey shell = open(kHkeyClassesRoot, ".abc\\shell");

    FakeRegistry copy(reg);
    EXPECT_EQ(copy.deleteKey(kHkeyClassesRoot, ".abc\\shell"), 0);
    std::uint32_t size = 0;
    EXPECT_EQ(copy.queryValue(shell, "", nullptr, nullptr, &size), fakes::kErrorKeyDeleted);
    EXPECT_EQ(reg.allKeys(), (Names{"HKCR\\.abc", "HKCR\\.abc\\shell"}));
    EXPECT_EQ(reg.queryValue(shell, "", nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 8u);  // the change waited in the original too, and happens now

    fakes::OperationLog otherLog;
    FakeRegistry assigned(otherLog);
    assigned = copy;
    assigned.addKey(platform::kHkeyCurrentUser, "mine");
    EXPECT_EQ(copy.allKeys(), Names{"HKCR\\.abc"});
    EXPECT_EQ(assigned.allKeys(), (Names{"HKCR\\.abc", "HKCU\\mine"}));
    // The handles came along; an assignment keeps the log the registry had.
    EXPECT_EQ(assigned.closeKey(shell), 0);
    EXPECT_EQ(otherLog.lines(), Names{"RegCloseKey HKCR\\.abc\\shell -> 0"});

    // Assigned again and again, a registry is the original each time, as a
    // fuzz target's machine is for every input: a deleted key is back, and
    // the handles given out start over.
    FakeRegistry prepared;
    prepared.setString(kHkeyClassesRoot, ".abc", "", "one");
    FakeRegistry run;
    run = prepared;
    platform::HKey first = 0;
    EXPECT_EQ(run.openKey(kHkeyClassesRoot, ".abc", 0, platform::kKeyAllAccess, first), 0);
    EXPECT_EQ(run.deleteKey(first, ""), 0);
    EXPECT_EQ(run.closeKey(first), 0);
    run = prepared;
    EXPECT_EQ(run.allKeys(), Names{"HKCR\\.abc"});
    run = prepared;  // nothing changed since: the same keys
    platform::HKey again = 0;
    EXPECT_EQ(run.openKey(kHkeyClassesRoot, ".abc", 0, platform::kKeyAllAccess, again), 0);
    EXPECT_EQ(again, first);
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

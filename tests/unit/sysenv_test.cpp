// The system-environment toolkit over the fakes: path tidying, the Windows
// folders, string values of the registry and the write-access probe.
#include <gtest/gtest.h>

#include <cstring>

#include "sysenv/SysEnv.h"
#include "tests/fakes/Fakes.h"

namespace {

using namespace std::string_literals;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using Names = std::vector<std::string>;

const char* const kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// ---- StripTerminator and AddDirSep

TEST(StripTerminator, CutsAtTheFirstNulOnly) {
    EXPECT_EQ(sysenv::StripTerminator("C:\\WINDOWS"), "C:\\WINDOWS");
    EXPECT_EQ(sysenv::StripTerminator(""), "");
    EXPECT_EQ(sysenv::StripTerminator("\0abc"s), "");
    EXPECT_EQ(sysenv::StripTerminator("ab\0cd\0ef"s), "ab");
    EXPECT_EQ(sysenv::StripTerminator("abc\0"s), "abc");
}

TEST(StripTerminator, LongTextsAreCutWhereverTheNulIs) {
    const std::string longText(40000, 'x');
    EXPECT_EQ(sysenv::StripTerminator(longText), longText);
    EXPECT_EQ(sysenv::StripTerminator(std::string(32767, 'x') + '\0' + "tail"),
              std::string(32767, 'x'));
    EXPECT_EQ(sysenv::StripTerminator(std::string(32768, 'x') + '\0' + "tail"),
              std::string(32768, 'x'));
}

TEST(AddDirSep, EndsThePathInOneSeparator) {
    auto withSep = [](std::string path) {
        sysenv::AddDirSep(path);
        return path;
    };
    EXPECT_EQ(withSep("C:\\dir"), "C:\\dir\\");
    EXPECT_EQ(withSep("C:\\dir\\"), "C:\\dir\\");
    EXPECT_EQ(withSep("C:\\dir   "), "C:\\dir\\");
    EXPECT_EQ(withSep("C:\\dir\\ "), "C:\\dir\\ ");  // the blank after "\" stays
    EXPECT_EQ(withSep("C:\\"), "C:\\");
    EXPECT_EQ(withSep(""), "\\");
    EXPECT_EQ(withSep("   "), "\\");
    EXPECT_EQ(withSep("C:\\dir\t"), "C:\\dir\t\\");  // only code 32 counts as blank
}

// ---- GetWindowsDir and GetWindowsSysDir

TEST(WindowsFolders, GainATrailingSeparatorAndKeepTheirCase) {
    fakes::FakeSystem system;
    system.setWindowsFolder("C:\\WINDOWS");
    system.setSystemFolder("c:\\Windows\\System");
    EXPECT_EQ(sysenv::GetWindowsDir(system), "C:\\WINDOWS\\");
    EXPECT_EQ(sysenv::GetWindowsSysDir(system), "c:\\Windows\\System\\");
    system.setWindowsFolder("C:\\");
    EXPECT_EQ(sysenv::GetWindowsDir(system), "C:\\");
}

TEST(WindowsFolders, FailureGivesEmptyTextNotASeparator) {
    fakes::FakeSystem system;
    system.failWindowsFolder();
    system.failSystemFolder();
    EXPECT_EQ(sysenv::GetWindowsDir(system), "");
    EXPECT_EQ(sysenv::GetWindowsSysDir(system), "");
}

TEST(WindowsFolders, AFolderThatDoesNotFitTheBufferGivesEmptyText) {
    fakes::FakeSystem system;
    const std::string longest = "C:\\" + std::string(251, 'w');  // 254 + NUL = 255
    system.setWindowsFolder(longest);
    EXPECT_EQ(sysenv::GetWindowsDir(system), longest + "\\");
    system.setWindowsFolder(longest + "w");
    EXPECT_EQ(sysenv::GetWindowsDir(system), "");
    system.setSystemFolder(std::string(300, 's'));
    EXPECT_EQ(sysenv::GetWindowsSysDir(system), "");
}

// A system that shows what it was handed and leaves stale bytes after the NUL.
class ProbingSystem : public fakes::FakeSystem {
public:
    std::uint32_t getWindowsDirectory(char16_t* buffer, std::uint32_t size) override {
        sizeSeen = size;
        handed.assign(buffer, size);
        std::copy_n(u"C:\\WIN\0stale", 12, buffer);
        return 6;
    }
    std::uint32_t sizeSeen = 0;
    std::u16string handed;
};

TEST(WindowsFolders, UseABufferOf255BlanksAndCutAtTheNul) {
    ProbingSystem system;
    EXPECT_EQ(sysenv::GetWindowsDir(system), "C:\\WIN\\");
    EXPECT_EQ(system.sizeSeen, 255u);
    EXPECT_EQ(system.handed, std::u16string(255, u' '));
}

// ---- regQueryString

class RegQueryString : public ::testing::Test {
protected:
    fakes::OperationLog log;
    fakes::FakeRegistry reg{log};
    const std::string path = "software\\Test";
    platform::HKey key = 0;

    void SetUp() override { reg.addKey(kHkeyLocalMachine, path); }
    void TearDown() override {
        if (key != 0) reg.closeKey(key);
        EXPECT_TRUE(reg.openHandles().empty());
    }
    std::string read(const std::string& name) {
        if (key == 0) reg.openKey(kHkeyLocalMachine, path, 0, platform::kKeyAllAccess, key);
        return sysenv::regQueryString(reg, name, key);
    }
};

TEST_F(RegQueryString, ReadsAStringValueWithTwoQueries) {
    reg.setString(kHkeyLocalMachine, path, "Dir", "C:\\Program Files\\QUOB");
    EXPECT_EQ(read("dir"), "C:\\Program Files\\QUOB");
    EXPECT_EQ(log.count("RegQueryValueEx"), 2);
}

TEST_F(RegQueryString, EmptyNameReadsTheDefaultValue) {
    reg.setString(kHkeyLocalMachine, path, "", "C:\\prod");
    reg.setString(kHkeyLocalMachine, path, "Other", "no");
    EXPECT_EQ(read(""), "C:\\prod");
}

TEST_F(RegQueryString, EmptyAndZeroSizedDataGiveEmptyText) {
    reg.setString(kHkeyLocalMachine, path, "empty", "");
    reg.setValue(kHkeyLocalMachine, path, "zero", platform::kRegSz, "");
    EXPECT_EQ(read("empty"), "");
    EXPECT_EQ(read("zero"), "");
}

TEST_F(RegQueryString, OnlyRegSzCounts) {
    reg.setString(kHkeyLocalMachine, path, "expand", "%SystemRoot%", platform::kRegExpandSz);
    reg.setValue(kHkeyLocalMachine, path, "dword", platform::kRegDword, "\x01\0\0\0"s);
    reg.setValue(kHkeyLocalMachine, path, "binary", platform::kRegBinary, "text\0"s);
    reg.setValue(kHkeyLocalMachine, path, "none", platform::kRegNone, "text\0"s);
    EXPECT_EQ(read("expand"), "");
    EXPECT_EQ(read("dword"), "");
    EXPECT_EQ(read("binary"), "");
    EXPECT_EQ(read("none"), "");
    // A value that is not a string is never read a second time.
    EXPECT_EQ(log.count("RegQueryValueEx"), 4);
}

TEST_F(RegQueryString, DataIsCutAtItsFirstNul) {
    reg.setValue(kHkeyLocalMachine, path, "multi", platform::kRegSz,
                 fakes::utf16Bytes("first\0second\0"s));
    reg.setValue(kHkeyLocalMachine, path, "bare", platform::kRegSz,
                 fakes::utf16Bytes("no terminator"));
    // Half a UTF-16 unit at the end is no character.
    reg.setValue(kHkeyLocalMachine, path, "odd", platform::kRegSz, fakes::utf16Bytes("ab") + "c");
    EXPECT_EQ(read("multi"), "first");
    EXPECT_EQ(read("bare"), "no terminator");
    EXPECT_EQ(read("odd"), "ab");
    // Characters no ANSI code page holds come through whole.
    reg.setString(kHkeyLocalMachine, path, "wide", fakes::utf8(u8"C:\\Программы\\数据 😀"));
    EXPECT_EQ(read("wide"), fakes::utf8(u8"C:\\Программы\\数据 😀"));
}

TEST_F(RegQueryString, ValueChangedBetweenTheQueries) {
    reg.setString(kHkeyLocalMachine, path, "grows", "short");
    reg.changeValueAfterSizeQuery(kHkeyLocalMachine, path, "grows", platform::kRegSz,
                                  fakes::utf16Bytes("a good deal longer\0"s));
    EXPECT_EQ(read("grows"), "");

    // A value that shrinks to bytes without NUL gives those bytes, not the
    // blank padding of the buffer behind them.
    reg.setString(kHkeyLocalMachine, path, "shrinks", "long enough");
    reg.changeValueAfterSizeQuery(kHkeyLocalMachine, path, "shrinks", platform::kRegSz,
                                  fakes::utf16Bytes("abc"));
    EXPECT_EQ(read("shrinks"), "abc");
}

TEST_F(RegQueryString, MissingValueOrNoKeyGivesEmptyText) {
    EXPECT_EQ(read("absent"), "");
    EXPECT_EQ(sysenv::regQueryString(reg, "", 0), "");
    EXPECT_EQ(sysenv::regQueryString(reg, "", 0x12345), "");
}

// ---- getProgramsFolder

TEST(GetProgramsFolder, ReturnsTheValueAsStoredAndClosesItsKey) {
    fakes::OperationLog log;
    fakes::FakeRegistry reg{log};
    reg.setString(kHkeyCurrentUser, kShellFolders, "Programs", "C:\\WINDOWS\\Start Menu\\Programs");
    EXPECT_EQ(sysenv::getProgramsFolder(reg), "C:\\WINDOWS\\Start Menu\\Programs");
    EXPECT_TRUE(reg.openHandles().empty());
    EXPECT_EQ(log.only({"RegOpenKeyEx", "RegCloseKey"}),
              (Names{"RegOpenKeyEx HKCU\\" + std::string(kShellFolders) + " -> 0",
                     "RegCloseKey HKCU\\" + std::string(kShellFolders) + " -> 0"}));

    reg.setString(kHkeyCurrentUser, kShellFolders, "Programs", "D:\\Menu\\");
    EXPECT_EQ(sysenv::getProgramsFolder(reg), "D:\\Menu\\");
}

TEST(GetProgramsFolder, AbsentOrUnreadableGivesEmptyText) {
    fakes::FakeRegistry reg;
    EXPECT_EQ(sysenv::getProgramsFolder(reg), "");  // no Shell Folders key

    reg.setString(kHkeyCurrentUser, kShellFolders, "Desktop", "C:\\Desktop");
    EXPECT_EQ(sysenv::getProgramsFolder(reg), "");  // no Programs value
    EXPECT_TRUE(reg.openHandles().empty());

    reg.setString(kHkeyCurrentUser, kShellFolders, "Programs", "%USERPROFILE%\\Programs",
                  platform::kRegExpandSz);
    EXPECT_EQ(sysenv::getProgramsFolder(reg), "");
    EXPECT_TRUE(reg.openHandles().empty());

    // The key is opened with full access; one that only opens for reading
    // counts as unreadable.
    reg.setString(kHkeyCurrentUser, kShellFolders, "Programs", "C:\\Programs");
    reg.denyFullAccess(kHkeyCurrentUser, kShellFolders);
    EXPECT_EQ(sysenv::getProgramsFolder(reg), "");
    EXPECT_TRUE(reg.openHandles().empty());
}

// ---- WriteAccess

class WriteAccessTest : public ::testing::Test {
protected:
    fakes::OperationLog log;
    fakes::FakeFileSystem fs{log};
};

TEST_F(WriteAccessTest, WritableFolderWithOrWithoutSeparator) {
    fs.addFolder("C:\\dir");
    EXPECT_TRUE(sysenv::WriteAccess(fs, "C:\\dir"));
    EXPECT_TRUE(sysenv::WriteAccess(fs, "C:\\dir\\"));
    EXPECT_EQ(fs.allPaths(), (Names{"C:\\", "C:\\dir"}));
    EXPECT_EQ(log.lines()[0], "CreateNewFile C:\\dir\\W-r-i-t-e.acc -> 0");
    EXPECT_EQ(log.lines()[1], "DeleteFile C:\\dir\\W-r-i-t-e.acc -> 0");
}

TEST_F(WriteAccessTest, MissingOrUnwritableFolderGivesFalseAndLeavesNothing) {
    fs.addFolder("C:\\share");
    fs.setWritable("C:\\share", false);
    const Names before = fs.allPaths();
    EXPECT_FALSE(sysenv::WriteAccess(fs, "C:\\missing"));
    EXPECT_FALSE(sysenv::WriteAccess(fs, "C:\\share"));
    EXPECT_EQ(fs.allPaths(), before);
}

TEST_F(WriteAccessTest, ExistingProbeFile) {
    fs.addFile("C:\\ro\\W-r-i-t-e.acc", "kept", fakes::kAttrReadOnly);
    EXPECT_FALSE(sysenv::WriteAccess(fs, "C:\\ro"));
    EXPECT_EQ(fs.contents("C:\\ro\\W-r-i-t-e.acc"), "kept");
    EXPECT_TRUE(log.contains("DeleteFile C:\\ro\\W-r-i-t-e.acc -> 5"));

    fs.addFile("C:\\rw\\w-R-I-T-E.ACC", "old");
    EXPECT_TRUE(sysenv::WriteAccess(fs, "C:\\rw"));
    EXPECT_FALSE(fs.exists("C:\\rw\\W-r-i-t-e.acc"));
    EXPECT_TRUE(log.contains("CreateNewFile C:\\rw\\W-r-i-t-e.acc -> 0"));
}

// A name held by anything but a probe file left behind may lead to a file
// that isn't the probe's: no write access, and nothing emptied or deleted.
TEST_F(WriteAccessTest, ANameHeldByALinkOrAFileWithOtherNamesIsLeftUntouched) {
    fs.addFile("C:\\hard\\W-r-i-t-e.acc", "payroll");
    fs.setLinkCount("C:\\hard\\W-r-i-t-e.acc", 2);
    fs.addFile("C:\\link\\W-r-i-t-e.acc", "target", platform::kAttributeReparsePoint);
    fs.addFolder("C:\\dir\\W-r-i-t-e.acc");
    for (const char* folder : {"C:\\hard", "C:\\link", "C:\\dir"}) {
        EXPECT_FALSE(sysenv::WriteAccess(fs, folder)) << folder;
    }
    EXPECT_EQ(fs.contents("C:\\hard\\W-r-i-t-e.acc"), "payroll");
    EXPECT_EQ(fs.contents("C:\\link\\W-r-i-t-e.acc"), "target");
    EXPECT_TRUE(fs.isFolder("C:\\dir\\W-r-i-t-e.acc"));
    EXPECT_FALSE(log.contains("DeleteFile"));
}

TEST_F(WriteAccessTest, EmptyFolderProbesTheCurrentDriveRoot) {
    fs.addFolder("C:\\work");
    fs.setCurrentFolder("C:\\work");
    EXPECT_TRUE(sysenv::WriteAccess(fs, ""));
    EXPECT_EQ(log.lines()[0], "CreateNewFile \\W-r-i-t-e.acc -> 0");
    EXPECT_EQ(fs.deletedPaths(), Names{"C:\\W-r-i-t-e.acc"});
}

TEST_F(WriteAccessTest, WildcardsInTheFolderNeverDeleteOtherFiles) {
    fs.addFile("C:\\ab\\W-r-i-t-e.acc");
    EXPECT_FALSE(sysenv::WriteAccess(fs, "C:\\a?"));
    EXPECT_FALSE(sysenv::WriteAccess(fs, "C:\\*"));
    EXPECT_TRUE(fs.exists("C:\\ab\\W-r-i-t-e.acc"));
}

}  // namespace

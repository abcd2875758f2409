// The Windows folders, the program's own folder and name, the Programs folder,
// the shell notification and the write-access probe end to end, on a real
// Wine prefix. The calls' result codes are in the contract table.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "Scratch.h"
#include "platform/win32/Win32Platform.h"
#include "sysenv/SysEnv.h"

using winetest::exists;
using winetest::ScratchFolder;

namespace {

TEST(SystemOnWine, WindowsFoldersEndInASeparator) {
    platform::win32::Win32System system;
    EXPECT_EQ(sysenv::GetWindowsDir(system), "C:\\windows\\");
    EXPECT_EQ(sysenv::GetWindowsSysDir(system), "C:\\windows\\system32\\");
}

TEST(SystemOnWine, ProgramFolderAndNameComeFromTheRunningFile) {
    platform::win32::Win32System system;
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    const std::string full = path;
    const std::string folder = system.programFolder();
    EXPECT_EQ(folder + "\\" + system.programName() + ".exe", full);
    EXPECT_NE(folder.back(), '\\');
    EXPECT_EQ(system.programName(), "platform_wine_tests");
}

TEST(SystemOnWine, ProgramPathsSplitAsTheSeamPromises) {
    using platform::win32::folderOfProgram;
    using platform::win32::nameOfProgram;
    EXPECT_EQ(folderOfProgram("C:\\QUOB\\uninst.exe"), "C:\\QUOB");
    EXPECT_EQ(nameOfProgram("C:\\QUOB\\uninst.exe"), "uninst");
    EXPECT_EQ(folderOfProgram("C:\\uninst.exe"), "C:\\");  // a drive root keeps its separator
    EXPECT_EQ(nameOfProgram("C:\\my.tools\\setup.v2.exe"), "setup.v2");
    EXPECT_EQ(nameOfProgram("C:\\my.tools\\README"), "README");
    EXPECT_EQ(folderOfProgram("\\\\server\\share\\sprellow.exe"), "\\\\server\\share");
}

// The association change goes to the shell first: the shell's folders answer
// as before afterwards.
TEST(SystemOnWine, ProgramsFolderIsWhatTheShellStoresAndNotificationLeavesIt) {
    platform::win32::Win32Shell().notifyAssociationsChanged();
    platform::win32::Win32Registry registry;
    const std::string programs = sysenv::getProgramsFolder(registry);

    char shell[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, shell), S_OK);
    EXPECT_EQ(programs, shell);
    EXPECT_NE(programs.back(), '\\');

    // reg.exe reads the same value out of "Shell Folders".
    std::string output;
    ASSERT_EQ(winetest::runProgram("reg.exe query \"HKCU\\Software\\Microsoft\\Windows\\"
                                   "CurrentVersion\\Explorer\\Shell Folders\" /v Programs",
                                   &output),
              0);
    EXPECT_NE(output.find(programs), std::string::npos) << output;
}

class WriteAccessOnWine : public ::testing::Test {
protected:
    ScratchFolder scratch;
    platform::win32::Win32FileSystem files;
    std::string probe() const { return scratch / "W-r-i-t-e.acc"; }
};

// A second name of another file, or a folder, at the probe's name: no write
// access, and the other file keeps its bytes.
TEST_F(WriteAccessOnWine, ProbeNameThatIsAHardLinkOrAFolderIsLeftUntouched) {
    const std::string other = scratch / "payroll.dat";
    winetest::writeFile(other, "salaries");
    ASSERT_TRUE(CreateHardLinkA(probe().c_str(), other.c_str(), nullptr));
    EXPECT_FALSE(sysenv::WriteAccess(files, scratch.path()));
    EXPECT_EQ(winetest::readFile(other), "salaries");
    EXPECT_TRUE(exists(probe()));

    ASSERT_TRUE(DeleteFileA(probe().c_str()));
    ASSERT_TRUE(CreateDirectoryA(probe().c_str(), nullptr));
    EXPECT_FALSE(sysenv::WriteAccess(files, scratch.path()));
    EXPECT_TRUE(exists(probe()));
    RemoveDirectoryA(probe().c_str());
}

}  // namespace

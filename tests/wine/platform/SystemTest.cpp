// The Windows folders, the program's own folder and name, the Programs folder
// and the shell notification on a real Wine prefix. The calls' result codes,
// and the file system's for the write-access probe, are in the contract table.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "Scratch.h"
#include "platform/win32/Win32Platform.h"
#include "sysenv/SysEnv.h"

namespace {

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

}  // namespace

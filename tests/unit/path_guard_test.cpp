// The rules that keep deletions inside the product, checked on paths alone.
#include <gtest/gtest.h>

#include "engine/PathGuard.h"

namespace {

using engine::canonicalPath;
using engine::GuardFolders;
using engine::isDeviceName;
using engine::PathGuard;

std::string show(const std::string& path) {
    const auto canonical = canonicalPath(path);
    if (!canonical) return "<refused>";
    std::string text = canonical->root;
    for (const std::string& part : canonical->parts) text += "\\" + part;
    return text;
}

TEST(CanonicalPath, FoldsWhatWindowsFolds) {
    EXPECT_EQ(show("C:\\Prod\\\\App\\"), "c:\\prod\\app");
    EXPECT_EQ(show("c:/prod/app"), "c:\\prod\\app");
    EXPECT_EQ(show("C:\\prod\\.\\x\\..\\app"), "c:\\prod\\app");
    EXPECT_EQ(show("C:\\WINDOWS. \\System"), "c:\\windows\\system");
    EXPECT_EQ(show("C:\\"), "c:");
    EXPECT_EQ(show("\\\\Server\\Share\\Dir\\"), "\\\\server\\share\\dir");
    EXPECT_EQ(show("\\\\server\\share"), "\\\\server\\share");
}

TEST(CanonicalPath, RefusesWhatIsNotPlainlyAbsolute) {
    for (const char* path : {"",
                             "prod",
                             "C:",
                             "C:prod",
                             "\\",
                             "\\prod",
                             "\\\\",
                             "\\\\server",
                             "\\\\server\\",
                             "\\\\\\share\\x",
                             "\\\\?\\C:\\x",
                             "\\\\.\\C:",
                             "\\\\.\\pipe\\x",
                             "C:\\..",
                             "C:\\a\\..\\..\\b",
                             "C:\\a\\...\\b",
                             "C:\\a\\ \\b",
                             "C:\\a\\. .\\b",
                             "C:\\CON\\x",
                             "C:\\a\\lpt1.txt",
                             "C:\\a*\\b",
                             "C:\\a?",
                             "C:\\a:b",
                             "C:\\a|b",
                             "C:\\a\tb",
                             "\"C:\\prod\\app"})
        EXPECT_EQ(show(path), "<refused>") << path;
    EXPECT_EQ(show(std::string("C:\\a\0b", 6)), "<refused>");
}

TEST(DeviceNames, ReservedNamesInAnySpelling) {
    for (const char* name :
         {"CON", "con", "Con.txt", "NUL ", "nul.tar.gz", "AUX", "PRN", "COM1", "lpt9", "COM0",
          "conin$", "CONOUT$", "com\xB9", "LPT\xB3.log", "Lpt1 .txt"})
        EXPECT_TRUE(isDeviceName(name)) << name;
    for (const char* name :
         {"CONFIG", "CONSOLE.txt", "COM10", "LPT", "xcon", "nul_", "com1x", "", "C\xD3N"})
        EXPECT_FALSE(isDeviceName(name)) << name;
}

GuardFolders standardFolders(const std::string& installDir = "C:\\Program Files\\Corvalune") {
    GuardFolders folders;
    folders.windowsFolder = "C:\\WINDOWS\\";
    folders.systemFolder = "C:\\WINDOWS\\SYSTEM\\";
    folders.programsFolder = "C:\\Users\\ann\\Start Menu\\Programs";
    folders.installDir = installDir;
    folders.productStartMenu = folders.programsFolder + "\\CORVALUNE quob Demo";
    return folders;
}

TEST(FolderRemoval, AnInstallDirectoryAtARootOrAboveSystemFoldersServesAsNoBase) {
    for (const char* installDir :
         {"", "C:\\", "C:", "\\", "Corvalune", "C:\\WINDOWS", "C:\\windows\\system\\",
          "C:\\Users\\ann\\Start Menu", "C:\\WINDOWS\\..", "\\\\server\\share",
          // Network and device paths: the owned folder must be a plain folder
          // on a drive of this machine.
          "\\\\server\\share\\Corvalune", "\\\\localhost\\C$\\Program Files\\Corvalune",
          "\\\\?\\C:\\Program Files\\Corvalune", "\\\\.\\C:\\Program Files\\Corvalune",
          "//server/share/Corvalune"}) {
        const PathGuard guard(standardFolders(installDir));
        EXPECT_FALSE(guard.installDirUsable()) << installDir;
        EXPECT_FALSE(guard.fileValueVerdict("a.txt").allowed()) << installDir;
    }
    // A folder inside the Windows folder is a plain install folder.
    EXPECT_TRUE(PathGuard(standardFolders("C:\\WINDOWS\\Corvalune")).installDirUsable());
}

TEST(FileValues, NameFilesBelowTheInstallDirectory) {
    const PathGuard guard(standardFolders());
    for (const char* value :
         {"a.txt", "\\a.txt", "sub\\a.txt", "sub/*.dll", ".\\a.txt", "*.*", "a?.txt", "*.",
          "sub\\\\a.txt", "\\\\server\\share\\a.txt", "CONFIG.SYS", "con*"})
        EXPECT_TRUE(guard.fileValueVerdict(value).allowed()) << value;
}

TEST(FileValues, DeleteNothingWhenTheyCouldLeadElsewhere) {
    const PathGuard guard(standardFolders());
    for (const char* value : {"",           "\\",           "sub\\",   "sub/",
                              ".",          "sub\\.",       "..",      "..\\x",
                              "sub\\..\\x", "x\\..",        "../x",    "sub/../../x",
                              "...\\x",     ". .\\x",       ".. \\x",  "C:\\WINDOWS\\win.ini",
                              "C:win.ini",  "a.txt:stream", "CON",     "sub\\nul.txt",
                              "LPT1\\x",    "*\\x.dll",     "sub?\\x", "a|b",
                              "a<b",        "a>b",          "a\"b",    "a\rb"})
        EXPECT_FALSE(guard.fileValueVerdict(value).allowed()) << value;
    EXPECT_FALSE(guard.fileValueVerdict(std::string("a.txt\0..\\..\\x", 14)).allowed());
}

}  // namespace

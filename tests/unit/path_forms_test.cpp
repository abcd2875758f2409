// What paths name, and the rules that keep deletions inside the product,
// checked on paths.
#include <gtest/gtest.h>

#include "engine/DeletionJudge.h"
#include "engine/PathForms.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeText.h"
#include "tests/fakes/Fakes.h"

namespace {

using fakes::utf8;

// Names compare as the machine's file system compares them.
const fakes::FakeSystem machine;

using engine::canonicalPath;
using engine::DeletionJudge;
using engine::GuardFolders;
using engine::isDeviceName;

std::string show(const std::string& path) {
    const auto canonical = canonicalPath(path, machine);
    if (!canonical) return "<refused>";
    return canonical->root + canonical->names;
}

TEST(CanonicalPath, FoldsWhatWindowsFolds) {
    EXPECT_EQ(show("C:\\Prod\\\\App\\"), "C:\\PROD\\APP");
    EXPECT_EQ(show("c:/prod/app"), "C:\\PROD\\APP");
    EXPECT_EQ(show("C:\\prod\\.\\x\\..\\app"), "C:\\PROD\\APP");
    EXPECT_EQ(show("C:\\WINDOWS. \\System"), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(show("C:\\"), "C:");
    EXPECT_EQ(show("\\\\Server\\Share\\Dir\\"), "\\\\SERVER\\SHARE\\DIR");
    EXPECT_EQ(show("\\\\server\\share"), "\\\\SERVER\\SHARE");
    // Names of any alphabet, a character at a time: a "\\" is never found
    // inside a character, as the byte 0x5C is inside many of code page 932.
    EXPECT_EQ(show(utf8(u8"C:\\Program Files\\QUOB 機能\\申告\\貼.exe")),
              utf8(u8"C:\\PROGRAM FILES\\QUOB 機能\\申告\\貼.EXE"));
    EXPECT_EQ(show(utf8(u8"C:\\Черновики\\Ящик")), utf8(u8"C:\\ЧЕРНОВИКИ\\ЯЩИК"));
    EXPECT_EQ(show(utf8(u8"C:\\설정\\😀.tmp")), utf8(u8"C:\\설정\\😀.TMP"));
    // A folder beside the install folder whose name only begins like it.
    // A final path is taken as the system gave it: a name really ending in a
    // dot or a blank (made through "\\\\?\\") is another name.
    const auto final = [](const std::string& path) {
        return engine::canonicalFinalPath(path, machine);
    };
    ASSERT_TRUE(final("\\\\?\\C:\\QUOB Demo.") && final("\\\\?\\UNC\\srv\\share\\QUOB Demo"));
    EXPECT_FALSE(*final("\\\\?\\C:\\QUOB Demo. ") == *final("\\\\?\\C:\\quob demo"));
    EXPECT_FALSE(final("\\\\?\\C:\\QUOB Demo.\\x")->isWithin(*final("\\\\?\\C:\\QUOB Demo")));
    EXPECT_TRUE(final("\\\\?\\c:\\quob demo\\X")->isWithin(*final("\\\\?\\C:\\QUOB Demo")));
    EXPECT_FALSE(final("\\\\?\\C:\\a\\..\\b") || final("C:\\a") || final("\\\\?\\C:\\a\\\\b"));
    const auto install = canonicalPath(utf8(u8"C:\\Program Files\\QUOB 機能"), machine);
    EXPECT_FALSE(canonicalPath(utf8(u8"C:\\Program Files\\QUOB 機能拡張\\bin"), machine)
                     ->isWithin(*install));
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
          "conin$", "CONOUT$", "com\u00B9", "LPT\u00B3.log", "Lpt1 .txt"})
        EXPECT_TRUE(isDeviceName(name, machine)) << name;
    for (const char* name : {"CONFIG", "CONSOLE.txt", "COM10", "LPT", "xcon", "nul_", "com1x", "",
                             "C\u00D3N", "COM\u2074", "\u0421ON"})
        EXPECT_FALSE(isDeviceName(name, machine)) << name;
}

GuardFolders standardFolders(const std::string& installDir = "C:\\Program Files\\Corvalune") {
    GuardFolders folders;
    folders.windowsFolder = "C:\\WINDOWS\\";
    folders.systemFolder = "C:\\WINDOWS\\SYSTEM\\";
    folders.programsFolder = "C:\\Users\\ann\\Start Menu\\Programs";
    folders.installDir = installDir;
    folders.productStartMenu = folders.programsFolder + "\\CORVALUNE quob Demo";
    folders.keptFolders = fakes::FakeSystem().keptFolders();
    return folders;
}

// A judge over a machine holding the folders, as a run sets one up.
struct Judged {
    explicit Judged(const std::string& installDir)
        : folders(standardFolders(installDir)), judge(laid(world), world.system, folders) {}
    static fakes::FakeFileSystem& laid(fakes::FakeWorld& world) {
        world.files.addFolder("C:\\Program Files\\Corvalune");
        world.files.addFolder("C:\\WINDOWS\\Corvalune");
        return world.files;
    }
    fakes::FakeWorld world;
    GuardFolders folders;
    DeletionJudge judge;
};

TEST(FolderRemoval, AnInstallDirectoryAtARootOrAboveSystemFoldersServesAsNoBase) {
    for (const char* installDir :
         {"", "C:\\", "C:", "\\", "Corvalune", "C:\\WINDOWS", "C:\\windows\\system\\",
          "C:\\Users\\ann\\Start Menu", "C:\\WINDOWS\\..", "\\\\server\\share",
          // Network and device paths: the owned folder must be a plain folder
          // on a drive of this machine.
          "\\\\server\\share\\Corvalune", "\\\\localhost\\C$\\Program Files\\Corvalune",
          "\\\\?\\C:\\Program Files\\Corvalune", "\\\\.\\C:\\Program Files\\Corvalune",
          "//server/share/Corvalune",
          // The folders Windows itself keeps, and folders above them.
          "C:\\Program Files", "C:\\Program Files (x86)\\", "C:\\Program Files\\Common Files",
          "C:\\ProgramData", "C:\\Users", "C:\\Users\\ann", "C:\\users\\ann\\AppData",
          "C:\\Users\\ann\\AppData\\Local\\Temp", "C:\\Users\\Public", "C:\\Users\\ann\\Desktop",
          "C:\\ProgramData\\Start Menu"}) {
        const Judged judged(installDir);
        EXPECT_FALSE(judged.judge.installDirVerdict().allowed()) << installDir;
        EXPECT_FALSE(judged.judge.fileValueVerdict("a.txt").allowed()) << installDir;
    }
    // A folder inside the Windows folder is a plain install folder.
    EXPECT_TRUE(Judged("C:\\WINDOWS\\Corvalune").judge.installDirVerdict().allowed());
}

TEST(FileValues, NameFilesBelowTheInstallDirectory) {
    const Judged judged("C:\\Program Files\\Corvalune");
    const DeletionJudge& guard = judged.judge;
    for (const char* value :
         {"a.txt", "\\a.txt", "sub\\a.txt", "sub/*.dll", ".\\a.txt", "*.*", "a?.txt", "*.",
          "sub\\\\a.txt", "\\\\server\\share\\a.txt", "CONFIG.SYS", "con*"})
        EXPECT_TRUE(guard.fileValueVerdict(value).allowed()) << value;
}

TEST(FileValues, DeleteNothingWhenTheyCouldLeadElsewhere) {
    const Judged judged("C:\\Program Files\\Corvalune");
    const DeletionJudge& guard = judged.judge;
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

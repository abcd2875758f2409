// Deletions judged by where they really land, on the real file system of the
// prefix: a folder link planted inside the install folder and file types
// registered by their short 8.3 paths.
#include "tests/wine/FolderLink.h"
#include "tests/wine/removal/RemovalFixture.h"

using namespace removaltest;

namespace {

// A folder link planted in the install folder leads to a folder of
// sentinels, and the application's file types are registered in their short
// 8.3 form: nothing behind the link is touched, the link stays, and the
// application's folders go as they do with the long form.
TEST_F(RemovalOnWine, NothingBehindALinkGoesAndShortCommandsRemoveTheirFolders) {
    lay();
    const std::string precious = scratch + "\\precious";
    makeFolder(precious);
    for (const char* name : {"a.txt", "viewer.exe"}) {
        sentinels[precious + "\\" + name] = "behind the link";
        writeFile(precious + "\\" + name, "behind the link");
    }
    const std::string link = options.installDir + "\\Data";
    ASSERT_TRUE(winetest::plantFolderLink(link, precious));

    const demo::Application& reader = app("QUOB Reader");
    for (const demo::FileType& type : reader.fileTypes) {
        char shortFolder[MAX_PATH] = {};
        ASSERT_GT(GetShortPathNameA((options.installDir + "\\" + type.folder).c_str(), shortFolder,
                                    MAX_PATH),
                  0u);
        const std::string program = type.command.substr(type.command.rfind('\\'));
        setStringValue(HKEY_CLASSES_ROOT, type.name + "\\shell\\open\\command",
                       shortFolder + program);
    }
    setStringValue(HKEY_CLASSES_ROOT, ".qlnk", "QUOBLinked.File");
    setStringValue(HKEY_CLASSES_ROOT, "QUOBLinked.File\\shell\\open\\command",
                   link + "\\viewer.exe %1");
    const std::string script = options.installDir + "\\" + reader.scriptName;
    writeFile(script, readFile(script) +
                          "removefile=Data\\*.*\r\nremovefile=Data\\a.txt\r\nremovekey=.qlnk\r\n");
    {
        Headless uninstaller;
        uninstaller.selectTitle("QUOB Reader");
        ASSERT_TRUE(uninstaller.remove().completed);
    }
    expectSentinelsUntouched();
    EXPECT_NE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    for (const std::string& folder : reader.folders)
        EXPECT_FALSE(folderExists(options.installDir + "\\" + folder)) << folder;
    EXPECT_FALSE(folderExists(startMenuFolder() + "\\" + reader.folder));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".qlnk"));
    deleteKeyTree(HKEY_CLASSES_ROOT, "QUOBLinked.File");
    EXPECT_TRUE(winetest::removeFolderLink(link));
}

}  // namespace

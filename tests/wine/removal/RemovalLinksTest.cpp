// Deletions judged by where they really land, on the real file system of the
// prefix: a folder link planted inside the install folder and file types
// registered by their short 8.3 paths; and what else the inputs of a run may
// point at: file types the product doesn't own, a key that is no file type,
// and a product key naming a folder Windows keeps.
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

// Registrations a removekey line reads may belong to others: a type shared
// with Windows, one another vendor has taken over, a name of several levels.
// And the product key may name Program Files or the user's profile, where
// other programs' files lie. None of it is deleted.
TEST_F(RemovalOnWine, WhatTheProductDoesNotOwnStays) {
    lay();
    const std::string programFiles = stringValue(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    ASSERT_FALSE(programFiles.empty());
    const std::string vendor = programFiles + "\\QUOB Other Vendor";
    makeFolder(vendor);
    sentinels[vendor + "\\app.exe"] = "another vendor's program";
    writeFile(vendor + "\\app.exe", "another vendor's program");
    setStringValue(HKEY_CLASSES_ROOT, ".qshared", "QUOBDemo.Shared");
    setStringValue(HKEY_CLASSES_ROOT, "QUOBDemo.Shared\\shell\\open\\command",
                   windowsFolder() + "\\notepad.exe %1");
    setStringValue(HKEY_CLASSES_ROOT, ".qvendor", "QUOBDemo.Vendor");
    setStringValue(HKEY_CLASSES_ROOT, "QUOBDemo.Vendor\\shell\\open\\command",
                   "\"" + vendor + "\\app.exe\" \"%1\"");
    setStringValue(HKEY_CLASSES_ROOT, "QUOBDemo.Leaf\\InprocServer32", "leaf");
    writeFile(options.installDir + "\\steer.del",
              "title=Steering\r\nremovekey=.qshared\r\nremovekey=.qvendor\r\n"
              "removekey=QUOBDemo.Leaf\\InprocServer32\r\n");
    {
        Headless uninstaller;
        uninstaller.selectTitle("Steering");
        ASSERT_TRUE(uninstaller.remove().completed);
    }
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".qshared"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".qvendor"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "QUOBDemo.Shared\\shell\\open\\command"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "QUOBDemo.Vendor\\shell\\open\\command"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "QUOBDemo.Leaf\\InprocServer32"));
    expectSentinelsUntouched();

    // A product key naming Program Files, then the user's profile: the
    // scripts lying there are listed, and their lines delete nothing.
    char profile[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH), 0u);
    for (const std::string& folder : {programFiles, std::string(profile)}) {
        const std::string script = folder + "\\quob-steer.del";
        writeFile(script, "title=Steer\r\nremovefile=QUOB Other Vendor\\*.*\r\nremovefile=*.*\r\n");
        sentinels[folder + "\\quob-top.txt"] = "at the top of a folder Windows keeps";
        writeFile(folder + "\\quob-top.txt", "at the top of a folder Windows keeps");
        setStringValue(HKEY_LOCAL_MACHINE, demo::kProductKey, folder);
        {
            Headless uninstaller;
            ASSERT_EQ(uninstaller.list.titles, std::vector<std::string>{"Steer"}) << folder;
            ASSERT_TRUE(uninstaller.install.ok_Click({0}).completed);
        }
        EXPECT_TRUE(fileExists(script)) << folder;
        expectSentinelsUntouched();
        DeleteFileA(script.c_str());
    }
    for (const auto& [path, contents] : sentinels)
        if (path.find("quob-top.txt") != std::string::npos) DeleteFileA(path.c_str());
    removeTree(vendor);
    deleteKeyTree(HKEY_CLASSES_ROOT, "QUOBDemo.Leaf");
}

}  // namespace

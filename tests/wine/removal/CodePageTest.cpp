// The removal on Japanese, Russian and Western Windows, each a full run of
// the engine over the real system in that machine's ANSI code page: folders,
// files, titles and variable names in that script, the removal scripts
// written in the code page's bytes. Wine takes the code page from the Unix
// locale, so each case runs in a process of its own (see CMakeLists.txt,
// which sets LANG and SPRELLOW_CODE_PAGE); elsewhere they are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/WideText.h"
#include "tests/wine/removal/RemovalFixture.h"

namespace removaltest {
namespace {

using platform::win32::wide;

std::string u8(std::u8string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string toString(const Tree& tree) {
    std::string text;
    for (const std::string& entry : tree) text += "\n  " + entry;
    return text;
}

class CodePages : public RemovalOnWine {
protected:
    // Runs only in the process the build set up for `codePage`.
    bool inCodePage(unsigned codePage) {
        const char* wanted = std::getenv("SPRELLOW_CODE_PAGE");
        if (wanted == nullptr || std::atoi(wanted) != static_cast<int>(codePage)) return false;
        EXPECT_EQ(GetACP(), codePage) << "the locale gives another ANSI code page";
        return GetACP() == codePage;
    }

    // A removal script in the machine's code page, as an installer there
    // writes it; every character must be one the code page holds.
    void writeScript(const std::string& path, const std::string& text) {
        const std::wstring units = wide(text);
        BOOL lost = FALSE;
        const int size = static_cast<int>(units.size());
        const int bytes =
            WideCharToMultiByte(CP_ACP, 0, units.data(), size, nullptr, 0, nullptr, &lost);
        std::string ansi(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, 0, units.data(), size, ansi.data(), bytes, nullptr, &lost);
        ASSERT_FALSE(lost) << "the code page can't hold the script " << path;
        writeFile(path, ansi);
    }

    // The product keys naming `installDir`, the uninstaller's stand-in there
    // and the product's Start-menu folder.
    void layProduct(const std::string& installDir) {
        options.installDir = installDir;
        makeFolder(installDir);
        setStringValue(HKEY_LOCAL_MACHINE, demo::kProductKey, installDir);
        setStringValue(HKEY_LOCAL_MACHINE, demo::kUninstallKey, "Corvalune QUOB demo");
        writeFile(installDir + "\\" + ownName() + ".exe", "uninstaller stand-in");
        makeFolder(startMenuFolder());
    }

    // A file type of the product: the extension key and its open command.
    void addFileType(const std::string& extension, const std::string& type,
                     const std::string& command) {
        setStringValue(HKEY_CLASSES_ROOT, extension, type);
        setStringValue(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", command);
    }

    void files(const std::string& folder, std::initializer_list<std::string> names) {
        makeFolder(folder);
        for (const std::string& name : names) writeFile(folder + "\\" + name, name);
    }
};

// Japanese (932): many characters end in the byte of "\" (0x5C): 能, 申, 貼,
// 予, 表, ソ. The install folder's last character, the program folder and
// the program's name all hold one; a folder beside the install folder
// begins with its name.
TEST_F(CodePages, Japanese932) {
    if (!inCodePage(932)) GTEST_SKIP() << "runs with LANG=ja_JP.UTF-8";
    const std::string install = scratch + u8(u8"\\QUOB 機能");
    const std::string sibling = scratch + u8(u8"\\QUOB 機能拡張\\bin");
    layProduct(install);
    files(install + u8(u8"\\申告"),
          {u8(u8"貼.exe"), u8(u8"予備.dat"), u8(u8"表1.txt"), u8(u8"表2.txt"), u8(u8"ソ.txt")});
    files(startMenuFolder() + u8(u8"\\申告"), {u8(u8"申告.lnk")});
    makeFolder(scratch + u8(u8"\\QUOB 機能拡張"));
    files(sibling, {"tool.exe", "keep.txt"});
    addFileType(".qjp", "QUOBDemo.Jp", install + u8(u8"\\申告\\貼.exe %1"));
    addFileType(".qjs", "QUOBDemo.JpSibling", sibling + "\\tool.exe %1");
    writeScript(install + u8(u8"\\申告.del"), u8(u8"title=申告ソフト\r\n"
                                                 "dir=申告\r\n"
                                                 "removefile=$dir$\\予備.dat\r\n"
                                                 "removefile=$DIR$\\表?.txt\r\n"
                                                 "removefile=$dir$\\ソ.txt\r\n"
                                                 "removefile=$dir$\\貼.exe\r\n"
                                                 "removekey=.qjp\r\n"
                                                 "removekey=.qjs\r\n"
                                                 "removefile=申告.del\r\n"));

    Headless run;
    ASSERT_EQ(run.list.titles, std::vector<std::string>{u8(u8"申告ソフト")});
    const engine::RemovalOutcome outcome = run.remove();
    ASSERT_TRUE(outcome.completed) << outcome.message;

    EXPECT_EQ(tree(scratch + u8(u8"\\QUOB 機能拡張")),
              (Tree{"folder bin", "file bin\\tool.exe", "file bin\\keep.txt"}));
    EXPECT_FALSE(folderExists(install)) << toString(tree(install));
    EXPECT_FALSE(folderExists(startMenuFolder())) << toString(tree(startMenuFolder()));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".qjp"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "QUOBDemo.Jp\\shell\\open\\command"));
    expectProductKeys(false);
}

// Russian (1251): a variable stored in capitals and referred to in lower
// case; the Western table folds neither Ч nor Я, and the reference would
// name the install folder itself. Only one of the two applications goes.
TEST_F(CodePages, Russian1251) {
    if (!inCodePage(1251)) GTEST_SKIP() << "runs with LANG=ru_RU.UTF-8";
    const std::string install = scratch + u8(u8"\\QUOB Демо");
    layProduct(install);
    files(install, {u8(u8"корень.tmp")});
    files(install + u8(u8"\\Черновики"),
          {u8(u8"а.tmp"), u8(u8"Я.tmp"), u8(u8"Заметка.txt"), u8(u8"оставить.doc")});
    files(install + u8(u8"\\Черновики\\Редактор"), {u8(u8"редактор.exe")});
    files(startMenuFolder() + u8(u8"\\Редактор"), {u8(u8"Редактор.lnk")});
    files(install + u8(u8"\\Почта"), {u8(u8"письмо.tmp")});
    addFileType(".qru", "QUOBDemo.Ru", install + u8(u8"\\Черновики\\Редактор\\редактор.exe %1"));
    writeScript(install + u8(u8"\\черновики.del"), u8(u8"title=Черновики\r\n"
                                                      "ЧЕРНОВИК=Черновики\r\n"
                                                      "removefile=$черновик$\\*.tmp\r\n"
                                                      "removefile=$ЧерновиК$\\заметка.TXT\r\n"
                                                      "removekey=.qru\r\n"
                                                      "removefile=черновики.del\r\n"));
    writeScript(install + u8(u8"\\почта.del"), u8(u8"title=Почта\r\n"
                                                  "removefile=Почта\\*.tmp\r\n"));

    Headless run;
    ASSERT_EQ(run.list.count(), 2);
    run.selectTitle(u8(u8"Черновики"));
    const engine::RemovalOutcome outcome = run.remove();
    ASSERT_TRUE(outcome.completed) << outcome.message;

    EXPECT_EQ(tree(install), (Tree{u8(u8"file корень.tmp"), u8(u8"file почта.del"),
                                   u8(u8"file ") + lower(ownName()) + ".exe", u8(u8"folder почта"),
                                   u8(u8"file почта\\письмо.tmp"), u8(u8"folder черновики"),
                                   u8(u8"file черновики\\оставить.doc")}));
    EXPECT_EQ(tree(startMenuFolder()), Tree{});
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".qru"));
    expectProductKeys(true);
}

// Western (1252) with names the code page can't hold: Chinese, Greek and an
// emoji, found, judged and removed like any other name.
TEST_F(CodePages, Western1252WithNamesItCantHold) {
    if (!inCodePage(1252)) GTEST_SKIP() << "runs with LANG=en_US.UTF-8";
    const std::string install = scratch + u8(u8"\\QUOB Démo");
    layProduct(install);
    files(install + "\\Data", {u8(u8"数据.tmp"), u8(u8"Ωmega.tmp"), u8(u8"😀.tmp"), "plain.tmp"});
    files(install + "\\Programme", {u8(u8"说明.hlp"), "app.exe"});
    files(startMenuFolder() + "\\Programme", {u8(u8"说明.lnk")});
    addFileType(".qfr", "QUOBDemo.Fr", install + "\\Programme\\app.exe %1");
    writeScript(install + u8(u8"\\données.del"), u8(u8"title=Données\r\n"
                                                    "removefile=Data\\*.tmp\r\n"
                                                    "removekey=.qfr\r\n"
                                                    "removefile=données.del\r\n"));

    Headless run;
    ASSERT_EQ(run.list.titles, std::vector<std::string>{u8(u8"Données")});
    const engine::RemovalOutcome outcome = run.remove();
    ASSERT_TRUE(outcome.completed) << outcome.message;

    // The subfolder Data is emptied by its line; the clean-up leaves
    // subfolders, so it and the install folder stay.
    EXPECT_EQ(tree(install), Tree{"folder data"});
    EXPECT_FALSE(folderExists(startMenuFolder())) << toString(tree(startMenuFolder()));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".qfr"));
    expectProductKeys(false);
}

}  // namespace
}  // namespace removaltest

// removekey lines: the extension key, the file type's open command, and the
// program and Start-menu folders the command points to.
#include <string>
#include <vector>

#include "tests/fakes/FakeText.h"
#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;
using Strings = std::vector<std::string>;

class KeyRemoval : public ProductTest {
protected:
    void SetUp() override {
        layDownProduct();
        install.findApplications();
        world.files.addFile(inInstall("Viewer\\viewer.exe"));
        world.files.addFile(inInstall("Viewer\\help.txt"));
        world.files.addFile(startMenu("Viewer\\Viewer.lnk"));
    }
};

TEST_F(KeyRemoval, RemovesBothKeysAndTheProgramAndStartMenuFolders) {
    addFileType(".qvw", "QuobViewer", inInstall("Viewer\\viewer.exe") + " %1");
    world.log.clear();
    removeKey(".qvw");

    EXPECT_FALSE(keyExists(HKCR, ".qvw"));
    EXPECT_FALSE(keyExists(HKCR, "QuobViewer\\shell\\open\\command"));
    EXPECT_TRUE(keyExists(HKCR, "QuobViewer\\shell\\open"));
    EXPECT_FALSE(exists(inInstall("Viewer")));
    EXPECT_FALSE(exists(startMenu("Viewer")));
    EXPECT_TRUE(world.registry.openHandles().empty());
    EXPECT_EQ(world.log.only({"RegDeleteKey", "DeleteEntry"}),
              (Strings{"RegDeleteKey HKCR\\.qvw -> 0",
                       "RegDeleteKey HKCR\\QuobViewer\\shell\\open\\command -> 0",
                       "DeleteEntry C:\\Program Files\\Corvalune\\Viewer\\help.txt -> 0",
                       "DeleteEntry C:\\Program Files\\Corvalune\\Viewer\\viewer.exe -> 0",
                       "DeleteEntry C:\\Program Files\\Corvalune\\Viewer -> 0",
                       "DeleteEntry C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob "
                       "Demo\\Viewer\\Viewer.lnk -> 0",
                       "DeleteEntry C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob "
                       "Demo\\Viewer -> 0"}));
    // The extension key goes before its command is looked at; the command
    // key's handle is closed last.
    const Strings registry =
        world.log.only({"RegOpenKeyEx HKCR", "RegDeleteKey", "RegCloseKey HKCR"});
    ASSERT_EQ(registry.size(), 6u);
    EXPECT_EQ(registry[0], "RegOpenKeyEx HKCR\\.qvw -> 0");
    EXPECT_EQ(registry[3], "RegOpenKeyEx HKCR\\QuobViewer\\shell\\open\\command -> 0");
    EXPECT_EQ(world.log.lines().back(), "RegCloseKey HKCR\\QuobViewer\\shell\\open\\command -> 0");
}

TEST_F(KeyRemoval, AQuotedCommandNamesNoProgramFolderButStillItsStartMenuFolder) {
    addFileType(".qvw", "QuobViewer", "\"" + inInstall("Viewer\\viewer.exe") + "\" \"%1\"");
    removeKey(".qvw");
    EXPECT_TRUE(exists(inInstall("Viewer\\viewer.exe")));
    EXPECT_FALSE(exists(startMenu("Viewer")));
}

TEST_F(KeyRemoval, TheCutIsMadeAtTheLastSeparatorOfTheWholeCommand) {
    // Both folders come from the text before the argument's last "\".
    world.files.addFile(inInstall("Viewer\\viewer.exe -d Data\\x.dat"));
    world.files.addFile(startMenu("viewer.exe -d Data\\x.lnk"));
    addFileType(".qvw", "QuobViewer", inInstall("Viewer\\viewer.exe") + " -d Data\\%1");
    removeKey(".qvw");
    EXPECT_FALSE(exists(inInstall("Viewer\\viewer.exe -d Data")));
    EXPECT_FALSE(exists(startMenu("viewer.exe -d Data")));
    EXPECT_TRUE(exists(inInstall("Viewer\\viewer.exe")));
    EXPECT_TRUE(exists(startMenu("Viewer")));
}

TEST_F(KeyRemoval, ACommandWithoutSeparatorsIsBothFolderAndName) {
    world.files.addFile(startMenu("viewer.exe %1\\x.lnk"));
    addFileType(".qvw", "QuobViewer", "viewer.exe %1");
    removeKey(".qvw");
    EXPECT_FALSE(exists(startMenu("viewer.exe %1")));
    EXPECT_TRUE(keyExists(HKCR, "QuobViewer\\shell\\open\\command"));  // names no program
}

TEST_F(KeyRemoval, WithDeletionsForbiddenTheKeysStillGoButNoFolder) {
    world.files.addFile(inInstall("can't delete"));
    addFileType(".qvw", "QuobViewer", inInstall("Viewer\\viewer.exe") + " %1");
    removeKey(".qvw");
    EXPECT_FALSE(keyExists(HKCR, ".qvw"));
    EXPECT_FALSE(keyExists(HKCR, "QuobViewer\\shell\\open\\command"));
    EXPECT_TRUE(exists(inInstall("Viewer\\viewer.exe")));
    EXPECT_TRUE(exists(startMenu("Viewer\\Viewer.lnk")));
}

TEST_F(KeyRemoval, AMissingOrLockedKeyIsLeftAlone) {
    addFileType(".locked", "LockedType", inInstall("Viewer\\viewer.exe"));
    world.registry.denyFullAccess(HKCR, ".locked");
    world.log.clear();
    removeKey(".absent");
    removeKey(".locked");
    EXPECT_EQ(world.log.only({"RegOpenKeyEx HKCR"}),
              (Strings{"RegOpenKeyEx HKCR\\.absent -> 2", "RegOpenKeyEx HKCR\\.locked -> 5"}));
    EXPECT_EQ(world.log.count("RegDeleteKey"), 0);
    EXPECT_TRUE(keyExists(HKCR, ".locked"));
}

// An empty name would open HKEY_CLASSES_ROOT itself.
TEST_F(KeyRemoval, AnEmptyOrRootedNameOpensNothing) {
    world.log.clear();
    removeKey("");
    removeKey("\\");
    removeKey("\\.qvw");
    EXPECT_EQ(world.log.count("RegOpenKeyEx HKCR"), 0);
}

TEST_F(KeyRemoval, WithoutFileTypeOrCommandOnlyTheExtensionKeyGoes) {
    world.registry.addKey(HKCR, ".notype");
    world.registry.setString(HKCR, ".nocmd", "", "NoCommand");
    world.registry.addKey(HKCR, "NoCommand\\shell\\open");
    world.log.clear();
    removeKey(".notype");
    removeKey(".nocmd");
    EXPECT_FALSE(keyExists(HKCR, ".notype"));
    EXPECT_FALSE(keyExists(HKCR, ".nocmd"));
    EXPECT_TRUE(keyExists(HKCR, "NoCommand\\shell\\open"));
    // The empty file type never becomes "\shell\open\command".
    EXPECT_EQ(world.log.only({"RegOpenKeyEx HKCR"}),
              (Strings{"RegOpenKeyEx HKCR\\.notype -> 0", "RegOpenKeyEx HKCR\\.nocmd -> 0",
                       "RegOpenKeyEx HKCR\\NoCommand\\shell\\open\\command -> 2"}));
    EXPECT_TRUE(world.registry.openHandles().empty());
}

// An empty command would make both folders start from the Start-menu
// folder of the product or the current drive's root.
TEST_F(KeyRemoval, AnEmptyCommandRemovesNoFolder) {
    world.files.addFile(startMenu("top.lnk"));
    addFileType(".qvw", "QuobViewer", "");
    removeKey(".qvw");
    EXPECT_TRUE(keyExists(HKCR, "QuobViewer\\shell\\open\\command"));  // names no program
    EXPECT_TRUE(exists(startMenu("top.lnk")));
    EXPECT_EQ(world.log.count("DeleteEntry"), 0);
}

// Windows often registers programs by their short 8.3 path: the folders are
// judged where they really are, so the short form removes what the long one
// does, the Start-menu folder named after the program folder's long name.
TEST_F(KeyRemoval, ACommandInShortFormRemovesTheSameFolders) {
    world.files.setShortName("C:\\Program Files", "PROGRA~1");
    world.files.setShortName(installDir, "CORVAL~1");
    world.files.setShortName(inInstall("Viewer"), "VIEWER~1");
    addFileType(".qvw", "QuobViewer", "C:\\PROGRA~1\\CORVAL~1\\VIEWER~1\\viewer.exe %1");
    removeKey(".qvw");
    EXPECT_FALSE(exists(inInstall("Viewer")));
    EXPECT_FALSE(exists(startMenu("Viewer")));
}

// A program right in the install folder makes the install folder its
// program folder: removing it would take every other application's script.
TEST_F(KeyRemoval, AProgramRightInTheInstallFolderLeavesThatFolderAlone) {
    addScript("other.del", script({"title=Other"}));
    world.files.addFile(inInstall("delta.exe"));
    addFileType(".dlt", "DeltaDoc", inInstall("delta.exe") + " %1");
    removeKey(".dlt");
    EXPECT_TRUE(exists(inInstall("other.del")));
    EXPECT_TRUE(exists(inInstall("delta.exe")));
    EXPECT_TRUE(exists(inInstall("sprellow.exe")));
    EXPECT_FALSE(keyExists(HKCR, "DeltaDoc\\shell\\open\\command"));
}

// "Viewer\\viewer.exe" and "Viewer\.\viewer.exe" both name the folder Viewer;
// neither makes the product's Start-menu folder itself a program's folder.
TEST_F(KeyRemoval, AnEmptyOrDotFolderNameIsTheFolderItNames) {
    world.files.addFile(startMenu("Remove QUOB.lnk"));
    for (const char* command : {"Viewer\\\\viewer.exe %1", "Viewer\\.\\viewer.exe %1"}) {
        world.files.addFile(inInstall("Viewer\\viewer.exe"));
        world.files.addFile(startMenu("Viewer\\Viewer.lnk"));
        addFileType(".qvw", "QuobViewer", inInstall(command));
        removeKey(".qvw");
        EXPECT_FALSE(exists(inInstall("Viewer"))) << command;
        EXPECT_FALSE(exists(startMenu("Viewer"))) << command;
        EXPECT_TRUE(exists(startMenu("Remove QUOB.lnk"))) << command;
    }
}

// A file type's open command goes only when it starts a program of the
// product: the registrations a removekey line reads may have been taken over
// since, be shared with Windows, or come from a user's own classes. A name of
// several levels names no file type at all.
TEST_F(KeyRemoval, TheCommandGoesOnlyWhenItStartsAProgramOfTheProduct) {
    struct Row {
        const char* value;
        const char* type;
        std::string command;
        bool extensionGoes, commandGoes;
        const char* reason;  // of the refusal, when there is one
    };
    world.files.addFile("C:\\WINDOWS\\notepad.exe");
    world.files.addFile("C:\\Program Files\\Other\\other.exe");
    world.files.setShortName(installDir, "CORVAL~1");
    world.files.setShortName("C:\\Program Files", "PROGRA~1");
    const Row rows[] = {
        {".qvw", "QuobViewer", inInstall("Viewer\\viewer.exe") + " %1", true, true, nullptr},
        {".qsh", "QuobShort", "\"C:\\PROGRA~1\\CORVAL~1\\Viewer\\viewer.exe\" \"%1\"", true, true,
         nullptr},
        {".qtxt", "txtfile", "C:\\WINDOWS\\notepad.exe %1", true, false,
         "lies outside the product"},
        {".qoth", "Other.Document", "\"C:\\Program Files\\Other\\other.exe\" %1", true, false,
         "lies outside the product"},
        {".quob", "exefile", "\"%1\" %*", true, false, "names no program of the product"},
        {".qnp", "NotepadType", "notepad.exe %1", true, false, "names no program of the product"},
        {"CLSID\\{0000}\\InprocServer32", nullptr, "", false, false, "names no file type"},
        {"Some/Type", nullptr, "", false, false, "names no file type"},
    };
    for (const Row& row : rows) {
        if (row.type != nullptr) {
            addFileType(row.value, row.type, row.command);
        } else {
            world.registry.addKey(HKCR, row.value);
            world.registry.setString(HKCR, "Some", "", "x");
        }
        const std::size_t refusals = install.deletions().refusalCount();
        removeKey(row.value);
        EXPECT_NE(keyExists(HKCR, row.value), row.extensionGoes) << row.value;
        if (row.type != nullptr) {
            EXPECT_NE(keyExists(HKCR, std::string(row.type) + "\\shell\\open\\command"),
                      row.commandGoes)
                << row.value;
        }
        // What the line refused about its keys, beside the folders it names.
        std::string said;
        for (std::size_t i = refusals; i < install.deletions().refusalCount(); ++i)
            if (install.deletions().refusal(i).path.rfind("HKCR\\", 0) == 0)
                said += install.deletions().refusal(i).reason;
        if (row.reason == nullptr)
            EXPECT_EQ(said, "") << row.value;
        else
            EXPECT_NE(said.find(row.reason), std::string::npos) << row.value << ": " << said;
        world.files.addFile(inInstall("Viewer\\viewer.exe"));
    }
    EXPECT_TRUE(exists("C:\\WINDOWS\\notepad.exe"));
    EXPECT_TRUE(exists("C:\\Program Files\\Other\\other.exe"));
}

// A program folder written without a full path ("C:" before "\\x.exe")
// names no folder: it is not opened as the drive's current folder, and no
// Start-menu folder is named after that one.
TEST_F(KeyRemoval, AProgramFolderThatIsNoFullPathNamesNoStartMenuFolder) {
    world.files.setCurrentFolder(inInstall("Viewer"));
    world.files.addFile("C:\\x.exe");
    addFileType(".qx", "QuobX", "C:\\x.exe %1");
    removeKey(".qx");
    EXPECT_TRUE(exists(startMenu("Viewer\\Viewer.lnk")));
    EXPECT_TRUE(exists(inInstall("Viewer\\viewer.exe")));
    EXPECT_TRUE(exists("C:\\x.exe"));
}

// The same lines on machines of other code pages, the script written in the
// machine's bytes and every name in its alphabet: the 0x5C that ends many
// characters of 932 is never a "\\", a Cyrillic capital finds its lower case,
// and a Hangul name stays the one it is.
TEST_F(KeyRemoval, CommandsNamedInTheMachinesAlphabet) {
    struct Row {
        unsigned codePage;
        std::u8string folder, program, variable;
    };
    const Row rows[] = {
        {932, u8"申告", u8"貼.exe", u8"予備"},
        {1251, u8"Редактор", u8"Ящик.exe", u8"ЧЕРНОВИК"},
        {949, u8"설정", u8"편집.exe", u8"설정값"},
    };
    for (const Row& row : rows) {
        world.system.setCodePage(row.codePage);
        const std::string folder = fakes::utf8(row.folder);
        const std::string program = folder + "\\" + fakes::utf8(row.program);
        const std::string variable = fakes::utf8(row.variable);
        world.files.addFile(inInstall(program));
        world.files.addFile(inInstall(folder + "\\data.dat"));
        world.files.addFile(startMenu(folder + "\\" + folder + ".lnk"));
        addFileType(".qcp", "QuobCodePage", inInstall(program) + " %1");
        addScript("cp.del", world.system.toAnsi(
                                script({variable + "=" + folder,
                                        "removefile=$" + fakes::lowerText(variable) + "$\\data.dat",
                                        "removekey=.qcp"})));
        install.script().readWholeFile(inInstall("cp.del"));
        install.script().processScript(true);
        EXPECT_FALSE(exists(inInstall(folder))) << row.codePage;
        EXPECT_FALSE(exists(startMenu(folder))) << row.codePage;
        EXPECT_FALSE(keyExists(HKCR, "QuobCodePage\\shell\\open\\command")) << row.codePage;
        EXPECT_TRUE(exists(inInstall("Viewer\\viewer.exe"))) << row.codePage;
    }
}

TEST_F(KeyRemoval, ACommandTooLongForSixteenBitPositionsFailsAndClosesItsKey) {
    addFileType(".qvw", "QuobViewer", inInstall("Viewer\\") + std::string(32800, 'x'));
    try {
        removeKey(".qvw");
        FAIL() << "expected an overflow";
    } catch (const engine::Failure& failure) {
        EXPECT_EQ(failure.kind(), engine::FailureKind::Overflow);
    }
    EXPECT_TRUE(world.registry.openHandles().empty());
    EXPECT_TRUE(exists(inInstall("Viewer\\viewer.exe")));
}

}  // namespace

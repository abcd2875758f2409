// Scripts and registrations written to reach outside the product: after a
// full run, nothing outside the install folder, the product's Start-menu
// folder, the file types its scripts name and its own registry keys has been
// touched.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/FakeText.h"
#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;
using Strings = std::vector<std::string>;

std::string lower(const std::string& text) { return fakes::lowerText(text); }

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class HostileScripts : public ProductTest {
protected:
    // Files and keys that belong to the machine, not to the product.
    void layDownMachine() {
        for (const char* file :
             {"C:\\boot.ini", "C:\\a.txt", "C:\\x.exe", "C:\\WINDOWS\\win.ini",
              "C:\\WINDOWS\\NOTEPAD.EXE", "C:\\WINDOWS\\x.exe", "C:\\WINDOWS\\SYSTEM\\kernel.dll",
              "C:\\WINDOWS\\SYSTEM\\x.exe", "C:\\Users\\ann\\Start Menu\\menu.lnk",
              "C:\\Users\\ann\\Start Menu\\Programs\\top.lnk",
              "C:\\Users\\ann\\Start Menu\\Programs\\x.exe",
              "C:\\Users\\ann\\Start Menu\\Programs\\Accessories\\Notepad.lnk",
              "C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob Demo2\\x.lnk",
              "C:\\Program Files\\sibling.txt", "C:\\Program Files\\Other\\other.exe",
              "C:\\Program Files\\Corvalune2\\x.exe", "D:\\data\\d.txt"})
            world.files.addFile(file);
        // Relative paths would land here.
        world.files.setCurrentFolder("C:\\Program Files\\Other");
        addFileType(".txt", "txtfile", "C:\\WINDOWS\\NOTEPAD.EXE %1");
        world.registry.setString(HKLM, "software\\Other Vendor", "", "C:\\Program Files\\Other");
    }

    // Removes everything listed and checks that only the product was touched.
    void removeEverythingAndCheck(const std::set<std::string>& namedKeys) {
        const Strings pathsBefore = world.files.allPaths();
        const Strings keysBefore = world.registry.allKeys();
        install.Form_Load();
        EXPECT_TRUE(install.ok_Click(every(install)).completed);

        const std::string installed = lower(installDir);
        const std::string menu = lower(startMenu());
        auto owned = [&](const std::string& path) {
            const std::string p = lower(path);
            return p == installed || startsWith(p, installed + "\\") || p == menu ||
                   startsWith(p, menu + "\\");
        };
        Strings outsideBefore, outsideAfter;
        for (const std::string& path : pathsBefore)
            if (!owned(path)) outsideBefore.push_back(path);
        for (const std::string& path : world.files.allPaths())
            if (!owned(path)) outsideAfter.push_back(path);
        EXPECT_EQ(outsideAfter, outsideBefore);
        for (const std::string& path : world.files.deletedPaths()) EXPECT_TRUE(owned(path)) << path;
        for (const std::string& line : world.log.only({"DeleteEntry"})) {
            const std::string path =
                line.substr(line.find(' ') + 1, line.rfind(" -> ") - line.find(' ') - 1);
            EXPECT_TRUE(owned(path)) << line;
        }
        EXPECT_TRUE(world.files.scheduledForRestart().empty());

        Strings keysExpected;
        for (const std::string& key : keysBefore)
            if (!namedKeys.count(lower(key))) keysExpected.push_back(key);
        EXPECT_EQ(world.registry.allKeys(), keysExpected);
        EXPECT_TRUE(world.registry.openHandles().empty());
    }
};

TEST_F(HostileScripts, TouchNothingOutsideTheProduct) {
    layDownProduct();
    layDownMachine();
    world.files.addFile(inInstall("App\\app.exe"));
    world.files.addFile(startMenu("App\\App.lnk"));
    // A folder link inside the install folder leading out of it.
    world.files.addFolderLink(inInstall("Out"), "C:\\Program Files\\Other");

    addScript("files.del", script({"title=Paths",
                                   "removefile=..\\sibling.txt",
                                   "removefile=..\\..\\boot.ini",
                                   "removefile=..",
                                   "removefile=..\\*.*",
                                   "removefile=sub\\..\\..\\sibling.txt",
                                   "removefile=../sibling.txt",
                                   "removefile=App\\..\\..\\Other\\other.exe",
                                   "removefile=...\\x",
                                   "removefile=. .\\x",
                                   "removefile=.. \\sibling.txt",
                                   "removefile=..\\Corvalune2\\x.exe",
                                   "removefile=C:\\boot.ini",
                                   "removefile=C:boot.ini",
                                   "removefile=?:\\boot.ini",
                                   "removefile=D:\\data\\*.*",
                                   "removefile=\\\\server\\share\\x",
                                   "removefile=\\\\?\\C:\\boot.ini",
                                   "removefile=\\\\.\\C:\\boot.ini",
                                   "removefile=CON",
                                   "removefile=NUL",
                                   "removefile=lpt1.txt",
                                   "removefile=App\\AUX\\x",
                                   "removefile=*\\*.*",
                                   "removefile=",
                                   "removefile= ",
                                   "removefile=\\",
                                   "removefile=a.txt:x",
                                   "removefile=\"..\"\\boot.ini",
                                   "removefile=.&.\\boot.ini",
                                   "removefile=Out\\*.*",
                                   "removefile=out\\other.exe",
                                   "removefile=App\\..\\Out\\other.exe"}));
    addScript("vars.del",
              script({"title=Variables", "removefile=$windowdirectory$win.ini",
                      "removefile=$windowsystem$*.*", "removefile=$windowmenuprograms$\\*.*",
                      "removefile=$windowdrive$\\boot.ini", "removefile=$msdaopath$*.*", "up=..",
                      "removefile=$up$\\sibling.txt", "removefile=$up$/$up$/a.txt"}));
    addScript("keys.del", script({"title=Keys",         "removekey=",        "removekey=\\",
                                  "removekey=\\.txt",   "removekey=.hwin",   "removekey=.hsys",
                                  "removekey=.hprg",    "removekey=.hroot",  "removekey=.hunc",
                                  "removekey=.hup",     "removekey=.hfwd",   "removekey=.hslash",
                                  "removekey=.hcon",    "removekey=.hempty", "removekey=.hbare",
                                  "removekey=.hquoted", "removekey=.hstart", "removekey=.hprefix",
                                  "removekey=.happ",    "removekey=.hlink"}));

    const std::string programs = kPrograms;
    const std::vector<std::pair<std::string, std::string>> types = {
        {".hwin", "C:\\WINDOWS\\NOTEPAD.EXE %1"},
        {".hsys", "C:\\WINDOWS\\SYSTEM\\x.exe %1"},
        {".hprg", programs + "\\x.exe"},
        {".hroot", "C:\\x.exe %1"},
        {".hunc", "\\\\server\\share\\x.exe"},
        {".hup", inInstall("..\\..\\x.exe")},
        {".hfwd", "C:/WINDOWS/x.exe %1"},
        {".hslash", inInstall("a/../../..\\x.exe")},
        {".hcon", inInstall("CON\\x.exe")},
        {".hempty", ""},
        {".hbare", "x.exe %1"},
        {".hquoted", "\"C:\\WINDOWS\\NOTEPAD.EXE\" %1"},
        {".hstart", startMenu("..\\Accessories\\x.exe")},
        {".hprefix", "C:\\Program Files\\Corvalune2\\x.exe"},
        {".happ", inInstall("App\\app.exe") + " %1"},
        {".hlink", inInstall("Out\\other.exe") + " %1"},
    };
    std::set<std::string> namedKeys = {lower("HKLM\\" + std::string(engine::kProductKey)),
                                       lower("HKLM\\" + std::string(engine::kUninstallKey))};
    for (const auto& [extension, command] : types) {
        const std::string type = "Type" + extension.substr(1);
        addFileType(extension, type, command);
        namedKeys.insert(lower("HKCR\\" + extension));
        // Only a command that starts a program of the product goes with it.
        if (extension == ".happ")
            namedKeys.insert(lower("HKCR\\" + type + "\\shell\\open\\command"));
    }

    removeEverythingAndCheck(namedKeys);
    // The product itself went as usual.
    EXPECT_FALSE(exists(inInstall("App")));
    EXPECT_FALSE(exists(startMenu()));
    // A link is never removed, so the folder holding it stays, with nothing else.
    EXPECT_TRUE(exists(inInstall("Out")));
    EXPECT_FALSE(exists(inInstall("sprellow.exe")));
    EXPECT_TRUE(keyExists(HKCR, "txtfile\\shell\\open\\command"));
}

// A product key whose install directory is a drive root or a system folder,
// in any spelling, gives deletions no base at all.
TEST_F(HostileScripts, AnInstallDirectoryAtARootOrSystemFolderDeletesNoFile) {
    for (const char* dir :
         {"C:\\", "C:\\WINDOWS", "c:\\windows\\system\\", kPrograms, "C:\\Users\\ann\\Start Menu",
          "C:\\WINDOWS\\..", "C:\\Users\\ann\\STARTM~1", "C:\\WINDOW~1\\SYSTEM"}) {
        SCOPED_TRACE(dir);
        fakes::FakeWorld machine;
        engine::Install run(machine.platform(), machine.dialog, machine.progress);
        machine.registry.setString(HKLM, engine::kProductKey, "", dir);
        machine.registry.setString(HKCU, kShellFolders, "Programs", kPrograms);
        for (const char* file : {"C:\\boot.ini", "C:\\WINDOWS\\win.ini", "C:\\sprellow.exe",
                                 "C:\\WINDOWS\\sprellow.exe", "C:\\WINDOWS\\SYSTEM\\x.dll"})
            machine.files.addFile(file);
        machine.files.addFile(std::string(kPrograms) + "\\x.lnk");
        machine.files.setShortName("C:\\Users\\ann\\Start Menu", "STARTM~1");
        machine.files.setShortName("C:\\WINDOWS", "WINDOW~1");
        machine.files.addFile(std::string(dir) + "\\evil.del",
                              script({"title=Evil", "removefile=*.*", "removefile=boot.ini"}));
        machine.system.setProgramFolder(dir);
        const Strings before = machine.files.allPaths();
        run.Form_Load();
        ASSERT_EQ(run.appCount(), 1);
        EXPECT_TRUE(run.ok_Click({0}).completed);
        EXPECT_EQ(machine.files.allPaths(), before);
        EXPECT_EQ(machine.log.count("DeleteEntry"), 0);
        EXPECT_FALSE(machine.registry.keyExists(HKLM, engine::kProductKey));
    }
}

}  // namespace

// The whole removal, headless, against the real registry and file system of
// the prefix: the demo tool lays the product down in a scratch folder, the
// engine runs over the Win32 adapters with console views, and what is left
// is compared with what must be left. Files around the product (in the
// Windows folder, the Programs folder and beside the install folder) must
// come through untouched.
//
// The running program is this test, not sprellow.exe, so the product
// clean-up deletes "<install folder>\<this test's name>.exe": the tests lay
// a stand-in under that name, where the uninstaller would sit.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "PlanJson.h"
#include "Traces.h"
#include "engine/Install.h"
#include "platform/win32/Win32Platform.h"
#include "tests/wine/FolderLink.h"
#include "tests/wine/WineText.h"
#include "tools/demoproduct/ConsoleViews.h"
#include "tools/demoproduct/DemoLayout.h"

using namespace removaltest;

namespace {

using Tree = std::set<std::string>;

using winetest::lower;

// One headless run of the uninstaller: a fresh engine over the real system.
struct Headless {
    platform::win32::Win32Platform win32;
    demo::ConsoleDialog dialog{true};
    demo::ConsoleList list{true};
    demo::ConsoleProgress progress{true};
    engine::Install install{win32.platform(), dialog, progress};

    Headless() {
        install.Form_Load();
        list.show(install);
    }

    void selectTitle(const std::string& title) {
        for (int i = 0; i < list.count(); ++i)
            if (list.titles[static_cast<std::size_t>(i)] == title) list.select(i);
    }
    engine::RemovalOutcome remove() { return install.ok_Click(list.chosen()); }
};

class RemovalOnWine : public ::testing::Test {
protected:
    std::string scratch;  // a folder of its own under C:\, holding the install folder
    demo::Options options;
    demo::Layout layout;
    std::string programs;
    std::map<std::string, std::string> sentinels;  // path -> contents

    void SetUp() override {
        wipeProduct();
        static int counter = 0;
        scratch = "C:\\quob-removal-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++counter);
        removeTree(scratch);
        makeFolder(scratch);
        options.installDir = scratch + "\\CORVALUNE QUOB Demo";
        programs = programsFolder();
        ASSERT_FALSE(programs.empty()) << "the prefix names no Programs folder";
    }

    void TearDown() override {
        wipeProduct();
        removeTree(scratch);
        for (const auto& [path, contents] : sentinels) DeleteFileA(path.c_str());
        RemoveDirectoryA((programs + "\\QUOB Reader").c_str());
        deleteKeyTree(HKEY_CLASSES_ROOT, ".qkeep");
        deleteKeyTree(HKEY_CLASSES_ROOT, "QUOBKeep.File");
    }

    // Lays the product with the demo tool (a process of its own), the
    // stand-in for the running uninstaller, and files that must survive.
    void lay(const std::string& extra = {}) {
        layout = demo::makeLayout(options);
        const std::string command = "\"" + ownFolder() + "\\demoproduct.exe\" lay --dir \"" +
                                    options.installDir + "\" " + extra;
        ASSERT_EQ(runProgram(command, scratch + "\\lay.txt"), 0) << readFile(scratch + "\\lay.txt");
        writeFile(options.installDir + "\\" + ownName() + ".exe", "uninstaller stand-in");

        // Each script asks to delete "$windowdirectory$<stem>.ini".
        for (const demo::Application& app : layout.apps)
            sentinels[windowsFolder() + "\\" + app.stem + ".ini"] = "settings of " + app.title;
        sentinels[programs + "\\quob-sentinel.txt"] = "beside the product's Start-menu folder";
        // Named like an application's Start-menu folder, but not inside the product's.
        makeFolder(programs + "\\QUOB Reader");
        sentinels[programs + "\\QUOB Reader\\keep.txt"] = "not the product's";
        sentinels[scratch + "\\beside.txt"] = "beside the install folder";
        makeFolder(scratch + "\\CORVALUNE QUOB Demo Old");
        sentinels[scratch + "\\CORVALUNE QUOB Demo Old\\keep.exe"] = "an older copy";
        for (const auto& [path, contents] : sentinels) writeFile(path, contents);
        // A file type that no script names, pointing beside the product.
        setStringValue(HKEY_CLASSES_ROOT, ".qkeep", "QUOBKeep.File");
        setStringValue(HKEY_CLASSES_ROOT, "QUOBKeep.File\\shell\\open\\command",
                       scratch + "\\CORVALUNE QUOB Demo Old\\keep.exe %1");
    }

    // The scripts in the order the file system lists them, as discovery does.
    std::vector<std::string> scriptsInListingOrder() {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((options.installDir + "\\*.del").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    const demo::Application& app(const std::string& title) {
        for (const demo::Application& a : layout.apps)
            if (a.title == title) return a;
        throw std::runtime_error("no application " + title);
    }

    std::vector<std::string> titlesInListingOrder() {
        std::vector<std::string> titles;
        for (const std::string& script : scriptsInListingOrder())
            for (const demo::Application& a : layout.apps)
                if (lower(a.scriptName) == lower(script)) titles.push_back(a.title);
        return titles;
    }

    // The install folder's tree while the applications in `kept` are installed.
    Tree expectedInstallTree(const std::set<std::string>& kept) {
        Tree expected;
        auto file = [&](const std::string& path) { expected.insert("file " + lower(path)); };
        for (const demo::DemoFile& f : layout.productFiles) file(f.path);
        file(ownName() + ".exe");
        if (fileExists(ownFolder() + "\\" + demo::kUninstallerName)) file(demo::kUninstallerName);
        for (const demo::Application& a : layout.apps) {
            if (!kept.count(a.title)) continue;
            file(a.scriptName);
            for (const std::string& folder : a.folders) expected.insert("folder " + lower(folder));
            for (const demo::DemoFile& f : a.files) file(f.path);
        }
        return expected;
    }

    Tree expectedStartMenuTree(const std::set<std::string>& kept) {
        Tree expected;
        for (const demo::DemoFile& f : layout.startMenuFiles)
            expected.insert("file " + lower(f.path));
        for (const demo::Application& a : layout.apps) {
            if (!kept.count(a.title)) continue;
            expected.insert("folder " + lower(a.folder));
            for (const demo::DemoFile& f : a.startMenuFiles)
                expected.insert("file " + lower(a.folder + "\\" + f.path));
        }
        return expected;
    }

    std::string startMenuFolder() { return programs + "\\" + demo::kStartMenuFolder; }

    void expectFileTypes(const demo::Application& a, bool present) {
        for (const demo::FileType& type : a.fileTypes) {
            if (present) {
                EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, type.extension), type.name);
                EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, type.name), type.description);
                EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, type.name + "\\shell\\open\\command"),
                          type.command);
            } else {
                EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, type.extension)) << type.extension;
                EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, type.name)) << type.name;
            }
        }
    }

    void expectProductKeys(bool present) {
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, demo::kProductKey), present);
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, demo::kUninstallKey), present);
        if (present) {
            EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, demo::kProductKey), options.installDir);
        }
    }

    void expectSentinelsUntouched() {
        for (const auto& [path, contents] : sentinels) EXPECT_EQ(readFile(path), contents) << path;
        EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, ".qkeep"), "QUOBKeep.File");
        EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "QUOBKeep.File\\shell\\open\\command"));
    }

    void expectNothingOfTheProduct() {
        EXPECT_FALSE(folderExists(options.installDir));
        EXPECT_FALSE(folderExists(startMenuFolder()));
        expectProductKeys(false);
        for (const demo::Application& a : layout.apps) expectFileTypes(a, false);
        // The tool's own listing agrees.
        const std::string listing = scratch + "\\show.txt";
        ASSERT_EQ(runProgram("\"" + ownFolder() + "\\demoproduct.exe\" show --dir \"" +
                                 options.installDir + "\"",
                             listing),
                  0);
        EXPECT_EQ(readFile(listing), "no traces of the product\r\n");  // a text-mode console
    }

    std::set<std::string> allTitles() {
        std::set<std::string> titles;
        for (const demo::Application& a : layout.apps) titles.insert(a.title);
        return titles;
    }
};

TEST_F(RemovalOnWine, DiscoveryListsEveryApplicationAndDeletesNothing) {
    lay();
    Headless uninstaller;

    EXPECT_EQ(uninstaller.install.installDir(), options.installDir);
    // The tool reports what it created, the product key last.
    const std::string report = readFile(scratch + "\\lay.txt");
    EXPECT_NE(report.find("HKLM\\software\\Corvalune QUOB DEMO = " + options.installDir + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(uninstaller.list.titles, titlesInListingOrder());
    const std::vector<std::string> scripts = scriptsInListingOrder();
    ASSERT_EQ(uninstaller.install.appCount(), static_cast<int>(scripts.size()));
    for (std::size_t k = 0; k < scripts.size(); ++k)
        EXPECT_EQ(uninstaller.install.scriptNames()[k + 1], scripts[k]);
    // Three applications: none is chosen for the user.
    EXPECT_EQ(uninstaller.list.selectedCount(), 0);
    EXPECT_EQ(uninstaller.list.selectedCount(), 0);
    EXPECT_EQ(uninstaller.dialog.caption, engine::kInstallTitle);
    EXPECT_EQ(uninstaller.install.getVariableValue("windowMenuPrograms"), programs);
    EXPECT_EQ(uninstaller.install.getVariableValue("WINDOWDRIVE"), windowsFolder().substr(0, 2));

    EXPECT_EQ(tree(options.installDir), expectedInstallTree(allTitles()));
    EXPECT_EQ(tree(startMenuFolder()), expectedStartMenuTree(allTitles()));
    for (const demo::Application& a : layout.apps) expectFileTypes(a, true);
    expectProductKeys(true);
    expectSentinelsUntouched();
}

TEST_F(RemovalOnWine, RemovingSomeApplicationsThenAllLeavesNothingOfTheProduct) {
    lay();
    {
        Headless uninstaller;
        uninstaller.selectTitle("QUOB Painter");
        ASSERT_EQ(uninstaller.list.selectedCount(), 1);
        const engine::RemovalOutcome outcome = uninstaller.remove();
        EXPECT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.message, engine::kClosingMessage);
        EXPECT_TRUE(uninstaller.dialog.hidden);
        EXPECT_EQ(uninstaller.progress.subjects, std::vector<std::string>{"QUOB Painter"});
        EXPECT_TRUE(uninstaller.progress.closed);
    }
    const std::set<std::string> kept = {"QUOB Reader", "QUOB Tunes"};
    EXPECT_EQ(tree(options.installDir), expectedInstallTree(kept));
    EXPECT_EQ(tree(startMenuFolder()), expectedStartMenuTree(kept));
    expectFileTypes(app("QUOB Painter"), false);
    expectFileTypes(app("QUOB Reader"), true);
    expectFileTypes(app("QUOB Tunes"), true);
    expectProductKeys(true);
    expectSentinelsUntouched();

    {
        Headless uninstaller;
        // The removed application's script went with it.
        EXPECT_EQ(uninstaller.list.titles, titlesInListingOrder());
        EXPECT_EQ(
            std::set<std::string>(uninstaller.list.titles.begin(), uninstaller.list.titles.end()),
            kept);
        uninstaller.list.selectAll();
        const engine::RemovalOutcome outcome = uninstaller.remove();
        EXPECT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.message, engine::kClosingMessage);
        EXPECT_EQ(uninstaller.progress.subjects, uninstaller.list.titles);  // in list order
    }
    expectNothingOfTheProduct();
    EXPECT_TRUE(folderExists(scratch));
    expectSentinelsUntouched();
}

// Without its file-type registrations only the script's removefile lines
// act: every file goes, the folders stay, since nothing else names them.
TEST_F(RemovalOnWine, WithoutItsFileTypesAnApplicationLeavesOnlyItsEmptyFolders) {
    lay();
    const demo::Application& reader = app("QUOB Reader");
    for (const demo::FileType& type : reader.fileTypes) {
        deleteKeyTree(HKEY_CLASSES_ROOT, type.extension);
        deleteKeyTree(HKEY_CLASSES_ROOT, type.name);
    }
    {
        Headless uninstaller;
        uninstaller.selectTitle("QUOB Reader");
        ASSERT_TRUE(uninstaller.remove().completed);
    }
    Tree expected = expectedInstallTree({"QUOB Painter", "QUOB Tunes"});
    for (const std::string& folder : reader.folders) expected.insert("folder " + lower(folder));
    EXPECT_EQ(tree(options.installDir), expected);
    EXPECT_EQ(tree(startMenuFolder()), expectedStartMenuTree(allTitles()));
    expectFileTypes(app("QUOB Painter"), true);
    expectProductKeys(true);
    expectSentinelsUntouched();
}

TEST_F(RemovalOnWine, ASingleApplicationIsChosenAtOnceAndRemovedWithTheProduct) {
    options.apps = 1;
    lay("--apps 1");
    Headless uninstaller;
    ASSERT_EQ(uninstaller.list.titles, std::vector<std::string>{"QUOB Reader"});
    EXPECT_TRUE(uninstaller.list.isSelected(0));
    EXPECT_EQ(uninstaller.list.selectedCount(), 1);

    const engine::RemovalOutcome outcome = uninstaller.remove();
    EXPECT_TRUE(outcome.completed);
    expectNothingOfTheProduct();
    expectSentinelsUntouched();
}

TEST_F(RemovalOnWine, WithoutTheProductKeyNothingIsListedOrDeleted) {
    lay("--no-product-key");
    Headless uninstaller;
    EXPECT_EQ(uninstaller.list.count(), 0);
    EXPECT_EQ(uninstaller.list.selectedCount(), 0);
    EXPECT_EQ(uninstaller.install.installDir(), "");
    EXPECT_EQ(tree(options.installDir), expectedInstallTree(allTitles()));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, demo::kUninstallKey));
    expectSentinelsUntouched();
}

// The removal of every application leaves the product's install folder with
// what only the product clean-up removes; a partial removal stops there.
TEST_F(RemovalOnWine, RemovingEveryApplicationOneRunAtATimeLeavesTheProductItself) {
    lay();
    std::set<std::string> kept = allTitles();
    for (const char* title : {"QUOB Tunes", "QUOB Reader"}) {
        Headless uninstaller;
        uninstaller.selectTitle(title);
        ASSERT_TRUE(uninstaller.remove().completed);
        kept.erase(title);
        EXPECT_EQ(tree(options.installDir), expectedInstallTree(kept)) << "after " << title;
    }
    {
        // The last one is the only one listed, so it is chosen already, and
        // with it every listed application: the product goes too.
        Headless uninstaller;
        ASSERT_EQ(uninstaller.list.titles, std::vector<std::string>{"QUOB Painter"});
        ASSERT_TRUE(uninstaller.remove().completed);
    }
    expectNothingOfTheProduct();
    expectSentinelsUntouched();
}

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

// Removing the product empties its install folder, so the tool lays it only
// into a new or empty folder, or over an earlier demo product.
TEST_F(RemovalOnWine, TheToolLaysNoProductIntoAFolderHoldingOtherFiles) {
    const std::string tool = "\"" + ownFolder() + "\\demoproduct.exe\" lay --dir \"";
    makeFolder(options.installDir);
    writeFile(options.installDir + "\\letter.txt", "mine");
    EXPECT_NE(runProgram(tool + options.installDir + "\"", scratch + "\\refused.txt"), 0);
    EXPECT_NE(readFile(scratch + "\\refused.txt").find("not the demo product's"),
              std::string::npos);
    EXPECT_EQ(tree(options.installDir), Tree{"file letter.txt"});
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, demo::kProductKey));
    DeleteFileA((options.installDir + "\\letter.txt").c_str());

    lay();
    EXPECT_EQ(runProgram(tool + options.installDir + "\"", scratch + "\\again.txt"), 0)
        << readFile(scratch + "\\again.txt");
    EXPECT_EQ(tree(options.installDir), expectedInstallTree(allTitles()));
}

}  // namespace

// ---- delcheck's plan against the run itself

namespace {

// delcheck.exe lays its plan down first, then the engine removes every
// application on the same prefix: whatever the run takes away is in the
// plan (or scheduled for the restart), and whatever the plan names is gone
// afterwards, but for what is scheduled for the restart.
class PlanOnWine : public RemovalOnWine {
protected:
    removaltest::PlannedRemoval plan;

    void checkWithDelcheck(int expectedExit) {
        const std::string output = scratch + "\\plan.json";
        const int exit = runProgram("\"" + ownFolder() + "\\delcheck.exe\" --json", output);
        EXPECT_EQ(exit, expectedExit);
        const std::string json = readFile(output);
        ASSERT_NO_THROW(plan = plannedRemoval(parseJson(json))) << json;
    }

    // Files and folders around the product, and the keys it registers or
    // the plan names, lower-cased as full paths and "hkcr\..." names.
    std::set<std::string> machine() {
        std::set<std::string> all;
        for (const std::string& root : {scratch, startMenuFolder()}) {
            if (root != scratch && folderExists(root)) all.insert(lower(root));
            for (const std::string& entry : tree(root))
                all.insert(lower(root) + "\\" + entry.substr(entry.find(' ') + 1));
        }
        std::set<std::string> keys = {lower(std::string("hklm\\") + demo::kProductKey),
                                      lower(std::string("hklm\\") + demo::kUninstallKey)};
        for (const demo::Application& a : layout.apps)
            for (const demo::FileType& t : a.fileTypes)
                for (const std::string& k :
                     {t.extension, t.name, t.name + "\\shell", t.name + "\\shell\\open",
                      t.name + "\\shell\\open\\command"})
                    keys.insert(lower("hkcr\\" + k));
        for (const std::string& p : plan.deleted)
            if (p.rfind("hk", 0) == 0) keys.insert(p);
        for (const std::string& k : keys) {
            const HKEY root = k.rfind("hkcr\\", 0) == 0 ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
            if (keyExists(root, k.substr(5))) all.insert(k);
        }
        return all;
    }

    engine::RemovalOutcome removeAndCompare() {
        const std::set<std::string> before = machine();
        engine::RemovalOutcome outcome;
        {
            Headless uninstaller;
            uninstaller.list.selectAll();
            outcome = uninstaller.remove();
        }
        const std::set<std::string> after = machine();
        for (const std::string& path : before) {
            if (after.count(path) == 0) {
                EXPECT_TRUE(plan.deleted.count(path) || plan.scheduled.count(path))
                    << "deleted, but not in the plan: " << path;
            }
        }
        for (const std::string& path : plan.deleted) {
            EXPECT_TRUE(before.count(path)) << "planned, but not there: " << path;
            if (plan.scheduled.count(path) == 0) {
                EXPECT_FALSE(after.count(path)) << "planned, but still there: " << path;
            }
        }
        expectSentinelsUntouched();
        return outcome;
    }

    bool warned(const std::string& part) const {
        for (const std::string& w : plan.warnings)
            if (w.find(part) != std::string::npos) return true;
        return false;
    }
};

TEST_F(PlanOnWine, TheDemoProductWithAMistakenScriptLosesWhatThePlanSays) {
    lay();
    // A script with the usual mistakes: a misspelt variable, a way out of
    // the install folder, a name that matches nothing, a read-only file, a
    // file type that is not registered, and a program folder holding a
    // folder of its own.
    const std::string dir = options.installDir;
    writeFile(dir + "\\quob.ini", "the product's own settings");
    writeFile(dir + "\\locked.dat", "read-only");
    SetFileAttributesA((dir + "\\locked.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    makeFolder(dir + "\\Mistakes");
    makeFolder(dir + "\\Mistakes\\sub");
    writeFile(dir + "\\Mistakes\\mis.exe", "program");
    writeFile(dir + "\\Mistakes\\sub\\keep.txt", "kept");
    setStringValue(HKEY_CLASSES_ROOT, ".qmis", "QUOBDemo.Mistakes");
    setStringValue(HKEY_CLASSES_ROOT, "QUOBDemo.Mistakes\\shell\\open\\command",
                   dir + "\\Mistakes\\mis.exe %1");
    writeFile(dir + "\\mistakes.del",
              "title=QUOB Mistakes\r\nremovefile=$windowsDir$\\quob.ini\r\n"
              "removefile=..\\beside.txt\r\nremovefile=nothing*.zzz\r\n"
              "removefile=locked.dat\r\nremovekey=.qnone\r\nremovekey=.qmis\r\n"
              "removefile=mistakes.del\r\n");

    checkWithDelcheck(1);
    EXPECT_TRUE(plan.cleanup);
    EXPECT_EQ(plan.failures, 0);
    EXPECT_EQ(plan.refused, 4);  // the demo scripts' Windows-folder lines, and "..\"
    for (const char* warning :
         {"$windowsDir$ is set by no earlier line", "matches nothing", "it is read-only",
          "HKCR\\.qnone does not exist", "will still hold sub"})
        EXPECT_TRUE(warned(warning)) << warning;
    EXPECT_TRUE(plan.deleted.count(lower(dir + "\\quob.ini")));

    EXPECT_TRUE(removeAndCompare().completed);
    EXPECT_TRUE(fileExists(dir + "\\locked.dat"));
    SetFileAttributesA((dir + "\\locked.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The 45 names that one script adds fit the table at discovery, but not at
// Remove, where the standard variables take rows: the run stops half-way.
TEST_F(PlanOnWine, AScriptThatStopsTheRunHalfWayStopsThePlanThere) {
    lay();
    const demo::Application& reader = app("QUOB Reader");
    const std::string path = options.installDir + "\\" + reader.scriptName;
    std::string text = readFile(path);
    const std::string after = "reader.ini\r\n";
    std::string names;
    for (int v = 1; v <= 45; ++v) {
        names += 'v';
        names += std::to_string(v) + "=1\r\n";
    }
    text.insert(text.find(after) + after.size(), names);
    writeFile(path, text);

    checkWithDelcheck(1);
    EXPECT_EQ(plan.failures, 1);
    EXPECT_FALSE(plan.cleanup);
    const std::vector<std::string> titles = titlesInListingOrder();
    const auto stops = std::find(titles.begin(), titles.end(), "QUOB Reader") - titles.begin();
    for (std::size_t k = 0; k < plan.runs.size(); ++k)
        EXPECT_EQ(plan.runs[k], static_cast<long>(k) <= stops) << k;

    const engine::RemovalOutcome outcome = removeAndCompare();
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.message, "Subscript out of range");
}

}  // namespace

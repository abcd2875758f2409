// The removal tests' starting point under Wine: the demo product laid by the
// demo tool in a scratch folder of the real prefix, the uninstaller run
// headless over the real registry and files, and what must be left.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "platform/win32/Win32Platform.h"
#include "tests/wine/WineText.h"
#include "tests/wine/removal/Traces.h"
#include "tools/demoproduct/ConsoleViews.h"
#include "tools/demoproduct/DemoLayout.h"

namespace removaltest {

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

}  // namespace removaltest

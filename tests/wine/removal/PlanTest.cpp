// delcheck's plan held against the run itself on the same prefix.
#include "tests/wine/removal/PlanJson.h"
#include "tests/wine/removal/RemovalFixture.h"

using namespace removaltest;

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

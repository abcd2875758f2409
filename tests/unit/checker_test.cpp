// The checker: the engine run over the recording layer on the fakes. What it
// plans is what the real run then deletes; it deletes nothing itself, and
// says which lines are refused, fail, or deserve a warning.
#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "checker/Checker.h"
#include "checker/Report.h"
#include "tests/unit/ProductFixture.h"

namespace {

using namespace product;
using Strings = std::vector<std::string>;
using Set = std::set<std::string>;

class Checker : public ProductTest {
protected:
    // Two applications with files, file types and Start-menu folders.
    void layDownTwoApplications() {
        layDownProduct();
        world.files.markRunningProgram(inInstall("sprellow.exe"));
        addScript("a.del", script({"title=Alpha", "[files]", "dir=Alpha",
                                   "removefile=$dir$\\alpha.exe", "removekey=.alp"}));
        addScript("b.del", script({"title=Bravo", "removefile=Bravo\\*.*", "removekey=.brv",
                                   "removefile=a.del", "removefile=b.del"}));
        world.files.addFile(inInstall("Alpha\\alpha.exe"));
        world.files.addFile(inInstall("Alpha\\alpha.hlp"));
        world.files.addFile(inInstall("Bravo\\b1.dat"));
        world.files.addFile(inInstall("readme.txt"));
        addFileType(".alp", "AlphaDoc", inInstall("Alpha\\alpha.exe") + " %1");
        addFileType(".brv", "BravoDoc", inInstall("Bravo\\bravo.exe") + " %1");
        world.files.addFile(startMenu("Alpha\\Alpha.lnk"));
    }

    checker::Plan check(const std::optional<std::string>& folder = std::nullopt) {
        return checker::check(world.platform(), folder);
    }

    static const checker::LineReport& line(const checker::Plan& plan, std::size_t app, int n) {
        for (const checker::LineReport& l : plan.applications.at(app).lines)
            if (l.line == n) return l;
        throw std::out_of_range("no line " + std::to_string(n));
    }

    // Everything the plan deletes, files, folders and keys alike, lower-cased.
    static Set planned(const checker::Plan& plan) {
        Set all;
        auto add = [&](const checker::Deletes& d) {
            for (const auto* list : {&d.files, &d.folders, &d.keys})
                for (const std::string& p : *list) all.insert(fakes::lowerText(p));
        };
        for (const auto& app : plan.applications)
            for (const auto& l : app.lines) add(l.deletes);
        if (plan.cleanup) add(plan.cleanup->deletes);
        return all;
    }

    Set everything() const {
        Set all;
        for (const std::string& p : world.files.allPaths()) all.insert(fakes::lowerText(p));
        for (const std::string& k : world.registry.allKeys()) all.insert(fakes::lowerText(k));
        return all;
    }

    // The real run with every application chosen: what it took away.
    Set removeForReal() {
        const Set before = everything();
        install.Form_Load();
        install.ok_Click(every(install));
        const Set after = everything();
        Set gone;
        std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                            std::inserter(gone, gone.end()));
        return gone;
    }

    static bool has(const Strings& texts, const std::string& part) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.find(part) != std::string::npos; });
    }
};

TEST_F(Checker, PlansWhatTheRunDeletesLineByLineAndDeletesNothing) {
    layDownTwoApplications();
    const Set before = everything();
    const checker::Plan plan = check();
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(world.files.openHandles(), 0u);
    EXPECT_TRUE(world.registry.openHandles().empty());

    EXPECT_EQ(plan.installDir, kInstallDir);
    EXPECT_TRUE(plan.deletionsAllowed);
    ASSERT_EQ(plan.applications.size(), 2u);
    EXPECT_EQ(plan.applications[1].title, "Bravo");
    EXPECT_EQ(plan.applications[1].position, 2);
    // Every line is reported, as the reader cuts it.
    EXPECT_EQ(plan.applications[0].lines.size(), 5u);
    const checker::LineReport& exe = line(plan, 0, 4);
    EXPECT_EQ(exe.key, "removefile");
    EXPECT_EQ(exe.value, "Alpha\\alpha.exe");
    EXPECT_EQ(exe.deletes.files, Strings{inInstall("Alpha\\alpha.exe")});
    // A removekey line: both keys, the program folder's files and the folder,
    // and the Start-menu folder of the same name.
    const checker::LineReport& key = line(plan, 0, 5);
    EXPECT_EQ(key.deletes.keys, (Strings{"HKCR\\.alp", "HKCR\\AlphaDoc\\shell\\open\\command"}));
    EXPECT_EQ(key.deletes.files,
              (Strings{inInstall("Alpha\\alpha.hlp"), startMenu("Alpha\\Alpha.lnk")}));
    EXPECT_EQ(key.deletes.folders, (Strings{inInstall("Alpha"), startMenu("Alpha")}));
    EXPECT_TRUE(line(plan, 1, 5).deletes.files.size() == 1);  // b.del deletes itself

    ASSERT_TRUE(plan.cleanup);
    EXPECT_EQ(plan.cleanup->deletes.files, Strings{inInstall("readme.txt")});
    EXPECT_EQ(plan.cleanup->deletes.folders, Strings{startMenu()});
    EXPECT_EQ(plan.cleanup->deletes.keys, (Strings{std::string("HKLM\\") + engine::kUninstallKey,
                                                   std::string("HKLM\\") + engine::kProductKey}));
    // The running uninstaller and its folder go at the next restart: a note.
    EXPECT_EQ(plan.cleanup->scheduled, (Strings{inInstall("sprellow.exe"), kInstallDir}));
    EXPECT_TRUE(plan.cleanup->warnings.empty());
    EXPECT_EQ(plan.exitStatus(), 0) << checker::toText(plan);
    EXPECT_EQ(checker::summary(plan),
              "2 applications, 7 files, 6 keys, 4 folders would be removed; 0 lines refused, 0 "
              "warnings");

    // The plan is the truth: the run deletes exactly what it names.
    Set expected = planned(plan);
    expected.erase(fakes::lowerText(inInstall("sprellow.exe")));
    EXPECT_EQ(removeForReal(), expected);
}

// Later lines see what earlier lines left; mistakes, refusals and the
// failure that stops the run are reported where they happen.
TEST_F(Checker, ReportsMistakesRefusalsAndTheStoppingFailure) {
    layDownProduct();
    world.files.addFile(inInstall("quob.ini"));
    world.files.addFile(inInstall("locked.dat"), "", fakes::kAttrReadOnly);
    world.files.addFile(inInstall("Keep\\sub\\x.txt"));
    world.files.addFile(inInstall("Keep\\k.txt"));
    world.registry.addKey(HKCR, ".tree\\child");
    addFileType(".kp", "KeepDoc", inInstall("Keep\\keep.exe"));
    addScript("a.del",
              script({"title=Alpha", "removefile=$windowsDir$\\quob.ini", "removefile=quob.ini",
                      "removefile=..\\outside.txt", "removefile=locked.dat", "removekey=.tree",
                      "removekey=.none", "removekey=.kp"}) +
                  "note=one\rXnote=two\r\n");
    // Discovery reads it whole; at Remove the standard variables and the
    // names of a.del leave room for 41 of its 45 names.
    std::string names;
    for (int v = 1; v <= 45; ++v) names += "v" + std::to_string(v) + "=1\r\n";
    addScript("b.del",
              script({"title=Bravo", "removefile=settings file.ini", "removefile=SETTIN~1.INI"}) +
                  names + script({"removefile=never.txt"}));
    world.files.addFile(inInstall("settings file.ini"));
    world.files.setShortName(inInstall("settings file.ini"), "SETTIN~1.INI");
    addScript("c.del", script({"title=Charlie"}));
    world.files.addFile(inInstall("never.txt"));

    const checker::Plan plan = check();
    ASSERT_EQ(plan.applications.size(), 3u);
    const checker::LineReport& typo = line(plan, 0, 2);
    EXPECT_TRUE(has(typo.warnings, "$windowsDir$ is set by no earlier line")) << typo.warnings[0];
    EXPECT_EQ(typo.deletes.files, Strings{inInstall("quob.ini")});  // the typo's danger, shown
    EXPECT_TRUE(has(line(plan, 0, 3).warnings, "matches nothing"));
    EXPECT_NE(line(plan, 0, 4).refused.at(0).find(": "), std::string::npos);
    EXPECT_TRUE(has(line(plan, 0, 5).warnings, "read-only"));
    EXPECT_TRUE(line(plan, 0, 5).deletes.files.empty());
    EXPECT_TRUE(
        has(line(plan, 0, 6).warnings, "HKCR\\.tree will not be deleted: it has subkeys: child"));
    EXPECT_TRUE(has(line(plan, 0, 7).warnings, "HKCR\\.none does not exist"));
    EXPECT_TRUE(has(line(plan, 0, 8).warnings, "will still hold sub"));
    EXPECT_EQ(line(plan, 0, 8).deletes.files, (Strings{inInstall("Keep\\k.txt")}));
    EXPECT_TRUE(has(line(plan, 0, 9).warnings, "carriage return without a line feed"));
    EXPECT_EQ(line(plan, 0, 10).key, "note");  // lost its first character

    const checker::ApplicationReport& bravo = plan.applications[1];
    ASSERT_TRUE(bravo.failure);
    EXPECT_EQ(*bravo.failure, "Subscript out of range");
    const checker::LineReport& stop = bravo.lines.back();
    EXPECT_EQ(stop.line, 45);
    // Gone under its short name as well.
    EXPECT_EQ(line(plan, 1, 2).deletes.files, Strings{inInstall("settings file.ini")});
    EXPECT_TRUE(has(line(plan, 1, 3).warnings, "matches nothing"));
    EXPECT_EQ(stop.failure, bravo.failure);
    EXPECT_EQ(stop.value, "1");
    EXPECT_FALSE(plan.applications[2].runs);
    EXPECT_TRUE(plan.applications[2].lines.empty());
    EXPECT_FALSE(plan.cleanup);
    EXPECT_EQ(plan.failureCount(), 1);
    EXPECT_EQ(plan.refusedCount(), 1);
    EXPECT_EQ(plan.exitStatus(), 1);

    // The run stops where the plan says, having deleted what it says.
    EXPECT_EQ(removeForReal(), planned(plan));
    EXPECT_TRUE(exists(inInstall("never.txt")));
}

TEST_F(Checker, AStagedFolderNeedsNoKeysAndAWholeScriptIsRead) {
    const std::string staged = "C:\\stage\\QUOB";
    world.files.addFolder(staged);
    world.files.addFile(staged + "\\a.del",
                        script({"title=Alpha", "removefile=a.del", "removekey=.alp"}));
    world.files.addFile(staged + "\\big.del", std::string(40000, 'x'));
    world.files.addFile(staged + "\\long.del", script({"title=Long", std::string(9100, ';')}));
    world.files.addFile(staged + "\\locked.del", script({"title=Locked"}));
    world.files.lockForReading(staged + "\\locked.del");

    const checker::Plan plan = check(staged);
    EXPECT_TRUE(plan.folderMode);
    EXPECT_EQ(plan.installDir, staged);
    ASSERT_EQ(plan.skipped.size(), 2u);
    EXPECT_EQ(plan.skipped[0].script, "big.del");
    EXPECT_EQ(plan.skipped[0].reason, "it is longer than 32,767 bytes");
    EXPECT_EQ(plan.skipped[1].reason, "it is locked or may not be read");
    ASSERT_EQ(plan.applications.size(), 2u);
    // A file type not registered here is a note, not a warning.
    EXPECT_TRUE(line(plan, 0, 3).warnings.empty());
    EXPECT_TRUE(has(line(plan, 0, 3).notes, "not registered on this machine"));
    EXPECT_TRUE(has(plan.applications[1].warnings, "reads only its first 9,000"));
    EXPECT_TRUE(has(plan.notes, "no product key"));
    ASSERT_TRUE(plan.cleanup);
    EXPECT_TRUE(has(plan.cleanup->notes, "does not exist on this machine"));
    EXPECT_TRUE(plan.cleanup->refused.empty());  // no Start-menu folder here: a note
    EXPECT_TRUE(has(plan.cleanup->notes, "nothing to remove"));
    EXPECT_EQ(plan.warningCount(), 3);  // the skipped scripts and the long one
    EXPECT_FALSE(world.registry.keyExists(HKLM, engine::kProductKey));

    // A clean staged product has nothing to report.
    world.files.addFile("C:\\stage\\Clean\\a.del", script({"title=A", "removefile=a.del"}));
    EXPECT_EQ(check("C:\\stage\\Clean").exitStatus(), 0);
}

TEST_F(Checker, WhatCantBeCheckedAtAllAndTheMarkerFile) {
    EXPECT_THROW(check(), checker::CannotCheck);               // nothing installed
    EXPECT_THROW(check("C:\\nowhere"), checker::CannotCheck);  // no such folder
    layDownProduct();
    world.files.addFile(inInstall("file.txt"));
    EXPECT_THROW(check(inInstall("file.txt")), checker::CannotCheck);

    checker::Plan plan = check();
    EXPECT_TRUE(has(plan.warnings, "no removal scripts"));
    EXPECT_EQ(plan.exitStatus(), 1);

    world.files.addFile(inInstall("can't delete"));
    addScript("a.del", script({"title=Alpha", "removefile=file.txt"}));
    plan = check();
    EXPECT_FALSE(plan.deletionsAllowed);
    EXPECT_TRUE(has(plan.warnings, "\"can't delete\""));
    EXPECT_TRUE(line(plan, 0, 2).warnings.empty());  // said once, at the top
    EXPECT_FALSE(plan.cleanup);
}

TEST(CheckerReport, JsonTextsAreEscapedUtf8) {
    EXPECT_EQ(checker::jsonString("a\"b\\c\r\n\t\x01"), "\"a\\\"b\\\\c\\r\\n\\t\\u0001\"");
    checker::Plan plan;
    plan.installDir = "C:\\Caf\xC3\xA9";
    checker::ApplicationReport app;
    app.title = "A \"quoted\" title";
    checker::LineReport l;
    l.line = 1;
    l.text = "x";
    app.lines.push_back(l);
    plan.applications.push_back(app);
    const std::string json = checker::toJson(plan);
    EXPECT_NE(json.find("\"installDir\": \"C:\\\\Caf\xC3\xA9\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"title\": \"A \\\"quoted\\\" title\""), std::string::npos);
    EXPECT_NE(json.find("\"key\": null"), std::string::npos);
    EXPECT_NE(json.find("\"cleanup\": null"), std::string::npos);
}

}  // namespace

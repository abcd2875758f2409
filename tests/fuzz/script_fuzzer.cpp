// Feeds arbitrary bytes to the uninstaller as a removal script: discovery
// reads it with actions off (the main dialog's load), then the removal run
// reads it again and carries it out with actions on, over the in-memory
// fakes. Beyond the sanitizers it checks that only the engine's own Failure
// leaves the interpreter, that the table keeps its 51 rows, and that no
// deletion reaches outside the product's folders or HKEY_CLASSES_ROOT. On a
// second machine the checker plans the removal first: it must change
// nothing, and Remove must then delete what the plan names and nothing else.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <set>
#include <string>

#include "checker/Checker.h"
#include "checker/Report.h"
#include "engine/Install.h"
#include "engine/VariableTable.h"
#include "tests/fakes/Fakes.h"
#include "tests/fuzz/FuzzChecks.h"

namespace {

constexpr const char* kInstallDir = "C:\\Program Files\\Corvalune";
constexpr const char* kPrograms = "C:\\Users\\ann\\Start Menu\\Programs";
constexpr const char* kProductMenu = "C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob Demo";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Files the product doesn't own; no script may delete them.
constexpr const char* kForeignFiles[] = {
    "C:\\WINDOWS\\WIN.INI",
    "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL",
    "C:\\Program Files\\Other\\other.exe",
    "C:\\Tools\\viewer.exe",
    "C:\\autoexec.bat",
    "C:\\Users\\ann\\Start Menu\\Programs\\Games\\solitaire.lnk",
};

using fuzzing::check;
using fuzzing::startsWith;

// The fake reports deleted files as full paths in their stored spelling.
bool ownedByProduct(const std::string& path) {
    return fuzzing::below(path, kInstallDir) || fuzzing::below(path, kProductMenu);
}

void layDownMachine(fakes::FakeWorld& world, const std::string& script) {
    using platform::kHkeyClassesRoot;
    world.registry.setString(platform::kHkeyLocalMachine, engine::kProductKey, "", kInstallDir);
    world.registry.setString(platform::kHkeyCurrentUser, kShellFolders, "Programs", kPrograms);
    world.files.addFolder("C:\\WINDOWS\\SYSTEM");
    for (const char* path : kForeignFiles) world.files.addFile(path, "keep");

    const std::string dir = kInstallDir;
    world.files.addFile(dir + "\\sprellow.exe", "MZ");
    world.files.addFile(dir + "\\DATA\\MAIN.DAT", "data");
    world.files.addFile(dir + "\\README.TXT", "text");
    world.files.addFile(dir + "\\viewer\\view.exe", "MZ");
    world.files.addFile(std::string(kProductMenu) + "\\Viewer\\Viewer.lnk", "link");
    world.files.addFile(dir + "\\fuzz.del", script);
    world.system.setProgramFolder(dir);

    // One registration of the product's own, and two that point elsewhere.
    world.registry.setString(kHkeyClassesRoot, ".qdm", "", "QuobDemo.Document");
    world.registry.setString(kHkeyClassesRoot, "QuobDemo.Document\\shell\\open\\command", "",
                             "\"" + dir + "\\viewer\\view.exe\" %1");
    world.registry.setString(kHkeyClassesRoot, ".txt", "", "txtfile");
    world.registry.setString(kHkeyClassesRoot, "txtfile\\shell\\open\\command", "",
                             "C:\\WINDOWS\\NOTEPAD.EXE %1");
    world.registry.setString(kHkeyClassesRoot, ".vw", "", "Viewer");
    world.registry.setString(kHkeyClassesRoot, "Viewer\\shell\\open\\command", "",
                             "C:\\Tools\\viewer.exe \"%1\"");
}

std::set<std::string> everything(const fakes::FakeWorld& world) {
    std::set<std::string> all;
    for (const std::string& p : world.files.allPaths())
        all.insert(engine::VariableTable::lowerCase(p));
    for (const std::string& k : world.registry.allKeys())
        all.insert(engine::VariableTable::lowerCase(k));
    return all;
}

void addPlanned(const checker::Deletes& d, std::set<std::string>& out) {
    for (const auto* list : {&d.files, &d.folders, &d.keys})
        for (const std::string& p : *list) out.insert(engine::VariableTable::lowerCase(p));
}

// The plan against Remove with every application chosen.
void planThenRemove(const std::string& script) {
    fakes::FakeWorld world;
    layDownMachine(world, script);
    world.files.markRunningProgram(std::string(kInstallDir) + "\\sprellow.exe");
    const std::set<std::string> before = everything(world);
    const checker::Plan plan = checker::check(world.platform(), std::nullopt);
    check(everything(world) == before, "the checker changed the machine");
    check(!checker::toJson(plan).empty() && !checker::toText(plan).empty(), "no report");

    std::set<std::string> planned, scheduled;
    for (const auto& app : plan.applications)
        for (const auto& line : app.lines) addPlanned(line.deletes, planned);
    if (plan.cleanup) {
        addPlanned(plan.cleanup->deletes, planned);
        for (const std::string& p : plan.cleanup->scheduled)
            scheduled.insert(engine::VariableTable::lowerCase(p));
    }

    engine::Install install(world.platform(), world.dialog, world.progress);
    install.Form_Load();
    std::vector<int> every;
    for (int k = 0; k < install.appCount(); ++k) every.push_back(k);
    const engine::RemovalOutcome outcome = install.ok_Click(every);
    check(outcome.completed == (plan.failureCount() == 0), "the run and the plan end apart");
    const std::set<std::string> after = everything(world);
    for (const std::string& path : before)
        if (after.count(path) == 0)
            check(planned.count(path) || scheduled.count(path), "deleted, but not planned");
    for (const std::string& path : planned)
        check(after.count(path) == 0 || scheduled.count(path), "planned, but not deleted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 32768) return 0;
    const std::string script(reinterpret_cast<const char*>(data), size);

    fakes::FakeWorld world;
    layDownMachine(world, script);
    engine::Install install(world.platform(), world.dialog, world.progress);

    // Discovery (actions off) and the standard variables; discovery traps the
    // failures of the scripts it reads.
    install.Form_Load();
    // The removal run of this script, actions on.
    try {
        install.script().readWholeFile(std::string(kInstallDir) + "\\fuzz.del");
        install.script().processScript(true);
        check(install.script().scriptPos() > install.script().scriptLen(),
              "processing ended early");
    } catch (const engine::Failure&) {
        // The typed failure is the expected way for bad input to end.
    }

    check(install.variables().variableCount() >= 0 &&
              install.variables().variableCount() <= engine::VariableTable::kRows,
          "variable count outside the table");
    check(install.script().scriptText().size() == engine::Script::kBufferSize,
          "script buffer changed size");
    for (const std::string& path : world.files.deletedPaths())
        check(ownedByProduct(path), "a file outside the product was deleted");
    for (const char* path : kForeignFiles)
        check(world.files.exists(path), "a foreign file is gone");
    const std::string classesRoot = "RegDeleteKey HKCR\\";
    for (const std::string& line : world.log.only({"RegDeleteKey"}))
        check(startsWith(line, classesRoot) && line.size() > classesRoot.size() &&
                  line[classesRoot.size()] != ' ',
              "a key outside HKEY_CLASSES_ROOT was deleted");
    for (const char* folder : {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\Tools", kPrograms})
        check(world.files.isFolder(folder), "a foreign folder is gone");

    planThenRemove(script);
    return 0;
}

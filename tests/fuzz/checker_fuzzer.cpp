// Feeds arbitrary bytes to the removal-script checker as the product's one
// script: the checker plans the removal over the in-memory machine and must
// change nothing; Remove with every application chosen must then delete what
// the plan names and nothing else.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "checker/Checker.h"
#include "checker/Report.h"
#include "engine/Install.h"
#include "tests/fakes/FakeText.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/ScriptMachine.h"

namespace {

using fuzzing::check;
using fuzzing::kInstallDir;

// Paths and keys as the machine compares them: letter case ignored.
using Names = std::set<std::string, fakes::CaselessLess>;

Names everything(const fakes::FakeWorld& world) {
    Names all;
    for (std::string& p : world.files.allPaths()) all.insert(std::move(p));
    for (std::string& k : world.registry.allKeys()) all.insert(std::move(k));
    return all;
}

void addPlanned(const checker::Deletes& d, Names& out) {
    for (const auto* list : {&d.files, &d.folders, &d.keys})
        for (const std::string& p : *list) out.insert(p);
}

// The plan against Remove with every application chosen.
void planThenRemove(const std::string& script) {
    // One world for the whole run, laid down anew for each input.
    static fakes::FakeWorld& world = *new fakes::FakeWorld;
    world.log.setRecording(false);
    fuzzing::layDownMachine(world, script);
    world.files.markRunningProgram(std::string(kInstallDir) + "\\sprellow.exe");
    const Names before = everything(world);
    const checker::Plan plan = checker::check(world.platform(), std::nullopt);
    check(everything(world) == before, "the checker changed the machine");
    // The JSON report escapes every text of the plan; the text report, plain
    // formatting, has the unit tests.
    check(!checker::toJson(plan).empty(), "no report");

    Names planned, scheduled;
    for (const auto& app : plan.applications)
        for (const auto& line : app.lines) addPlanned(line.deletes, planned);
    if (plan.cleanup) {
        addPlanned(plan.cleanup->deletes, planned);
        for (const std::string& p : plan.cleanup->scheduled) scheduled.insert(p);
    }

    engine::Install install(world.platform(), world.dialog, world.progress);
    install.Form_Load();
    std::vector<int> every;
    for (int k = 0; k < install.appCount(); ++k) every.push_back(k);
    const engine::RemovalOutcome outcome = install.ok_Click(every);
    check(outcome.completed == (plan.failureCount() == 0), "the run and the plan end apart");
    const Names after = everything(world);
    for (const std::string& path : before)
        if (after.count(path) == 0)
            check(planned.count(path) || scheduled.count(path), "deleted, but not planned");
    for (const std::string& path : planned)
        check(after.count(path) == 0 || scheduled.count(path), "planned, but not deleted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 32768) return 0;
    planThenRemove(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

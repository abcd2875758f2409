// Feeds arbitrary bytes to the removal-script checker as the product's one
// script: the checker plans the removal over the in-memory machine and must
// change nothing; Remove with every application chosen must then delete what
// the plan names and nothing else.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// Paths and keys, sorted as the machine compares them: letter case ignored.
using Names = std::vector<std::string>;

bool has(const Names& names, const std::string& name) {
    return std::binary_search(names.begin(), names.end(), name, fakes::CaselessLess());
}

Names everything(const fakes::FakeWorld& world) {
    Names all = world.files.allPaths();
    for (std::string& k : world.registry.allKeys()) all.push_back(std::move(k));
    std::sort(all.begin(), all.end(), fakes::CaselessLess());
    return all;
}

void addPlanned(const checker::Deletes& d, Names& out) {
    for (const auto* list : {&d.files, &d.folders, &d.keys})
        out.insert(out.end(), list->begin(), list->end());
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
        scheduled = plan.cleanup->scheduled;
    }
    std::sort(planned.begin(), planned.end(), fakes::CaselessLess());
    std::sort(scheduled.begin(), scheduled.end(), fakes::CaselessLess());

    engine::Install install(world.platform(), world.dialog, world.progress);
    install.Form_Load();
    std::vector<int> every;
    for (int k = 0; k < install.appCount(); ++k) every.push_back(k);
    const engine::RemovalOutcome outcome = install.ok_Click(every);
    check(outcome.completed == (plan.failureCount() == 0), "the run and the plan end apart");
    const Names after = everything(world);
    for (const std::string& path : before)
        if (!has(after, path))
            check(has(planned, path) || has(scheduled, path), "deleted, but not planned");
    for (const std::string& path : planned)
        check(!has(after, path) || has(scheduled, path), "planned, but not deleted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 32768) return 0;
    planThenRemove(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

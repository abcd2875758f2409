// Feeds arbitrary bytes to the uninstaller as a removal script: discovery
// reads it with actions off (the main dialog's load), then the removal run
// reads it again and carries it out with actions on, over the in-memory
// fakes. Beyond the sanitizers it checks that only the engine's own Failure
// leaves the interpreter, that the table keeps its 51 rows, and that no
// deletion reaches outside the product's folders or HKEY_CLASSES_ROOT.
// SPRELLOW_FUZZ_CODE_PAGE (932, 949, 1251, ...) makes the machine one of
// that ANSI code page, where a script's characters may take two bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "engine/VariableTable.h"
#include "tests/fakes/Fakes.h"
#include "tests/fakes/ProductPlaces.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/ScriptMachine.h"

namespace {

using fuzzing::check;
using fuzzing::kForeignFiles;
using fuzzing::kInstallDir;
using fuzzing::kProductMenu;
using fuzzing::kPrograms;
using fuzzing::startsWith;

// The fake reports deleted files as full paths in their stored spelling.
bool ownedByProduct(const std::string& path) {
    return fuzzing::below(path, kInstallDir) || fuzzing::below(path, kProductMenu);
}

struct KeyPlace {
    platform::HKey root;
    std::string path;
};

// The keys no script may delete: all of them but those below HKEY_CLASSES_ROOT.
const std::vector<KeyPlace>& keysOutsideClassesRoot() {
    static const std::vector<KeyPlace> keys = [] {
        std::vector<KeyPlace> outside;
        fakes::FakeRegistry registry;
        fuzzing::layDownRegistry(registry);
        for (const std::string& key : registry.allKeys()) {
            for (platform::HKey root : {platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
                const std::string prefix = std::string(platform::rootKeyName(root)) + "\\";
                if (startsWith(key, prefix)) outside.push_back({root, key.substr(prefix.size())});
            }
        }
        return outside;
    }();
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 32768) return 0;
    const std::string script(reinterpret_cast<const char*>(data), size);

    // One world for the whole run, laid down anew for each input.
    static fakes::FakeWorld& world = *[] {
        auto* made = new fakes::FakeWorld;
        if (const char* codePage = std::getenv("SPRELLOW_FUZZ_CODE_PAGE"))
            made->system.setCodePage(static_cast<unsigned>(std::atoi(codePage)));
        return made;
    }();
    // The checks below look at the machine afterwards, not at the calls.
    world.log.setRecording(false);
    fuzzing::layDownMachine(world, script);
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
    for (const std::string& path : world.files.deletedPaths())
        check(ownedByProduct(path), "a file outside the product was deleted");
    for (const char* path : kForeignFiles)
        check(world.files.exists(path), "a foreign file is gone");
    for (const KeyPlace& key : keysOutsideClassesRoot())
        check(world.registry.keyExists(key.root, key.path),
              "a key outside HKEY_CLASSES_ROOT was deleted");
    for (const char* folder : {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\Tools", kPrograms})
        check(world.files.isFolder(folder), "a foreign folder is gone");
    return 0;
}

// The machine the script-driven fuzz targets run on: the demo product's
// install folder and Start-menu folder, files and file types that belong to
// others, and the fuzzed script as the product's one removal script.
#pragma once

#include <string>

#include "engine/Install.h"
#include "tests/fakes/Fakes.h"
#include "tests/fakes/ProductPlaces.h"

namespace fuzzing {

using product::kInstallDir;
using product::kProductMenu;
using product::kPrograms;
using product::kShellFolders;

// Files the product doesn't own; no script may delete them.
inline constexpr const char* kForeignFiles[] = {
    "C:\\WINDOWS\\WIN.INI",
    "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL",
    "C:\\Program Files\\Other\\other.exe",
    "C:\\Tools\\viewer.exe",
    "C:\\autoexec.bat",
    "C:\\Users\\ann\\Start Menu\\Programs\\Games\\solitaire.lnk",
};

// The files of the machine: laid down once, copied for each input, which is
// far cheaper than folding every path again.
inline const fakes::FakeFileSystem& preparedFiles() {
    static const fakes::FakeFileSystem* files = [] {
        auto* prepared = new fakes::FakeFileSystem;
        prepared->addFolder("C:\\WINDOWS\\SYSTEM");
        for (const char* path : kForeignFiles) prepared->addFile(path, "keep");
        const std::string dir = kInstallDir;
        prepared->addFile(dir + "\\sprellow.exe", "MZ");
        prepared->addFile(dir + "\\DATA\\MAIN.DAT", "data");
        prepared->addFile(dir + "\\README.TXT", "text");
        prepared->addFile(dir + "\\viewer\\view.exe", "MZ");
        prepared->addFile(std::string(kProductMenu) + "\\Viewer\\Viewer.lnk", "link");
        return prepared;
    }();
    return *files;
}

// The registry of the machine.
inline void layDownRegistry(fakes::FakeRegistry& registry) {
    using platform::kHkeyClassesRoot;
    registry.setString(platform::kHkeyLocalMachine, engine::kProductKey, "", kInstallDir);
    registry.setString(platform::kHkeyCurrentUser, kShellFolders, "Programs", kPrograms);
    const std::string dir = kInstallDir;
    // One registration of the product's own, and two that point elsewhere.
    registry.setString(kHkeyClassesRoot, ".qdm", "", "QuobDemo.Document");
    registry.setString(kHkeyClassesRoot, "QuobDemo.Document\\shell\\open\\command", "",
                       "\"" + dir + "\\viewer\\view.exe\" %1");
    registry.setString(kHkeyClassesRoot, ".txt", "", "txtfile");
    registry.setString(kHkeyClassesRoot, "txtfile\\shell\\open\\command", "",
                       "C:\\WINDOWS\\NOTEPAD.EXE %1");
    registry.setString(kHkeyClassesRoot, ".vw", "", "Viewer");
    registry.setString(kHkeyClassesRoot, "Viewer\\shell\\open\\command", "",
                       "C:\\Tools\\viewer.exe \"%1\"");
}

// The registry laid down once; a copy of it shares nothing with it.
inline const fakes::FakeRegistry& preparedRegistry() {
    static const fakes::FakeRegistry* registry = [] {
        auto* prepared = new fakes::FakeRegistry;
        layDownRegistry(*prepared);
        return prepared;
    }();
    return *registry;
}

// Puts `world` in the state of a fresh machine holding `script` as the
// product's removal script, with the uninstaller in the install folder.
// Every part is assigned anew, so a world used for an earlier input ends up
// exactly as a new one would; assigning into it reuses the memory of the
// earlier input's entries where a new world would allocate them all again.
inline void layDownMachine(fakes::FakeWorld& world, const std::string& script) {
    const unsigned codePage = world.system.codePage();  // the machine's, for every input
    world.files = preparedFiles();
    world.files.useLog(world.log);
    world.registry = preparedRegistry();  // keeps logging into the world's log
    world.system = fakes::FakeSystem(world.log);
    world.system.setCodePage(codePage);
    world.shell = fakes::FakeShell(world.log);
    world.dialog = fakes::FakeDialogView(world.log);
    world.progress = fakes::FakeProgressView(world.log);
    world.log.clear();
    world.files.addFile(std::string(kInstallDir) + "\\fuzz.del", script);
    world.system.setProgramFolder(kInstallDir);
}

}  // namespace fuzzing

// A machine with the demo product laid down in the fakes, and the engine over
// them: the starting point of the discovery, deletion and removal tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "tests/fakes/Fakes.h"
#include "tests/fakes/ProductPlaces.h"

namespace product {

inline constexpr platform::HKey HKCR = platform::kHkeyClassesRoot;
inline constexpr platform::HKey HKCU = platform::kHkeyCurrentUser;
inline constexpr platform::HKey HKLM = platform::kHkeyLocalMachine;

// Script text: every line ended by a carriage return and a line feed.
inline std::string script(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Every list position of a run's applications: what Select All chooses.
inline std::vector<int> every(const engine::Install& run) {
    std::vector<int> positions;
    for (int k = 0; k < run.appCount(); ++k) positions.push_back(k);
    return positions;
}

class ProductTest : public ::testing::Test {
protected:
    fakes::FakeWorld world;
    engine::Install install{world.platform(), world.dialog, world.progress};
    std::string installDir = kInstallDir;

    // The product key with its install directory, the uninstall entry, the
    // user's Programs folder, the uninstaller in the install folder and the
    // product's Start-menu folder.
    void layDownProduct(const std::string& dir = kInstallDir) {
        installDir = dir;
        world.registry.setString(HKLM, engine::kProductKey, "", dir);
        world.registry.setString(HKLM, engine::kUninstallKey, "DisplayName", "Corvalune QUOB demo");
        world.registry.setString(HKCU, kShellFolders, "Programs", kPrograms);
        world.files.addFolder(dir);
        world.files.addFile(dir + "\\sprellow.exe", "MZ");
        world.files.addFolder(startMenu());
        world.system.setProgramFolder(dir);
    }

    void addScript(const std::string& name, const std::string& text) {
        world.files.addFile(inInstall(name), text);
    }

    // An extension key naming a file type whose open command is `command`.
    void addFileType(const std::string& extension, const std::string& type,
                     const std::string& command) {
        world.registry.setString(HKCR, extension, "", type);
        world.registry.setString(HKCR, type + "\\shell\\open\\command", "", command);
    }

    std::string inInstall(const std::string& relative) const {
        return installDir + "\\" + relative;
    }
    static std::string startMenu(const std::string& relative = "") {
        return relative.empty() ? kProductMenu : std::string(kProductMenu) + "\\" + relative;
    }

    bool exists(const std::string& path) const { return world.files.exists(path); }
    bool keyExists(platform::HKey root, const std::string& path) const {
        return world.registry.keyExists(root, path);
    }

    // Carries out one removal-script line's handler as processScriptLine
    // does: the value is stored first, then the handler reads it back.
    void removeFile(const std::string& value) {
        install.setVariableValue("removefile", value);
        install.deletions().removeFileEntry();
    }
    void removeKey(const std::string& value) {
        install.setVariableValue("removekey", value);
        install.deletions().removeKeyEntry();
    }
};

}  // namespace product

// Feeds arbitrary paths to the deletion rules over a machine full of other
// names for the same places: short 8.3 aliases, doubled separators, folder
// links inside the install folder that lead to folders the product doesn't
// own, an install folder named through a link, owned folders that are links
// themselves, a folder Windows keeps and one a server holds. The first byte
// picks how the product key spells the install folder and whether the
// product's Start-menu folder is a link; the rest is a removal script, whose lines beginning with
// "!" register a file type whose open command is the rest of the line. Every application is
// removed, the product clean-up included. Whatever the input, nothing may be
// deleted anywhere but inside the folders the product really owns, and no
// link may be removed.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "tests/fakes/Fakes.h"
#include "tests/fakes/ProductPlaces.h"
#include "tests/fuzz/FuzzChecks.h"

namespace {

using fuzzing::check;

using product::kProductMenu;
using product::kPrograms;
using product::kShellFolders;

// How the product key may spell the install folder, and where that really
// is ("" when it serves as no install folder at all).
struct Spelling {
    const char* written;
    const char* real;
};
constexpr Spelling kSpellings[] = {
    {"C:\\Program Files\\Corvalune", "C:\\Program Files\\Corvalune"},
    {"C:\\PROGRA~1\\CORVAL~1", "C:\\Program Files\\Corvalune"},
    {"c:/program files//corvalune/", "C:\\Program Files\\Corvalune"},
    {"D:\\Apps\\Corvalune", "E:\\real\\Corvalune"},  // below a link: a usable folder
    {"C:\\Users\\ann\\STARTM~1", ""},                // holds the Programs folder
    {"\\\\localhost\\C$\\Program Files\\Corvalune", ""},
    {"\\\\?\\C:\\Program Files\\Corvalune", ""},
    {"C:\\Program Files\\Corvalune\\Linked", ""},  // a link itself
    {"C:\\PROGRA~1", ""},                          // a folder Windows keeps
    {"Z:\\Corvalune", ""},                         // on a drive a server holds
    {"", ""},
};

// Files the product doesn't own; none may go.
constexpr const char* kForeignFiles[] = {
    "C:\\WINDOWS\\WIN.INI",       "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL",
    "C:\\precious\\precious.txt", "C:\\precious\\sub\\deep.txt",
    "C:\\Program Files\\o.exe",   "C:\\Users\\ann\\Start Menu\\Programs\\Games\\sol.lnk",
    "E:\\real\\elsewhere.txt",    "C:\\autoexec.bat",
};

// A product at `dir` (its real place) with links that lead out of it.
void layProduct(fakes::FakeFileSystem& files, const std::string& dir) {
    for (const char* name : {"sprellow.exe", "README.TXT", "DATA\\MAIN.DAT", "viewer\\view.exe"})
        files.addFile(dir + "\\" + name, "product");
    files.setShortName(dir + "\\viewer", "VIEWER~1");
    files.addFolderLink(dir + "\\Linked", "C:\\precious");
    files.addFolderLink(dir + "\\viewer\\up", "C:\\Program Files");
}

void layMachine(fakes::FakeWorld& world, const Spelling& spelling, bool menuIsLink) {
    auto& files = world.files;
    files.addFolder("C:\\WINDOWS\\SYSTEM");
    for (const char* path : kForeignFiles) files.addFile(path, "keep");
    files.setShortName("C:\\Program Files", "PROGRA~1");
    files.setShortName("C:\\Users\\ann\\Start Menu", "STARTM~1");
    files.setShortName("C:\\WINDOWS", "WINDOW~1");
    layProduct(files, "C:\\Program Files\\Corvalune");
    files.setShortName("C:\\Program Files\\Corvalune", "CORVAL~1");
    layProduct(files, "E:\\real\\Corvalune");
    files.addFolderLink("D:\\Apps", "E:\\real");
    layProduct(files, "Z:\\Corvalune");
    files.serveFromShare('Z', "server\\apps");
    if (menuIsLink) {
        files.addFolderLink(kProductMenu, "C:\\Program Files");
    } else {
        files.addFile(std::string(kProductMenu) + "\\Viewer\\Viewer.lnk", "menu");
        files.addFolderLink(std::string(kProductMenu) + "\\Games",
                            "C:\\Users\\ann\\Start Menu\\Programs\\Games");
    }

    world.registry.setString(platform::kHkeyLocalMachine, engine::kProductKey, "",
                             spelling.written);
    world.registry.setString(platform::kHkeyCurrentUser, kShellFolders, "Programs", kPrograms);
}

// The machine of each spelling, laid down once: an input gets a copy, which is
// far cheaper than folding every path again.
const fakes::FakeWorld& preparedMachine(std::size_t spelling, bool menuIsLink) {
    static std::vector<std::unique_ptr<fakes::FakeWorld>> machines(std::size(kSpellings) * 2);
    auto& machine = machines[spelling * 2 + (menuIsLink ? 1 : 0)];
    if (!machine) {
        machine = std::make_unique<fakes::FakeWorld>();
        machine->log.setRecording(false);
        layMachine(*machine, kSpellings[spelling], menuIsLink);
    }
    return *machine;
}

// The script and the file types its "!" lines register.
std::string splitInput(const std::string& input, fakes::FakeWorld& world) {
    std::string script;
    int types = 0;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        if (!line.empty() && line[0] == '!' && types < 8) {
            const std::string type = "Fuzz.Type" + std::to_string(types);
            world.registry.setString(platform::kHkeyClassesRoot, ".f" + std::to_string(types), "",
                                     type);
            world.registry.setString(platform::kHkeyClassesRoot, type + "\\shell\\open\\command",
                                     "", line.substr(1));
            ++types;
        } else {
            script += line + "\r\n";
        }
        start = end + 1;
    }
    return script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 4096) return 0;
    const std::size_t spellingIndex = data[0] % std::size(kSpellings);
    const Spelling& spelling = kSpellings[spellingIndex];
    const bool menuIsLink = (data[0] / std::size(kSpellings)) % 2 == 1;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

    // One world for the whole run, given a copy of the prepared machine for
    // each input.
    static fakes::FakeWorld& world = *new fakes::FakeWorld;
    world.log.setRecording(false);
    const fakes::FakeWorld& prepared = preparedMachine(spellingIndex, menuIsLink);
    world.files = prepared.files;
    world.files.useLog(world.log);
    world.registry = prepared.registry;
    world.system = fakes::FakeSystem(world.log);
    world.system.setProgramFolder(spelling.real[0] != '\0' ? spelling.real
                                                           : "C:\\Program Files\\Corvalune");
    world.shell = fakes::FakeShell(world.log);
    world.dialog = fakes::FakeDialogView(world.log);
    world.progress = fakes::FakeProgressView(world.log);
    world.log.clear();
    const std::string script = "title=Fuzz\r\n" + splitInput(input, world);
    const std::string realInstall = spelling.real;
    if (!realInstall.empty()) world.files.addFile(realInstall + "\\fuzz.del", script);
    engine::Install install(world.platform(), world.dialog, world.progress);
    install.Form_Load();
    std::vector<int> everyApplication;
    for (int k = 0; k < install.appCount(); ++k) everyApplication.push_back(k);
    install.ok_Click(everyApplication);

    for (const std::string& path : world.files.deletedPaths()) {
        const bool inInstall = !realInstall.empty() && fuzzing::within(path, realInstall);
        const bool inMenu = !menuIsLink && fuzzing::within(path, kProductMenu);
        check(inInstall || inMenu, "a deletion landed outside the folders the product owns");
    }
    for (const char* path : kForeignFiles)
        check(world.files.exists(path), "a foreign file is gone");
    for (const char* link :
         {"D:\\Apps", "C:\\Program Files\\Corvalune\\Linked", "E:\\real\\Corvalune\\Linked",
          "C:\\Program Files\\Corvalune\\viewer\\up"})
        check(world.files.exists(link), "a link was removed");
    check(!menuIsLink || world.files.exists(kProductMenu), "the Start-menu link was removed");
    check(world.files.openHandles() == 0, "a handle was left open");
    return 0;
}

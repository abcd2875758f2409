// The promises of the platform seams, written once as a table of cases and
// run twice: against the in-memory fakes in the unit tests, and against the
// Win32 adapters on the real file system and registry under Wine. Each case
// lays down a small state below a root that its side supplies (a folder and a
// registry key), makes one call through a platform interface, and states the
// Win32 result code, what the call reported, and what is there afterwards.
// Where the two sides first disagreed, Windows' documented behaviour decided.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace contract {

// What a case lays down, in order; paths are relative to the side's root.
struct Plant {
    enum Kind { File, Folder, Link, HardLink, Busy, Alias, Key, Value } kind;
    std::string path = {};   // file, folder, link or key
    std::string text = {};   // contents, link target, first name, alias, value name
    std::uint32_t bits = 0;  // FILE_ATTRIBUTE_* bits or the value's type
    std::string bytes = {};  // the value's data
};

inline Plant file(std::string path, std::string text = "", std::uint32_t attributes = 0) {
    return {Plant::File, std::move(path), std::move(text), attributes};
}
inline Plant folder(std::string path, std::uint32_t attributes = 0) {
    return {Plant::Folder, std::move(path), "", attributes};
}
// A folder link at `path` leading to the folder `target`.
inline Plant link(std::string path, std::string target) {
    return {Plant::Link, std::move(path), std::move(target)};
}
// A second name `path` of the existing file `first`.
inline Plant hardLink(std::string path, std::string first) {
    return {Plant::HardLink, std::move(path), std::move(first)};
}
// A file another program holds open without sharing for the case's call.
inline Plant busy(std::string path) { return {Plant::Busy, std::move(path)}; }
// The 8.3 alias the fakes give an entry; the real system makes its own.
inline Plant alias(std::string path, std::string shortName) {
    return {Plant::Alias, std::move(path), std::move(shortName)};
}
inline Plant key(std::string path) { return {Plant::Key, std::move(path)}; }
inline Plant value(std::string keyPath, std::string name, std::uint32_t type, std::string bytes) {
    return {Plant::Value, std::move(keyPath), std::move(name), type, std::move(bytes)};
}

enum class Op {
    // file system; `arg` a path or pattern. A path beginning "~" is the short
    // spelling of the rest, as the system gives it.
    List,            // listFiles: the names, in case-ignoring order, "|" between
    Find,            // findEntries: the same, a folder's name ending "/"
    Read,            // readWholeFile up to `number` bytes: "length:contents"
    Length,          // fileLength: the length
    DeleteFiles,     // deleteFiles
    DeleteFile,      // deleteFile
    RemoveFolder,    // removeDirectory
    CreateOutput,    // createFileForOutput
    RestartDelete,   // scheduleDeleteAtRestart
    Attributes,      // getAttributes: the letters of D L R H S set
    FinalPath,       // openEntry for inspection, describeEntry: the final path
                     // below the root ("\\?\" + root + "\" cut off)
    DeleteByHandle,  // openEntry for deletion, deleteEntry, closeEntry
    CreateNew,       // createNewFile, emptying only a single-name ordinary
                     // file: what stood there as "links=N" and its letters
    // registry; `arg` a key path below the root key ("" the root key itself)
    OpenKey,         // openKey with full access: "opened", or "untouched"
                     // when the handle was left as it was
    QuerySize,       // queryValue `text` with no buffer: "type T size S"
    Query,           // ... into a buffer of `number` bytes: "type T size S"
                     // and on success " data D" with NULs shown as "\0"
    QueryNoSize,     // ... with a buffer but no size
    DeleteKey,       // openKey `arg`, deleteKey `text`, closeKey
    DeleteKeyTwice,  // two handles on `arg`: delete through the first, then
                     // query and delete through the second: "query Q"
    CloseKeyTwice,   // openKey `arg`, closeKey twice: the second result
    NoKey,           // queryValue and closeKey on key 0: "close C"
    // system
    DriveType,      // getDriveType `arg`: the type as the result
    WindowsFolder,  // getWindowsDirectory into `number` bytes: "written"
    SystemFolder,   // or "needs length+1", set against a full-size query
};

// Where Wine differs from Windows as Microsoft documents it.
enum class Wine {
    Same,
    // Wine gives another result or reports something else: on Wine only the
    // state afterwards is checked.
    Result,
    // Wine can't show the case at all, or acts otherwise: fakes only.
    Differs,
};

struct Case {
    const char* name;  // letters and digits: a test's name
    std::vector<Plant> given;
    Op op;
    std::string arg;
    platform::Status status;
    std::string seen;  // what the call reported ("" for nothing)
    // Afterwards: "x" is there, "!x" is not, "x=bytes" holds those bytes,
    // "@k" is a key below the root key, "*x" is scheduled for deletion at
    // the restart.
    std::vector<std::string> after = {};
    std::uint32_t number = 0;  // a size or limit
    std::string text = {};     // a value name or subkey
    std::string held = {};     // a path held open (OpenFor::Holding) meanwhile
    Wine wine = Wine::Same;
    const char* why = nullptr;  // how Wine differs
};

// One side of the table: the platform it checks and the state it lays down.
class Side {
public:
    virtual ~Side() = default;
    virtual platform::FileSystem& files() = 0;
    virtual platform::Registry& registry() = 0;
    virtual platform::System& system() = 0;
    virtual std::string root() const = 0;  // a folder, without trailing "\"
    virtual platform::HKey keyRoot() const = 0;
    virtual std::string keyPath() const = 0;  // the root key below keyRoot()
    virtual void plant(const Plant& plant) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual std::string contents(const std::string& path) = 0;
    virtual bool keyExists(const std::string& path) = 0;
    virtual bool scheduled(const std::string& path) = 0;
    // The short spelling of root() + "\" + path, as the system gives it.
    virtual std::string shortPath(const std::string& path) = 0;
    // Lets go of what busy() holds, before the state afterwards is read.
    virtual void release() = 0;
    virtual bool onWine() const = 0;
};

std::vector<Case> fileCases();
std::vector<Case> registryAndSystemCases();

// A case's name as GoogleTest shows it, for parameterized tests over a table.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return info.param.name;
    }
};
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Lays down the case's state on `side`, makes its call and checks the result
// (GoogleTest assertions).
void check(const Case& c, Side& side);

}  // namespace contract

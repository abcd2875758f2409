// The promises of the platform seams, written once as a table of cases and
// run twice: against the in-memory fakes in the unit tests, and against the
// Win32 adapters on the real file system and registry under Wine. Each case
// lays down a small state below a root that its side supplies (a folder and a
// registry key), makes one call through a platform interface, and states the
// Win32 result code, what the call reported, and what is there afterwards.
// Where the two sides first disagreed, Windows' documented behaviour decided.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Utf8.h"

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
    return {Plant::File, path, text, attributes};
}
inline Plant folder(std::string path, std::uint32_t attributes = 0) {
    return {Plant::Folder, path, "", attributes};
}
// A folder link at `path` leading to the folder `target`.
inline Plant link(std::string path, std::string target) { return {Plant::Link, path, target}; }
// A second name `path` of the existing file `of`.
inline Plant hardLink(std::string path, std::string of) { return {Plant::HardLink, path, of}; }
// A file another program holds open without sharing for the case's call.
inline Plant busy(std::string path) { return {Plant::Busy, path}; }
// The 8.3 alias the fakes give an entry; the real system makes its own.
inline Plant alias(std::string path, std::string name) { return {Plant::Alias, path, name}; }
inline Plant key(std::string path) { return {Plant::Key, path}; }
inline Plant value(std::string key, std::string name, std::uint32_t type, std::string bytes) {
    return {Plant::Value, key, name, type, bytes};
}
// A string value as the W functions store it: `text` (UTF-8, NULs and all)
// in UTF-16 units, low byte first, and an odd `extra` byte after them.
inline Plant text(std::string key, std::string name, std::uint32_t type, std::string_view text,
                  std::string extra = {}) {
    std::string bytes;
    for (const char16_t unit : platform::utf8::toUtf16(text)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return value(std::move(key), std::move(name), type, bytes + extra);
}

// The one call of a case, and what it reports in `seen`. A file path beginning
// "~" is the system's short spelling of the rest; a key path is below the root
// key ("" is the root key).
enum class Op {
    List,            // listFiles: the names, "|" between, case-ignoring order
    Find,            // findEntries: the same, a folder's name ending "/"
    Read,            // readWholeFile up to `number` (or 32767) bytes: "length:contents"
    Length,          // fileLength: the length
    DeleteFile,      // deleteFile
    RestartDelete,   // scheduleDeleteAtRestart
    Attributes,      // getAttributes: the letters of D L R H S that are set
    FinalPath,       // openEntry to inspect, describeEntry: the final path below the root
    DeleteByHandle,  // openEntry for deletion, deleteEntry, closeEntry
    CreateNew,       // createNewFile, emptying a single-name ordinary file: "links=N" + letters
    OpenKey,         // openKey: "opened", or "untouched" when the handle was left as it was
    QuerySize,       // queryValue `text`, no buffer: "type T size S"
    Query,           // ... into `number` bytes: the same and " data D", NULs as "\0"
    QueryNoSize,     // ... a buffer but no size
    DeleteKey,       // openKey `arg`, deleteKey `text`, closeKey
    DeleteKeyTwice,  // delete through one handle, then query ("query Q") and delete through another
    CloseKeyTwice,   // openKey, closeKey twice: the second result
    NoKey,           // queryValue and closeKey ("close C") on key 0
    DriveType,       // getDriveType `arg`: the type as the result
    WindowsFolder,   // getWindowsDirectory into `number` bytes: "written",
    SystemFolder,    // or "needs length+1", set against a query that fits
};

// Where Wine differs from Windows as Microsoft documents it.
enum class Wine {
    Same,
    Result,   // Wine gives another result: on Wine only the state afterwards is checked
    Differs,  // Wine acts otherwise, or can't show the case: fakes only
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
    virtual platform::Platform platform() = 0;
    virtual std::string root() const = 0;     // a folder, without trailing "\"
    virtual std::string keyPath() const = 0;  // the root key, below HKCU
    virtual void plant(const Plant& plant) = 0;
    virtual std::string contents(const std::string& path) = 0;
    virtual bool scheduled(const std::string& path) = 0;
    // The short spelling of root() + "\" + path, as the system gives it.
    virtual std::string shortPath(const std::string& path) = 0;
    // Lets go of what busy() holds, before the state afterwards is read.
    virtual void release() {}
    virtual bool onWine() const = 0;
};

std::vector<Case> fileCases();
std::vector<Case> registryAndSystemCases();

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Lays down the case's state on `side`, makes its call and checks the result
// (GoogleTest assertions).
void check(const Case& c, Side& side);

}  // namespace contract

// Every case of the table as a test of `Suite`, each on a fresh `SideType`.
#define CONTRACT_TESTS(Suite, SideType)                                                     \
    class Suite : public ::testing::TestWithParam<contract::Case> {};                       \
    TEST_P(Suite, Holds) {                                                                  \
        SideType side;                                                                      \
        contract::check(GetParam(), side);                                                  \
    }                                                                                       \
    const auto Suite##Name = [](const auto& info) { return std::string(info.param.name); }; \
    INSTANTIATE_TEST_SUITE_P(Files, Suite, ::testing::ValuesIn(contract::fileCases()),      \
                             Suite##Name);                                                  \
    INSTANTIATE_TEST_SUITE_P(RegistryAndSystem, Suite,                                      \
                             ::testing::ValuesIn(contract::registryAndSystemCases()), Suite##Name)

// What the Win32 tests set up in the real prefix and take down again: a
// folder under C:\ and a key under HKCU or HKLM\Software, each with a name
// no other test program uses, since the prefix is shared.
#pragma once

#include <windows.h>

#include <string>

namespace winetest {

// A name made of `stem`, this process's id and a running number.
std::string uniqueName(const char* stem);

// A folder of its own, created empty and removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A key of its own under "Software" of a root, created empty and deleted with
// all its subkeys.
class ScratchKey {
public:
    ScratchKey(HKEY root, const char* rootName);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // "Software\<name>", relative to the root.
    const std::string& subKey() const { return subKey_; }
    // The key as reg.exe names it, such as "HKCU\Software\<name>".
    std::string regPath() const { return rootName_ + "\\" + subKey_; }

private:
    HKEY root_;
    std::string rootName_;
    std::string subKey_;
};

// Runs a command line and returns its exit code (-1 if it can't start); what
// it prints goes to `output` when that is given, else nowhere.
int runProgram(const std::string& commandLine, std::string* output = nullptr);

// Runs the prefix's own reg.exe with `arguments`.
int reg(const std::string& arguments);

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);
void setAttributes(const std::string& path, DWORD attributes);

// Deletes a folder and everything below it, read-only files included.
void removeTree(const std::string& path);

}  // namespace winetest

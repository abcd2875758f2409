// Win32 reading and walking of files, folders and keys, shared by the demo
// tool, the timing program and the removal tests under Wine. Paths, names and
// values are UTF-8 text, handed to the W functions.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace wintree {

// The running program: its folder (without a trailing "\") and its file
// name without the extension.
std::string ownFolder();
std::string ownName();

// The Windows folder, without a trailing "\".
std::string windowsFolder();
// The current user's Programs folder as the uninstaller reads it: the value
// "Programs" of HKCU\...\Explorer\Shell Folders, which the shell fills in
// when asked once ("" if it still can't be had).
std::string programsFolder();

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Every byte of a file; nothing when it can't be read.
std::optional<std::string> readFile(const std::string& path);

// The files below `folder`, and its folders with every subfolder before the
// folder that holds it (the order they can be removed in).
void listBelow(const std::string& folder, std::vector<std::string>& files,
               std::vector<std::string>& folders);

// Deletes a folder and everything below it, read-only files included.
void removeTree(const std::string& path);

bool keyExists(HKEY root, const std::string& subKey);
// A key's string value (REG_SZ or REG_EXPAND_SZ, unexpanded); "" names the
// default value; "" when there is none.
std::string stringValue(HKEY root, const std::string& subKey, const std::string& name = {});
// The names of a key's direct subkeys, in the registry's order.
std::vector<std::string> subKeys(HKEY key);

// Whether a key right below HKCR is one of the demo product's: a file type
// of its own prefix, or an extension naming one.
bool isDemoClassKey(const std::string& name);

}  // namespace wintree

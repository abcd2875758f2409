// Win32 walking of folders and keys shared by the demo tool, the timing
// program and the removal tests under Wine. Paths and names are UTF-8 text,
// handed to the W functions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintree {

// The folder of the running program, without a trailing "\".
std::string ownFolder();

// The names of a key's direct subkeys, in the registry's order.
std::vector<std::string> subKeys(HKEY key);

// Deletes a folder and everything below it, read-only files included.
void removeTree(const std::string& path);

}  // namespace wintree

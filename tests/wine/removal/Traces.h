// What the removal tests read and set up in the real prefix: files, folders
// and keys, the demo tool run as a separate process, and the wiping of every
// trace of the demo product before and after each test.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "tools/demoproduct/WinTree.h"

namespace removaltest {

// Read through the library the demo tool and the timing program share.
using wintree::fileExists;
using wintree::folderExists;
using wintree::keyExists;
using wintree::ownFolder;
using wintree::ownName;
using wintree::programsFolder;
using wintree::removeTree;
using wintree::stringValue;
using wintree::windowsFolder;

void writeFile(const std::string& path, const std::string& contents);
// A file's bytes, or "<missing>" when it can't be read.
std::string readFile(const std::string& path);
void makeFolder(const std::string& path);

// Every folder and file below `root` as "folder <relative path>" and
// "file <relative path>", lower-cased, for comparing whole trees.
std::set<std::string> tree(const std::string& root);

void setStringValue(HKEY root, const std::string& subKey, const std::string& value);
// Deletes a key with all its subkeys.
void deleteKeyTree(HKEY root, const std::string& subKey);

// Runs a command line, its output going to `outputPath`, and returns its exit
// code; -1 when it can't start or doesn't end within two minutes.
int runProgram(const std::string& commandLine, const std::string& outputPath);

// Removes whatever the prefix holds of a demo product: the product and
// uninstall keys, the product's file types, its Start-menu folder and the
// install folder the product key names.
void wipeProduct();

}  // namespace removaltest

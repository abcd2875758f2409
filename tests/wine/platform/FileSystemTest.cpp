// The file adapter against the real file system under Wine: the listing,
// wildcard deletion and folder semantics that the in-memory file system of
// the unit tests follows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Scratch.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/wine/FolderLink.h"

using winetest::exists;
using winetest::ScratchFolder;
using winetest::setAttributes;
using winetest::writeFile;

namespace {

using Names = std::vector<std::string>;

Names sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

class FilesOnWine : public ::testing::Test {
protected:
    ScratchFolder scratch;
    platform::win32::Win32FileSystem files;

    Names list(const std::string& pattern, platform::Status expected = 0) {
        Names names{"stale"};
        EXPECT_EQ(files.listFiles(pattern, names), expected) << pattern;
        return names;
    }
    void folder(const std::string& name) {
        ASSERT_TRUE(CreateDirectoryA((scratch / name).c_str(), nullptr));
    }
    // Where `path` really is, as the deletion rules ask it; "" when it can't
    // be opened.
    std::string finalPath(const std::string& path) {
        platform::FileHandle handle = platform::kNoFile;
        if (files.openEntry(path, platform::OpenFor::Inspection, handle) != 0) return {};
        std::string result;
        std::uint32_t attributes = 0;
        EXPECT_EQ(files.describeEntry(handle, result, attributes), 0) << path;
        files.closeEntry(handle);
        return result;
    }
};

TEST_F(FilesOnWine, ListingLeavesOutFoldersHiddenAndSystemFiles) {
    writeFile(scratch / "one.del", "1");
    writeFile(scratch / "TWO.DEL", "2");
    writeFile(scratch / "locked.del", "3");
    setAttributes(scratch / "locked.del", FILE_ATTRIBUTE_READONLY);
    writeFile(scratch / "hidden.del", "4");
    setAttributes(scratch / "hidden.del", FILE_ATTRIBUTE_HIDDEN);
    writeFile(scratch / "system.del", "5");
    setAttributes(scratch / "system.del", FILE_ATTRIBUTE_SYSTEM);
    writeFile(scratch / "other.txt", "6");
    folder("folder.del");

    EXPECT_EQ(sorted(list(scratch / "*.del")), (Names{"TWO.DEL", "locked.del", "one.del"}));
    EXPECT_EQ(sorted(list(scratch / "*.DEL")), (Names{"TWO.DEL", "locked.del", "one.del"}));
}

TEST_F(FilesOnWine, ListingKeepsTheSystemsOrder) {
    for (const char* name : {"b.del", "c.del", "a.del", "d.del"}) writeFile(scratch / name, "");
    Names system;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((scratch / "*.del").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do system.emplace_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(list(scratch / "*.del"), system);
}

TEST_F(FilesOnWine, WildcardsMatchAsFindFirstFileDoes) {
    for (const char* name : {"README", "a.txt", "ab.txt", "abc.txt", "x.tar.gz"})
        writeFile(scratch / name, "");

    // "*.*" takes names without a dot too; "*" is the same.
    EXPECT_EQ(sorted(list(scratch / "*.*")),
              (Names{"README", "a.txt", "ab.txt", "abc.txt", "x.tar.gz"}));
    EXPECT_EQ(sorted(list(scratch / "*")), sorted(list(scratch / "*.*")));
    EXPECT_EQ(sorted(list(scratch / "a?.txt")), (Names{"a.txt", "ab.txt"}));
    EXPECT_EQ(sorted(list(scratch / "??.txt")), (Names{"a.txt", "ab.txt"}));
    EXPECT_EQ(sorted(list(scratch / "*.")), (Names{"README"}));
    EXPECT_EQ(sorted(list(scratch / "a*.TXT")), (Names{"a.txt", "ab.txt", "abc.txt"}));
    EXPECT_EQ(sorted(list(scratch / "*.gz")), (Names{"x.tar.gz"}));
    EXPECT_EQ(sorted(list(scratch / "readme")), (Names{"README"}));
}

TEST_F(FilesOnWine, ShortNameAliasesDontMatchAPattern) {
    // Each of these has an 8.3 alias ending in ".DEL" or ".TXT".
    for (const char* name : {"notes.delx", "archive.delete", "a long name.del", "x.txt.bak"})
        writeFile(scratch / name, "");
    EXPECT_EQ(list(scratch / "*.del"), Names{"a long name.del"});
    EXPECT_EQ(list(scratch / "*.txt"), Names{});
    EXPECT_EQ(files.deleteFiles(scratch / "*.del"), 0);
    EXPECT_TRUE(exists(scratch / "notes.delx"));
    EXPECT_TRUE(exists(scratch / "archive.delete"));
    EXPECT_FALSE(exists(scratch / "a long name.del"));
}

TEST_F(FilesOnWine, NoMatchIsAnEmptyListAndAMissingFolderAnError) {
    writeFile(scratch / "one.txt", "");
    EXPECT_EQ(list(scratch / "*.del"), Names{});
    EXPECT_EQ(list(scratch / "absent\\*.del", platform::kErrorPathNotFound), Names{});
}

TEST_F(FilesOnWine, DoubledSeparatorAndOtherCaseStillNameTheFile) {
    writeFile(scratch / "Script.del", "title=x");
    std::string upper = scratch.path();
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

    EXPECT_EQ(list(scratch.path() + "\\\\*.del"), Names{"Script.del"});
    std::string contents;
    std::uint64_t length = 0;
    EXPECT_EQ(files.readWholeFile(scratch.path() + "\\\\Script.del", 100, contents, length), 0);
    EXPECT_EQ(contents, "title=x");
    EXPECT_EQ(files.fileLength(upper + "\\SCRIPT.DEL", length), 0);
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(files.deleteFiles(upper + "\\\\script.DEL"), 0);
    EXPECT_FALSE(exists(scratch / "Script.del"));
}

TEST_F(FilesOnWine, ReadWholeFileGivesEveryByteUnchanged) {
    const std::string bytes("line\r\nnext\rthird\n\0\x1a\xff end", 24);
    writeFile(scratch / "raw.del", bytes);
    std::string contents = "previous";
    std::uint64_t length = 0;
    ASSERT_EQ(files.readWholeFile(scratch / "raw.del", 32767, contents, length), 0);
    EXPECT_EQ(contents, bytes);
    EXPECT_EQ(length, bytes.size());

    writeFile(scratch / "empty.del", "");
    ASSERT_EQ(files.readWholeFile(scratch / "empty.del", 32767, contents, length), 0);
    EXPECT_EQ(contents, "");
    EXPECT_EQ(length, 0u);
}

TEST_F(FilesOnWine, ReadWholeFileReadsNothingAboveTheLimit) {
    writeFile(scratch / "big.del", std::string(32768, 'x'));
    std::string contents = "previous";
    std::uint64_t length = 0;
    ASSERT_EQ(files.readWholeFile(scratch / "big.del", 32767, contents, length), 0);
    EXPECT_EQ(length, 32768u);
    EXPECT_EQ(contents, "");

    writeFile(scratch / "edge.del", std::string(32767, 'y'));
    ASSERT_EQ(files.readWholeFile(scratch / "edge.del", 32767, contents, length), 0);
    EXPECT_EQ(length, 32767u);
    EXPECT_EQ(contents, std::string(32767, 'y'));
}

TEST_F(FilesOnWine, ReadingWhatIsNoFileFails) {
    std::string contents;
    std::uint64_t length = 0;
    EXPECT_EQ(files.readWholeFile(scratch / "absent.del", 100, contents, length),
              platform::kErrorFileNotFound);
    EXPECT_EQ(files.readWholeFile(scratch / "absent\\x.del", 100, contents, length),
              platform::kErrorPathNotFound);
    folder("sub");
    EXPECT_EQ(files.readWholeFile(scratch / "sub", 100, contents, length),
              platform::kErrorAccessDenied);
    EXPECT_EQ(files.fileLength(scratch / "absent.del", length), platform::kErrorFileNotFound);
    EXPECT_EQ(files.fileLength(scratch / "absent\\x.del", length), platform::kErrorPathNotFound);
}

TEST_F(FilesOnWine, FileLengthCountsEvenAnEmptyFile) {
    writeFile(scratch / "can't delete", "");
    std::uint64_t length = 99;
    EXPECT_EQ(files.fileLength(scratch / "can't delete", length), 0);
    EXPECT_EQ(length, 0u);
    writeFile(scratch / "five", "12345");
    setAttributes(scratch / "five", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(files.fileLength(scratch / "five", length), 0);
    EXPECT_EQ(length, 5u);
    folder("can't delete.d");
    length = 99;
    EXPECT_EQ(files.fileLength(scratch / "can't delete.d", length), 0);  // a folder counts
    EXPECT_EQ(length, 0u);
}

TEST_F(FilesOnWine, WildcardDeletionTakesHiddenAndSystemFilesButSkipsReadOnlyOnes) {
    writeFile(scratch / "a.dat", "");
    writeFile(scratch / "b.dat", "");
    setAttributes(scratch / "b.dat", FILE_ATTRIBUTE_READONLY);
    writeFile(scratch / "c.dat", "");
    setAttributes(scratch / "c.dat", FILE_ATTRIBUTE_HIDDEN);
    writeFile(scratch / "d.dat", "");
    setAttributes(scratch / "d.dat", FILE_ATTRIBUTE_SYSTEM);
    writeFile(scratch / "keep.txt", "");
    folder("sub.dat");
    writeFile(scratch / "sub.dat\\inner.dat", "");

    EXPECT_EQ(files.deleteFiles(scratch / "*.dat"), platform::kErrorAccessDenied);
    EXPECT_FALSE(exists(scratch / "a.dat"));
    EXPECT_TRUE(exists(scratch / "b.dat"));
    EXPECT_FALSE(exists(scratch / "c.dat"));
    EXPECT_FALSE(exists(scratch / "d.dat"));
    EXPECT_TRUE(exists(scratch / "keep.txt"));
    EXPECT_TRUE(exists(scratch / "sub.dat\\inner.dat"));  // folders aren't entered
}

TEST_F(FilesOnWine, WildcardDeletionWithoutAMatchReportsIt) {
    folder("only.dat");
    EXPECT_EQ(files.deleteFiles(scratch / "*.dat"), platform::kErrorFileNotFound);  // a folder
    EXPECT_TRUE(exists(scratch / "only.dat"));
    EXPECT_EQ(files.deleteFiles(scratch / "none.*"), platform::kErrorFileNotFound);
    EXPECT_EQ(files.deleteFiles(scratch / "absent\\*.*"), platform::kErrorPathNotFound);
    EXPECT_EQ(files.deleteFiles(scratch / "*.*"), platform::kErrorFileNotFound);
}

TEST_F(FilesOnWine, WildcardDeletionOfEverythingEmptiesTheFolder) {
    for (const char* name : {"README", "a.txt", "b.tar.gz"}) writeFile(scratch / name, "");
    EXPECT_EQ(files.deleteFiles(scratch / "*.*"), 0);
    EXPECT_EQ(files.removeDirectory(scratch.path()), 0);
    EXPECT_FALSE(exists(scratch.path()));
}

TEST_F(FilesOnWine, SingleFileDeletion) {
    writeFile(scratch / "one", "");
    writeFile(scratch / "fixed", "");
    setAttributes(scratch / "fixed", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(files.deleteFile(scratch / "ONE"), 0);
    EXPECT_FALSE(exists(scratch / "one"));
    EXPECT_EQ(files.deleteFile(scratch / "one"), platform::kErrorFileNotFound);
    EXPECT_EQ(files.deleteFile(scratch / "fixed"), platform::kErrorAccessDenied);
    EXPECT_TRUE(exists(scratch / "fixed"));
    folder("sub");
    EXPECT_EQ(files.deleteFile(scratch / "sub"), platform::kErrorAccessDenied);
    EXPECT_TRUE(exists(scratch / "sub"));
}

TEST_F(FilesOnWine, OnlyAnEmptyFolderIsRemoved) {
    folder("full");
    writeFile(scratch / "full\\file", "");
    folder("nested");
    folder("nested\\inner");
    folder("empty");

    EXPECT_EQ(files.removeDirectory(scratch / "full"), platform::kErrorDirNotEmpty);
    EXPECT_EQ(files.removeDirectory(scratch / "nested"), platform::kErrorDirNotEmpty);
    EXPECT_EQ(files.removeDirectory(scratch / "EMPTY"), 0);
    EXPECT_FALSE(exists(scratch / "empty"));
    EXPECT_EQ(files.removeDirectory(scratch / "empty"), platform::kErrorFileNotFound);
    EXPECT_EQ(files.removeDirectory(scratch / "absent\\empty"), platform::kErrorPathNotFound);
    constexpr platform::Status kErrorDirectory = 267;
    EXPECT_EQ(files.removeDirectory(scratch / "full\\file"), kErrorDirectory);
    EXPECT_TRUE(exists(scratch / "full\\file"));
}

TEST_F(FilesOnWine, CreateForOutputMakesOrEmptiesAFile) {
    EXPECT_EQ(files.createFileForOutput(scratch / "new.acc"), 0);
    ASSERT_TRUE(exists(scratch / "new.acc"));
    EXPECT_EQ(winetest::readFile(scratch / "new.acc"), "");

    writeFile(scratch / "old.acc", "contents");
    EXPECT_EQ(files.createFileForOutput(scratch / "old.acc"), 0);
    EXPECT_EQ(winetest::readFile(scratch / "old.acc"), "");

    writeFile(scratch / "fixed.acc", "contents");
    setAttributes(scratch / "fixed.acc", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(files.createFileForOutput(scratch / "fixed.acc"), platform::kErrorAccessDenied);
    EXPECT_EQ(winetest::readFile(scratch / "fixed.acc"), "contents");

    EXPECT_EQ(files.createFileForOutput(scratch / "absent\\x.acc"), platform::kErrorPathNotFound);
}

TEST_F(FilesOnWine, CreateForOutputLeavesHiddenSystemFilesAndFoldersAlone) {
    writeFile(scratch / "hidden.acc", "contents");
    setAttributes(scratch / "hidden.acc", FILE_ATTRIBUTE_HIDDEN);
    writeFile(scratch / "system.acc", "contents");
    setAttributes(scratch / "system.acc", FILE_ATTRIBUTE_SYSTEM);
    folder("folder.acc");
    EXPECT_EQ(files.createFileForOutput(scratch / "hidden.acc"), platform::kErrorAccessDenied);
    EXPECT_EQ(files.createFileForOutput(scratch / "system.acc"), platform::kErrorAccessDenied);
    EXPECT_EQ(files.createFileForOutput(scratch / "folder.acc"), platform::kErrorAccessDenied);
    EXPECT_EQ(winetest::readFile(scratch / "hidden.acc"), "contents");
    EXPECT_EQ(winetest::readFile(scratch / "system.acc"), "contents");
}

TEST_F(FilesOnWine, FilesHeldOpenByAnotherProgramCantBeReadOrDeleted) {
    writeFile(scratch / "busy.del", "title=busy");
    HANDLE held = CreateFileA((scratch / "busy.del").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string contents;
    std::uint64_t length = 0;
    EXPECT_EQ(files.readWholeFile(scratch / "busy.del", 100, contents, length),
              platform::kErrorSharingViolation);
    EXPECT_EQ(files.fileLength(scratch / "busy.del", length), 0);
    EXPECT_EQ(length, 10u);
    EXPECT_EQ(files.deleteFiles(scratch / "*.del"), platform::kErrorSharingViolation);
    CloseHandle(held);
    EXPECT_TRUE(exists(scratch / "busy.del"));
}

TEST_F(FilesOnWine, DeletionAtRestartIsScheduled) {
    writeFile(scratch / "later.exe", "");
    EXPECT_EQ(files.scheduleDeleteAtRestart(scratch / "later.exe"), 0);
    EXPECT_TRUE(exists(scratch / "later.exe"));  // still there until the restart

    // The system keeps the request with the machine's session settings.
    HKEY session = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &session),
        ERROR_SUCCESS);
    std::string pending(1 << 16, '\0');
    DWORD size = static_cast<DWORD>(pending.size());
    const LONG status = RegQueryValueExA(session, "PendingFileRenameOperations", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(pending.data()), &size);
    RegCloseKey(session);
    ASSERT_EQ(status, ERROR_SUCCESS);
    pending.resize(size);
    EXPECT_NE(pending.find(scratch / "later.exe"), std::string::npos);
}

// Where a path really leads: through links and short names to the final
// path, which is what the deletion rules judge.
TEST_F(FilesOnWine, FinalPathsResolveLinksAndShortNames) {
    folder("target");
    writeFile(scratch / "target\\precious.txt", "kept");
    folder("inst");
    ASSERT_TRUE(winetest::plantFolderLink(scratch / "inst\\ulink", scratch / "target"));
    std::uint32_t attributes = 0;
    ASSERT_EQ(files.getAttributes(scratch / "inst\\ulink", attributes), 0);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY),
              static_cast<std::uint32_t>(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(finalPath(scratch / "inst\\ulink\\precious.txt"),
              "\\\\?\\" + scratch / "target\\precious.txt");
    // Wine opens a link's target even when asked for the link itself, where
    // Windows opens the link: the rules look at the path's own attributes
    // too, which show the link on both.
    EXPECT_EQ(finalPath(scratch / "inst\\ulink"), "\\\\?\\" + scratch / "target");
    std::vector<platform::FoundEntry> found;
    EXPECT_EQ(files.findEntries(scratch / "inst\\ulink\\*.*", found), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "precious.txt");

    // Short names are the system's own (generated ones under Wine): read
    // them, never guess them.
    char shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA((scratch / "target\\precious.txt").c_str(), shortPath, MAX_PATH),
              0u);
    EXPECT_EQ(finalPath(std::string(shortPath) + " "),
              "\\\\?\\" + scratch / "target\\precious.txt");
    EXPECT_EQ(finalPath(scratch / "inst\\\\ulink\\precious.txt"),
              "\\\\?\\" + scratch / "target\\precious.txt");
    EXPECT_TRUE(winetest::removeFolderLink(scratch / "inst\\ulink"));
    EXPECT_EQ(winetest::readFile(scratch / "target\\precious.txt"), "kept");
}

// Deletion through the handle that was asked where the file is, and a held
// folder that nobody can delete or replace meanwhile.
TEST_F(FilesOnWine, DeletionThroughTheHandleAndAHeldFolder) {
    folder("held");
    writeFile(scratch / "held\\a.txt", "");
    writeFile(scratch / "held\\ro.txt", "");
    setAttributes(scratch / "held\\ro.txt", FILE_ATTRIBUTE_READONLY);
    platform::FileHandle hold = platform::kNoFile;
    platform::FileHandle handle = platform::kNoFile;
    ASSERT_EQ(files.openEntry(scratch / "held", platform::OpenFor::Holding, hold), 0);
    EXPECT_EQ(files.openEntry(scratch / "held", platform::OpenFor::Deletion, handle),
              platform::kErrorSharingViolation);
    EXPECT_FALSE(MoveFileA((scratch / "held").c_str(), (scratch / "moved").c_str()));

    ASSERT_EQ(files.openEntry(scratch / "held\\a.txt", platform::OpenFor::Deletion, handle), 0);
    EXPECT_EQ(files.deleteEntry(handle), 0);
    files.closeEntry(handle);
    EXPECT_FALSE(exists(scratch / "held\\a.txt"));
    ASSERT_EQ(files.openEntry(scratch / "held\\ro.txt", platform::OpenFor::Deletion, handle), 0);
    EXPECT_NE(files.deleteEntry(handle), 0);
    files.closeEntry(handle);
    EXPECT_TRUE(exists(scratch / "held\\ro.txt"));

    files.closeEntry(hold);
    ASSERT_EQ(files.openEntry(scratch / "held", platform::OpenFor::Deletion, handle), 0);
    files.deleteEntry(handle);  // not empty: it stays, whatever the call said
    files.closeEntry(handle);
    EXPECT_TRUE(exists(scratch / "held\\ro.txt"));
    setAttributes(scratch / "held\\ro.txt", FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((scratch / "held\\ro.txt").c_str());
    ASSERT_EQ(files.openEntry(scratch / "held", platform::OpenFor::Deletion, handle), 0);
    EXPECT_EQ(files.deleteEntry(handle), 0);
    files.closeEntry(handle);
    EXPECT_FALSE(exists(scratch / "held"));
}

// A listing names folders and hidden files too; blanks at the end of a
// pattern go, as from any path's last name.
TEST_F(FilesOnWine, FindEntriesListsEverythingAndDropsTrailingBlanks) {
    writeFile(scratch / "a.txt", "");
    writeFile(scratch / "h.txt", "");
    setAttributes(scratch / "h.txt", FILE_ATTRIBUTE_HIDDEN);
    folder("f.txt");
    std::vector<platform::FoundEntry> found;
    EXPECT_EQ(files.findEntries(scratch / "*.txt  ", found), 0);
    Names names;
    for (const platform::FoundEntry& entry : found) names.push_back(entry.name);
    EXPECT_EQ(sorted(names), (Names{"a.txt", "f.txt", "h.txt"}));
    EXPECT_EQ(files.findEntries(scratch / "a.txt ", found), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "a.txt");
}

}  // namespace

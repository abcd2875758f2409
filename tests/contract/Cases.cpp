// The table: the file system's promises (listing and wildcards, reading,
// deletion, folders, attributes, the write-access probe's create-new, and the
// links, short names and handles that the deletion rules ask about), then the
// registry's (opening, the two-call size protocol, deleting keys, handles) and
// the machine facts that can be compared on both sides.
#include "tests/contract/Contract.h"

namespace contract {
namespace {

constexpr std::uint32_t R = platform::kAttributeReadOnly;
constexpr std::uint32_t H = platform::kAttributeHidden;
constexpr std::uint32_t S = platform::kAttributeSystem;
using platform::kErrorAccessDenied;
using platform::kErrorDirNotEmpty;
using platform::kErrorFileExists;
using platform::kErrorFileNotFound;
using platform::kErrorInvalidHandle;
using platform::kErrorInvalidName;
using platform::kErrorInvalidParameter;
using platform::kErrorMoreData;
using platform::kErrorPathNotFound;
using platform::kErrorSharingViolation;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegSz;
constexpr platform::Status kErrorBadPathname = 161;
constexpr platform::Status kErrorKeyDeleted = 1018;

const char* const kLinkOpensTarget =
    "FILE_FLAG_OPEN_REPARSE_POINT opens the target of the Unix symbolic link that stands for a "
    "folder link under Wine, where Windows opens the link itself";

}  // namespace

std::vector<Case> fileCases() {
    // clang-format off
    const std::vector<Plant> listing = {
        file("one.del"), file("TWO.DEL"), file("locked.del", "", R), file("hidden.del", "", H),
        file("system.del", "", S), file("other.txt"), folder("folder.del"), file("c.delx")};
    const std::vector<Plant> names = {
        file("README"), file("a.txt"), file("ab.txt"), file("abc.txt"), file("x.tar.gz")};
    // Each has an 8.3 alias ending in ".DEL" or ".TXT" on a real volume.
    const std::vector<Plant> aliased = {
        file("notes.delx"), file("archive.delete"), file("a long name.del"), file("x.txt.bak")};
    const std::vector<Plant> linked = {
        file("target\\precious.txt", "kept"), alias("target\\precious.txt", "PRECIO~1.TXT"),
        folder("inst"), link("inst\\ulink", "target")};
    const std::string raw("line\r\nnext\rthird\n\0\x1a\xff end", 24);
    const std::string big(32768, 'x');
    const std::string edge(32767, 'y');
    const std::string all = "a.txt|ab.txt|abc.txt|README|x.tar.gz";
    // Names in other alphabets, two of them in none that an ANSI code page
    // holds beside the Western one, one of two UTF-16 units.
    const std::vector<Plant> alphabets = {
        file("Черновик.tmp", "ru"), file("\u6570\u636e.tmp", "zh"), file("\u03a9mega.tmp", "el"),
        file("\U0001F600.tmp", "emoji"), file("plain.tmp")};
    return {
        // ---- listing: ordinary files only, wildcards as FindFirstFile takes
        // them on long names, letter case ignored
        {"ListLeavesOutFoldersHiddenAndSystemFiles", listing, Op::List, "*.DEL", 0,
         "locked.del|one.del|TWO.DEL"},
        {"StarDotStarTakesNamesWithoutADot", names, Op::List, "*.*", 0, all},
        {"StarAloneTakesEveryName", names, Op::List, "*", 0, all},
        {"QuestionMarkMayMatchNothingBeforeADot", names, Op::List, "a?.txt", 0, "a.txt|ab.txt"},
        {"TwoQuestionMarks", names, Op::List, "??.txt", 0, "a.txt|ab.txt"},
        {"StarDotTakesNamesWithoutADot", names, Op::List, "*.", 0, "README"},
        {"PatternIgnoresCase", names, Op::List, "a*.TXT", 0, "a.txt|ab.txt|abc.txt"},
        {"LastExtensionCounts", names, Op::List, "*.gz", 0, "x.tar.gz"},
        {"NameWithoutWildcardsIgnoresCase", names, Op::List, "readme", 0, "README"},
        {"ShortAliasesDontMatchDel", aliased, Op::List, "*.del", 0, "a long name.del"},
        {"ShortAliasesDontMatchTxt", aliased, Op::List, "*.txt", 0, ""},
        {"NoMatchIsAnEmptyList", {file("one.txt")}, Op::List, "*.del", 0, ""},
        {"MissingFolderIsAnError", {}, Op::List, "absent\\*.del", kErrorPathNotFound, ""},
        {"TrailingSeparatorNamesNoFile", {folder("sub")}, Op::List, "sub\\", 0, ""},
        {"DoubledSeparatorInAPattern", {file("Script.del")}, Op::List, "\\*.del", 0, "Script.del"},
        {"FindListsFoldersAndHiddenFilesAndDropsBlanks",
         {file("a.txt"), file("h.txt", "", H), folder("f.txt")}, Op::Find, "*.txt  ", 0,
         "a.txt|f.txt/|h.txt"},
        {"FindOneNameWithATrailingBlank", {file("a.txt")}, Op::Find, "a.txt ", 0, "a.txt"},
        {"FindThroughAFolderLink", linked, Op::Find, "inst\\ulink\\*.*", 0, "precious.txt"},
        {"ListNamesOfEveryAlphabet", alphabets, Op::List, "*.tmp", 0,
         "plain.tmp|\u03a9mega.tmp|Черновик.tmp|\u6570\u636e.tmp|\U0001F600.tmp"},
        {"QuestionMarkTakesAWholeCharacter", alphabets, Op::List, "?.tmp", 0, "\U0001F600.tmp"},
        {"TwoQuestionMarksTakeTwoCharacters", alphabets, Op::List, "??.tmp", 0,
         "\u6570\u636e.tmp|\U0001F600.tmp"},
        {"PatternOfAnyAlphabetIgnoresCase", alphabets, Op::List, "черн*.TMP", 0, "Черновик.tmp"},
        {"ReadANameNoCodePageHolds", alphabets, Op::Read, "\U0001F600.TMP", 0, "5:emoji"},

        // ---- reading: every byte unchanged, nothing above the limit; how
        // Win32 folds a path before the file system sees it
        {"ReadGivesEveryByte", {file("raw.del", raw)}, Op::Read, "raw.del", 0, "24:" + raw},
        {"ReadAnEmptyFile", {file("empty.del")}, Op::Read, "empty.del", 0, "0:"},
        {"ReadNothingAboveTheLimit", {file("big.del", big)}, Op::Read, "big.del", 0, "32768:"},
        {"ReadUpToTheLimit", {file("edge.del", edge)}, Op::Read, "edge.del", 0, "32767:" + edge},
        {"ReadMissingFile", {}, Op::Read, "absent.del", kErrorFileNotFound, ""},
        {"ReadInMissingFolder", {}, Op::Read, "absent\\x.del", kErrorPathNotFound, ""},
        {"ReadAFolder", {folder("sub")}, Op::Read, "sub", kErrorAccessDenied, ""},
        {"ReadABusyFile", {file("busy.del", "b"), busy("busy.del")}, Op::Read, "busy.del",
         kErrorSharingViolation, ""},
        {"ReadWithDoubledSeparatorsAndOtherCase", {file("Sub\\Script.del", "title=x")}, Op::Read,
         "\\SUB\\\\SCRIPT.DEL", 0, "7:title=x"},
        {"ForwardSlashesSeparate", {file("sub\\a.del", "a")}, Op::Read, "sub/a.del", 0, "1:a"},
        {"DotsAndDotDotsResolve", {file("sub\\a.del", "a")}, Op::Read, "sub\\.\\x\\..\\a.del.", 0,
         "1:a"},
        {"LastNameLosesTrailingDotsAndBlanks", {file("a.del", "a")}, Op::Read, "a.del. . ", 0,
         "1:a"},
        {"InnerNameLosesOneDot", {file("sub\\a.del", "a")}, Op::Read, "sub.\\a.del", 0, "1:a"},
        {"InnerNameKeepsItsBlanks", {file("sub\\a.del", "a")}, Op::Read, "sub \\a.del",
         kErrorPathNotFound, ""},
        {"SeparatorAfterAFile", {file("a.del", "a")}, Op::Read, "a.del\\", kErrorInvalidName, ""},
        {"DriveInsideAPath", {folder("sub")}, Op::Read, "sub\\C:\\x.del", kErrorInvalidName, "",
         {}, 0, {}, {}, Wine::Result, "Wine finds no folder (3) where Windows refuses the name"},
        {"LengthOfAHiddenReadOnlyFile", {file("five", "12345", R | H)}, Op::Length, "five", 0,
         "5"},
        {"LengthOfAnEmptyFile", {file("can't delete")}, Op::Length, "can't delete", 0, "0"},
        {"LengthOfAFolderIsZero", {folder("can't delete.d")}, Op::Length, "can't delete.d", 0,
         "0"},
        {"LengthOfABusyFile", {file("busy.del", "title=busy"), busy("busy.del")}, Op::Length,
         "busy.del", 0, "10"},
        {"LengthOfAMissingFile", {}, Op::Length, "absent.del", kErrorFileNotFound, ""},
        {"LengthInAMissingFolder", {}, Op::Length, "absent\\x.del", kErrorPathNotFound, ""},

        // ---- deletion through a handle, as the deletion rules delete: hidden and
        // system files go, a busy file doesn't open, names fold as anywhere
        {"DeleteHiddenAndSystemThroughAHandle", {file("c.dat", "", H | S)}, Op::DeleteByHandle,
         "c.dat", 0, "", {"!c.dat"}},
        {"BusyFileWontOpenForDeletion", {file("busy.del"), busy("busy.del")}, Op::DeleteByHandle,
         "busy.del", kErrorSharingViolation, "", {"busy.del"}},
        {"DeleteThroughAHandleDoubledSeparatorOtherCase", {file("Script.del")}, Op::DeleteByHandle,
         "\\script.DEL", 0, "", {"!Script.del"}},
        // ---- one file, one folder
        {"DeleteFileIgnoresCase", {file("one")}, Op::DeleteFile, "ONE", 0, "", {"!one"}},
        {"DeleteNamesNoCodePageHolds", alphabets, Op::DeleteFile, "\u03a9MEGA.tmp", 0, "",
         {"!\u03a9mega.tmp", "\U0001F600.tmp"}},
        {"DeleteMissingFile", {}, Op::DeleteFile, "one", kErrorFileNotFound, ""},
        {"DeleteReadOnlyFile", {file("fixed", "", R)}, Op::DeleteFile, "fixed", kErrorAccessDenied,
         "", {"fixed"}},
        {"DeleteFileOnAFolder", {folder("sub")}, Op::DeleteFile, "sub", kErrorAccessDenied, "",
         {"sub"}},
        {"DeleteBusyFile", {file("busy"), busy("busy")}, Op::DeleteFile, "busy",
         kErrorSharingViolation, "", {"busy"}},
        {"NestedFolderWontGoThroughAHandle", {folder("nested\\inner")}, Op::DeleteByHandle,
         "nested", kErrorDirNotEmpty, "", {"nested\\inner"}},
        {"DeleteEmptyFolderWithATrailingSeparator", {folder("empty")}, Op::DeleteByHandle,
         "EMPTY\\", 0, "", {"!empty"}},
        {"OpenMissingFolderForDeletion", {}, Op::DeleteByHandle, "empty", kErrorFileNotFound, ""},
        {"OpenFolderInAMissingFolderForDeletion", {}, Op::DeleteByHandle, "absent\\empty",
         kErrorPathNotFound, ""},

        // ---- deletion at the next restart
        {"DeletionAtRestartIsScheduled", {file("later.exe")}, Op::RestartDelete, "later.exe", 0,
         "", {"later.exe", "*later.exe"}},

        // ---- create-new, for the write-access probe
        {"CreateNewMakesAnEmptyFile", {}, Op::CreateNew, "W.acc", 0, "", {"W.acc="}},
        {"CreateNewEmptiesASingleNameFile", {file("W.acc", "left over")}, Op::CreateNew, "W.acc",
         0, "links=1", {"W.acc="}},
        {"CreateNewLeavesReadOnly", {file("W.acc", "keep", R)}, Op::CreateNew, "W.acc",
         kErrorAccessDenied, "links=1 R", {"W.acc=keep"}},
        {"CreateNewLeavesASecondName",
         {file("payroll.dat", "salaries"), hardLink("W.acc", "payroll.dat")}, Op::CreateNew,
         "W.acc", kErrorFileExists, "links=2", {"payroll.dat=salaries", "W.acc=salaries"}},
        {"CreateNewLeavesAFolder", {folder("W.acc")}, Op::CreateNew, "W.acc", kErrorFileExists,
         "links=1 D", {"W.acc"}},
        {"CreateNewLeavesABusyFile", {file("W.acc", "keep"), busy("W.acc")}, Op::CreateNew,
         "W.acc", kErrorSharingViolation, "links=1", {"W.acc=keep"}},
        {"CreateNewInMissingFolder", {}, Op::CreateNew, "absent\\W.acc", kErrorPathNotFound, "",
         {"!absent"}},

        // ---- links, short names, final paths and handles
        {"FolderLinkShowsAReparsePoint", linked, Op::Attributes, "inst\\ulink", 0, "DL"},
        {"AttributesOfAFile", {file("f", "", R | H)}, Op::Attributes, "f", 0, "RH"},
        {"AttributesOfAFolder", {folder("sub")}, Op::Attributes, "sub", 0, "D"},
        {"AttributesOfNothing", {}, Op::Attributes, "absent", kErrorFileNotFound, ""},
        {"AttributesInMissingFolder", {}, Op::Attributes, "absent\\x", kErrorPathNotFound, ""},
        {"FinalPathThroughAFolderLink", linked, Op::FinalPath, "inst\\ulink\\precious.txt", 0,
         "target\\precious.txt"},
        {"FinalPathThroughDoubledSeparators", linked, Op::FinalPath, "inst\\\\ulink\\precious.txt",
         0, "target\\precious.txt"},
        {"FinalPathOfAShortNameWithABlank", linked, Op::FinalPath, "~target\\precious.txt ", 0,
         "target\\precious.txt"},
        {"FinalPathOfShortNamesThroughALink", linked, Op::FinalPath, "~inst\\ulink\\precious.txt",
         0, "target\\precious.txt"},
        {"FinalPathOfTheLinkItself", linked, Op::FinalPath, "inst\\ulink", 0, "inst\\ulink", {}, 0,
         {}, {}, Wine::Result, kLinkOpensTarget},
        {"DeleteThroughAHandleInAHeldFolder", {file("held\\a.txt")}, Op::DeleteByHandle,
         "held\\a.txt", 0, "", {"!held\\a.txt"}, 0, {}, "held"},
        {"DeleteReadOnlyThroughAHandle", {file("ro.txt", "", R)}, Op::DeleteByHandle, "ro.txt",
         kErrorAccessDenied, "", {"ro.txt"}},
        {"HeldFolderWontOpenForDeletion", {folder("held")}, Op::DeleteByHandle, "held",
         kErrorSharingViolation, "", {"held"}, 0, {}, "held"},
        {"DeleteEmptyFolderThroughAHandle", {folder("empty")}, Op::DeleteByHandle, "empty", 0, "",
         {"!empty"}},
        {"DeleteFullFolderThroughAHandle", {file("full\\ro.txt", "", R)}, Op::DeleteByHandle,
         "full", kErrorDirNotEmpty, "", {"full\\ro.txt"}},
        {"DeleteAFolderLinkThroughAHandle", linked, Op::DeleteByHandle, "inst\\ulink", 0, "",
         {"!inst\\ulink", "target\\precious.txt"}, 0, {}, {}, Wine::Differs, kLinkOpensTarget},
    };
    // clang-format on
}

std::vector<Case> registryAndSystemCases() {
    const std::vector<Plant> tree = {key("Parent\\Child")};
    const std::vector<Plant> hello = {text("", "Value", kRegSz, std::string("hello\0", 6))};
    std::string longText;
    for (int i = 0; longText.size() < 5000; ++i) longText += "segment " + std::to_string(i) + "\\";
    const std::string longSeen =
        "type 1 size " + std::to_string(2 * (longText.size() + 1)) + " data " + longText + "\\0";
    // clang-format off
    return {
        {"OpenKeyIgnoresCase", tree, Op::OpenKey, "PARENT\\child", 0, "opened"},
        {"OpenMissingKeyLeavesTheHandle", tree, Op::OpenKey, "Parent\\Absent", kErrorFileNotFound,
         "untouched"},
        {"OpenKeyWithALeadingSeparator", tree, Op::OpenKey, "\\Parent", kErrorBadPathname,
         "untouched"},
        {"OpenKeyWithDoubledAndTrailingSeparators", tree, Op::OpenKey, "Parent\\\\Child\\", 0,
         "opened"},
        {"OpenKeyNamedInAnyAlphabet", {key("Черновики\\設定")}, Op::OpenKey, "черновики\\設定", 0,
         "opened"},

        // ---- the two-call size protocol; string data in UTF-16 units, two bytes each, shown
        // as text; other data as stored
        {"QuerySizeOnly", hello, Op::QuerySize, "", 0, "type 1 size 12", {}, 0, "Value"},
        {"QueryIntoASmallBuffer", hello, Op::Query, "", kErrorMoreData, "type 1 size 12", {}, 3,
         "Value"},
        {"QueryIntoABufferThatFits", hello, Op::Query, "", 0, "type 1 size 12 data hello\\0", {},
         16, "value"},
        {"QueryABufferWithoutASize", hello, Op::QueryNoSize, "", kErrorInvalidParameter, "", {},
         16, "Value"},
        {"QueryAMissingValue", hello, Op::Query, "", kErrorFileNotFound, "", {}, 16, "Missing"},
        {"QueryAMissingValueBufferWithoutASize", hello, Op::QueryNoSize, "",
         kErrorInvalidParameter, "", {}, 16, "Missing"},
        {"NewKeyHasNoDefaultValue", tree, Op::Query, "Parent", kErrorFileNotFound, "", {}, 16, ""},
        {"DefaultValue", {text("", "", kRegSz, std::string("C:\\QUOB\0", 8))}, Op::Query, "", 0,
         "type 1 size 16 data C:\\QUOB\\0", {}, 32, ""},
        {"ValueTypesAsStored", {text("", "Path", kRegExpandSz, std::string("%x%\0", 4))},
         Op::Query, "", 0, "type 2 size 8 data %x%\\0", {}, 16, "Path"},
        {"NumbersAsStored", {value("", "Number", kRegDword, std::string("*\0\0\0", 4))},
         Op::Query, "", 0, "type 4 size 4 data *\\0\\0\\0", {}, 16, "Number"},
        {"DataWithInnerNuls", {text("", "Inner", kRegSz, std::string("ab\0cd\0", 6))}, Op::Query,
         "", 0, "type 1 size 12 data ab\\0cd\\0", {}, 16, "Inner"},
        {"DataWithoutATerminator", {text("", "Bare", kRegSz, "abc")}, Op::Query, "", 0,
         "type 1 size 6 data abc", {}, 16, "Bare"},
        {"DataOfAnOddSize", {text("", "Odd", kRegSz, "ab", "c")}, Op::Query, "", 0,
         "type 1 size 5 data ab+c", {}, 16, "Odd"},
        {"EmptyData", {value("", "Nothing", kRegSz, "")}, Op::Query, "", 0, "type 1 size 0 data ",
         {}, 16, "Nothing"},
        {"TextOfAnyAlphabetComesBackWhole",
         {text("", "Names", kRegSz, std::string("Caf\u00e9 \u00c6gir \u6570\u636e \U0001F600\0", 24))},
         Op::Query, "", 0, "type 1 size 32 data Caf\u00e9 \u00c6gir \u6570\u636e \U0001F600\\0", {}, 64,
         "Names"},
        {"LongValueComesBackWhole", {text("", "Long", kRegSz, longText + '\0')}, Op::Query, "", 0,
         longSeen, {}, 16384, "Long"},

        // ---- deleting keys; handles
        {"DeleteKeyWithSubkeysIsRefused", tree, Op::DeleteKey, "Parent", kErrorAccessDenied, "",
         {"@Parent\\Child"}},
        {"DeleteOpenedLeafKey", tree, Op::DeleteKey, "parent\\CHILD", 0, "",
         {"!@Parent\\Child", "@Parent"}},
        {"DeleteNamedSubkey", {key("Parent\\Child\\Leaf")}, Op::DeleteKey, "Parent", 0, "",
         {"!@Parent\\Child\\Leaf", "@Parent\\Child"}, 0, "Child\\Leaf"},
        {"DeleteMissingSubkey", tree, Op::DeleteKey, "Parent", kErrorFileNotFound, "",
         {"@Parent\\Child"}, 0, "Absent"},
        {"KeyDeletedThroughAnotherHandle", {value("Doomed", "", kRegSz, std::string("x\0", 2))},
         Op::DeleteKeyTwice, "Doomed", kErrorKeyDeleted, "query 1018", {"!@Doomed"}},
        {"KeyClosedTwice", tree, Op::CloseKeyTwice, "Parent", kErrorInvalidHandle, ""},
        {"NoKeyIsAnInvalidHandle", {}, Op::NoKey, "", kErrorInvalidHandle, "close 6"},

        // ---- machine facts
        {"FixedDrive", {}, Op::DriveType, "C:\\", platform::kDriveFixed, ""},
        {"DriveTypeIgnoresCase", {}, Op::DriveType, "c:\\", platform::kDriveFixed, ""},
        {"DriveWithoutARoot", {}, Op::DriveType, "Q:\\", platform::kDriveNoRootDir, ""},
        {"WindowsFolderFits", {}, Op::WindowsFolder, "", 0, "written", {}, 255},
        {"SystemFolderNeedsItsSize", {}, Op::SystemFolder, "", 0, "needs length+1", {}, 4},
    };
    // clang-format on
}

}  // namespace contract

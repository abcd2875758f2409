// The registry's promises (opening, the two-call size protocol, deleting keys,
// handles) and the machine facts that can be compared on both sides.
#include "tests/contract/Contract.h"

namespace contract {
namespace {

using platform::kErrorAccessDenied;
using platform::kErrorFileNotFound;
using platform::kErrorInvalidHandle;
using platform::kErrorInvalidParameter;
using platform::kErrorMoreData;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegSz;
constexpr platform::Status kErrorBadPathname = 161;
constexpr platform::Status kErrorKeyDeleted = 1018;

}  // namespace

std::vector<Case> registryAndSystemCases() {
    const std::vector<Plant> tree = {key("Parent\\Child")};
    const std::vector<Plant> hello = {value("", "Value", kRegSz, std::string("hello\0", 6))};
    std::string longText;
    for (int i = 0; longText.size() < 5000; ++i) longText += "segment " + std::to_string(i) + "\\";
    const std::string longSeen =
        "type 1 size " + std::to_string(longText.size() + 1) + " data " + longText + "\\0";
    // clang-format off
    return {
        {"OpenKeyIgnoresCase", tree, Op::OpenKey, "PARENT\\child", 0, "opened"},
        {"OpenMissingKeyLeavesTheHandle", tree, Op::OpenKey, "Parent\\Absent", kErrorFileNotFound,
         "untouched"},
        {"OpenKeyWithALeadingSeparator", tree, Op::OpenKey, "\\Parent", kErrorBadPathname,
         "untouched"},
        {"OpenKeyWithDoubledAndTrailingSeparators", tree, Op::OpenKey, "Parent\\\\Child\\", 0,
         "opened"},

        // ---- the two-call size protocol; data as stored
        {"QuerySizeOnly", hello, Op::QuerySize, "", 0, "type 1 size 6", {}, 0, "Value"},
        {"QueryIntoASmallBuffer", hello, Op::Query, "", kErrorMoreData, "type 1 size 6", {}, 3,
         "Value"},
        {"QueryIntoABufferThatFits", hello, Op::Query, "", 0, "type 1 size 6 data hello\\0", {}, 16,
         "value"},
        {"QueryABufferWithoutASize", hello, Op::QueryNoSize, "", kErrorInvalidParameter, "", {},
         16, "Value"},
        {"QueryAMissingValue", hello, Op::Query, "", kErrorFileNotFound, "", {}, 16, "Missing"},
        {"QueryAMissingValueBufferWithoutASize", hello, Op::QueryNoSize, "",
         kErrorInvalidParameter, "", {}, 16, "Missing"},
        {"NewKeyHasNoDefaultValue", tree, Op::Query, "Parent", kErrorFileNotFound, "", {}, 16, ""},
        {"DefaultValue", {value("", "", kRegSz, std::string("C:\\QUOB\0", 8))}, Op::Query, "", 0,
         "type 1 size 8 data C:\\QUOB\\0", {}, 16, ""},
        {"ValueTypesAsStored", {value("", "Path", kRegExpandSz, std::string("%x%\0", 4))},
         Op::Query, "", 0, "type 2 size 4 data %x%\\0", {}, 16, "Path"},
        {"NumbersAsStored", {value("", "Number", kRegDword, std::string("*\0\0\0", 4))},
         Op::Query, "", 0, "type 4 size 4 data *\\0\\0\\0", {}, 16, "Number"},
        {"DataWithInnerNuls", {value("", "Inner", kRegSz, std::string("ab\0cd\0", 6))}, Op::Query,
         "", 0, "type 1 size 6 data ab\\0cd\\0", {}, 16, "Inner"},
        {"DataWithoutATerminator", {value("", "Bare", kRegSz, "abc")}, Op::Query, "", 0,
         "type 1 size 3 data abc", {}, 16, "Bare"},
        {"EmptyData", {value("", "Nothing", kRegSz, "")}, Op::Query, "", 0, "type 1 size 0 data ",
         {}, 16, "Nothing"},
        {"AnsiTextComesBackWhole",
         {value("", "Accents", kRegSz, std::string("Caf\xe9 \xc6gir\0", 10))}, Op::Query, "", 0,
         "type 1 size 10 data Caf\xe9 \xc6gir\\0", {}, 16, "Accents"},
        {"LongValueComesBackWhole", {value("", "Long", kRegSz, longText + '\0')}, Op::Query, "", 0,
         longSeen, {}, 8192, "Long"},

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

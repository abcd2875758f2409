// Makes a case's one call through the platform interfaces and reads back what
// it reported and left behind, in the words the table uses.
#include <algorithm>
#include <cstring>

#include "tests/contract/Contract.h"

namespace contract {
namespace {

using platform::Status;

// The table's names are plain ASCII: both sides fold them alike.
std::string upperText(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string joined(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return upperText(a) < upperText(b);
    });
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : "|") + name;
    return text;
}

std::string letters(std::uint32_t attributes) {
    const std::uint32_t bits[] = {0x10, 0x400, 0x1, 0x2, 0x4};  // FILE_ATTRIBUTE_*
    std::string text;
    for (int i = 0; i < 5; ++i) {
        if (attributes & bits[i]) text += "DLRHS"[i];
    }
    return text;
}

// The single-name ordinary file that the write-access probe may empty.
bool singleOrdinaryFile(const platform::FileSystem::NameFacts& facts) {
    return facts.links == 1 && (facts.attributes & (platform::kAttributeDirectory |
                                                    platform::kAttributeReparsePoint)) == 0;
}

std::string folderQuery(std::uint32_t (platform::System::*query)(char16_t*, std::uint32_t),
                        platform::System& system, std::uint32_t size) {
    char16_t full[1024] = {};
    const std::uint32_t length = (system.*query)(full, 1024);
    std::vector<char16_t> buffer(size + 1, u'#');
    const std::uint32_t result = (system.*query)(buffer.data(), size);
    if (result == length && length != 0 &&
        std::u16string_view(buffer.data(), length + 1) == std::u16string_view(full, length + 1))
        return "written";
    return result == length + 1 ? "needs length+1" : "returned " + std::to_string(result);
}

// Data as the table writes it: string types as their UTF-16 units' text
// (an odd last byte after a "+"), other types byte by byte; NULs as "\0".
std::string shown(std::uint32_t type, const std::vector<std::uint8_t>& data, std::uint32_t size) {
    std::string text;
    if (type != platform::kRegSz && type != platform::kRegExpandSz) {
        for (std::uint32_t i = 0; i < size; ++i)
            text += data[i] == 0 ? std::string("\\0") : std::string(1, char(data[i]));
        return text;
    }
    std::u16string run;  // units since the last NUL
    for (std::uint32_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit != 0) {
            run += unit;
            continue;
        }
        text += platform::utf8::fromUtf16(run) + "\\0";
        run.clear();
    }
    text += platform::utf8::fromUtf16(run);
    if (size % 2) text += "+" + std::string(1, char(data[size - 1]));
    return text;
}

class Call {
public:
    Call(const Case& c, Side& side) : c_(c), side_(side) {}

    std::string path(const std::string& relative) const {
        if (relative.empty() || relative[0] != '~') return side_.root() + "\\" + relative;
        // Blanks after the name stay as they were written.
        const auto end = relative.find_last_not_of(' ') + 1;
        return side_.shortPath(relative.substr(1, end - 1)) + relative.substr(end);
    }
    std::string keyPath(const std::string& relative) const {
        const bool lead = !relative.empty() && relative[0] == '\\';
        return std::string(lead ? "\\" : "") + side_.keyPath() +
               (relative.empty() || lead ? relative : "\\" + relative);
    }
    platform::HKey open(const std::string& relative) {
        platform::HKey handle = 0;
        EXPECT_EQ(side_.platform().registry.openKey(platform::kHkeyCurrentUser, keyPath(relative),
                                                    0, platform::kKeyAllAccess, handle),
                  0);
        return handle;
    }

    Status run(std::string& seen) {
        if (c_.op < Op::OpenKey) return files(seen);
        if (c_.op < Op::DriveType) return registry(seen);
        if (c_.op == Op::DriveType)
            return static_cast<Status>(side_.platform().system.getDriveType(c_.arg));
        seen = folderQuery(c_.op == Op::WindowsFolder ? &platform::System::getWindowsDirectory
                                                      : &platform::System::getSystemDirectory,
                           side_.platform().system, c_.number);
        return 0;
    }

private:
    Status files(std::string& seen);
    Status registry(std::string& seen);

    const Case& c_;
    Side& side_;
};

Status Call::files(std::string& seen) {
    platform::FileSystem& fs = side_.platform().files;
    const std::string at = path(c_.arg);
    std::vector<std::string> names{"stale"};
    std::vector<platform::FoundEntry> found{{"stale", 0}};
    std::string text = "stale";
    std::uint64_t length = 99;
    std::uint32_t attributes = 0;
    platform::FileSystem::NameFacts facts;
    Status status = 0;
    switch (c_.op) {
        case Op::List:
            status = fs.listFiles(at, names);
            seen = joined(names);
            return status;
        case Op::Find:
            status = fs.findEntries(at, found);
            names.clear();
            for (const auto& e : found)
                names.push_back(e.name + (e.attributes & platform::kAttributeDirectory ? "/" : ""));
            seen = joined(names);
            return status;
        case Op::Read:
            status = fs.readWholeFile(at, c_.number ? c_.number : 32767, text, length);
            if (status == 0) seen = std::to_string(length) + ":" + text;
            return status;
        case Op::Length:
            status = fs.fileLength(at, length);
            if (status == 0) seen = std::to_string(length);
            return status;
        case Op::DeleteFile:
            return fs.deleteFile(at);
        case Op::RestartDelete:
            return fs.scheduleDeleteAtRestart(at);
        case Op::Attributes:
            status = fs.getAttributes(at, attributes);
            seen = letters(attributes);
            return status;
        case Op::CreateNew:
            status = fs.createNewFile(at, singleOrdinaryFile, facts);
            if (facts.links != 0) seen = "links=" + std::to_string(facts.links);
            if (!letters(facts.attributes).empty()) seen += " " + letters(facts.attributes);
            return status;
        default:
            break;
    }
    // The calls on a handle.
    const bool inspect = c_.op == Op::FinalPath;
    platform::FileHandle handle = platform::kNoFile;
    status = fs.openEntry(at, inspect ? platform::OpenFor::Inspection : platform::OpenFor::Deletion,
                          handle);
    if (status == 0 && inspect) {
        status = fs.describeEntry(handle, text, attributes);
        const std::string prefix = "\\\\?\\" + side_.root() + "\\";
        seen = upperText(text).rfind(upperText(prefix), 0) == 0 ? text.substr(prefix.size()) : text;
    }
    if (status == 0 && !inspect) status = fs.deleteEntry(handle);
    if (handle != platform::kNoFile) fs.closeEntry(handle);
    return status;
}

Status Call::registry(std::string& seen) {
    platform::Registry& reg = side_.platform().registry;
    std::uint32_t type = 77;
    std::uint32_t size = c_.number;
    std::vector<std::uint8_t> data(c_.number + 1, 'x');
    platform::HKey handle = 1234;
    platform::HKey second = 0;
    Status status = 0;
    switch (c_.op) {
        case Op::OpenKey:
            status = reg.openKey(platform::kHkeyCurrentUser, keyPath(c_.arg), 0,
                                 platform::kKeyAllAccess, handle);
            seen = handle == 1234 ? "untouched" : "opened";
            if (status == 0) reg.closeKey(handle);
            return status;
        case Op::QuerySize:
        case Op::Query:
        case Op::QueryNoSize:
            handle = open(c_.arg);
            status = reg.queryValue(handle, c_.text, &type,
                                    c_.op == Op::QuerySize ? nullptr : data.data(),
                                    c_.op == Op::QueryNoSize ? nullptr : &size);
            if (status == 0 || status == platform::kErrorMoreData)
                seen = "type " + std::to_string(type) + " size " + std::to_string(size);
            if (status == 0 && c_.op == Op::Query) seen += " data " + shown(type, data, size);
            reg.closeKey(handle);
            return status;
        case Op::DeleteKey:
            handle = open(c_.arg);
            status = reg.deleteKey(handle, c_.text);
            reg.closeKey(handle);
            return status;
        case Op::DeleteKeyTwice:
            handle = open(c_.arg);
            second = open(c_.arg);
            EXPECT_EQ(reg.deleteKey(handle, ""), 0);
            seen = "query " + std::to_string(reg.queryValue(second, "", &type, nullptr, &size));
            status = reg.deleteKey(second, "");
            EXPECT_EQ(reg.closeKey(handle) + reg.closeKey(second), 0);
            return status;
        case Op::CloseKeyTwice:
            handle = open(c_.arg);
            EXPECT_EQ(reg.closeKey(handle), 0);
            return reg.closeKey(handle);
        default:  // no key
            seen = "close " + std::to_string(reg.closeKey(0));
            return reg.queryValue(0, "", &type, nullptr, &size);
    }
}

}  // namespace

void check(const Case& c, Side& side) {
    if (c.wine == Wine::Differs && side.onWine()) GTEST_SKIP() << "Wine differs: " << c.why;
    for (const Plant& plant : c.given) side.plant(plant);
    Call call(c, side);
    platform::FileSystem& fs = side.platform().files;
    platform::FileHandle hold = platform::kNoFile;
    if (!c.held.empty()) {
        ASSERT_EQ(fs.openEntry(call.path(c.held), platform::OpenFor::Holding, hold), 0);
    }
    std::string seen;
    const Status status = call.run(seen);
    if (hold != platform::kNoFile) fs.closeEntry(hold);
    side.release();

    if (c.wine == Wine::Same || !side.onWine()) {
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(seen, c.seen);
    }
    for (const std::string& after : c.after) {
        const bool absent = after[0] == '!';
        const std::string what = after.substr(absent ? 1 : 0);
        const auto eq = what.find('=');
        platform::HKey key = 0;
        if (what[0] == '@') {  // read through openKey, which the table holds on its own
            const bool there = side.platform().registry.openKey(platform::kHkeyCurrentUser,
                                                                call.keyPath(what.substr(1)), 0,
                                                                platform::kKeyAllAccess, key) == 0;
            if (there) side.platform().registry.closeKey(key);
            EXPECT_EQ(there, !absent) << after;
        } else if (what[0] == '*') {
            EXPECT_TRUE(side.scheduled(call.path(what.substr(1)))) << after;
        } else if (eq != std::string::npos) {
            EXPECT_EQ(side.contents(what.substr(0, eq)), what.substr(eq + 1)) << after;
        } else {
            std::uint32_t attributes = 0;
            EXPECT_EQ(fs.getAttributes(call.path(what), attributes) == 0, !absent) << after;
        }
    }
}

}  // namespace contract

#include "tests/fakes/FakeSystem.h"

#include <iconv.h>

#include <algorithm>
#include <array>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/Utf8.h"
#include "tests/fakes/FakeText.h"

namespace fakes {

FakeSystem::FakeSystem() : log_(&ownLog_) {}

FakeSystem::FakeSystem(OperationLog& log) : log_(&log) {}

std::string FakeSystem::programFile() {
    const bool atRoot = !programFolder_.empty() && programFolder_.back() == '\\';
    return programFolder_ + (atRoot ? "" : "\\") + programName_ + ".exe";
}

// The UTF-16 form of a folder, made once while the folder stays the same:
// the Windows folders are asked for many times in a run.
const std::u16string& FakeSystem::utf16Of(const std::string& folder) const {
    auto& cached = folder == windowsFolder_ ? windowsUnits_ : systemUnits_;
    if (cached.first != folder) cached = {folder, platform::utf8::toUtf16(folder)};
    return cached.second;
}

std::uint32_t FakeSystem::folderQuery(const char* what, const std::string& folder, bool fail,
                                      char16_t* buffer, std::uint32_t size) {
    std::uint32_t result = 0;
    if (!fail) {
        const std::u16string& units = utf16Of(folder);
        const auto length = static_cast<std::uint32_t>(units.size());
        if (length + 1 > size) {
            result = length + 1;
        } else {
            std::copy(units.begin(), units.end(), buffer);
            buffer[length] = u'\0';
            result = length;
        }
    }
    log_->addResult(what, result);
    return result;
}

std::uint32_t FakeSystem::getWindowsDirectory(char16_t* buffer, std::uint32_t size) {
    return folderQuery("GetWindowsDirectory", windowsFolder_, failWindows_, buffer, size);
}

std::uint32_t FakeSystem::getSystemDirectory(char16_t* buffer, std::uint32_t size) {
    return folderQuery("GetSystemDirectory", systemFolder_, failSystem_, buffer, size);
}

std::uint32_t FakeSystem::getDriveType(const std::string& rootPath) {
    auto it = driveTypes_.find(upperText(rootPath));
    const std::uint32_t type = it == driveTypes_.end() ? platform::kDriveNoRootDir : it->second;
    log_->addResult("GetDriveType", rootPath, type);
    return type;
}

void FakeSystem::setDriveType(const std::string& rootPath, std::uint32_t type) {
    driveTypes_[upperText(rootPath)] = type;
}

std::string FakeSystem::programFolder() {
    log_->add("programFolder -> ", programFolder_);
    return programFolder_;
}

std::string FakeSystem::programName() {
    log_->add("programName -> ", programName_);
    return programName_;
}

// ---- text

namespace {

// iconv's name for a Windows code page, or null.
const char* iconvName(unsigned codePage) {
    switch (codePage) {
        case 1250:
            return "CP1250";
        case 1251:
            return "CP1251";
        case 1252:
            return "CP1252";
        case 932:
            return "CP932";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 950:
            return "BIG5";
        default:
            return nullptr;
    }
}

bool singleByte(unsigned codePage) { return codePage >= 1250 && codePage <= 1258; }

// One converter per direction and code page, opened once: the fuzz targets
// decode a script per input.
struct Converters {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, iconv_t> open;
    ~Converters() {
        for (auto& [names, cd] : open)
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

iconv_t converter(const char* to, const char* from) {
    static Converters converters;
    auto& open = converters.open;
    const std::lock_guard<std::mutex> lock(converters.mutex);
    auto [it, added] = open.try_emplace({to, from}, reinterpret_cast<iconv_t>(-1));
    if (added) it->second = iconv_open(to, from);
    if (it->second == reinterpret_cast<iconv_t>(-1))
        throw std::invalid_argument(std::string("iconv can't convert ") + from + " to " + to);
    iconv(it->second, nullptr, nullptr, nullptr, nullptr);  // a fresh start
    return it->second;
}

}  // namespace

void FakeSystem::setCodePage(unsigned codePage) {
    if (iconvName(codePage) == nullptr)
        throw std::invalid_argument("no such code page: " + std::to_string(codePage));
    codePage_ = codePage;
}

namespace {

// A single-byte code page's 256 characters as iconv decodes them, asked once
// per code page: the fuzz targets decode a script per input.
struct Character {
    char bytes[4];
    unsigned char length;
};

const std::array<Character, 256>& singleByteCharacters(unsigned codePage) {
    static std::map<unsigned, std::array<Character, 256>> pages;
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    auto [it, added] = pages.try_emplace(codePage);
    if (!added) return it->second;
    const iconv_t cd = converter("UTF-8", iconvName(codePage));
    for (unsigned byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        char out[8];
        char* from = &in;
        char* to = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string character;
        if (iconv(cd, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1))
            character.assign(out, static_cast<std::size_t>(to - out));
        else
            platform::utf8::append(character, byte);  // every byte is a character
        Character& c = it->second[byte];
        c.length = static_cast<unsigned char>(character.copy(c.bytes, sizeof c.bytes));
    }
    return it->second;
}

}  // namespace

std::string FakeSystem::fromAnsi(std::string_view bytes) const {
    // ASCII is the same in every one of these code pages.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    if (singleByte(codePage_)) {
        const auto& characters = singleByteCharacters(codePage_);
        std::size_t size = 0;
        for (const char byte : bytes) size += characters[static_cast<unsigned char>(byte)].length;
        std::string out(size, '\0');
        std::size_t at = 0;
        for (const char byte : bytes) {
            const Character& c = characters[static_cast<unsigned char>(byte)];
            for (unsigned char i = 0; i < c.length; ++i) out[at++] = c.bytes[i];
        }
        return out;
    }
    const iconv_t cd = converter("UTF-8", iconvName(codePage_));
    std::string out;
    out.reserve(bytes.size() * 3);
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t toLeft = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // A byte the code page doesn't define: on a single-byte page it is
        // still one character, on a double-byte one it is none.
        const auto bad = static_cast<unsigned char>(*in);
        platform::utf8::append(out, singleByte(codePage_) ? bad : 0xFFFD);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string FakeSystem::toAnsi(std::string_view text) const {
    const iconv_t cd = converter(iconvName(codePage_), "UTF-8");
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t toLeft = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG)
            throw std::invalid_argument("code page " + std::to_string(codePage_) +
                                        " can't hold the text " + std::string(text));
    }
    return out;
}

void FakeSystem::lowerCase(std::string_view text, std::string& lower) const {
    lowerTextInto(text, lower);
}

std::string FakeSystem::upperCaseOrdinal(std::string_view text) const { return upperText(text); }

FakeShell::FakeShell() : log_(&ownLog_) {}

FakeShell::FakeShell(OperationLog& log) : log_(&log) {}

void FakeShell::notifyAssociationsChanged() {
    ++associationsChanged_;
    log_->add("SHChangeNotify");
}

}  // namespace fakes

#include "engine/Script.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "platform/Utf8.h"

namespace engine {

namespace {

// A value is cut to this many characters before it is decoded.
constexpr std::size_t kMaxValueLength = 999;

std::string without(std::string text, char unwanted) {
    text.erase(std::remove(text.begin(), text.end(), unwanted), text.end());
    return text;
}

}  // namespace

Script::Script(platform::FileSystem& files, const platform::TextRules& text,
               VariableTable& variables, ScriptActions& actions)
    : files_(files), text_(text), variables_(variables), actions_(actions) {}

namespace {

// The failure of a script that can't be read, by what the system said: a
// file that is there but locked or barred is not "not found".
Failure unreadable(platform::Status status, const std::string& path) {
    switch (status) {
        case platform::kErrorFileNotFound:
        case platform::kErrorPathNotFound:
            return Failure(FailureKind::FileNotFound, path);
        case platform::kErrorAccessDenied:
        case platform::kErrorSharingViolation:
        case platform::kErrorLockViolation:
            return Failure(FailureKind::PermissionDenied, path);
        default:
            return Failure(FailureKind::FileAccess, path);
    }
}

}  // namespace

// The file's length is counted in bytes, its text in characters: the
// buffer and the positions hold characters of the ANSI code page, one byte
// or two each, so that a second byte is never read as a character of its own.
void Script::readWholeFile(const std::string& path) {
    scriptPos_ = 1;
    scriptByte_ = 0;
    std::string contents;
    std::uint64_t length = 0;
    const platform::Status status = files_.readWholeFile(path, kMaxLength, contents, length);
    if (status != platform::kErrorSuccess) throw unreadable(status, path);
    // Too long for a 16-bit length: nothing was read and the previous script
    // stays in the buffer.
    if (length > static_cast<std::uint64_t>(kMaxLength)) throw Failure(FailureKind::Overflow, path);

    std::string text = text_.fromAnsi(contents);
    const std::size_t kept = platform::utf8::firstCharacters(text, kBufferSize).size();
    scriptCharacters_ = platform::utf8::characterCount(std::string_view(text).substr(0, kept));
    scriptLen_ = toInt16(static_cast<long long>(
        scriptCharacters_ + platform::utf8::characterCount(std::string_view(text).substr(kept))));
    ascii_ = kept == scriptCharacters_;
    text.resize(kept);
    scriptText_ = std::move(text);
}

std::string Script::scriptText() const {
    return scriptText_ + std::string(kBufferSize - scriptCharacters_, ' ');
}

// Positions are 1-based and count characters; scriptByte_ is where the
// character at scriptPos_ starts in the buffer. scriptPos_ is an int so that
// the step past the last line of a script of 32,766 or 32,767 characters (up
// to scriptLen + 2) ends processing normally instead of overflowing.
std::string_view Script::takeNextLine(LineEnd* end) {
    const std::string_view text = scriptText_;
    const bool inBuffer = scriptPos_ >= 1 && scriptPos_ <= kBufferSize;
    std::string_view line;
    int lineLength = 0;  // in characters
    if (inBuffer) {
        const std::size_t cr = text.find('\r', scriptByte_);
        if (cr != std::string::npos) {
            line = text.substr(scriptByte_, cr - scriptByte_);
            lineLength =
                static_cast<int>(ascii_ ? line.size() : platform::utf8::characterCount(line));
        } else {
            // The last line runs to the end of the script, cut at the end of
            // the buffer.
            const int count = std::min(scriptLen_ - scriptPos_ + 1, kBufferSize - scriptPos_ + 1);
            if (count > 0) {
                line = ascii_ ? text.substr(scriptByte_, static_cast<std::size_t>(count))
                              : platform::utf8::firstCharacters(text.substr(scriptByte_),
                                                                static_cast<std::size_t>(count));
                lineLength = count;
            }
        }
    }
    // The character after the carriage return is skipped unread, whatever
    // it is. processScript stops long before this limit; only endless direct
    // calls could reach it.
    if (scriptPos_ > std::numeric_limits<int>::max() - kBufferSize - 2)
        throw Failure(FailureKind::Overflow, "script position");
    const int crPosition = scriptPos_ + lineLength;  // where the line's end lies
    if (inBuffer) {
        scriptByte_ += line.size();
        const std::size_t cr = scriptByte_;
        for (int skipped = 0; skipped < 2 && scriptByte_ < text.size(); ++skipped)
            scriptByte_ += ascii_ ? 1 : platform::utf8::characterLength(text, scriptByte_);
        if (end != nullptr) {
            end->carriageReturn = cr < text.size() && text[cr] == '\r';
            end->skipped.clear();
            // The character after a carriage return, if the script goes on.
            if (end->carriageReturn && crPosition + 1 <= scriptLen_)
                end->skipped.assign(text.substr(cr + 1, scriptByte_ - cr - 1));
        }
    } else if (end != nullptr) {
        *end = LineEnd{};
    }
    scriptPos_ += lineLength + 2;
    return line;
}

std::string Script::nextScriptLine() { return std::string(takeNextLine()); }

// Each line is interpreted where it lies in the buffer; nothing reloads the
// buffer while a line is interpreted.
void Script::processScript(bool actionsEnabled) {
    int number = 0;
    LineEnd end;
    do {
        const std::string_view line = takeNextLine(observer_ != nullptr ? &end : nullptr);
        if (observer_ != nullptr) observer_->lineStarting(++number, std::string(line), end);
        processScriptLine(line, actionsEnabled);
        if (observer_ != nullptr) observer_->lineDone();
    } while (scriptPos_ <= scriptLen_);
}

// The value is decoded in full and stored before a handler runs, so a line
// that fails stores nothing and triggers nothing.
void Script::processScriptLine(std::string_view line, bool actionsEnabled) {
    if (line.find('=') == std::string_view::npos) return;
    const std::string key = variables_.lowerCase(scriptLineKey(line));
    const std::string value = scriptLineValue(line);
    if (observer_ != nullptr) observer_->lineDecoded(key, value);
    variables_.setVariableValue(key, value);
    if (key == "removefile") {
        if (actionsEnabled) actions_.removeFileEntry();
    } else if (key == "removekey") {
        if (actionsEnabled) actions_.removeKeyEntry();
    }
}

// The text before the first '='; a line without one is all key.
std::string Script::scriptLineKey(std::string_view line) {
    return std::string(line.substr(0, line.find('=')));
}

// The value is copied once, out of the line; the steps of its decoding
// then work on that copy.
std::string Script::scriptLineValue(std::string_view line) const {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    std::string raw(platform::utf8::firstCharacters(line.substr(eq + 1), kMaxValueLength));
    raw = stripAmpersands(stripQuotes(std::move(raw)));
    if (observer_ != nullptr) observer_->lineValueRead(raw);
    return variables_.expandVariables(std::move(raw));
}

std::string Script::stripQuotes(std::string text) { return without(std::move(text), '"'); }

std::string Script::stripAmpersands(std::string text) { return without(std::move(text), '&'); }

}  // namespace engine

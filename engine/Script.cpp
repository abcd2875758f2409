#include "engine/Script.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace engine {

namespace {

// A value is cut to this many characters before it is decoded.
constexpr std::size_t kMaxValueLength = 999;

std::string without(std::string text, char unwanted) {
    text.erase(std::remove(text.begin(), text.end(), unwanted), text.end());
    return text;
}

}  // namespace

Script::Script(platform::FileSystem& files, VariableTable& variables, ScriptActions& actions)
    : files_(files), variables_(variables), actions_(actions) {}

// Scripts are read byte for byte: one byte is one character, whatever the code
// page, so scriptLen and the buffer count the same units.
void Script::readWholeFile(const std::string& path) {
    scriptPos_ = 1;
    std::string contents;
    std::uint64_t length = 0;
    const platform::Status status = files_.readWholeFile(path, kMaxLength, contents, length);
    if (status != platform::kErrorSuccess) throw Failure(FailureKind::FileNotFound, path);
    // Too long for a 16-bit length: nothing was read and the previous script
    // stays in the buffer.
    if (length > static_cast<std::uint64_t>(kMaxLength)) throw Failure(FailureKind::Overflow, path);

    scriptLen_ = toInt16(static_cast<long long>(length));
    const std::size_t kept = std::min(contents.size(), scriptText_.size());
    std::copy_n(contents.begin(), kept, scriptText_.begin());
    // Past what the previous script filled, the buffer still holds spaces.
    const auto end = scriptText_.begin() + static_cast<std::ptrdiff_t>(std::max(kept, filled_));
    std::fill(scriptText_.begin() + static_cast<std::ptrdiff_t>(kept), end, ' ');
    filled_ = kept;
}

// Positions are 1-based. scriptPos_ is an int so that the step past the last
// line of a file of 32,766 or 32,767 bytes (up to scriptLen + 2) ends
// processing normally instead of overflowing.
std::string_view Script::takeNextLine() {
    const int bufferSize = static_cast<int>(scriptText_.size());
    const std::string_view text = scriptText_;
    std::string_view line;
    std::size_t cr = std::string::npos;
    if (scriptPos_ >= 1 && scriptPos_ <= bufferSize)
        cr = text.find('\r', static_cast<std::size_t>(scriptPos_ - 1));

    if (cr != std::string::npos) {
        line = text.substr(static_cast<std::size_t>(scriptPos_ - 1),
                           cr - static_cast<std::size_t>(scriptPos_ - 1));
    } else if (scriptPos_ >= 1 && scriptPos_ <= bufferSize) {
        // The last line runs to the end of the file, cut at the end of the buffer.
        const int count = std::min(scriptLen_ - scriptPos_ + 1, bufferSize - scriptPos_ + 1);
        if (count > 0)
            line = text.substr(static_cast<std::size_t>(scriptPos_ - 1),
                               static_cast<std::size_t>(count));
    }
    // The character after the carriage return is skipped unread. processScript
    // stops long before this limit; only endless direct calls could reach it.
    if (scriptPos_ > std::numeric_limits<int>::max() - kBufferSize - 2)
        throw Failure(FailureKind::Overflow, "script position");
    scriptPos_ += static_cast<int>(line.size()) + 2;
    return line;
}

std::string Script::nextScriptLine() { return std::string(takeNextLine()); }

// Each line is interpreted where it lies in the buffer; nothing reloads the
// buffer while a line is interpreted.
void Script::processScript(bool actionsEnabled) {
    int number = 0;
    do {
        const std::string_view line = takeNextLine();
        if (observer_ != nullptr) observer_->lineStarting(++number, std::string(line));
        processScriptLine(line, actionsEnabled);
        if (observer_ != nullptr) observer_->lineDone();
    } while (scriptPos_ <= scriptLen_);
}

// The value is decoded in full and stored before a handler runs, so a line
// that fails stores nothing and triggers nothing.
void Script::processScriptLine(std::string_view line, bool actionsEnabled) {
    if (line.find('=') == std::string_view::npos) return;
    const std::string key = VariableTable::lowerCase(scriptLineKey(line));
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
    std::string raw(line.substr(eq + 1, kMaxValueLength));
    return variables_.expandVariables(stripAmpersands(stripQuotes(std::move(raw))));
}

std::string Script::stripQuotes(std::string text) { return without(std::move(text), '"'); }

std::string Script::stripAmpersands(std::string text) { return without(std::move(text), '&'); }

}  // namespace engine

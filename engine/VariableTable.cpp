// The variable table: lookup, store and the expansion of $name$ references.
#include "engine/VariableTable.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace engine {

namespace {

// Windows-1252 lower-case mapping for one byte.
constexpr unsigned char lowerCaseByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
    switch (c) {
        case 0x8A:  // S caron
        case 0x8C:  // OE ligature
        case 0x8E:  // Z caron
            return static_cast<unsigned char>(c + 0x10);
        case 0x9F:  // Y diaeresis
            return 0xFF;
        default:
            break;
    }
    // Latin-1 capitals A grave .. THORN, skipping the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    return c;
}

// The same mapping looked up rather than worked out: names are lower-cased
// or compared on every script line.
constexpr std::array<unsigned char, 256> kLowerCaseBytes = [] {
    std::array<unsigned char, 256> bytes{};
    for (std::size_t c = 0; c < bytes.size(); ++c)
        bytes[c] = lowerCaseByte(static_cast<unsigned char>(c));
    return bytes;
}();

}  // namespace

std::string VariableTable::lowerCase(std::string text) {
    for (char& c : text) c = lowerCase(c);
    return text;
}

char VariableTable::lowerCase(char c) {
    return static_cast<char>(kLowerCaseBytes[static_cast<unsigned char>(c)]);
}

bool VariableTable::lowerCaseIs(std::string_view text, std::string_view lowerText) {
    if (text.size() != lowerText.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (lowerCase(text[i]) != lowerText[i]) return false;
    return true;
}

// Names are stored lower-cased, so a name of any case is compared as it is,
// without a lower-cased copy; rows of another length are passed over first,
// since every line's name is looked up in all live rows.
int VariableTable::rowOf(std::string_view name) const {
    for (int row = 0; row < variableCount_; ++row) {
        const std::string& stored = variableTable_[row].name;
        if (stored.size() == name.size() && lowerCaseIs(name, stored)) return row;
    }
    return -1;
}

const std::string* VariableTable::findValue(std::string_view name) const {
    const int row = rowOf(name);
    return row < 0 ? nullptr : &variableTable_[row].value;
}

std::string VariableTable::getVariableValue(std::string_view whatVar) const {
    const std::string* value = findValue(whatVar);
    return value ? *value : std::string();
}

void VariableTable::setVariableValue(std::string_view name, std::string_view value) {
    if (const int found = rowOf(name); found >= 0) {
        variableTable_[found].value = value;
        return;
    }
    if (variableCount_ >= kRows) throw Failure(FailureKind::OutOfRange, "variable table full");
    Row& row = variableTable_[variableCount_];
    row.name = lowerCase(std::string(name));
    row.value = value;
    variableCount_ = add16(variableCount_, 1);
}

void VariableTable::setVariableCount(Int16 count) {
    if (count < 0 || count > kRows) throw Failure(FailureKind::OutOfRange, "variable count");
    variableCount_ = count;
}

// The working text is kept as `settled + rest`, where `settled` is the text in
// front of the first `$`. Each step replaces the first reference by its value
// and cuts what followed the reference to 999 characters; since the search
// always starts over at the first `$`, the text in front of it never changes
// again, so only `rest` is rebuilt, in place.
std::string VariableTable::expandVariables(std::string text) const {
    if (text.find('$') == std::string::npos) return text;  // nothing to expand
    std::string settled;
    std::string rest = std::move(text);
    int substitutions = 0;
    for (;;) {
        const std::size_t p1 = rest.find('$');
        if (p1 == std::string::npos) {
            settled += rest;
            return settled;
        }
        const std::size_t p2 = rest.find('$', p1 + 1);
        if (p2 == std::string::npos)
            throw Failure(FailureKind::InvalidArgument, "unterminated $ reference");
        if (++substitutions > kMaxSubstitutions)
            throw Failure(FailureKind::InvalidArgument, "too many $ references");

        const std::string* found = findValue(std::string_view(rest).substr(p1 + 1, p2 - p1 - 1));
        const std::string_view value = found ? std::string_view(*found) : std::string_view();
        const std::size_t tailLength = std::min(rest.size() - p2 - 1, kMaxTextAfterReference);

        if (settled.size() + p1 + value.size() + tailLength > kMaxExpandedLength)
            throw Failure(FailureKind::InvalidArgument, "expanded text too long");
        settled.append(rest, 0, p1);
        rest.erase(0, p2 + 1);
        rest.resize(tailLength);
        if (value.find('$') == std::string_view::npos)
            settled += value;  // nothing in it to expand again
        else
            rest.insert(0, value);
    }
}

}  // namespace engine

// The variable table: lookup, store and the expansion of $name$ references.
#include "engine/VariableTable.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/Utf8.h"

namespace engine {

// Names are stored lower-cased: the name asked for is lower-cased once and
// compared exactly, character for character.
int VariableTable::rowOf(std::string_view lowered) const {
    for (int row = 0; row < variableCount_; ++row)
        if (variableTable_[row].name == lowered) return row;
    return -1;
}

const std::string* VariableTable::findValue(std::string_view name) const {
    const int row = rowOf(lowerCase(name));
    return row < 0 ? nullptr : &variableTable_[row].value;
}

std::string VariableTable::getVariableValue(std::string_view whatVar) const {
    const std::string* value = findValue(whatVar);
    return value ? *value : std::string();
}

void VariableTable::setVariableValue(std::string_view name, std::string_view value) {
    std::string lowered = lowerCase(name);
    if (const int found = rowOf(lowered); found >= 0) {
        variableTable_[found].value = value;
        return;
    }
    if (variableCount_ >= kRows) throw Failure(FailureKind::OutOfRange, "variable table full");
    Row& row = variableTable_[variableCount_];
    row.name = std::move(lowered);
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
// again, so only `rest` is rebuilt, in place. A `$` is one byte that no
// other character holds, so the searches work on bytes; the cut and the
// bound count characters.
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
        const std::size_t tailLength =
            platform::utf8::firstCharacters(std::string_view(rest).substr(p2 + 1),
                                            kMaxTextAfterReference)
                .size();

        // No character is shorter than a byte: only a text longer in bytes
        // can be too long in characters.
        const std::size_t bytes = settled.size() + p1 + value.size() + tailLength;
        if (bytes > kMaxExpandedLength &&
            platform::utf8::characterCount(settled) +
                    platform::utf8::characterCount(std::string_view(rest).substr(0, p1)) +
                    platform::utf8::characterCount(value) +
                    platform::utf8::characterCount(
                        std::string_view(rest).substr(p2 + 1, tailLength)) >
                kMaxExpandedLength)
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

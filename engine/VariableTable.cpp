// The variable table: lookup, store and the expansion of $name$ references.
#include "engine/VariableTable.h"

#include <algorithm>
#include <optional>
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

const VariableTable::Row* VariableTable::findRow(std::string_view name) const {
    text_.lowerCase(name, lookedUp_);
    const int row = rowOf(lookedUp_);
    return row < 0 ? nullptr : &variableTable_[row];
}

const std::string* VariableTable::findValue(std::string_view name) const {
    const Row* row = findRow(name);
    return row == nullptr ? nullptr : &row->value;
}

std::string VariableTable::getVariableValue(std::string_view whatVar) const {
    const std::string* value = findValue(whatVar);
    return value ? *value : std::string();
}

void VariableTable::setVariableValue(std::string_view name, std::string_view value) {
    std::string lowered = lowerCase(name);
    if (const int found = rowOf(lowered); found >= 0) {
        variableTable_[found].value = value;
        variableTable_[found].valueCharacters = std::string::npos;
        return;
    }
    if (variableCount_ >= kRows) throw Failure(FailureKind::OutOfRange, "variable table full");
    Row& row = variableTable_[variableCount_];
    row.name = std::move(lowered);
    row.value = value;
    row.valueCharacters = std::string::npos;
    variableCount_ = add16(variableCount_, 1);
}

std::vector<std::string_view> VariableTable::referencesIn(std::string_view text) {
    std::vector<std::string_view> names;
    for (std::size_t p1 = text.find('$'); p1 != std::string_view::npos;) {
        const std::size_t p2 = text.find('$', p1 + 1);
        if (p2 == std::string_view::npos) break;
        names.push_back(text.substr(p1 + 1, p2 - p1 - 1));
        p1 = text.find('$', p2 + 1);
    }
    return names;
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
    using platform::utf8::characterCount;
    std::string settled;
    // Counted only once the text passes the bound in bytes, and from then on
    // kept as `settled` grows: most expansions never need it.
    std::optional<std::size_t> settledCharacters;
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

        const Row* found = findRow(std::string_view(rest).substr(p1 + 1, p2 - p1 - 1));
        const std::string_view value = found ? std::string_view(found->value) : std::string_view();
        const auto valueCharacters = [found] {
            if (found == nullptr) return std::size_t{0};
            if (found->valueCharacters == std::string::npos)
                found->valueCharacters = platform::utf8::characterCount(found->value);
            return found->valueCharacters;
        };
        const std::string_view tail = std::string_view(rest).substr(p2 + 1);
        // No character is shorter than a byte: a tail of at most 999 bytes
        // needs no counting, nor does a text of at most 32,767 bytes.
        const std::size_t tailLength =
            tail.size() <= kMaxTextAfterReference
                ? tail.size()
                : platform::utf8::firstCharacters(tail, kMaxTextAfterReference).size();
        const std::string_view prefix = std::string_view(rest).substr(0, p1);
        if (settled.size() + p1 + value.size() + tailLength > kMaxExpandedLength) {
            if (!settledCharacters) settledCharacters = characterCount(settled);
            if (*settledCharacters + characterCount(prefix) + valueCharacters() +
                    characterCount(tail.substr(0, tailLength)) >
                kMaxExpandedLength)
                throw Failure(FailureKind::InvalidArgument, "expanded text too long");
        }
        if (settledCharacters) *settledCharacters += characterCount(prefix);
        settled.append(prefix);
        const bool expandAgain = value.find('$') != std::string_view::npos;
        if (!expandAgain) {
            settled += value;  // nothing in it to expand again
            if (settledCharacters) *settledCharacters += valueCharacters();
        }
        rest.erase(0, p2 + 1);
        rest.resize(tailLength);
        if (expandAgain) rest.insert(0, value);
    }
}

}  // namespace engine

// The uninstaller's store of named settings: 51 rows of lower-cased names and
// unchanged values, kept for the whole run.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Int16.h"
#include "platform/TextRules.h"

namespace engine {

class VariableTable {
public:
    static constexpr int kRows = 51;

    // Names are lower-cased by `text`, the machine's mapping for the user's
    // locale.
    explicit VariableTable(const platform::TextRules& text) : text_(text) {}

    // Bounds on one expansion. A value that reproduces its own reference would
    // otherwise expand forever, and references to long values can grow the text
    // geometrically from line to line. No file name, registry key or title
    // comes near either bound; passing one fails with InvalidArgument. The
    // length, in characters, is that of the longest path Windows takes at
    // all, and of the longest script: text any longer names nothing, and
    // only costs time and memory to build.
    static constexpr std::size_t kMaxExpandedLength = 32767;
    static constexpr int kMaxSubstitutions = 1 << 16;
    // The text after a reference is cut to this many characters at each step.
    static constexpr std::size_t kMaxTextAfterReference = 999;

    // The value stored under `whatVar` (any case), or "" when none is.
    std::string getVariableValue(std::string_view whatVar) const;

    // Whether a live row holds `whatVar` (any case): a reference to a name
    // that none holds expands to nothing.
    bool isStored(std::string_view whatVar) const { return findValue(whatVar) != nullptr; }

    // Stores `value` under the lower-cased `name`; a new name when all 51 rows
    // are live fails with OutOfRange and changes nothing.
    void setVariableValue(std::string_view name, std::string_view value);

    // Replaces every $name$ reference by that variable's value; a $ without a
    // closing $ fails with InvalidArgument, and so does passing the bounds above.
    std::string expandVariables(std::string text) const;

    // The names of the $name$ references in `text`, in order, its $ signs
    // paired from the first as the expansion pairs them (a reference that a
    // substituted value brings is not among them).
    static std::vector<std::string_view> referencesIn(std::string_view text);

    // Keeps rows 0 .. count-1 live; the main dialog's load cuts to one row.
    // A count outside 0 .. 51 fails with OutOfRange.
    void setVariableCount(Int16 count);
    Int16 variableCount() const { return variableCount_; }

    // `text` lower-cased as names are stored.
    std::string lowerCase(std::string_view text) const { return text_.lowerCase(text); }

private:
    // The live row whose name is `lowered` exactly, or -1.
    int rowOf(std::string_view lowered) const;
    // The value of the live row named `name` (any case), or null.
    const std::string* findValue(std::string_view name) const;

    struct Row {
        std::string name;
        std::string value;
        // The value's length in characters, counted when an expansion first
        // needs it; npos until then.
        mutable std::size_t valueCharacters = std::string::npos;
    };
    // The live row named `name` (any case), or null.
    const Row* findRow(std::string_view name) const;
    const platform::TextRules& text_;
    mutable std::string lookedUp_;  // the name of the latest lookup, lower-cased
    std::array<Row, kRows> variableTable_{};
    Int16 variableCount_ = 0;
};

}  // namespace engine

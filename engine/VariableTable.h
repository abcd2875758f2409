// The uninstaller's store of named settings: 51 rows of lower-cased names and
// unchanged values, kept for the whole run.
#pragma once

#include <array>
#include <string>

#include "engine/Int16.h"

namespace engine {

class VariableTable {
public:
    static constexpr int kRows = 51;

    // The value stored under `whatVar` (any case), or "" when none is.
    std::string getVariableValue(const std::string& whatVar) const;

    // Stores `value` under the lower-cased `name`; a new name when all 51 rows
    // are live fails with OutOfRange and changes nothing.
    void setVariableValue(const std::string& name, const std::string& value);

    // Replaces every $name$ reference by that variable's value; a $ without a
    // closing $ fails with InvalidArgument.
    std::string expandVariables(const std::string& text) const;

    // Keeps rows 0 .. count-1 live; the main dialog's load cuts to one row.
    void setVariableCount(Int16 count);
    Int16 variableCount() const { return variableCount_; }

    // Lower-casing as the ANSI (Western) code page does it.
    static std::string lowerCase(std::string text);

private:
    struct Row {
        std::string name;
        std::string value;
    };
    std::array<Row, kRows> variableTable_{};
    Int16 variableCount_ = 0;
};

}  // namespace engine

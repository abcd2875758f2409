// What the removal tests read from delcheck's JSON plan: a small JSON
// reader and the sets of paths and keys the plan says Remove deletes.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace removaltest {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    const JsonValue& operator[](const std::string& name) const;
    bool isNull() const { return kind == Kind::Null; }
};

// Throws std::runtime_error on anything that is not one JSON document.
JsonValue parseJson(const std::string& text);

struct PlannedRemoval {
    std::set<std::string> deleted;    // files, folders and keys, lower-cased
    std::set<std::string> scheduled;  // deleted at the next restart, lower-cased
    bool cleanup = false;
    std::vector<bool> runs;             // per application, in list order
    std::vector<std::string> warnings;  // every warning, wherever it stands
    int failures = 0, refused = 0;
};

PlannedRemoval plannedRemoval(const JsonValue& plan);

}  // namespace removaltest

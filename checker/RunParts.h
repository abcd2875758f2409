// The pieces of a checked run that aren't the plan itself: the windows
// nobody sees, why discovery left a script out, and which variables a line
// refers to.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/Failure.h"
#include "engine/Script.h"
#include "engine/VariableTable.h"
#include "engine/Views.h"
#include "platform/Utf8.h"

namespace checker {

// The windows of a run that nobody sees.
class SilentDialog final : public engine::DialogView {
public:
    void centerForm() override {}
    void setCaption(const std::string&) override {}
    void hide() override {}
    void processPendingEvents() override {}
};

class SilentProgress final : public engine::ProgressView {
public:
    void removing(const std::string&) override {}
    void show() override {}
    void close() override {}
};

inline std::string leftOutReason(const engine::Failure& failure) {
    switch (failure.kind()) {
        case engine::FailureKind::FileNotFound:
            return "it is not there any more";
        case engine::FailureKind::PermissionDenied:
            return "it is locked or may not be read";
        case engine::FailureKind::FileAccess:
            return "it can't be opened or read";
        case engine::FailureKind::Overflow:
            return "it is longer than 32,767 bytes";
        case engine::FailureKind::OutOfRange:
            return "reading its title needs a 52nd variable name, and the table holds 51";
        case engine::FailureKind::InvalidArgument:
            return "a value in it can't be decoded (a $ without a closing $)";
    }
    return failure.what();
}

// The names of the $name$ references in a value as the decoder first sees
// it (cut, without quotes and ampersands), in order, each once. A reference
// inside a substituted value is not looked at.
inline std::vector<std::string> referencedNames(const std::string& line,
                                                const engine::VariableTable& variables) {
    std::vector<std::string> names;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return names;
    const std::string raw = engine::Script::stripAmpersands(engine::Script::stripQuotes(
        std::string(platform::utf8::firstCharacters(std::string_view(line).substr(eq + 1), 999))));
    std::set<std::string> seen;
    for (std::size_t p1 = raw.find('$'); p1 != std::string::npos;) {
        const std::size_t p2 = raw.find('$', p1 + 1);
        if (p2 == std::string::npos) break;
        const std::string name = raw.substr(p1 + 1, p2 - p1 - 1);
        if (seen.insert(variables.lowerCase(name)).second) names.push_back(name);
        p1 = raw.find('$', p2 + 1);
    }
    return names;
}

}  // namespace checker

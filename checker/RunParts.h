// The pieces of a checked run that aren't the plan itself: the windows
// nobody sees, and why discovery left a script out.
#pragma once

#include <string>
#include <vector>

#include "engine/Failure.h"
#include "engine/Script.h"
#include "engine/VariableTable.h"
#include "engine/Views.h"

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

}  // namespace checker

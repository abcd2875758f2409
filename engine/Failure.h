// The one run-time failure of the engine. It passes up to the caller until a
// region that traps failures skips the failing step, or until a window
// handler shows its description and ends the program.
#pragma once

#include <stdexcept>
#include <string>

namespace engine {

enum class FailureKind {
    FileNotFound,      // a script that isn't there
    PermissionDenied,  // a script that is there but locked or barred
    FileAccess,        // a script that can't be read for another reason
    Overflow,          // a 16-bit count or position left its range
    OutOfRange,        // a 52nd variable name, an index past a table
    InvalidArgument,   // an unterminated $ reference
};

class Failure : public std::runtime_error {
public:
    Failure(FailureKind kind, const std::string& detail = {});

    FailureKind kind() const noexcept { return kind_; }

    // The plain description shown in the error box, e.g. "File not found".
    static const char* describe(FailureKind kind) noexcept;
    const char* description() const noexcept { return describe(kind_); }

private:
    FailureKind kind_;
};

}  // namespace engine

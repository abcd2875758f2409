// The engine's one run-time failure and the descriptions its error box shows.
#include "engine/Failure.h"

namespace engine {

namespace {

std::string message(FailureKind kind, const std::string& detail) {
    std::string text = Failure::describe(kind);
    if (!detail.empty()) text.append(" (").append(detail).append(")");
    return text;
}

}  // namespace

Failure::Failure(FailureKind kind, const std::string& detail)
    : std::runtime_error(message(kind, detail)), kind_(kind) {}

// The wording Windows programs show for these run-time errors, so the error
// box reads as users of such programs expect.
const char* Failure::describe(FailureKind kind) noexcept {
    switch (kind) {
        case FailureKind::FileNotFound:
            return "File not found";
        case FailureKind::PermissionDenied:
            return "Permission denied";
        case FailureKind::FileAccess:
            return "Path/File access error";
        case FailureKind::Overflow:
            return "Overflow";
        case FailureKind::OutOfRange:
            return "Subscript out of range";
        case FailureKind::InvalidArgument:
            return "Invalid procedure call or argument";
    }
    return "Invalid procedure call or argument";
}

}  // namespace engine

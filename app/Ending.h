// How the program ends: at once, or after showing a failure that no handler
// trapped; and the boundary around every window event handler that turns
// such a failure into that end.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "engine/Failure.h"

namespace app {

// Ends the program at once: no close, destroy or unload handler runs.
[[noreturn]] void endAtOnce(unsigned exitCode = 0);

// An untrapped failure: its plain description in a message box, then the end.
[[noreturn]] void failAndEnd(const std::string& description);

// Runs one window event handler. Nothing thrown inside may unwind into
// Windows, so a failure that reaches here is shown and ends the program.
template <typename Handler>
void guarded(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const engine::Failure& failure) {
        failAndEnd(failure.description());
    } catch (const std::bad_alloc&) {
        failAndEnd("Out of memory");
    } catch (const std::exception& other) {
        failAndEnd(other.what());
    } catch (...) {
        failAndEnd("Unexpected error");
    }
}

}  // namespace app

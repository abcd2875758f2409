// The handler boundary, kept in one place for every window.
#pragma once

#include <exception>
#include <new>

#include "engine/Failure.h"

namespace app::Module1 {

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

}  // namespace app::Module1

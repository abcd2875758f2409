// Runs an action that should fail and gives the kind of its failure.
#pragma once

#include <gtest/gtest.h>

#include "engine/Failure.h"

template <typename Action>
engine::FailureKind failureOf(Action action) {
    try {
        action();
    } catch (const engine::Failure& failure) {
        return failure.kind();
    }
    ADD_FAILURE() << "no failure";
    return engine::FailureKind::FileNotFound;
}

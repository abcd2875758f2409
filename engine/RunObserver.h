// Where a run stands, for a program that follows it from outside (the
// checker that shows what Remove would delete). Every call is a notice
// only: nothing here changes what the run does, and a run without an
// observer does exactly the same.
#pragma once

#include <string>

#include "engine/Failure.h"

namespace engine {

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // Discovery gave the script `name` no list entry, because of `failure`.
    virtual void scriptLeftOut(const std::string& name, const Failure& failure) {
        (void)name;
        (void)failure;
    }
    // Remove is about to load the script of list position `position`
    // (0-based), named `scriptName`, whose title the list shows.
    virtual void applicationStarting(int position, const std::string& title,
                                     const std::string& scriptName) {
        (void)position;
        (void)title;
        (void)scriptName;
    }
    // The script is loaded; its lines follow.
    virtual void scriptLoaded() {}
    // Line `number` (1-based, as the reader cuts lines) is about to be
    // interpreted; `text` is the line as cut.
    virtual void lineStarting(int number, const std::string& text) {
        (void)number;
        (void)text;
    }
    // The line's key (lower-cased) and its decoded value, just before the
    // value is stored; not called for a line without "=" or one whose value
    // can't be decoded.
    virtual void lineDecoded(const std::string& key, const std::string& value) {
        (void)key;
        (void)value;
    }
    // The line's handler is done (also for a line that set nothing off).
    virtual void lineDone() {}
    // The product clean-up begins.
    virtual void cleanupStarting() {}
    // Remove has ended (completed or stopped), while the deletion rules of
    // the run are still at hand.
    virtual void runEnding() {}
};

}  // namespace engine

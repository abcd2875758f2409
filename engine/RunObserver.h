// Where a run stands, for a program that follows it from outside (the
// checker that shows what Remove would delete). Every call is a notice
// only: nothing here changes what the run does, and a run without an
// observer does exactly the same.
#pragma once

#include <string>

#include "engine/Failure.h"

namespace engine {

// How the reader found a line's end: at a carriage return, and then which
// character it skipped unread after it ("\n" in a well-formed script; empty
// when the script ends with the carriage return), or at the script's end.
struct LineEnd {
    bool carriageReturn = false;
    std::string skipped;
};

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
    // interpreted; `text` is the line as cut, `end` how it ended.
    virtual void lineStarting(int number, const std::string& text, const LineEnd& end) {
        (void)number;
        (void)text;
        (void)end;
    }
    // The line's value as the decoder first reads it: cut to 999
    // characters, without quotes and ampersands, its $name$ references not
    // yet expanded; for every line with "=".
    virtual void lineValueRead(const std::string& raw) { (void)raw; }
    // The line's key (lower-cased) and its decoded value, just before the
    // value is stored; not called for a line without "=" or one whose value
    // can't be decoded.
    virtual void lineDecoded(const std::string& key, const std::string& value) {
        (void)key;
        (void)value;
    }
    // A `removefile` line names the files at `path` (the install folder
    // joined with its value), before the rules look at them.
    virtual void filesNamed(const std::string& path) { (void)path; }
    // Something was deleted: a file or folder by where it really was
    // ("C:\..."), a key as it was opened ("HKCR\...").
    enum class Deleted { File, Folder, Key };
    virtual void deleted(Deleted what, const std::string& path) {
        (void)what;
        (void)path;
    }
    // The rules refused to delete `path`, for `reason`.
    virtual void refused(const std::string& path, const std::string& reason) {
        (void)path;
        (void)reason;
    }
    // The line's handler is done (also for a line that set nothing off).
    virtual void lineDone() {}
    // The product clean-up begins.
    virtual void cleanupStarting() {}
};

}  // namespace engine

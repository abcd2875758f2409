// The removal-script reader and interpreter. One script at a time is loaded
// into a fixed buffer of 9,000 characters, read from the ANSI code page it
// is written in (a character of one byte or two); lines are cut at carriage
// returns, and each `key=value` line is decoded into the variable table
// before its key sets anything off.
#pragma once

#include <string>
#include <string_view>

#include "engine/Int16.h"
#include "engine/RunObserver.h"
#include "engine/VariableTable.h"
#include "platform/FileSystem.h"

namespace engine {

// What a script line's key sets off when actions are enabled.
class ScriptActions {
public:
    virtual ~ScriptActions() = default;
    virtual void removeFileEntry() = 0;  // a `removefile` line
    virtual void removeKeyEntry() = 0;   // a `removekey` line
};

class Script {
public:
    static constexpr int kBufferSize = 9000;
    static constexpr long long kMaxLength = 32767;

    Script(platform::FileSystem& files, const platform::TextRules& text, VariableTable& variables,
           ScriptActions& actions);

    // Loads the script at `path` and starts reading it from its first line.
    // A file that can't be read, or that is too long for 16-bit positions
    // (more than 32,767 bytes), is a failure that leaves the previous script
    // in the buffer.
    void readWholeFile(const std::string& path);
    // Every line from the reading position to the end of the script.
    void processScript(bool actionsEnabled);
    void processScriptLine(std::string_view line, bool actionsEnabled);
    // The line at the reading position, and the position past it.
    std::string nextScriptLine();
    // Told about each line that processScript interprets; null for none.
    void setObserver(RunObserver* observer) { observer_ = observer; }

    // Back to the first line of the loaded script.
    void rewind() { scriptPos_ = 1; }

    static std::string scriptLineKey(std::string_view line);
    std::string scriptLineValue(std::string_view line) const;
    static std::string stripQuotes(std::string text);
    static std::string stripAmpersands(std::string text);

    // The buffer's 9,000 characters, as text: the script's first 9,000,
    // then spaces.
    std::string scriptText() const;
    // Positions and the length count characters: the script's length in
    // characters is its length in bytes on a code page of one byte a
    // character, and fewer on one of two.
    int scriptPos() const { return scriptPos_; }
    Int16 scriptLen() const { return scriptLen_; }

private:
    // The line at the reading position, as it lies in the buffer, and the
    // position past it; `end`, when given, receives how the line ended.
    std::string_view takeNextLine(LineEnd* end = nullptr);

    platform::FileSystem& files_;
    const platform::TextRules& text_;
    VariableTable& variables_;
    ScriptActions& actions_;
    RunObserver* observer_ = nullptr;

    // The script's first 9,000 characters. The spaces that fill the buffer
    // after a shorter script are never part of a line, so they aren't kept.
    std::string scriptText_;
    std::size_t scriptCharacters_ = 0;  // how many characters scriptText_ holds
    bool ascii_ = true;                 // every character in scriptText_ is one byte
    int scriptPos_ = 1;                 // see nextScriptLine: wider than 16 bits on purpose
    std::size_t scriptByte_ = 0;        // where character scriptPos_ starts in scriptText_
    Int16 scriptLen_ = 0;
};

}  // namespace engine

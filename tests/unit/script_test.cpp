// The removal-script reader and interpreter: loading a script into the fixed
// buffer, cutting it into lines, decoding key=value lines into the variable
// table, and handing removefile/removekey lines to their handlers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Utf8.h"
#include "tests/fakes/FakeText.h"
#include "tests/unit/FailureOf.h"
#include "tests/unit/ProductFixture.h"

namespace {

using engine::Failure;
using engine::FailureKind;
using engine::Install;
using product::script;

class ScriptTest : public product::ProductTest {
protected:
    // Discovery fixes the install directory; no script is there yet.
    void SetUp() override {
        layDownProduct();
        install.findApplications();
    }

    void load(const std::string& text, const std::string& name = "app.del") {
        addScript(name, text);
        install.script().readWholeFile(inInstall(name));
    }
    void run(const std::string& text, bool actionsEnabled = true) {
        load(text);
        install.script().processScript(actionsEnabled);
    }
    // Every line the reader gives until processing would stop.
    std::vector<std::string> lines(const std::string& text) {
        load(text);
        std::vector<std::string> result;
        do {
            result.push_back(install.script().nextScriptLine());
        } while (install.script().scriptPos() <= install.script().scriptLen());
        return result;
    }
    std::string value(const std::string& name) const { return install.getVariableValue(name); }
    std::vector<std::string> deleted() const { return world.files.deletedPaths(); }
};

// ---- loading

TEST_F(ScriptTest, LoadFillsTheBufferAndPadsWithSpaces) {
    load("a=1\r\n");
    EXPECT_EQ(install.script().scriptLen(), 5);
    EXPECT_EQ(install.script().scriptPos(), 1);
    ASSERT_EQ(install.script().scriptText().size(), 9000u);
    EXPECT_EQ(install.script().scriptText(), "a=1\r\n" + std::string(8995, ' '));

    // A shorter script after a longer one leaves no trace of the longer one.
    load("b");
    EXPECT_EQ(install.script().scriptText(), "b" + std::string(8999, ' '));
    EXPECT_EQ(install.script().scriptLen(), 1);
}

// A script is read in the machine's code page, a character at a time: one
// byte or two, and a second byte (0x5C in many characters of 932) is never
// a character of its own. The length counts characters.
TEST_F(ScriptTest, LoadReadsTheCharactersOfTheCodePage) {
    struct Row {
        unsigned codePage;
        std::string bytes;
        std::u8string text;
    };
    const Row rows[] = {
        {1252, std::string("x=\0\x1A\xC4\x80\n", 7), std::u8string(u8"x=\0\x1A\u00C4\u20AC\n", 10)},
        {1252, "\x81\x8D", u8"\u0081\u008D"},  // undefined in 1252, still one each
        {1251, "\xD7\xE5\r\n", u8"Че\r\n"},
        {932, "\x97\x5C\x94\xF5\\\r\n", u8"予備\\\r\n"},
        {949, "\xBC\xB3\xC1\xA4", u8"설정"},
    };
    for (const Row& row : rows) {
        world.system.setCodePage(row.codePage);
        load(row.bytes);
        const std::string text = fakes::utf8(row.text);
        const auto length = static_cast<int>(platform::utf8::characterCount(text));
        EXPECT_EQ(install.script().scriptLen(), length) << row.codePage;
        EXPECT_EQ(install.script().scriptText(), text + std::string(9000 - length, ' '))
            << row.codePage;
    }
}

TEST_F(ScriptTest, LongScriptIsCutToTheBufferButKeepsItsLength) {
    const std::string text = std::string(8999, 'x') + "yz" + std::string(1000, 'w');
    load(text);
    EXPECT_EQ(install.script().scriptLen(), 10001);
    EXPECT_EQ(install.script().scriptText(), text.substr(0, 9000));
}

TEST_F(ScriptTest, MissingOrUnreadableScriptKeepsThePreviousOne) {
    run("a=1\r\nb=2\r\n");
    ASSERT_GT(install.script().scriptPos(), 1);
    const std::string text = install.script().scriptText();

    EXPECT_EQ(failureOf([&] { install.script().readWholeFile(inInstall("gone.del")); }),
              FailureKind::FileNotFound);
    EXPECT_EQ(install.script().scriptPos(), 1);
    EXPECT_EQ(install.script().scriptLen(), 10);
    EXPECT_EQ(install.script().scriptText(), text);

    addScript("locked.del", "c=3");
    world.files.lockForReading(inInstall("locked.del"));
    // There, but barred: the failure doesn't claim it is missing.
    EXPECT_EQ(failureOf([&] { install.script().readWholeFile(inInstall("locked.del")); }),
              FailureKind::PermissionDenied);
    EXPECT_EQ(install.script().scriptLen(), 10);
}

TEST_F(ScriptTest, ScriptOver32767BytesIsOverflowAndReadsNothing) {
    run("a=1\r\n");
    const int rows = install.variables().variableCount();
    addScript("big.del", "title=Too big\r\n" + std::string(32768 - 15, 'x'));
    EXPECT_EQ(failureOf([&] { install.script().readWholeFile(inInstall("big.del")); }),
              FailureKind::Overflow);
    EXPECT_EQ(install.script().scriptPos(), 1);
    EXPECT_EQ(install.script().scriptLen(), 5);
    EXPECT_EQ(install.script().scriptText(), "a=1\r\n" + std::string(8995, ' '));
    EXPECT_EQ(install.variables().variableCount(), rows);
    EXPECT_EQ(value("title"), "");
}

// Files of 32,766 and 32,767 bytes take the position past 32,767 after their
// last line; processing still ends normally.
TEST_F(ScriptTest, LargestScriptsEndProcessingNormally) {
    for (int size : {32766, 32767}) {
        SCOPED_TRACE(size);
        const std::string head = "title=Big\r\n";
        run(head + std::string(static_cast<std::size_t>(size) - head.size(), 'x'));
        EXPECT_EQ(install.script().scriptLen(), size);
        EXPECT_GT(install.script().scriptPos(), size);
        EXPECT_EQ(value("title"), "Big");
    }
    // Ending in a line end right at the limit works too.
    run(std::string(32765, ';') + "\r\n");
    EXPECT_GT(install.script().scriptPos(), 32767);
}

// ---- cutting into lines

TEST_F(ScriptTest, LinesEndAtCarriageReturnAndSkipTheNextCharacter) {
    EXPECT_EQ(lines("a\r\nbb\r\n\r\nc"), (std::vector<std::string>{"a", "bb", "", "c"}));
    EXPECT_EQ(lines("a\r\n"), (std::vector<std::string>{"a"}));
    // A carriage return alone swallows the first character of the next line.
    EXPECT_EQ(lines("ab\rcd\ref"), (std::vector<std::string>{"ab", "d", "f"}));
    // Line feeds alone don't end lines.
    EXPECT_EQ(lines("a=1\nb=2\n"), (std::vector<std::string>{"a=1\nb=2\n"}));
    // An empty script still gives one empty line.
    EXPECT_EQ(lines(""), (std::vector<std::string>{""}));
}

TEST_F(ScriptTest, PositionAdvancesByTheLineAndTwo) {
    load("ab\r\ncde");
    EXPECT_EQ(install.script().nextScriptLine(), "ab");
    EXPECT_EQ(install.script().scriptPos(), 5);
    EXPECT_EQ(install.script().nextScriptLine(), "cde");
    EXPECT_EQ(install.script().scriptPos(), 10);
    // Past the end of the file there is nothing more.
    EXPECT_EQ(install.script().nextScriptLine(), "");
    EXPECT_EQ(install.script().scriptPos(), 12);
}

TEST_F(ScriptTest, LineAcrossTheBufferEndIsCutAndLaterLinesAreIgnored) {
    // "cut=" starts so that its value runs across the 9,000th character.
    const std::string head = std::string(8990, ';') + "\r\n";
    run(head + "cut=123456789\r\nlate=1\r\n");
    EXPECT_EQ(value("cut"), "1234");
    EXPECT_EQ(value("late"), "");
}

// ---- decoding

TEST_F(ScriptTest, KeyIsTextBeforeTheFirstEqualsLowerCasedAndUntrimmed) {
    run(script({"a=b=c", "Title=Mixed", " Spaced =x", "=empty key", "v= kept "}));
    EXPECT_EQ(value("a"), "b=c");
    EXPECT_EQ(value("title"), "Mixed");
    EXPECT_EQ(value(" spaced "), "x");
    EXPECT_EQ(value("spaced"), "");
    EXPECT_EQ(value(""), "empty key");
    EXPECT_EQ(value("v"), " kept ");
    EXPECT_EQ(engine::Script::scriptLineKey("Key=v=w"), "Key");
    EXPECT_EQ(engine::Script::scriptLineKey("=v"), "");
}

TEST_F(ScriptTest, LinesWithoutEqualsHaveNoEffect) {
    const int rows = install.variables().variableCount();
    run(script({"[files]", "; C:\\$broken", "", "\tremovefile"}));
    EXPECT_EQ(install.variables().variableCount(), rows);
    EXPECT_TRUE(deleted().empty());
}

TEST_F(ScriptTest, ValueIsCutTo999BeforeQuotesAndAmpersandsGo) {
    // With the quote removed first, a 'y' would move into the first 999.
    const std::string raw = std::string(998, 'x') + "\"" + std::string(201, 'y');
    EXPECT_EQ(install.script().scriptLineValue("v=" + raw), std::string(998, 'x'));
    EXPECT_EQ(install.script().scriptLineValue("v=\"&\"\"&&"), "");
    EXPECT_EQ(install.script().scriptLineValue("v=\"Read & Me\""), "Read  Me");
    EXPECT_EQ(engine::Script::stripQuotes("\"a\"b&\""), "ab&");
    EXPECT_EQ(engine::Script::stripAmpersands("&a\"&b&"), "a\"b");
}

TEST_F(ScriptTest, ReferencesSeeEarlierLinesAndScriptsOnly) {
    run(script({"early=$later$!", "later=L", "both=$EARLY$$later$"}));
    EXPECT_EQ(value("early"), "!");
    EXPECT_EQ(value("both"), "!L");
    run(script({"next=$both$"}));
    EXPECT_EQ(value("next"), "!L");
}

TEST_F(ScriptTest, SubstitutedValuesKeepQuotesAndAmpersandsAndMayExceed999) {
    install.setVariableValue("odd", "A&\"B");
    install.setVariableValue("long", std::string(900, 'L'));
    run(script({"v=\"$odd$\"", "w=$long$$long$"}));
    EXPECT_EQ(value("v"), "A&\"B");
    EXPECT_EQ(value("w").size(), 1800u);
}

TEST_F(ScriptTest, ScriptWithoutTitleLeavesTheEarlierTitle) {
    run(script({"title=First"}));
    run(script({"other=1"}));
    EXPECT_EQ(value("title"), "First");
}

// ---- handlers

TEST_F(ScriptTest, RemovalLinesActOnlyWithActionsEnabled) {
    world.files.addFile(inInstall("x.txt"));
    run(script({"removefile=x.txt"}), false);
    EXPECT_EQ(value("removefile"), "x.txt");
    EXPECT_TRUE(exists(inInstall("x.txt")));

    run(script({"RemoveFile=X.TXT"}), true);
    EXPECT_FALSE(exists(inInstall("x.txt")));
}

TEST_F(ScriptTest, KeyWithASpaceBeforeEqualsIsNoRemoval) {
    world.files.addFile(inInstall("x.txt"));
    run(script({"removefile =x.txt", "removekey =.txt"}));
    EXPECT_EQ(value("removefile "), "x.txt");
    EXPECT_EQ(value("removefile"), "");
    EXPECT_TRUE(exists(inInstall("x.txt")));
    EXPECT_EQ(world.log.count("RegOpenKeyEx HKCR"), 0);
}

TEST_F(ScriptTest, RemoveKeyLinesReachTheirHandlerWithActionsOnly) {
    addFileType(".qdm", "QuobDemo.Document", "\"" + inInstall("viewer\\view.exe") + "\" %1");
    run(script({"removekey=.qdm"}), false);
    EXPECT_EQ(value("removekey"), ".qdm");
    EXPECT_EQ(world.log.count("RegDeleteKey"), 0);
    EXPECT_TRUE(keyExists(product::HKCR, ".qdm"));

    run(script({"REMOVEKEY=.qdm"}), true);
    EXPECT_GT(world.log.count("RegDeleteKey"), 0);
    EXPECT_FALSE(keyExists(product::HKCR, ".qdm"));
}

// The handler reads its argument from the table: it sees the decoded value.
TEST_F(ScriptTest, HandlerSeesTheDecodedValue) {
    world.files.addFile(inInstall("data\\main.dat"));
    run(script({"dir=data", "removefile=\"$DIR$\\&main.dat\""}));
    EXPECT_FALSE(exists(inInstall("data\\main.dat")));
}

// ---- the worked example, line by line

TEST_F(ScriptTest, WorkedExampleLineByLine) {
    install.Form_Load();  // the standard variables
    const int rowsBefore = install.variables().variableCount();
    world.files.addFile(inInstall("DATA\\MAIN.DAT"));
    world.files.addFile(inInstall("README.TXT"));
    world.files.addFile(inInstall("READ&ME.TXT"));
    world.files.addFile(inInstall("note.txt"));
    load(script({"title=\"Reading Demo\"", "[files]", "sub=DATA", "removefile=$SUB$\\MAIN.DAT",
                 "removefile=READ&ME.TXT", "", "note=a=b"}));

    struct Step {
        std::string line, name, stored;
        std::vector<std::string> deletedSoFar;
    };
    const std::string mainDat = inInstall("DATA\\MAIN.DAT");
    const std::string readme = inInstall("README.TXT");
    const std::vector<Step> steps = {
        {"title=\"Reading Demo\"", "title", "Reading Demo", {}},
        {"[files]", "", "", {}},
        {"sub=DATA", "sub", "DATA", {}},
        {"removefile=$SUB$\\MAIN.DAT", "removefile", "DATA\\MAIN.DAT", {mainDat}},
        {"removefile=READ&ME.TXT", "removefile", "README.TXT", {mainDat, readme}},
        {"", "", "", {mainDat, readme}},
        {"note=a=b", "note", "a=b", {mainDat, readme}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.line);
        const std::string line = install.script().nextScriptLine();
        ASSERT_EQ(line, step.line);
        const int rows = install.variables().variableCount();
        install.script().processScriptLine(line, true);
        if (step.name.empty())
            EXPECT_EQ(install.variables().variableCount(), rows);
        else
            EXPECT_EQ(value(step.name), step.stored);
        EXPECT_EQ(deleted(), step.deletedSoFar);
    }
    EXPECT_GT(install.script().scriptPos(), install.script().scriptLen());
    EXPECT_EQ(value("title"), "Reading Demo");
    EXPECT_EQ(value("removefile"), "README.TXT");
    EXPECT_EQ(install.variables().variableCount(), rowsBefore + 4);
    EXPECT_TRUE(exists(inInstall("READ&ME.TXT")));
    EXPECT_TRUE(exists(inInstall("note.txt")));
}

TEST_F(ScriptTest, WorkedExampleInOneRunReusesLiveRows) {
    install.Form_Load();
    install.setVariableValue("title", "Old");
    install.setVariableValue("removefile", "old.txt");
    const int rowsBefore = install.variables().variableCount();
    world.files.addFile(inInstall("README.TXT"));
    run(script({"title=\"Reading Demo\"", "[files]", "sub=DATA", "removefile=$SUB$\\MAIN.DAT",
                "removefile=READ&ME.TXT", "", "note=a=b"}));
    EXPECT_EQ(value("title"), "Reading Demo");
    EXPECT_EQ(value("removefile"), "README.TXT");
    EXPECT_EQ(install.variables().variableCount(), rowsBefore + 2);  // sub and note
    EXPECT_FALSE(exists(inInstall("README.TXT")));
}

// ---- failing lines

TEST_F(ScriptTest, UnterminatedReferenceStopsAtItsLineKeepingEarlierEffects) {
    world.files.addFile(inInstall("one.txt"));
    world.files.addFile(inInstall("two.txt"));
    world.files.addFile(inInstall("three.txt"));
    load(script({"a=1", "removefile=one.txt", "title=Partial", "b=2", "removefile=two$.txt",
                 "removefile=three.txt", "c=3"}));
    EXPECT_EQ(failureOf([&] { install.script().processScript(true); }),
              FailureKind::InvalidArgument);

    EXPECT_EQ(value("a"), "1");
    EXPECT_EQ(value("b"), "2");
    EXPECT_EQ(value("title"), "Partial");
    EXPECT_EQ(value("removefile"), "one.txt");  // line 5 stored nothing
    EXPECT_EQ(value("c"), "");
    EXPECT_EQ(deleted(), (std::vector<std::string>{inInstall("one.txt")}));
    EXPECT_TRUE(exists(inInstall("two.txt")));
    EXPECT_TRUE(exists(inInstall("three.txt")));
}

TEST_F(ScriptTest, FiftySecondVariableStopsAtItsLineAndTriggersNothing) {
    world.files.addFile(inInstall("x.txt"));
    for (int i = 0; i < 49; ++i) install.setVariableValue("v" + std::to_string(i), "old");
    load(script({"n49=a", "v0=replaced", "n50=b", "removefile=x.txt", "n51=c"}));
    EXPECT_EQ(failureOf([&] { install.script().processScript(true); }), FailureKind::OutOfRange);

    EXPECT_EQ(install.variables().variableCount(), 51);
    EXPECT_EQ(value("n49"), "a");
    EXPECT_EQ(value("v0"), "replaced");
    EXPECT_EQ(value("n50"), "b");
    EXPECT_EQ(value("removefile"), "");
    EXPECT_EQ(value("n51"), "");
    EXPECT_TRUE(exists(inInstall("x.txt")));
    EXPECT_TRUE(deleted().empty());
}

TEST_F(ScriptTest, FailureDuringDiscoveryStyleRunLeavesPositionAtTheFailingLine) {
    load(script({"a=1", "b=$x", "c=3"}));
    EXPECT_EQ(failureOf([&] { install.script().processScript(false); }),
              FailureKind::InvalidArgument);
    EXPECT_EQ(install.script().scriptPos(), 12);  // just after "b=$x\r\n"
    EXPECT_EQ(value("a"), "1");
    EXPECT_EQ(value("c"), "");
}

}  // namespace

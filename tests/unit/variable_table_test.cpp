// The variable table: case-insensitive names, 51 rows, the cut to one row,
// and the expansion of $name$ references.
#include <gtest/gtest.h>

#include <string>

#include "engine/Failure.h"
#include "engine/Int16.h"
#include "engine/VariableTable.h"
#include "tests/unit/FailureOf.h"

namespace {

using engine::Failure;
using engine::FailureKind;
using engine::VariableTable;

void fillAllRows(VariableTable& table) {
    for (int i = 0; i < VariableTable::kRows; ++i)
        table.setVariableValue("name" + std::to_string(i), "value" + std::to_string(i));
}

TEST(VariableTableStore, NeverStoredNameIsEmpty) {
    VariableTable table;
    EXPECT_EQ(table.getVariableValue("title"), "");
    EXPECT_EQ(table.getVariableValue(""), "");
    EXPECT_EQ(table.variableCount(), 0);
}

TEST(VariableTableStore, NamesAreCaseInsensitiveAndStoredOnce) {
    VariableTable table;
    table.setVariableValue("Title", "First");
    EXPECT_EQ(table.getVariableValue("TITLE"), "First");
    EXPECT_EQ(table.getVariableValue("title"), "First");
    table.setVariableValue("TITLE", "Second");
    EXPECT_EQ(table.getVariableValue("Title"), "Second");
    EXPECT_EQ(table.variableCount(), 1);
}

TEST(VariableTableStore, ValuesKeptExactlyAndNamesNotTrimmed) {
    VariableTable table;
    const std::string value(" Mixed Case\t\0end ", 17);
    table.setVariableValue("a", value);
    table.setVariableValue(" a", "spaced");
    EXPECT_EQ(table.getVariableValue("A"), value);
    EXPECT_EQ(table.getVariableValue(" a"), "spaced");
    EXPECT_EQ(table.getVariableValue("a "), "");
    EXPECT_EQ(table.variableCount(), 2);
}

TEST(VariableTableStore, FiftySecondNameFailsAndChangesNothing) {
    VariableTable table;
    fillAllRows(table);
    ASSERT_EQ(table.variableCount(), 51);

    EXPECT_EQ(failureOf([&] { table.setVariableValue("one more", "x"); }), FailureKind::OutOfRange);
    EXPECT_EQ(table.variableCount(), 51);
    EXPECT_EQ(table.getVariableValue("one more"), "");
    for (int i = 0; i < VariableTable::kRows; ++i)
        EXPECT_EQ(table.getVariableValue("name" + std::to_string(i)), "value" + std::to_string(i));

    // A live name can still be replaced when the table is full.
    table.setVariableValue("NAME50", "replaced");
    EXPECT_EQ(table.getVariableValue("name50"), "replaced");
    EXPECT_EQ(table.variableCount(), 51);
}

TEST(VariableTableCut, CutToOneRowForgetsTheOthers) {
    VariableTable table;
    table.setVariableValue("title", "Kept");
    table.setVariableValue("sub", "Gone");
    table.setVariableCount(1);
    EXPECT_EQ(table.getVariableValue("title"), "Kept");
    EXPECT_EQ(table.getVariableValue("sub"), "");

    // The forgotten row is reused by the next new name.
    table.setVariableValue("windir", "C:\\WINDOWS\\");
    EXPECT_EQ(table.variableCount(), 2);
    EXPECT_EQ(table.getVariableValue("sub"), "");
    table.setVariableValue("sub", "Back");
    EXPECT_EQ(table.getVariableValue("sub"), "Back");
    EXPECT_EQ(table.variableCount(), 3);
}

TEST(VariableTableCut, CutOfAnEmptyTableKeepsAnEmptyNamedRow) {
    VariableTable table;
    table.setVariableCount(1);
    EXPECT_EQ(table.getVariableValue(""), "");
    table.setVariableValue("", "for the empty name");
    EXPECT_EQ(table.variableCount(), 1);
    EXPECT_EQ(table.expandVariables("[$$]"), "[for the empty name]");
    table.setVariableValue("next", "n");
    EXPECT_EQ(table.variableCount(), 2);
}

TEST(VariableTableCut, CountOutsideTheTableFails) {
    VariableTable table;
    EXPECT_EQ(failureOf([&] { table.setVariableCount(52); }), FailureKind::OutOfRange);
    EXPECT_EQ(failureOf([&] { table.setVariableCount(-1); }), FailureKind::OutOfRange);
    EXPECT_EQ(table.variableCount(), 0);
    table.setVariableCount(51);
    EXPECT_EQ(table.variableCount(), 51);
}

TEST(VariableTableLowerCase, WesternCodePageCapitals) {
    EXPECT_EQ(VariableTable::lowerCase("AZaz09 _$[@`{"), "azaz09 _$[@`{");
    // Latin-1 capitals A grave .. THORN, but not the multiplication sign,
    // and the sharp s has no capital to come from.
    EXPECT_EQ(VariableTable::lowerCase("\xC0\xC9\xD6\xD7\xD8\xDE\xDF"),
              "\xE0\xE9\xF6\xD7\xF8\xFE\xDF");
    // The capitals Windows-1252 adds in 0x80..0x9F.
    EXPECT_EQ(VariableTable::lowerCase("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");
    // Lower-case and other bytes stay.
    EXPECT_EQ(VariableTable::lowerCase(std::string("\x9A\xE0\xFF\x80\x00", 5)),
              std::string("\x9A\xE0\xFF\x80\x00", 5));

    VariableTable table;
    table.setVariableValue("\xC9T\xC9", "summer");
    EXPECT_EQ(table.getVariableValue("\xE9t\xE9"), "summer");
}

class Expansion : public ::testing::Test {
protected:
    void SetUp() override {
        table.setVariableValue("a", "1");
        table.setVariableValue("b", "2");
    }
    VariableTable table;
};

TEST_F(Expansion, TextWithoutReferencesIsUnchanged) {
    EXPECT_EQ(table.expandVariables(""), "");
    EXPECT_EQ(table.expandVariables("C:\\Program Files\\x.txt"), "C:\\Program Files\\x.txt");
    const std::string longText(5000, 'q');
    EXPECT_EQ(table.expandVariables(longText), longText);
}

TEST_F(Expansion, ReferencesAreReplacedCaseInsensitively) {
    EXPECT_EQ(table.expandVariables("$a$x$b$"), "1x2");
    EXPECT_EQ(table.expandVariables("$A$"), "1");
    EXPECT_EQ(table.expandVariables("<$B$$a$>"), "<21>");
}

TEST_F(Expansion, UnknownAndUntrimmedNamesGiveEmptyText) {
    EXPECT_EQ(table.expandVariables("[$ a$]"), "[]");
    EXPECT_EQ(table.expandVariables("[$nothing$]"), "[]");
    EXPECT_EQ(table.expandVariables("x$$y"), "xy");
}

TEST_F(Expansion, UnterminatedReferenceFails) {
    EXPECT_EQ(failureOf([&] { table.expandVariables("$"); }), FailureKind::InvalidArgument);
    EXPECT_EQ(failureOf([&] { table.expandVariables("C:\\$a"); }), FailureKind::InvalidArgument);
    EXPECT_EQ(failureOf([&] { table.expandVariables("$a$ and $b"); }),
              FailureKind::InvalidArgument);
}

TEST_F(Expansion, SubstitutedDollarsAreExpandedAgain) {
    table.setVariableValue("folder", "C:\\$A$\\$b$");
    EXPECT_EQ(table.expandVariables("$folder$\\x"), "C:\\1\\2\\x");
    // A value with one $ pairs with the next $ of the text that follows it.
    table.setVariableValue("half", "<$");
    EXPECT_EQ(table.expandVariables("$half$a$>"), "<1>");
    EXPECT_EQ(failureOf([&] { table.expandVariables("$half$"); }), FailureKind::InvalidArgument);
}

TEST_F(Expansion, TextAfterEachReferenceIsCutTo999) {
    const std::string after(1200, 'x');
    EXPECT_EQ(table.expandVariables("$a$" + after), "1" + std::string(999, 'x'));

    // The cut happens at every reference: the second reference is reached
    // only with what survived the first cut.
    const std::string text = "$a$" + std::string(500, 'x') + "$b$" + std::string(800, 'y');
    EXPECT_EQ(table.expandVariables(text),
              "1" + std::string(500, 'x') + "2" + std::string(496, 'y'));

    // Text in front of a reference is never cut.
    EXPECT_EQ(table.expandVariables(std::string(2000, 'p') + "$a$"), std::string(2000, 'p') + "1");
}

TEST_F(Expansion, ValuesMayMakeTheResultLongerThan999) {
    table.setVariableValue("long", std::string(900, 'L'));
    EXPECT_EQ(table.expandVariables("$long$-$long$"),
              std::string(900, 'L') + "-" + std::string(900, 'L'));
}

TEST_F(Expansion, SelfReproducingValuesFailInsteadOfRunningForever) {
    table.setVariableValue("loop", "$loop$");
    EXPECT_EQ(failureOf([&] { table.expandVariables("$loop$"); }), FailureKind::InvalidArgument);
    table.setVariableValue("grow", "x$grow$");
    EXPECT_EQ(failureOf([&] { table.expandVariables("$grow$"); }), FailureKind::InvalidArgument);
    table.setVariableValue("ping", "$pong$");
    table.setVariableValue("pong", "$ping$");
    EXPECT_EQ(failureOf([&] { table.expandVariables("$PING$"); }), FailureKind::InvalidArgument);
}

TEST_F(Expansion, ExpansionLongerThanTheBoundFails) {
    const std::size_t half = VariableTable::kMaxExpandedLength / 2 + 1;
    table.setVariableValue("big", std::string(half, 'b'));
    EXPECT_EQ(table.expandVariables("$big$").size(), half);
    EXPECT_EQ(failureOf([&] { table.expandVariables("$big$$big$"); }),
              FailureKind::InvalidArgument);
}

TEST(FailureDescriptions, PlainWordingPerKind) {
    EXPECT_STREQ(Failure::describe(FailureKind::FileNotFound), "File not found");
    EXPECT_STREQ(Failure::describe(FailureKind::Overflow), "Overflow");
    EXPECT_STREQ(Failure::describe(FailureKind::OutOfRange), "Subscript out of range");
    EXPECT_STREQ(Failure::describe(FailureKind::InvalidArgument),
                 "Invalid procedure call or argument");
    const Failure failure(FailureKind::Overflow, "script.del");
    EXPECT_STREQ(failure.description(), "Overflow");
    EXPECT_NE(std::string(failure.what()).find("script.del"), std::string::npos);
}

TEST(Int16Arithmetic, LeavingTheRangeIsOverflow) {
    EXPECT_EQ(engine::toInt16(32767), 32767);
    EXPECT_EQ(engine::toInt16(-32768), -32768);
    EXPECT_EQ(failureOf([] { engine::toInt16(32768); }), FailureKind::Overflow);
    EXPECT_EQ(failureOf([] { engine::toInt16(-32769); }), FailureKind::Overflow);
    EXPECT_EQ(engine::add16(32766, 1), 32767);
    EXPECT_EQ(failureOf([] { engine::add16(32767, 1); }), FailureKind::Overflow);
    EXPECT_EQ(failureOf([] { engine::add16(-32768, -1); }), FailureKind::Overflow);
}

}  // namespace

// The long-name matching that stands in for the system's own, in the file
// adapter and in the in-memory file system alike.
#include <gtest/gtest.h>

#include "platform/Wildcard.h"

namespace {

using platform::hasWildcards;
using platform::wildcardMatch;

struct Case {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(Wildcard, FollowsTheDosRules) {
    const Case cases[] = {
        {"*.*", "README", true},
        {"*.*", "A.TXT", true},
        {"*.*", ".PROFILE", true},
        {"*", "A.B.C", true},
        {"*.DEL", "X.DEL", true},
        {"*.DEL", "X.DELX", false},
        {"*.DEL", "X.DEL.BAK", false},
        {"*.DEL", ".DEL", true},
        {"*.DEL", "X.Y.DEL", true},
        {"*.DEL", "DEL", false},
        {"A?C", "ABC", true},
        {"A?C", "ABBC", false},
        {"A?", "A", true},
        {"*.", "README", true},
        {"*.", "A.TXT", false},
        {"A?.TXT", "A.TXT", true},
        {"A?.TXT", "AB.TXT", true},
        {"A?.TXT", "ABC.TXT", false},
        {"???", "AB", true},
        {"?", "", true},
        {"A*B", "AXXB", true},
        {"A*B", "AXXBC", false},
        {"*.GZ", "X.TAR.GZ", true},
        {"DATA.*", "DATA", true},
        {"DATA.*", "DATA.BIN", true},
        {"DATA.*", "DATABASE", false},
        {"MAIN.DAT", "MAIN.DAT", true},
        {"MAIN.DAT", "MAIN.DA", false},
        {"", "", true},
        {"", "A", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches)
            << "'" << c.pattern << "' against '" << c.name << "'";
}

TEST(Wildcard, ManyStarsStayCheap) {
    const std::string pattern = std::string(200, '*') + "Z";
    EXPECT_FALSE(wildcardMatch(pattern, std::string(250, 'A')));
    EXPECT_TRUE(wildcardMatch(pattern, std::string(250, 'A') + "Z"));
}

TEST(Wildcard, KnowsWhatAWildcardIs) {
    EXPECT_TRUE(hasWildcards("*.del"));
    EXPECT_TRUE(hasWildcards("a?c"));
    EXPECT_FALSE(hasWildcards("main.dat"));
}

}  // namespace

// Name comparison on the simulated volumes folds the ASCII letters only, byte for byte.
#include <gtest/gtest.h>

#include "netware/sim/sim_names.h"

namespace {

TEST(NameFolding, OnlyAsciiLettersCompareAcrossCase) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Report.txt", "REPORT.TXT", true},
        {"report.txt", "report.txt", true},
        {"", "", true},
        {"a", "ab", false},
        {"abc", "abd", false},
        {"@[`{", "@[`{", true},
        {"@", "`", false},  // the neighbours of the letter ranges do not fold
        {"[", "{", false},
        {"\xc3\xa9", "\xc3\x89", false},  // é and É: not ASCII, not folded
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(sim::SameName(c.a, c.b), c.same);
        EXPECT_EQ(sim::SameName(c.b, c.a), c.same);
        EXPECT_EQ(sim::Upper(c.a) == sim::Upper(c.b), c.same);
    }
}

}  // namespace

// The destination history: moving and adding entries, its multi-string form, the combo box.

#include "settings_fixture.h"

namespace {

using Paths = std::vector<std::string>;

class TargetPathHistoryTest : public SettingsFixture {};

TEST_F(TargetPathHistoryTest, AddingAKnownPathInAnotherCaseMovesItToTheFront) {
    TargetPathHistory = {"\\SYS\\A", "\\SYS\\B", "\\vol1\\data", "\\SYS\\C"};
    AddPathToHistory("\\VOL1\\DATA");
    EXPECT_EQ(History(), (Paths{"\\VOL1\\DATA", "\\SYS\\A", "\\SYS\\B", "\\SYS\\C"}));
    // Letter case beyond ASCII counts as the same path too.
    TargetPathHistory = {"\\VOL\\\xC3\x84RGER"};
    AddPathToHistory("\\vol\\\xC3\xA4rger");
    EXPECT_EQ(History(), (Paths{"\\vol\\\xC3\xA4rger"}));
}

TEST_F(TargetPathHistoryTest, SixteenthDistinctPathDropsTheOldest) {
    for (int i = 1; i <= 15; ++i)
        AddPathToHistory("\\SYS\\P" + std::to_string(i));
    ASSERT_EQ(TargetPathHistory.size(), 15u);
    EXPECT_EQ(TargetPathHistory.back(), "\\SYS\\P1");
    AddPathToHistory("\\SYS\\P16");
    EXPECT_EQ(TargetPathHistory.size(), 15u);
    EXPECT_EQ(TargetPathHistory.front(), "\\SYS\\P16");
    EXPECT_EQ(TargetPathHistory.back(), "\\SYS\\P2");
    // Moving one that is there keeps all fifteen.
    AddPathToHistory("\\sys\\p2");
    EXPECT_EQ(TargetPathHistory.size(), 15u);
    EXPECT_EQ(TargetPathHistory.front(), "\\sys\\p2");
    EXPECT_EQ(TargetPathHistory.back(), "\\SYS\\P3");
    // An empty path is no destination and pushes nothing out.
    AddPathToHistory("");
    EXPECT_EQ(TargetPathHistory.size(), 15u);
    EXPECT_EQ(TargetPathHistory.back(), "\\SYS\\P3");
}

TEST_F(TargetPathHistoryTest, PromoteMovesTheSelectedEntryInItsGivenCase) {
    TargetPathHistory = {"\\A", "\\B", "\\C"};
    PromoteSelectedPath("\\c");
    EXPECT_EQ(History(), (Paths{"\\c", "\\A", "\\B"}));
    PromoteSelectedPath("\\NOT\\THERE");
    PromoteSelectedPath("");
    EXPECT_EQ(History(), (Paths{"\\c", "\\A", "\\B"}));
}

TEST_F(TargetPathHistoryTest, MultiStringForm) {
    EXPECT_EQ(BuildTargetPathValue(), std::string(1, '\0'));
    TargetPathHistory = {"\\A", "\\BC"};
    EXPECT_EQ(BuildTargetPathValue(), std::string("\\A\0\\BC\0\0", 8));

    // An empty or over-long entry would not come back whole: it is left out, and the entries
    // after it are kept.
    TargetPathHistory = {"\\A", "", std::string(260, 'X'), "\\D"};
    std::string value = BuildTargetPathValue();
    EXPECT_EQ(value, std::string("\\A\0\\D\0\0", 7));

    TargetPathHistory.clear();
    ParseTargetPathValue(value.data(), value.size());
    EXPECT_EQ(History(), (Paths{"\\A", "\\D"}));
    // Loading appends; duplicates stay; a last string without its NUL ends at the value's end.
    ParseTargetPathValue("\\a\0\\E", 5);
    EXPECT_EQ(History(), (Paths{"\\A", "\\D", "\\a", "\\E"}));
}

}  // namespace

// Modification timestamps of the overwrite decision: only the date makes a timestamp invalid.
#include "copy/overwrite.h"

#include "tests/copy/copy_fixture.h"

namespace {

std::uint16_t DosDate(int year, int month, int day) {
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
std::uint16_t DosTime(int hours, int minutes, int seconds) {
    return static_cast<std::uint16_t>((hours << 11) | (minutes << 5) | (seconds / 2));
}

class TimestampTest : public CopyTest {
  protected:
    void SetUp() override {
        CopyTest::SetUp();
        Install();
    }
};

TEST_F(TimestampTest, AValidDateWithATimeFieldOutOfRangeStillCounts) {
    const std::uint16_t day = DosDate(2020, 6, 1);
    const std::uint64_t lastMinute = TimestampSeconds(day, DosTime(23, 59, 58));
    ASSERT_NE(lastMinute, 0u);
    // Hour 24 and beyond, minute 60 and beyond, second 60 and 62 carry into the next unit.
    EXPECT_EQ(TimestampSeconds(day, DosTime(24, 0, 0)), lastMinute + 2);
    EXPECT_EQ(TimestampSeconds(day, DosTime(31, 63, 62)),
              TimestampSeconds(DosDate(2020, 6, 2), DosTime(8, 4, 2)));
    EXPECT_EQ(TimestampSeconds(day, DosTime(10, 60, 0)), TimestampSeconds(day, DosTime(11, 0, 0)));
    EXPECT_EQ(TimestampSeconds(day, DosTime(10, 0, 62)), TimestampSeconds(day, DosTime(10, 1, 2)));
    // So a destination stamped "hour 25" is newer than a source of the same evening.
    EXPECT_GT(TimestampSeconds(day, DosTime(25, 0, 0)), lastMinute);
}

TEST_F(TimestampTest, OnlyAnInvalidCalendarDateGivesZero) {
    EXPECT_EQ(TimestampSeconds(DosDate(2021, 2, 29), DosTime(12, 0, 0)), 0u);  // no leap year
    EXPECT_EQ(TimestampSeconds(DosDate(2020, 4, 31), 0), 0u);
    EXPECT_EQ(TimestampSeconds(DosDate(2020, 0, 1), 0), 0u);
    EXPECT_EQ(TimestampSeconds(DosDate(2020, 1, 0), 0), 0u);
    EXPECT_NE(TimestampSeconds(DosDate(2020, 2, 29), DosTime(31, 63, 62)), 0u);
}

TEST_F(TimestampTest, PromptShowsAnOutOfRangeTimeAsStored) {
    EXPECT_EQ(TimestampText(DosDate(2020, 6, 1), DosTime(25, 61, 62)), "June 1, 2020 25:61:62 pm");
    EXPECT_EQ(TimestampText(DosDate(2020, 6, 1), DosTime(11, 60, 0)), "June 1, 2020 11:60:00 am");
    EXPECT_EQ(TimestampText(DosDate(2021, 2, 29), DosTime(11, 0, 0)), "(invalid date)");
}

}  // namespace

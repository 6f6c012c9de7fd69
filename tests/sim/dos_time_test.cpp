// DOS dates and times as the simulator reads and writes them: local time of the zone TZ names
// at the moment of the call, impossible dates refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "netware/sim/sim_names.h"
#include "tests/support/scoped_environment.h"

namespace {

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

std::uint16_t Date(int year, int month, int day) {
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
std::uint16_t Time(int hour, int minute, int second) {
    return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

class DosTimeTest : public ::testing::Test {
  protected:
    // As a caller changes it: the conversions themselves must take it up.
    static void Zone(const char* tz) { setenv("TZ", tz, 1); }
    ScopedEnvironment env_{"TZ"};
};

TEST_F(DosTimeTest, LocalTimeOfTheZoneNamedNow) {
    struct Case {
        const char* tz;
        std::uint16_t date, time;
        std::time_t expected;
    };
    const Case cases[] = {
        {"UTC0", Date(2024, 3, 1), Time(12, 0, 0), 1709294400},
        {kCentralEurope, Date(2024, 1, 15), Time(12, 0, 0), 1705316400},  // 11:00 UTC
        {kCentralEurope, Date(2024, 7, 1), Time(12, 0, 0), 1719828000},   // 10:00 UTC
        // The zone changed between two calls of one process is the one used.
        {"UTC0", Date(2024, 7, 1), Time(12, 0, 0), 1719835200},
        {"EST5EDT,M3.2.0,M11.1.0", Date(2024, 7, 1), Time(12, 0, 0), 1719849600},  // 16:00 UTC
        {"UTC0", Date(1980, 1, 1), Time(0, 0, 0), 315532800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tz) + " " + std::to_string(c.expected));
        Zone(c.tz);
        EXPECT_EQ(sim::UnpackDosTime(c.date, c.time), c.expected);
        std::uint16_t date = 0, time = 0;
        sim::PackDosTime(c.expected, &date, &time);
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(time, c.time);
    }
}

TEST_F(DosTimeTest, ImpossibleDatesAndTimesAreRefused) {
    Zone(kCentralEurope);
    EXPECT_EQ(sim::UnpackDosTime(Date(2023, 2, 29), Time(12, 0, 0)), -1);
    EXPECT_EQ(sim::UnpackDosTime(Date(2024, 2, 30), Time(12, 0, 0)), -1);
    EXPECT_EQ(sim::UnpackDosTime(Date(2024, 13, 1), Time(12, 0, 0)), -1);
    EXPECT_EQ(sim::UnpackDosTime(Date(2024, 4, 0), Time(12, 0, 0)), -1);
    EXPECT_EQ(sim::UnpackDosTime(Date(2024, 4, 1), Time(24, 0, 0)), -1);
    EXPECT_NE(sim::UnpackDosTime(Date(2024, 2, 29), Time(12, 0, 0)), -1);
}

// Every time of the days the clocks change goes back to the fields it came from; the hour
// passed twice gets one of its readings, the hour skipped one near it.
TEST_F(DosTimeTest, DaysTheClocksChangeGoBackAndForth) {
    Zone(kCentralEurope);
    for (const std::uint16_t date : {Date(2024, 3, 31), Date(2024, 10, 27)}) {
        for (int minutes = 0; minutes < 24 * 60; minutes += 10) {
            const std::uint16_t time = Time(minutes / 60, minutes % 60, 0);
            const std::time_t t = sim::UnpackDosTime(date, time);
            ASSERT_NE(t, -1) << date << " " << minutes;
            if (date == Date(2024, 3, 31) && minutes / 60 == 2)
                continue;  // 02:00 to 03:00 does not exist that day
            std::uint16_t backDate = 0, backTime = 0;
            sim::PackDosTime(t, &backDate, &backTime);
            EXPECT_EQ(backDate, date) << minutes;
            EXPECT_EQ(backTime, time) << minutes;
        }
    }
}

}  // namespace

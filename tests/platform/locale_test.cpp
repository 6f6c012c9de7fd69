// The locale stand-in: timestamps' parts, the system's error texts, case-blind comparison.

#include "platform/locale.h"

#include <gtest/gtest.h>

#include "platform/file_services.h"

namespace {

TEST(LocaleTest, TimeIsLocal24HourClock) {
    // 2026-12-07 21:05:09 UTC: an evening hour shows whether a 12-hour clock slipped in.
    const std::time_t t = 1796677509;
    std::tm local{};
    localtime_r(&t, &local);
    char expected[16];
    std::strftime(expected, sizeof expected, "%H:%M:%S", &local);
    EXPECT_EQ(LocaleTime24(t), expected);
}

TEST(LocaleTest, LongDateNamesTheYearAndFitsItsBuffer) {
    const std::time_t t = 1796677509;
    std::string date = LocaleLongDate(t);
    EXPECT_NE(date.find("2026"), std::string::npos) << date;
    EXPECT_LE(date.size(), 48u);
}

TEST(LocaleTest, SystemErrorTextsAreTheWindowsTexts) {
    EXPECT_EQ(SystemErrorText(win::ERROR_FILE_NOT_FOUND),
              "The system cannot find the file specified.");
    EXPECT_EQ(SystemErrorText(win::ERROR_PATH_NOT_FOUND),
              "The system cannot find the path specified.");
    EXPECT_EQ(SystemErrorText(win::ERROR_ACCESS_DENIED), "Access is denied.");
    EXPECT_EQ(SystemErrorText(win::ERROR_SHARING_VIOLATION),
              "The process cannot access the file because it is being used by another process.");
    EXPECT_EQ(SystemErrorText(win::ERROR_ALREADY_EXISTS),
              "Cannot create a file when that file already exists.");
    EXPECT_EQ(SystemErrorText(win::ERROR_FILENAME_EXCED_RANGE),
              "The filename or extension is too long.");
    // A code without a text still gives a sentence that names it.
    EXPECT_EQ(SystemErrorText(12345), "Unknown error 0x3039.");
}

TEST(LocaleTest, CaseBlindComparison) {
    EXPECT_TRUE(LocaleEqualIgnoreCase("\\VOL1\\DATA", "\\vol1\\data"));
    EXPECT_TRUE(LocaleEqualIgnoreCase("\\VOL\\\xC3\x84RGER", "\\vol\\\xC3\xA4rger"));  // Ä, ä
    EXPECT_FALSE(LocaleEqualIgnoreCase("\\VOL1\\DATA", "\\VOL1\\DATA2"));
    EXPECT_FALSE(LocaleEqualIgnoreCase("\\VOL1\\A", "\\VOL1\\B"));
    EXPECT_TRUE(LocaleEqualIgnoreCase("", ""));
}

}  // namespace

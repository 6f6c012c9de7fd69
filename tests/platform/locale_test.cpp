// The locale stand-in: timestamps' parts, the system's error texts, case-blind comparison.

#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/file_services.h"

namespace {

// 2026-12-07 21:05:09 UTC, a Monday: an evening hour shows whether a 12-hour clock slipped in.
constexpr std::time_t kEvening = 1796677509;
constexpr std::time_t kMorning = kEvening - 12 * 3600;  // 09:05:09

// Runs a test in a time zone and puts the process's time zone back afterwards.
class InZone {
  public:
    explicit InZone(const char* zone) {
        if (const char* tz = std::getenv("TZ"))
            saved_ = tz;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~InZone() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> saved_;
};

class InUtc : public InZone {
  public:
    InUtc() : InZone("UTC0") {}
};

TEST(LocaleTest, TimeFollowsTheLocalesFormatOnA24HourClock) {
    InUtc utc;
    // The format's separators and leading zeros stay; AM/PM and the time zone go.
    EXPECT_EQ(LocaleTime24(kEvening, "en_US"), "21:05:09");
    EXPECT_EQ(LocaleTime24(kMorning, "en_US"), "9:05:09");
    EXPECT_EQ(LocaleTime24(kMorning, "en_GB"), "09:05:09");
    EXPECT_EQ(LocaleTime24(kEvening, "fi_FI"), "21.05.09");
    EXPECT_EQ(LocaleTime24(kEvening, "es_ES"), "21:05:09");
    EXPECT_EQ(LocaleTime24(kEvening, "zh_CN"), "21:05:09");
    EXPECT_EQ(LocaleTime24(kEvening, "ko_KR"), "21\uC2DC 5\uBD84 9\uCD08");
    EXPECT_EQ(LocaleTime24(kEvening, "ja_JP"), "21\u664205\u520609\u79D2");
    // Locales with digits of their own still give 0-9, as the system's formatting does.
    EXPECT_EQ(LocaleTime24(kEvening, "ar_EG"), "21:05:09");
    EXPECT_EQ(LocaleTime24(kEvening, "fa_IR"), "21:05:09");
    EXPECT_EQ(LocaleTime24(kEvening, "mr_IN"), "21:05:09");
}

TEST(LocaleTest, LongDateInTheLocalesWordsWithDigitsZeroToNine) {
    InUtc utc;
    EXPECT_EQ(LocaleLongDate(kEvening, "en_US"), "Monday, December 7, 2026");
    EXPECT_EQ(LocaleLongDate(kEvening, "de_DE"), "Montag, 7. Dezember 2026");
    EXPECT_EQ(LocaleLongDate(kEvening, "ar_EG"),
              "\u0627\u0644\u0627\u062B\u0646\u064A\u0646\u060C 7 "
              "\u062F\u064A\u0633\u0645\u0628\u0631 2026");
    EXPECT_EQ(LocaleLongDate(kEvening, "fa_IR"),
              "\u062F\u0648\u0634\u0646\u0628\u0647 7 \u062F\u0633\u0627\u0645\u0628\u0631 2026");
}

TEST(LocaleTest, DateAndTimeAreCutAtFortyEightCharactersNotBytes) {
    InUtc utc;
    // 30 characters in 53 bytes: whole.
    EXPECT_EQ(LocaleLongDate(kEvening, "ru_RU"),
              "\u043F\u043E\u043D\u0435\u0434\u0435\u043B\u044C\u043D\u0438\u043A, 7 "
              "\u0434\u0435\u043A\u0430\u0431\u0440\u044F 2026 \u0433.");
    // 50 characters: the first 48.
    EXPECT_EQ(LocaleLongDate(kEvening, "bez_TZ"),
              "pa shahuviluha, 7 pa mwedzi gwa kumi na mbili 20");
}

TEST(LocaleTest, DateAndTimeAreTheLocalOnes) {
    InZone zone("XST-5:30");  // half an hour off: 02:35:09 on the next day
    EXPECT_EQ(LocaleTime24(kEvening, "en_GB"), "02:35:09");
    EXPECT_EQ(LocaleLongDate(kEvening, "en_GB"), "Tuesday, 8 December 2026");
}

TEST(LocaleTest, LongDateNamesTheYearAndFitsItsBuffer) {
    std::string date = LocaleLongDate(kEvening);
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

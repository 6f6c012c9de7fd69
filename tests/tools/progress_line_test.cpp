// The progress line's text: counts of the counted totals, the rate, the time left, units and
// the width of the terminal; and the sum of several passes' snapshots.

#include <gtest/gtest.h>

#include "tools/progress_line.h"

namespace {

TEST(ProgressLineText, ShowsServerCountsPercentRateAndTimeLeft) {
    ProgressSnapshot s;
    s.servers = {"ACME_SALES"};
    s.filesDone = 1234;
    s.filesTotal = 20000;
    s.bytesDone = 1024 * 1024;
    s.bytesTotal = 4 * 1024 * 1024;
    EXPECT_EQ(FormatProgress(s, 2.0, 200),
              "ACME_SALES  1,234/20,000 files  1.0 MiB/4.0 MiB  25%  512.0 KiB/s  0:06 left");
}

TEST(ProgressLineText, EmptyFilesAreMeasuredByTheirCount) {
    ProgressSnapshot s;
    s.servers = {"T1"};
    s.filesDone = 10;
    s.filesTotal = 40;
    EXPECT_EQ(FormatProgress(s, 5.0, 200), "T1  10/40 files  0 B/0 B  25%  0 B/s  0:15 left");
}

TEST(ProgressLineText, NoRateYetLeavesTheTimeUnknown) {
    ProgressSnapshot s;
    s.filesTotal = 3;
    s.bytesTotal = 3000;
    EXPECT_EQ(FormatProgress(s, 0.0, 200), "  0/3 files  0 B/2.9 KiB  0%  0 B/s  --:-- left");
}

TEST(ProgressLineText, CountingShowsTheCountSoFar) {
    ProgressSnapshot s;
    s.counting = true;
    s.filesDone = 20000;
    s.bytesDone = 3ull << 30;
    EXPECT_EQ(FormatProgress(s, 0.0, 200), "counting 20,000 files, 3.0 GiB");
}

TEST(ProgressLineText, IsCutToTheWidth) {
    ProgressSnapshot s;
    s.counting = true;
    s.filesDone = 5;
    EXPECT_EQ(FormatProgress(s, 0.0, 10), "counting 5");
}

TEST(ProgressLineText, UnitsAndDurations) {
    const struct {
        double bytes;
        const char* text;
    } kBytes[] = {{0, "0 B"},
                  {1023, "1023 B"},
                  {1024, "1.0 KiB"},
                  {1536, "1.5 KiB"},
                  {1024.0 * 1024 * 1024 * 1024 * 5, "5.0 TiB"}};
    for (const auto& c : kBytes)
        EXPECT_EQ(FormatBytes(c.bytes), c.text) << c.bytes;
    const struct {
        double seconds;
        const char* text;
    } kTimes[] = {{0, "0:00"},       {59.4, "0:59"}, {61, "1:01"},  {3600, "1:00:00"},
                  {3725, "1:02:05"}, {-1, "--:--"},  {1e9, "--:--"}};
    for (const auto& c : kTimes)
        EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST(ProgressSnapshotSum, AddsPassesAndListsTheirServers) {
    ProgressSnapshot a;
    a.filesDone = 1;
    a.filesTotal = 10;
    a.bytesDone = 100;
    a.bytesTotal = 1000;
    a.servers = {"T1"};
    ProgressSnapshot b = a;
    b.servers = {"T2"};
    a += b;
    EXPECT_EQ(a.filesDone, 2u);
    EXPECT_EQ(a.filesTotal, 20u);
    EXPECT_EQ(a.bytesDone, 200u);
    EXPECT_EQ(a.bytesTotal, 2000u);
    EXPECT_EQ(a.servers, (std::vector<std::string>{"T1", "T2"}));
    EXPECT_EQ(FormatProgress(a, 1.0, 200).rfind("T1,T2  2/20 files", 0), 0u);
}

}  // namespace

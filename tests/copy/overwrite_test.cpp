// The overwrite decision: the rules in their order, the prompt's text and answers, the
// timestamps and the progress counters.
#include "copy/overwrite.h"

#include "copy/file_copy.h"
#include "tests/copy/copy_fixture.h"

namespace {

std::uint16_t DosDate(int year, int month, int day) {
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
std::uint16_t DosTime(int hours, int minutes, int seconds) {
    return static_cast<std::uint16_t>((hours << 11) | (minutes << 5) | (seconds / 2));
}

EntryInfo Entry(std::uint64_t size, std::uint16_t date, std::uint16_t time) {
    EntryInfo info{};
    info.dataStreamSize = size;
    info.modifyDate = date;
    info.modifyTime = time;
    return info;
}

class OverwriteTest : public CopyTest {
  protected:
    void SetUp() override {
        CopyTest::SetUp();
        Install();
    }
    bool Decide(const EntryInfo& source, const EntryInfo& destination, bool exists) {
        return DecideOverwrite(R"(\\HQ\DATA\SRC\A.TXT)", R"(\\HQ\DATA\DST\A.TXT)", source,
                               destination, exists);
    }
    const EntryInfo source_ = Entry(1000, DosDate(1997, 3, 7), DosTime(14, 5, 8));
    const EntryInfo same_ = Entry(10, DosDate(1997, 3, 7), DosTime(14, 5, 8));
    const EntryInfo older_ = Entry(10, DosDate(1997, 3, 7), DosTime(14, 5, 6));
    const EntryInfo newer_ = Entry(10, DosDate(1997, 3, 8), DosTime(0, 0, 0));
};

TEST_F(OverwriteTest, MissingDestination) {
    EXPECT_TRUE(Decide(source_, EntryInfo{}, false));
    CopyOptions.OnlyCopyExistingFiles = 1;
    EXPECT_FALSE(Decide(source_, EntryInfo{}, false));
    // Skipped or not, both files' sizes moved the progress counters.
    EXPECT_EQ(CopyRun.ServerBytesProcessed.ToU64(), 2000u);
    EXPECT_EQ(CopyRun.RunBytesProcessed.ToU64(), 2000u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OverwriteTest, NeverOverwriteWinsOverThePrompt) {
    CopyOptions.NeverOverwrite = 1;
    CopyOptions.PromptOnOverwrite = 1;
    EXPECT_FALSE(Decide(source_, older_, true));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OverwriteTest, OverwriteOlderComparesTimestamps) {
    CopyOptions.OverwriteOlder = 1;
    EXPECT_FALSE(Decide(source_, same_, true));   // equal timestamps skip
    EXPECT_FALSE(Decide(source_, newer_, true));  // a newer destination stays
    EXPECT_TRUE(Decide(source_, older_, true));   // one two-second step older is replaced

    // A destination date that is no calendar date counts as older than any valid one.
    EXPECT_TRUE(Decide(source_, Entry(10, DosDate(1997, 2, 30), 0), true));
    // Across midnight and months the order holds.
    EXPECT_TRUE(Decide(Entry(1, DosDate(2000, 3, 1), 0),
                       Entry(1, DosDate(2000, 2, 29), DosTime(23, 59, 58)), true));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OverwriteTest, WithoutRulesEveryExistingFileIsReplaced) {
    EXPECT_TRUE(Decide(source_, newer_, true));
    CopyOptions.PromptOnOverwrite = 1;
    CopyOptions.UnattendedMode = 1;
    EXPECT_TRUE(Decide(source_, newer_, true));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OverwriteTest, PromptAnswers) {
    CopyOptions.PromptOnOverwrite = 1;
    ui.answers = {win::IDYES, win::IDNO, win::IDCANCEL};
    EXPECT_TRUE(Decide(source_, newer_, true));
    EXPECT_FALSE(CancelRequested);
    EXPECT_FALSE(Decide(source_, newer_, true));
    EXPECT_FALSE(CancelRequested);
    EXPECT_FALSE(Decide(source_, newer_, true));
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST_F(OverwriteTest, PromptTextAndBox) {
    CopyOptions.PromptOnOverwrite = 1;
    // Sizes beyond 32 bits print whole, without separators.
    const EntryInfo big = Entry(5368709120ull, DosDate(1997, 3, 7), DosTime(14, 5, 8));
    const EntryInfo old = Entry(1234567, DosDate(2001, 12, 31), DosTime(0, 7, 0));
    Decide(big, old, true);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Source File:\n\\\\HQ\\DATA\\SRC\\A.TXT\n5368709120 bytes March 7, 1997 2:05:08 pm\n"
              "\nDestination File:\n\\\\HQ\\DATA\\DST\\A.TXT\n"
              "1234567 bytes December 31, 2001 0:07:00 am\n\nOverwrite the file?");
    EXPECT_EQ(ui.boxes[0].caption, "File Already Exists");
    EXPECT_EQ(ui.boxes[0].style, 0x10023u);
    EXPECT_EQ(ui.boxes[0].owner, ProgressDialog);
    EXPECT_EQ(CopyRun.RunBytesProcessed.ToU64(), 5368709120ull);
}

TEST_F(OverwriteTest, TimestampText) {
    EXPECT_EQ(TimestampText(DosDate(1997, 3, 7), DosTime(14, 5, 8)), "March 7, 1997 2:05:08 pm");
    EXPECT_EQ(TimestampText(DosDate(2020, 1, 15), DosTime(12, 0, 0)),
              "January 15, 2020 12:00:00 pm");
    EXPECT_EQ(TimestampText(DosDate(2020, 6, 1), DosTime(23, 59, 58)), "June 1, 2020 11:59:58 pm");
    EXPECT_EQ(TimestampText(DosDate(1980, 1, 1), DosTime(0, 0, 0)), "January 1, 1980 0:00:00 am");
    EXPECT_EQ(TimestampText(DosDate(1999, 13, 1), 0), "(invalid date)");
    EXPECT_EQ(TimestampText(0, 0), "(invalid date)");
    EXPECT_EQ(TimestampSeconds(0, 0), 0u);
    EXPECT_LT(TimestampSeconds(DosDate(1999, 12, 31), DosTime(23, 59, 58)),
              TimestampSeconds(DosDate(2000, 1, 1), 0));
}

// The decision in a real copy: an existing newer destination survives OverwriteOlder, and the
// prompt's No leaves the destination as it was.
TEST_F(OverwriteTest, RealFilesKeepTheirDestination) {
    Write("HQ/DATA/SRC/A.TXT", "source", 1600000000);
    Write("HQ/DATA/DST/A.TXT", "newer", 1700000000);
    CopyOptions.OverwriteOlder = 1;
    EXPECT_EQ(CopyOneFile(R"(\\HQ\DATA\SRC\A.TXT)", R"(\\HQ\DATA\DST)"), 0u);
    EXPECT_EQ(Content(R"(\\HQ\DATA\DST\A.TXT)"), "newer");

    CopyOptions.OverwriteOlder = 0;
    CopyOptions.PromptOnOverwrite = 1;
    ui.answers = {win::IDNO};
    EXPECT_EQ(CopyOneFile(R"(\\HQ\DATA\SRC\A.TXT)", R"(\\HQ\DATA\DST)"), 0u);
    EXPECT_EQ(Content(R"(\\HQ\DATA\DST\A.TXT)"), "newer");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "File Already Exists");
}

}  // namespace

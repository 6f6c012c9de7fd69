#include "report/log_file.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <string>

#include "report/messages.h"
#include "resources/string_ids.h"
#include "tests/report/report_fixture.h"

namespace report_test {
namespace {

using LogFileTest = ReportTest;

TEST_F(LogFileTest, TwoRunsAppendTheirRecordsInOrder) {
    {
        std::ofstream earlier(logPath_, std::ios::binary);
        earlier << "\r\nMonday\r\nfrom an earlier day\r\n";
    }
    StartLoggedRun();
    ErrorBox("first run %d", 1);
    CloseLogFile();
    EXPECT_FALSE(LogFileOpen());
    StartLoggedRun();
    ErrorBox("second run\r\nwith two lines");
    CloseLogFile();

    const std::string log = LogText();
    const std::string earlier = "\r\nMonday\r\nfrom an earlier day\r\n";
    ASSERT_EQ(log.substr(0, earlier.size()), earlier);  // never truncated
    ExpectLogRecords({"first run 1", "second run\r\nwith two lines"}, earlier.size());
}

TEST_F(LogFileTest, OpenIsExclusiveAndCreatesTheFile) {
    StartLoggedRun();
    EXPECT_TRUE(std::filesystem::exists(logPath_));
    // While the run lasts nobody else may open the file.
    EXPECT_EQ(files_.CreateFile(logPath_.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ,
                                win::OPEN_EXISTING, 0),
              win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(files_.GetLastError(), win::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(files_.OpenCount(), 1);
    CloseLogFile();
    EXPECT_EQ(files_.OpenCount(), 0);
    CloseLogFile();  // closing twice is harmless
}

TEST_F(LogFileTest, OpenFailureShowsPlainBoxEvenUnattended) {
    CopyOptions.CreateLogfile = 1;
    CopyOptions.UnattendedMode = 1;
    const std::string path = dir_ + "/missing/dir/run.log";
    EXPECT_EQ(OpenLogFile(path), win::INVALID_HANDLE_VALUE);
    EXPECT_FALSE(LogFileOpen());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "ERROR - Unable to open log file " + path + ".");
    EXPECT_EQ(ui_.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui_.boxes[0].style, 0x10010u);
    EXPECT_EQ(ui_.boxes[0].owner, win::kMainWindow);
}

TEST_F(LogFileTest, RecordLongerThanTheRecordBufferIsWrittenWhole) {
    StartLoggedRun();
    std::string text;
    for (int i = 0; i < 30; ++i) {
        text += "ERROR - Unable to open file \\\\SERVER\\VOLUME\\A\\LONG\\PATH\\" +
                std::to_string(i) + ".\r\n";
    }
    text.pop_back();
    text.pop_back();
    ASSERT_GT(text.size(), 1500u);
    WriteLogRecord(text);
    EXPECT_GT(files_.writes, 1);  // in pieces of the record buffer
    CloseLogFile();
    ExpectLogRecords({text});
}

TEST_F(LogFileTest, ShortRecordIsOneWrite) {
    StartLoggedRun();
    WriteLogRecord("one record");
    EXPECT_EQ(files_.writes, 1);
}

TEST_F(LogFileTest, VerboseRecordsCarryTimestampAndPath) {
    StartLoggedRun();
    WriteVerboseRecord(IDS_LOG_UPDATED_FILE, "\\\\ACME\\DATA\\A.TXT");
    WriteVerboseRecord(IDS_LOG_DELETED_FILE, "\\\\ACME\\DATA\\B.TXT");
    WriteVerboseRecord(IDS_LOG_DELETED_DIR, "\\\\ACME\\DATA\\OLD");
    CloseLogFile();
    WriteVerboseRecord(IDS_LOG_UPDATED_FILE, "after the run");  // log closed: nothing
    ExpectLogRecords({"Updated file \\\\ACME\\DATA\\A.TXT", "Deleted file \\\\ACME\\DATA\\B.TXT",
                      "Deleted directory \\\\ACME\\DATA\\OLD"});
}

TEST_F(LogFileTest, TimestampIsLongDateAndTwentyFourHourTime) {
    const std::time_t before = std::time(nullptr);
    const std::string stamp = FormatTimestamp();
    const std::time_t after = std::time(nullptr);
    bool matched = false;
    for (std::time_t t = before; t <= after; ++t) {
        matched = matched || stamp == LocaleLongDate(t) + " " + LocaleTime24(t);
    }
    EXPECT_TRUE(matched) << stamp;
    EXPECT_EQ(stamp.find('\r'), std::string::npos);
}

using RunSummaryTest = ReportTest;

TEST_F(RunSummaryTest, OneLineWithoutSynchronisation) {
    StartLoggedRun();
    CopyRun.RunFilesUpdated = ByteCount::From(1234);
    CopyRun.RunBytesUpdated = ByteCount::From(5000000000ull);
    CopyRun.RunFilesDeleted = ByteCount::From(9);  // not reported without SyncDirs
    ShowRunSummary();
    const std::string text = "Updated or created 1,234 files totalling 5,000,000,000 bytes";
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, text);
    EXPECT_EQ(ui_.boxes[0].style, 0x10040u);
    EXPECT_EQ(ui_.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui_.boxes[0].owner, win::kMainWindow);
    CloseLogFile();
    ExpectLogRecords({text});
}

TEST_F(RunSummaryTest, SecondLineWithSynchronisation) {
    CopyOptions.SyncDirs = 1;
    CopyRun.RunFilesUpdated = ByteCount::From(0);
    CopyRun.RunBytesUpdated = ByteCount::From(0);
    CopyRun.RunFilesDeleted = ByteCount::From(3);
    CopyRun.RunDirectoriesDeleted = ByteCount::From(1);
    CopyRun.RunBytesDeleted = ByteCount::From(1000);
    ShowRunSummary();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "Updated or created 0 files totalling 0 bytes\r\n"
              "Deleted 3 files and 1 directories totalling 1,000 bytes");
}

TEST_F(RunSummaryTest, ShownAlsoInUnattendedModeAndTotalsInErrorPrintAsSuch) {
    StartLoggedRun();
    CopyOptions.UnattendedMode = 1;
    CopyRun.RunFilesUpdated = ByteCount::From(2);
    CopyRun.RunBytesUpdated = ByteCount::Error();
    ShowRunSummary();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    const std::string text = "Updated or created 2 files totalling #ERROR# bytes";
    EXPECT_EQ(ui_.boxes[0].text, text);
    CloseLogFile();
    ExpectLogRecords({text});
}

}  // namespace
}  // namespace report_test

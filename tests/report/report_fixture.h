#pragma once
// Common ground of the message and log tests: a recording window system, local files in a
// fresh temporary directory, and the run state and options reset around every test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "platform/locale.h"
#include "report/log_file.h"
#include "settings/copy_options.h"
#include "tests/report/fake_ui.h"
#include "tests/report/local_files.h"

namespace report_test {

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/farcast-report-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        logPath_ = dir_ + "/run.log";
        win::SetUi(&ui_);
        win::SetFiles(&files_);
        CopyOptions = CopyOptionsRecord{};
        CopyRun.LogFile = win::INVALID_HANDLE_VALUE;
        ResetRunTotals();
        CancelRequested = false;
        started_ = std::time(nullptr);
    }
    void TearDown() override {
        CloseLogFile();
        CopyOptions = CopyOptionsRecord{};
        CancelRequested = false;
        win::SetUi(nullptr);
        win::SetFiles(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    static void ResetRunTotals() {
        CopyRun.RunFilesUpdated = {};
        CopyRun.RunBytesUpdated = {};
        CopyRun.RunFilesDeleted = {};
        CopyRun.RunDirectoriesDeleted = {};
        CopyRun.RunBytesDeleted = {};
    }

    // Logging on and the run's log file open, as at the start of a run.
    void StartLoggedRun() {
        CopyOptions.CreateLogfile = 1;
        CopyOptions.LogFileName = logPath_;
        ASSERT_NE(OpenLogFile(logPath_), win::INVALID_HANDLE_VALUE);
        ASSERT_TRUE(LogFileOpen());
    }

    std::string LogText() const {
        std::ifstream in(logPath_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The timestamps a record written since the test started may carry.
    std::vector<std::string> PossibleTimestamps() const {
        std::vector<std::string> stamps;
        for (std::time_t t = started_; t <= std::time(nullptr); ++t) {
            stamps.push_back(LocaleLongDate(t) + " " + LocaleTime24(t));
        }
        return stamps;
    }

    // The log holds exactly these records, in order, each "\r\n<timestamp>\r\n<text>\r\n".
    // Records are looked for from offset `from` on.
    void ExpectLogRecords(const std::vector<std::string>& texts, std::size_t from = 0) const {
        const std::string log = LogText();
        const std::vector<std::string> stamps = PossibleTimestamps();
        std::size_t at = from;
        for (const std::string& text : texts) {
            ASSERT_EQ(log.compare(at, 2, "\r\n"), 0) << "no empty line before record at " << at;
            const std::size_t stampEnd = log.find("\r\n", at + 2);
            ASSERT_NE(stampEnd, std::string::npos) << "record without timestamp line";
            const std::string stamp = log.substr(at + 2, stampEnd - at - 2);
            EXPECT_NE(std::find(stamps.begin(), stamps.end(), stamp), stamps.end())
                << "unexpected timestamp line: " << stamp;
            const std::string expected = text + "\r\n";
            ASSERT_EQ(log.substr(stampEnd + 2, expected.size()), expected);
            at = stampEnd + 2 + expected.size();
        }
        EXPECT_EQ(at, log.size()) << "more in the log than expected: " << log.substr(at);
    }

    FakeUi ui_;
    LocalFiles files_;
    std::string dir_;
    std::string logPath_;
    std::time_t started_ = 0;
};

}  // namespace report_test

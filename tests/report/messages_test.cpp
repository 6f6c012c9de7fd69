#include "report/messages.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/report/report_fixture.h"

namespace report_test {
namespace {

const std::string kQuestion = "\r\n\r\nContinue copying files?";

using LogAndShowTest = ReportTest;

TEST_F(LogAndShowTest, AttendedShowsBoxWithForegroundAndLogs) {
    StartLoggedRun();
    ui_.answers = {win::IDCANCEL};
    const int answer =
        LogAndShow(win::kMainWindow, "WARNING - text\r\nsecond line", "Farcast", 0x23, true);
    EXPECT_EQ(answer, win::IDCANCEL);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].owner, win::kMainWindow);
    EXPECT_EQ(ui_.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui_.boxes[0].style, 0x10023u);
    EXPECT_EQ(ui_.boxes[0].text, "WARNING - text\r\nsecond line");
    CloseLogFile();
    ExpectLogRecords({"WARNING - text\r\nsecond line"});
}

TEST_F(LogAndShowTest, UnattendedAnswersOkWithoutBoxButLogs) {
    StartLoggedRun();
    CopyOptions.UnattendedMode = 1;
    ui_.answers = {win::IDNO};
    EXPECT_EQ(LogAndShow(win::kMainWindow, "question", "Farcast", 0x23, true), win::IDOK);
    EXPECT_TRUE(ui_.boxes.empty());
    CloseLogFile();
    ExpectLogRecords({"question"});
}

TEST_F(LogAndShowTest, LogOnlyTextIsNeverShown) {
    StartLoggedRun();
    EXPECT_EQ(LogAndShow(win::kMainWindow, "Source Files:\t3", "Farcast", 0x40, false), win::IDOK);
    EXPECT_TRUE(ui_.boxes.empty());
    CloseLogFile();
    ExpectLogRecords({"Source Files:\t3"});
}

TEST_F(LogAndShowTest, NothingIsWrittenOutsideARunOrWithLoggingOff) {
    // No log open: shown, not written, no crash.
    CopyOptions.CreateLogfile = 1;
    EXPECT_EQ(LogAndShow(win::kMainWindow, "before the run", "Farcast", 0x10, true), win::IDOK);
    EXPECT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(files_.writes, 0);

    // Log open but CreateLogfile off: not written either.
    StartLoggedRun();
    CopyOptions.CreateLogfile = 0;
    LogAndShow(win::kMainWindow, "not logged", "Farcast", 0x10, true);
    EXPECT_EQ(files_.writes, 0);
    CloseLogFile();
    EXPECT_EQ(LogText(), "");
}

using ErrorBoxTest = ReportTest;

TEST_F(ErrorBoxTest, FormatsAndShowsStopBoxOwnedByMainWindow) {
    StartLoggedRun();
    const int answer = ErrorBox(
        "ERROR - Unable to attach to server %s.\r\nNWAttachToFileServer "
        "error: 0x%X",
        "ACME_SALES", 0x89FCu);
    EXPECT_EQ(answer, win::IDOK);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    const std::string text =
        "ERROR - Unable to attach to server ACME_SALES.\r\nNWAttachToFileServer error: 0x89FC";
    EXPECT_EQ(ui_.boxes[0].text, text);
    EXPECT_EQ(ui_.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui_.boxes[0].style, 0x10010u);
    EXPECT_EQ(ui_.boxes[0].owner, win::kMainWindow);
    CloseLogFile();
    ExpectLogRecords({text});
}

TEST_F(ErrorBoxTest, UnattendedIsLoggedOnly) {
    StartLoggedRun();
    CopyOptions.UnattendedMode = 1;
    EXPECT_EQ(ErrorBox("ERROR - Volume %s does not exist on server %s.", "DATA", "ACME"),
              win::IDOK);
    EXPECT_TRUE(ui_.boxes.empty());
    CloseLogFile();
    ExpectLogRecords({"ERROR - Volume DATA does not exist on server ACME."});
}

TEST_F(ErrorBoxTest, LongMessageIsCutAt1024Characters) {
    const std::string path(1500, 'P');
    ErrorBox("ERROR - Unable to open file %s.", path.c_str());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text.size(), 1024u);
    EXPECT_EQ(ui_.boxes[0].text.substr(0, 27), "ERROR - Unable to open file");
}

using ErrorAskContinueTest = ReportTest;

// A report made while a cancel is pending (a clean-up after Cancel, a signal) leaves the cancel
// standing, whatever the answer.
TEST_F(ErrorAskContinueTest, YesKeepsAPendingCancelAndTheQuestionIsLoggedToo) {
    StartLoggedRun();
    CancelRequested = true;
    ui_.answers = {win::IDYES};
    EXPECT_EQ(ErrorAskContinue("ERROR - Unable to set EOF for file %s.", "\\\\S\\V\\F.TXT"),
              win::IDYES);
    EXPECT_TRUE(CancelRequested);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    const std::string text = "ERROR - Unable to set EOF for file \\\\S\\V\\F.TXT." + kQuestion;
    EXPECT_EQ(ui_.boxes[0].text, text);
    EXPECT_EQ(ui_.boxes[0].style, 0x10014u);
    EXPECT_EQ(ui_.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui_.boxes[0].owner, win::kMainWindow);
    CloseLogFile();
    ExpectLogRecords({text});
}

TEST_F(ErrorAskContinueTest, NoSetsCancel) {
    ui_.answers = {win::IDNO};
    EXPECT_EQ(ErrorAskContinue("ERROR - %s", "x"), win::IDNO);
    EXPECT_TRUE(CancelRequested);
    // A later answer other than No never undoes it.
    ui_.answers = {win::IDYES};
    ErrorAskContinue("ERROR - %s", "y");
    EXPECT_TRUE(CancelRequested);
}

TEST_F(ErrorAskContinueTest, UnattendedLogsBareMessageAndGoesOn) {
    StartLoggedRun();
    CopyOptions.UnattendedMode = 1;
    CancelRequested = true;
    ui_.answers = {win::IDNO};
    EXPECT_EQ(ErrorAskContinue("ERROR - Unable to set trustee rights for %s.", "\\\\S\\V\\D"),
              win::IDOK);
    EXPECT_TRUE(CancelRequested);
    EXPECT_TRUE(ui_.boxes.empty());
    CloseLogFile();
    ExpectLogRecords({"ERROR - Unable to set trustee rights for \\\\S\\V\\D."});
}

TEST_F(ErrorAskContinueTest, QuestionFollowsACutMessageWhole) {
    const std::string path(2000, 'Q');
    ErrorAskContinue("%s", path.c_str());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, std::string(1024, 'Q') + kQuestion);
}

}  // namespace
}  // namespace report_test

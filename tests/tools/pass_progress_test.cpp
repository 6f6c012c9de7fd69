// The progress line of passes run side by side: what a pass sends survives the pipe whole, and
// the run's line is the sum of every pass's part.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/pass_report.h"

namespace {

// Sends frames through a real pipe and reads them back as the run does.
PassReportReader RoundTrip(const std::function<void(PassReportWriter&)>& send) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    PassReportWriter writer(fds[1]);
    send(writer);
    ::close(fds[1]);
    PassReportReader reader;
    char buffer[7];  // small reads: frames arrive cut anywhere
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        EXPECT_TRUE(reader.Take(buffer, static_cast<std::size_t>(n)));
    ::close(fds[0]);
    return reader;
}

TEST(PassProgressTest, TheLatestFrameArrivesWholeBesideTheOutput) {
    ProgressSnapshot first{false, 1, 10, 100, 1000, {"ACME SALES"}};
    ProgressSnapshot latest{false, 7, 10, 700, 1000, {"ACME SALES"}};
    const PassReportReader reader = RoundTrip([&](PassReportWriter& w) {
        w.Send(PassFrame::Output, "[box] one\n");
        w.SendProgress(first);
        w.Send(PassFrame::Output, "[box] two\n");
        w.SendProgress(latest);
    });
    EXPECT_EQ(reader.output, "[box] one\n[box] two\n");
    ASSERT_TRUE(reader.progress);
    EXPECT_EQ(reader.progress->filesDone, 7u);
    EXPECT_EQ(reader.progress->bytesDone, 700u);
    EXPECT_EQ(reader.progress->servers, std::vector<std::string>{"ACME SALES"});
}

TEST(PassProgressTest, ADamagedProgressFrameIsRefused) {
    for (const std::string body : {"", "0 1 2", "0 1 2 3 4 1 99 X", "0 1 2 3 4 1 x"}) {
        PassReportReader reader;
        std::string frame = {'P', static_cast<char>(body.size()), 0, 0, 0};
        frame += body;
        EXPECT_FALSE(reader.Take(frame.data(), frame.size())) << body;
        EXPECT_FALSE(reader.progress) << body;
    }
}

TEST(PassProgressTest, TheRunIsTheSumOfEveryPassPart) {
    const ProgressSnapshot running{false, 4, 10, 400, 1000, {"T2"}};
    const ProgressSnapshot tooFar{false, 12, 10, 1200, 1000, {"T3"}};
    ProgressSnapshot run;
    run += PassPart(PassStage::Ended, std::nullopt, "T1", 10, 1000);  // given up counts whole
    run += PassPart(PassStage::Running, running, "T2", 10, 1000);
    run += PassPart(PassStage::Running, tooFar, "T3", 10, 1000);        // never past its share
    run += PassPart(PassStage::Running, std::nullopt, "T4", 10, 1000);  // nothing sent yet
    run += PassPart(PassStage::Waiting, std::nullopt, "T5", 10, 1000);
    EXPECT_FALSE(run.counting);
    EXPECT_EQ(run.filesDone, 10u + 4 + 10);
    EXPECT_EQ(run.filesTotal, 50u);
    EXPECT_EQ(run.bytesDone, 1000u + 400 + 1000);
    EXPECT_EQ(run.bytesTotal, 5000u);
    EXPECT_EQ(run.servers, (std::vector<std::string>{"T2", "T3", "T4"}));
}

}  // namespace

// The run's transfer buffer of BufferSize kilobytes: any size either works or ends the run with
// the allocation message before anything is copied; no size wraps to another one.
#include "tests/copy/run_fixture.h"

namespace {

class TransferBufferTest : public RunFixture {};

TEST_F(TransferBufferTest, SizesNoReadCanFillEndTheRunWithTheAllocationMessage) {
    // 4194304 KB is 4 GiB, which wrapped to a 0-byte chunk in 32 bits; 4194305 KB wrapped to
    // 1 KB; the largest stored value is 4 TiB.
    for (std::uint32_t kilobytes : {4194304u, 4194305u, 0xFFFFFFFFu}) {
        Start();
        Select({"ALPHA"});
        Net().WriteFile("HQ/DATA/SRC/A.TXT", "new");
        Net().WriteFile("ALPHA/DATA/DEST/A.TXT", "old");
        CopyOptions.BufferSize = kilobytes;
        RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
        ASSERT_EQ(ui.boxes.size(), 1u) << kilobytes;
        EXPECT_EQ(ui.boxes[0].text, "Memory allocation error.\r\nInsufficient memory available.");
        EXPECT_EQ(ui.boxes[0].style, 0x10010u);
        EXPECT_FALSE(SummaryShown());
        EXPECT_FALSE(LastRunReachedSummary());
        EXPECT_TRUE(CopyRun.CopyBuffer.empty());
        EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/A.TXT"), "old");
        ui.boxes.clear();
    }
}

TEST_F(TransferBufferTest, LargeAndOddSizesCopyEveryByte) {
    // More than three buffers of 1 MiB, and a size that is no power of two.
    std::string data(3 * 1024 * 1024 + 12345, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7919 % 251);
    for (std::uint32_t kilobytes : {1024u, 3u, 1u}) {
        Start();
        Select({"ALPHA"});
        Net().WriteFile("HQ/DATA/SRC/BIG.DAT", data);
        CopyOptions.BufferSize = kilobytes;
        RunCopy({"\\\\HQ\\DATA\\SRC\\BIG.DAT"});
        EXPECT_TRUE(OtherBoxTexts().empty()) << kilobytes;
        EXPECT_TRUE(LastRunReachedSummary());
        EXPECT_TRUE(Net().ReadFile("ALPHA/DATA/DEST/BIG.DAT") == data) << kilobytes;
    }
}

}  // namespace

// The copy loop, chunk by chunk: random bytes whose sizes are not multiples of the chunk, at
// every buffer size, plain and compressed, compared byte for byte; and the file bar's
// percentage.
#include <random>
#include <tuple>

#include "copy/file_copy.h"
#include "tests/copy/copy_fixture.h"

namespace {

// Bytes no chunk-order, offset or repeated-chunk fault can leave looking right. With runs,
// about half the bytes repeat the one before, so that a compressing volume has something to
// compress and its stream is longer than one chunk too.
std::string RandomBytes(std::size_t size, unsigned seed, bool withRuns) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        const auto value = static_cast<char>(random() & 0xFF);
        bytes[i] = withRuns && i > 0 && (random() & 1) ? bytes[i - 1] : value;
    }
    return bytes;
}

std::uint32_t ChunkOf(std::uint32_t bufferSize) {
    return bufferSize != 0 ? bufferSize * 1024 : 16384;
}

// (BufferSize, compressed)
class RandomCopyTest : public CopyTest,
                       public ::testing::WithParamInterface<std::tuple<std::uint32_t, bool>> {};

TEST_P(RandomCopyTest, EveryByteArrivesInItsPlace) {
    const auto [bufferSize, compressed] = GetParam();
    const std::uint32_t chunk = ChunkOf(bufferSize);
    const std::string volume = compressed ? "COMP" : "DATA";
    const std::string sourceDir = "\\\\HQ\\" + volume + "\\SRC";
    const std::string destinationDir = "\\\\HQ\\" + volume + "\\DST";
    const std::size_t sizes[] = {1, chunk - 1, chunk + 1, 3 * chunk + 517, 200 * 1024 + 13};

    Net();
    std::vector<std::string> contents;
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        contents.push_back(RandomBytes(sizes[i], 1000 * bufferSize + i, compressed));
        Write("HQ/" + volume + "/SRC/F" + std::to_string(i) + ".BIN", contents.back());
        // Every destination exists already and is longer: nothing of it may remain.
        Write("HQ/" + volume + "/DST/F" + std::to_string(i) + ".BIN",
              RandomBytes(sizes[i] + chunk + 3, 7 + i, false));
    }
    Install();
    CopyOptions.BufferSize = bufferSize;
    if (compressed) {
        CopyOptions.CopyCompressed = 1;
        CopyRun.CompressedCopyPossible = true;
        std::string error;
        for (std::size_t i = 0; i < std::size(sizes); ++i)
            ASSERT_TRUE(
                Net().Net().Compress(sourceDir + "\\F" + std::to_string(i) + ".BIN", &error))
                << error;
    }

    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const std::string name = "\\F" + std::to_string(i) + ".BIN";
        SCOPED_TRACE(name + " of " + std::to_string(sizes[i]) + " bytes");
        EXPECT_EQ(CopyOneFile(sourceDir + name, destinationDir), sizes[i]);
        const std::string arrived = Content(destinationDir + name);
        ASSERT_EQ(arrived.size(), contents[i].size());
        // The first differing offset says more than two 200 KB strings would.
        const auto mismatch =
            std::mismatch(arrived.begin(), arrived.end(), contents[i].begin()).first;
        EXPECT_EQ(mismatch - arrived.begin(), static_cast<std::ptrdiff_t>(arrived.size()));
        if (compressed) {
            EXPECT_EQ(Stat(destinationDir + name)["compressed"], "1");
        }
    }
    EXPECT_TRUE(TemporaryFiles("HQ/" + volume + "/DST").empty());
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, RandomCopyTest,
                         ::testing::Combine(::testing::Values(0u, 4u, 8u, 16u, 32u, 64u),
                                            ::testing::Bool()));

class FileBarTest : public CopyTest {
  protected:
    std::vector<int> BarsOfCopy(std::size_t size) {
        Net();
        Write("HQ/DATA/SRC/A.BIN", RandomBytes(size, 3, false));
        Net().MakeDir("HQ/DATA/DST");
        Install();
        CopyOptions.BufferSize = 4;
        EXPECT_EQ(CopyOneFile("\\\\HQ\\DATA\\SRC\\A.BIN", "\\\\HQ\\DATA\\DST"), size);
        return ui.FindDialog(ProgressDialog)->BarHistory(204);
    }
};

TEST_F(FileBarTest, PercentageRoundsToTheNearestWholeNumber) {
    // Three chunks: 33.3 % and 66.7 %, then the end; the bar is reset once the file is in.
    EXPECT_EQ(BarsOfCopy(3 * 4096), (std::vector<int>{33, 67, 100, 0}));
}

TEST_F(FileBarTest, AlmostDoneRoundsUpToTheEnd) {
    // 4096 of 8193 is 49.99 %, 8192 of 8193 is 99.99 %: 50 and 100 before the last byte.
    EXPECT_EQ(BarsOfCopy(2 * 4096 + 1), (std::vector<int>{50, 100, 0}));
}

}  // namespace

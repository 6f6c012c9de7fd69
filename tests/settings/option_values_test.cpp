// Option values given as "ValueName=Value" (farcast-run's --set): each means what the same
// value would mean stored in the registry, and anything else is refused with its message,
// leaving the options as they were.
#include <gtest/gtest.h>

#include <string>

#include "settings/copy_options.h"
#include "settings/option_values.h"

namespace {

class OptionValuesTest : public ::testing::Test {
  protected:
    void SetUp() override { CopyOptions = CopyOptionsRecord{}; }
    void TearDown() override { CopyOptions = CopyOptionsRecord{}; }

    bool Apply(const std::string& setting) {
        error_.clear();
        return ApplyOptionSetting(setting, &error_);
    }
    // The setting is refused with this message and changes nothing.
    void ExpectRefused(const std::string& setting, const std::string& message) {
        CopyOptions.CopySubDirs = 1;
        CopyOptions.BufferSize = 32;
        CopyOptions.TargetPath = "\\DATA\\KEEP";
        EXPECT_FALSE(Apply(setting)) << setting;
        EXPECT_EQ(error_, message);
        EXPECT_EQ(CopyOptions.CopySubDirs, 1u) << setting;
        EXPECT_EQ(CopyOptions.BufferSize, 32u) << setting;
        EXPECT_EQ(CopyOptions.TargetPath, "\\DATA\\KEEP") << setting;
    }

    std::string error_;
};

TEST_F(OptionValuesTest, FlagsAreOnForAnyNonZeroNumberAndForTheWords) {
    struct Case {
        const char* setting;
        std::uint32_t value;
    };
    for (const Case& c :
         {Case{"CopySubDirs=1", 1}, Case{"copysubdirs=5", 1}, Case{"CopySubDirs=4294967295", 1},
          Case{"CopySubDirs=0x10", 1}, Case{"CopySubDirs=0", 0}, Case{"CopySubDirs=00", 0},
          Case{"CopySubDirs=ON", 1}, Case{"CopySubDirs=yes", 1}, Case{"CopySubDirs=True", 1},
          Case{"CopySubDirs=off", 0}, Case{"CopySubDirs=No", 0}, Case{"COPYSUBDIRS=false", 0}}) {
        CopyOptions.CopySubDirs = 7;
        EXPECT_TRUE(Apply(c.setting)) << c.setting << ": " << error_;
        EXPECT_EQ(CopyOptions.CopySubDirs, c.value) << c.setting;
    }
    EXPECT_TRUE(Apply("UnattendedMode=1"));
    EXPECT_EQ(CopyOptions.UnattendedMode, 1u);
    EXPECT_TRUE(Apply("CopyCompressed=on"));
    EXPECT_EQ(CopyOptions.CopyCompressed, 1u);
}

TEST_F(OptionValuesTest, NumbersAreDecimalOrHexadecimalAndFitThirtyTwoBits) {
    for (const char* value : {"", "-1", "+1", " 1", "1 ", "1x", "0x", "0xG", "4294967296",
                              "0x100000000", "99999999999999999999999", "1.5", "maybe"}) {
        ExpectRefused(
            std::string("CopySubDirs=") + value,
            std::string("farcast-run: --set CopySubDirs: ") + value + " is not a valid value");
    }
}

TEST_F(OptionValuesTest, BufferSizeTakesAnyThirtyTwoBitNumberAndZeroMeansSixteen) {
    struct Case {
        const char* setting;
        std::uint32_t value;
    };
    for (const Case& c :
         {Case{"BufferSize=64", 64}, Case{"buffersize=4", 4}, Case{"BufferSize=0", 16},
          Case{"BufferSize=010", 10}, Case{"BufferSize=0x40", 64},
          Case{"BufferSize=4194304", 4194304}, Case{"BufferSize=4294967295", 4294967295u}}) {
        EXPECT_TRUE(Apply(c.setting)) << c.setting << ": " << error_;
        EXPECT_EQ(CopyOptions.BufferSize, c.value) << c.setting;
    }
    ExpectRefused("BufferSize=on", "farcast-run: --set BufferSize: on is not a valid value");
    ExpectRefused("BufferSize=4294967296",
                  "farcast-run: --set BufferSize: 4294967296 is not a valid value");
    ExpectRefused("BufferSize=-16", "farcast-run: --set BufferSize: -16 is not a valid value");
}

TEST_F(OptionValuesTest, TextsHoldAtMost259CharactersWithoutControlCharacters) {
    EXPECT_TRUE(Apply("TargetPath=\\DATA\\NEW=PATH"));
    EXPECT_EQ(CopyOptions.TargetPath, "\\DATA\\NEW=PATH");
    EXPECT_TRUE(Apply("LogFileName=" + std::string(259, 'l')));
    EXPECT_EQ(CopyOptions.LogFileName, std::string(259, 'l'));
    EXPECT_TRUE(Apply("LogFileName="));
    EXPECT_EQ(CopyOptions.LogFileName, "");
    const std::string tooLong(260, 't');
    ExpectRefused("TargetPath=" + tooLong,
                  "farcast-run: --set TargetPath: " + tooLong + " is not a valid value");
    ExpectRefused("TargetPath=\\DATA\nX",
                  "farcast-run: --set TargetPath: \\DATA\nX is not a valid value");
}

TEST_F(OptionValuesTest, MalformedSettingsAndUnknownNamesAreRefused) {
    ExpectRefused("CopySubDirs", "farcast-run: --set ValueName=Value, not CopySubDirs");
    ExpectRefused("=1", "farcast-run: --set ValueName=Value, not =1");
    ExpectRefused("Colour=1", "farcast-run: --set Colour: no such option");
    // Values that are not options of the run.
    ExpectRefused("AlreadyRun=1", "farcast-run: --set AlreadyRun: no such option");
    ExpectRefused("Width=100", "farcast-run: --set Width: no such option");
}

TEST(TransferBuffer, SizesAreCountedInSixtyFourBits) {
    EXPECT_EQ(BufferSizeOrDefault(0), 16u);
    EXPECT_EQ(BufferSizeOrDefault(8), 8u);
    EXPECT_EQ(TransferBufferBytes(0), 16384u);
    EXPECT_EQ(TransferBufferBytes(64), 65536u);
    EXPECT_EQ(TransferBufferBytes(4194303), 4294966272u);
    EXPECT_EQ(TransferBufferBytes(4194304), 4294967296u);
    EXPECT_EQ(TransferBufferBytes(0xFFFFFFFF), 0xFFFFFFFFull * 1024);
    EXPECT_LE(TransferBufferBytes(4194303), kMaxTransferBufferBytes);
    EXPECT_GT(TransferBufferBytes(4194304), kMaxTransferBufferBytes);
}

}  // namespace

#include "util/string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/string_ids.h"

namespace {

TEST(StringTable, ShippedEntriesKeepTheirExactCharacters) {
    EXPECT_STREQ(LoadResString(IDS_ASK_NEXT_SERVER),
                 "Do you want to continue copying files to the next server?");
    EXPECT_STREQ(LoadResString(IDS_ASK_CONTINUE_COPYING), "\r\n\r\nContinue copying files?");
    EXPECT_STREQ(LoadResString(IDS_FMT_SERVER_VOLUME), "\\\\%s\\%s");
    EXPECT_STREQ(LoadResString(IDS_FMT_UNC_SHORTENED), "\\\\%s\\%s\\ ...\\%s");
    EXPECT_STREQ(LoadResString(IDS_REG_SETTINGS_KEY), "Software\\Ostrand\\Farcast");
    EXPECT_STREQ(LoadResString(IDS_SOURCE_FILES), "Source Files:\t");
    EXPECT_STREQ(LoadResString(IDS_CAPTION_FARCAST), "Farcast");
    EXPECT_STREQ(LoadResString(IDS_LOG_FILE_FILTER),
                 "Log Files (*.log)|*.log|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    EXPECT_STREQ(LoadResString(IDS_ERR_SIZE_MISMATCH),
                 "ERROR - Unknown error while copying %s to %s - source and destination file "
                 "sizes don't match.");
}

TEST(StringTable, ContinuedEntryJoinsTheNextOne) {
    const std::string text = LoadResString(IDS_BUFFER_SIZE_HINT);
    EXPECT_EQ(text,
              "Using a small buffer size will give you better visual feedback on the progress of "
              "file copies, particularly when you are copying over slow WAN links.\n\n"
              "Using a large buffer size will give you better throughput if you have packet "
              "burst enabled.");
}

TEST(StringTable, MissingEntryIsEmpty) {
    const char* text = LoadResString(999);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_STREQ(LoadResString(65535), "");
}

TEST(StringTable, FourthLoadReusesTheFirstBuffer) {
    const char* first = LoadResString(IDS_ELLIPSIS);
    const char* second = LoadResString(IDS_BYTES);
    const char* third = LoadResString(IDS_FMT_TIMESTAMP);
    EXPECT_NE(first, second);
    EXPECT_NE(second, third);
    EXPECT_NE(first, third);
    // Three texts are usable at once.
    EXPECT_STREQ(first, "...");
    EXPECT_STREQ(second, " bytes");
    EXPECT_STREQ(third, "%s %s");
    const char* fourth = LoadResString(IDS_CAPTION_FARCAST);
    EXPECT_EQ(fourth, first);
    EXPECT_STREQ(first, "Farcast");
    EXPECT_EQ(LoadResString(999), second);  // an empty load still takes its turn
    EXPECT_STREQ(second, "");
}

// Tables of the tests' own, for the chain rules the shipped table does not exercise.
class StringTableChains : public ::testing::Test {
  protected:
    void TearDown() override { UseStringTableForTesting(nullptr, 0); }
};

TEST_F(StringTableChains, ChainEndingInAMissingEntryKeepsWhatWasGathered) {
    static const StringTableEntry entries[] = {{10, "!first "}, {11, "!second"}};
    UseStringTableForTesting(entries, 2);
    EXPECT_STREQ(LoadResString(10), "first second");
    EXPECT_STREQ(LoadResString(11), "second");
}

TEST_F(StringTableChains, BangOnlyEntryContributesNothing) {
    static const StringTableEntry entries[] = {{20, "!"}, {21, "!"}, {22, "end"}, {23, "x"}};
    UseStringTableForTesting(entries, 4);
    EXPECT_STREQ(LoadResString(20), "end");
}

TEST_F(StringTableChains, EmptyEntryEndsTheChain) {
    static const StringTableEntry entries[] = {{30, "!a"}, {31, ""}, {32, "not reached"}};
    UseStringTableForTesting(entries, 3);
    EXPECT_STREQ(LoadResString(30), "a");
}

TEST_F(StringTableChains, ChainLongerThanTheBufferIsCutWithoutOverrun) {
    // Three entries of 250 characters: 750 in all, more than the 519 a result holds.
    static const std::string part(250, 'p');
    static const std::string bangPart = "!" + part;
    static const StringTableEntry entries[] = {
        {40, bangPart.c_str()}, {41, bangPart.c_str()}, {42, part.c_str()}, {43, "after"}};
    UseStringTableForTesting(entries, 4);
    const char* text = LoadResString(40);
    EXPECT_EQ(std::strlen(text), 519u);
    EXPECT_EQ(std::string(text), std::string(519, 'p'));
    // The neighbouring result buffer is intact.
    const char* next = LoadResString(43);
    EXPECT_STREQ(next, "after");
    EXPECT_EQ(std::strlen(text), 519u);
}

TEST_F(StringTableChains, EntryLongerThanTheScratchIsCutAt259) {
    static const std::string longText(300, 'q');
    static const StringTableEntry entries[] = {{50, longText.c_str()}};
    UseStringTableForTesting(entries, 1);
    EXPECT_EQ(std::string(LoadResString(50)), std::string(259, 'q'));
}

}  // namespace

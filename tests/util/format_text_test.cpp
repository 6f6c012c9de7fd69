#include "util/format_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FormatText, ConversionsTheMessagesUse) {
    EXPECT_EQ(FormatText("%s error: 0x%X", "NWCallsInit", 0x89FFu), "NWCallsInit error: 0x89FF");
    EXPECT_EQ(FormatText("%d %u %ld %lu %c %%", -5, 7u, 123456L, 9UL, 'z'), "-5 7 123456 9 z %");
    EXPECT_EQ(FormatText("0x%X", 0u), "0x0");
}

TEST(FormatText, ResultIsCutAt1024Characters) {
    const std::string longPath(2000, 'a');
    const std::string text = FormatText("ERROR - %s.", longPath.c_str());
    EXPECT_EQ(text.size(), kMaxFormattedText);
    EXPECT_EQ(text.substr(0, 8), "ERROR - ");
    EXPECT_EQ(FormatText("%s", std::string(1024, 'b').c_str()).size(), 1024u);
}

}  // namespace

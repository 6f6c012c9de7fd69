// Character counts of UTF-8 texts: the measure of every name and path limit.
#include "util/characters.h"

#include <gtest/gtest.h>

namespace {

TEST(CharactersTest, CountsCharactersNotBytes) {
    EXPECT_EQ(CharacterCount(""), 0u);
    EXPECT_EQ(CharacterCount("abc"), 3u);
    EXPECT_EQ(CharacterCount("\xC3\xA9t\xC3\xA9"), 3u);             // été
    EXPECT_EQ(CharacterCount("\xE2\x82\xAC\xF0\x9F\x93\x81"), 2u);  // a euro sign, a folder
    // A stray continuation byte is no character; a lone lead byte still counts as one.
    EXPECT_EQ(CharacterCount("a\x80"), 1u);
    EXPECT_EQ(CharacterCount("\xC3"), 1u);
}

TEST(CharactersTest, CutsBetweenCharactersOnly) {
    EXPECT_EQ(FirstCharacters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
    EXPECT_EQ(FirstCharacters("\xC3\xA9t\xC3\xA9", 1), "\xC3\xA9");
    EXPECT_EQ(FirstCharacters("\xC3\xA9t\xC3\xA9", 0), "");
    EXPECT_EQ(FirstCharacters("short", 259), "short");
    const std::string many(300, 'x');
    EXPECT_EQ(FirstCharacters(many, 259).size(), 259u);
}

}  // namespace

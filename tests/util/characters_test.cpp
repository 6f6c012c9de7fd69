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

// The limit check at its edges: a path of many bytes but fewer characters stays under it.
TEST(CharactersTest, AtLeastCountsCharactersAtTheLimit) {
    const std::string euro = "\xE2\x82\xAC";
    std::string manyBytes;
    for (int i = 0; i < 100; ++i)
        manyBytes += euro;  // 300 bytes, 100 characters
    const struct {
        std::string text;
        std::size_t count;
        bool atLeast;
    } cases[] = {
        {"", 0, true},
        {"", 1, false},
        {"abc", 3, true},
        {"abc", 4, false},
        {manyBytes, 100, true},
        {manyBytes, 101, false},
        {manyBytes, 260, false},
        {std::string(260, 'a'), 260, true},
        {std::string(259, 'a'), 260, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasAtLeastCharacters(c.text, c.count), c.atLeast)
            << c.text.size() << " " << c.count;
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

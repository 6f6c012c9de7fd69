// Wildcard matching of listing patterns, fault path globs and bindery scans: the rules, case,
// '?' and '*' and the DOS conventions, exactly as listings and faults have always used them.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "netware/sim/sim_names.h"

namespace {

using sim::WildcardMatch;

struct Case {
    const char* pattern;
    const char* text;
    bool matches;
};

void ExpectAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches)
            << "pattern \"" << c.pattern << "\" against \"" << c.text << "\"";
}

TEST(Wildcard, LettersMatchInAnyCaseOtherCharactersExactly) {
    ExpectAll({
        {"A.TXT", "a.txt", true},
        {"a.txt", "A.TXT", true},
        {"LongFileName.txt", "LONGFILENAME.TXT", true},
        {"A.TXT", "A.TXT ", false},
        {"A.TXT", "A.TX", false},
        {"", "", true},
        {"", "A", false},
        {"A", "", false},
        // Only the ASCII letters fold: the two bytes of "é" and "É" differ.
        {"\xC3\xA9", "\xC3\x89", false},
        {"\xC3\xA9", "\xC3\xA9", true},
        {"[", "{", false},  // 0x5B and 0x7B are not a case pair
        {"@", "`", false},
    });
}

TEST(Wildcard, QuestionMarkIsExactlyOneByte) {
    ExpectAll({
        {"A?C", "ABC", true},
        {"A?C", "AC", false},
        {"A?C", "ABBC", false},
        {"???", "abc", true},
        {"???", "ab", false},
        {"?", ".", true},
        {"?", "", false},
        {"A?", "A\\", true},
        {"?", "\xC3\xA9", false},  // one character, two bytes
        {"??", "\xC3\xA9", true},
    });
}

TEST(Wildcard, StarIsAnyRunIncludingNoneDotsAndBackslashes) {
    ExpectAll({
        {"*.TXT", "a.txt", true},
        {"*.TXT", ".txt", true},
        {"*.TXT", "a.txt.bak", false},
        {"A*", "A", true},
        {"A*B", "AB", true},
        {"A*B", "AXXB", true},
        {"A*B", "AXXBX", false},
        {"A*B*C", "ABBBC", true},
        {"A*B*C", "ACB", false},
        {"A**B", "AB", true},
        {"ABC**", "ABC", true},
        {"*?", "", false},
        {"*?", "X", true},
        {"?*?", "X", false},
        {"*A", "BAA", true},
        {"*AB", "AAB", true},
        {"*ABA", "ABABA", true},
        {"*.*.*", "a.b", false},
        {"*.*.*", "a.b.c", true},
        {R"(\\HQ\DATA\*)", R"(\\HQ\DATA\PROJ\A.TXT)", true},
        {R"(\\HQ\DATA\*.TXT)", R"(\\HQ\DATA\PROJ\A.TXT)", true},
        {R"(\\HQ\DATA\PROJ\*.TXT)", R"(\\HQ\DATA\PROJECTS\A.TXT)", false},
        {R"(\\*\DATA\*)", R"(\\SALES\DATA\X)", true},
        {R"(\\*\DATA\*)", R"(\\SALES\SYS\X)", false},
    });
}

TEST(Wildcard, DosConventions) {
    ExpectAll({
        // "*.*" and "*" are every name, with or without a dot, and even none.
        {"*.*", "README", true},
        {"*.*", "a.b.c", true},
        {"*.*", "", true},
        {"*", "", true},
        {"*", ".", true},
        {"*.*", ".", true},
        // Anywhere else a dot in the pattern needs one in the name.
        {"A*.*", "AB", false},
        {"A*.*", "AB.C", true},
        {"*.", "README", false},
        {"*.", "README.", true},
        {"**.*", "README", false},
        {"*.TXT", ".", false},
    });
}

// The rules written as plainly as possible (every split a star could take), for short inputs.
bool ReferenceMatch(const char* p, const char* t) {
    if (*p == '\0')
        return *t == '\0';
    if (*p == '*')
        return ReferenceMatch(p + 1, t) || (*t != '\0' && ReferenceMatch(p, t + 1));
    if (*t == '\0')
        return false;
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return (*p == '?' || fold(*p) == fold(*t)) && ReferenceMatch(p + 1, t + 1);
}

TEST(Wildcard, AgreesWithEverySplitOnSmallAlphabets) {
    // A few letters in both cases, a dot and a backslash make near misses common.
    const std::string patternChars = "aAb.*?\\";
    const std::string textChars = "aAbB.\\";
    std::mt19937 random(1313);
    for (int i = 0; i < 20000; ++i) {
        std::string pattern, text;
        for (unsigned n = random() % 9; n > 0; --n)
            pattern += patternChars[random() % patternChars.size()];
        for (unsigned n = random() % 11; n > 0; --n)
            text += textChars[random() % textChars.size()];
        const bool expected = pattern == "*.*" || ReferenceMatch(pattern.c_str(), text.c_str());
        ASSERT_EQ(WildcardMatch(pattern, text), expected)
            << "pattern \"" << pattern << "\" against \"" << text << "\"";
    }
}

}  // namespace

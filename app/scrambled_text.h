#pragma once
// The texts of the start-up banner and the about box. They are kept in the program XOR-ed
// with a rolling key, so that they do not show up as plain strings in the binary, and are
// rebuilt when a window needs them.

#include <cstddef>
#include <string>
#include <vector>

enum class ScrambledText {
    kBannerLine1,  // the banner's three title lines
    kBannerLine2,
    kBannerLine3,
    kBannerLine4,  // the banner's three footer lines
    kBannerLine5,
    kBannerLine6,
    kAboutTitle,
    kAboutBody,
    kAboutCredits,
};

// The plain text of one stored text.
std::string UnscrambledText(ScrambledText which);

// The stored bytes of one text, as they are in the program.
std::vector<unsigned char> StoredBytes(ScrambledText which);

// The key stream: each byte is XOR-ed with the key, which then rolls on as
// key = key * 29 + 113 (mod 256). Scrambling and unscrambling are the same operation.
std::string Unscramble(const unsigned char* data, std::size_t size, unsigned char seed);
std::vector<unsigned char> Scramble(const std::string& text, unsigned char seed);

#pragma once
// Lengths of texts in characters. Names and paths are UTF-8 on this system; the program's
// limits (259 characters for a path, 255 for a name) count characters, one per character of
// the name, never the bytes that encode them.

#include <cstddef>
#include <string>

// The number of characters of a UTF-8 text (every byte that does not continue a sequence
// starts a character, so malformed input is still counted, never read past).
std::size_t CharacterCount(const std::string& text);

// True when the text has at least count characters. A text of fewer bytes has fewer
// characters, so the common short path is decided without counting (every call checks its
// path against the limit).
inline bool HasAtLeastCharacters(const std::string& text, std::size_t count) {
    return text.size() >= count && CharacterCount(text) >= count;
}

// The text cut after its first count characters, never inside a character.
std::string FirstCharacters(const std::string& text, std::size_t count);

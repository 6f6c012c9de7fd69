#pragma once
// The string table: every user-visible text, format string, caption and registry value name,
// keyed by number (resources/strings.rc; named numbers in resources/string_ids.h).

// Loads one text into one of three rotating 520-character buffers: a returned text stays
// valid until three more calls have been made. An entry beginning with "!" is continued by
// the next number. A missing entry gives an empty text. Never fails.
const char* LoadResString(unsigned number);

#include <cstddef>

// One entry of a string table.
struct StringTableEntry {
    unsigned number;
    const char* text;
};

// For tests of the loader: serves LoadResString from the given entries (sorted by number)
// instead of the program's table; a null pointer puts the program's table back.
void UseStringTableForTesting(const StringTableEntry* entries, std::size_t count);

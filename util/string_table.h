#pragma once
// The string table: every user-visible text, format string, caption and registry value name,
// keyed by number (resources/strings.rc; named numbers in resources/string_ids.h).

// Loads one text into one of three rotating 520-character buffers: a returned text stays
// valid until three more calls have been made. An entry beginning with "!" is continued by
// the next number. A missing entry gives an empty text. Never fails.
const char* LoadResString(unsigned number);

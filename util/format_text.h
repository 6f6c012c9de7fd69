#pragma once
// Formatting with the window system's wsprintf rules (%s, %d, %u, %X, %ld, %lu, %c, %%):
// at most 1024 characters are produced, longer results are cut there.

#include <cstddef>
#include <string>

constexpr std::size_t kMaxFormattedText = 1024;

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

#include "util/format_text.h"

#include <cstdarg>
#include <cstdio>

// The conversions the program uses (%s, %d, %u, %X, %ld, %lu, %c, %%) behave as in printf.
// Like wsprintf, at most 1024 characters are produced; a longer result is cut there.
std::string FormatText(const char* format, ...) {
    char buffer[kMaxFormattedText + 1];
    buffer[0] = '\0';
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written < 0) {
        return std::string();
    }
    return std::string(buffer);
}

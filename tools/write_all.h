#pragma once
// Writing straight to a descriptor (the terminal), past short writes and interrupted calls.

#include <unistd.h>

#include <cerrno>
#include <string>

// Writes all of text to fd; false when the descriptor refuses it.
inline bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

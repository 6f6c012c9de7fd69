#include "tools/login_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// Closes the descriptor when the reading is over, whichever way it ends.
class ScopedFd {
  public:
    explicit ScopedFd(int fd) : fd_(fd) {}
    ~ScopedFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

bool ReadAll(int fd, std::string* text) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text->append(buffer, static_cast<std::size_t>(n));
    }
}

std::string Failure(const std::string& path, int code) {
    return FormatText(LoadResString(IDS_TERM_LOGIN_FILE_UNREADABLE), path.c_str(),
                      std::strerror(code));
}

}  // namespace

bool ReadLoginFile(const std::string& path, bool allowUserOnly, std::vector<std::string>* logins,
                   std::string* error) {
    // The permissions are checked on the file that is read, not on a name that may change.
    const ScopedFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0) {
        *error = Failure(path, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        *error = Failure(path, errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = Failure(path, EINVAL);
        return false;
    }
    if (info.st_mode & (S_IRGRP | S_IROTH)) {
        *error = FormatText(LoadResString(IDS_TERM_LOGIN_FILE_OPEN), path.c_str(), path.c_str());
        return false;
    }
    std::string text;
    if (!ReadAll(file.Get(), &text)) {
        *error = Failure(path, errno);
        return false;
    }
    std::vector<std::string> found;
    std::size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t colon = line.find(':');
        if (colon == 0 || (colon == std::string::npos && !allowUserOnly)) {
            *error = FormatText(LoadResString(IDS_TERM_LOGIN_FILE_LINE), path.c_str(), lineNumber);
            return false;
        }
        found.push_back(line);
    }
    logins->insert(logins->end(), found.begin(), found.end());
    return true;
}

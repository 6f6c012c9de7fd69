#include "tools/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "resources/string_ids.h"
#include "tools/write_all.h"
#include "util/byte_count.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::size_t kDefaultWidth = 80;
constexpr const char* kEraseToEnd = "\x1b[K";

std::size_t TerminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultWidth;
}

std::string Count(std::uint64_t value) {
    return FormatCount(ByteCount::From(value));
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

std::string Percent(std::uint64_t done, std::uint64_t total) {
    const double fraction =
        total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", static_cast<int>(fraction * 100.0));
    return text;
}

}  // namespace

ProgressSnapshot& ProgressSnapshot::operator+=(const ProgressSnapshot& other) {
    counting = counting || other.counting;
    filesDone += other.filesDone;
    filesTotal += other.filesTotal;
    bytesDone += other.bytesDone;
    bytesTotal += other.bytesTotal;
    servers.insert(servers.end(), other.servers.begin(), other.servers.end());
    return *this;
}

std::string FormatBytes(double bytes) {
    const std::string units = LoadResString(IDS_TERM_BYTE_UNITS);
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= units.size();) {
        const std::size_t comma = std::min(units.find(',', start), units.size());
        names.push_back(units.substr(start, comma - start));
        start = comma + 1;
    }
    std::size_t unit = 0;
    while (bytes >= 1024.0 && unit + 1 < names.size()) {
        bytes /= 1024.0;
        ++unit;
    }
    char text[32];
    if (unit == 0)
        std::snprintf(text, sizeof text, "%.0f %s", bytes, names[0].c_str());
    else
        std::snprintf(text, sizeof text, "%.1f %s", bytes, names[unit].c_str());
    return text;
}

std::string FormatDuration(double seconds) {
    if (!(seconds >= 0.0) || seconds > 99.0 * 3600.0)
        return LoadResString(IDS_TERM_UNKNOWN_TIME);
    const auto whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

std::string FormatProgress(const ProgressSnapshot& s, double secondsCopying, std::size_t width) {
    std::string line;
    if (s.counting) {
        line = FormatText(LoadResString(IDS_TERM_PROGRESS_COUNTING), Count(s.filesDone).c_str(),
                          FormatBytes(static_cast<double>(s.bytesDone)).c_str());
    } else {
        // Bytes say how far the run is; a source of empty files only has its files to count.
        const bool byBytes = s.bytesTotal > 0;
        const double done = static_cast<double>(byBytes ? s.bytesDone : s.filesDone);
        const double total = static_cast<double>(byBytes ? s.bytesTotal : s.filesTotal);
        const double rate = secondsCopying > 0.0 ? done / secondsCopying : 0.0;
        const double left = rate > 0.0 ? (total - done) / rate : -1.0;
        const double bytesRate =
            secondsCopying > 0.0 ? static_cast<double>(s.bytesDone) / secondsCopying : 0.0;
        line = FormatText(
            LoadResString(IDS_TERM_PROGRESS_LINE), Joined(s.servers).c_str(),
            Count(s.filesDone).c_str(), Count(s.filesTotal).c_str(),
            FormatBytes(static_cast<double>(s.bytesDone)).c_str(),
            FormatBytes(static_cast<double>(s.bytesTotal)).c_str(),
            (byBytes ? Percent(s.bytesDone, s.bytesTotal) : Percent(s.filesDone, s.filesTotal))
                .c_str(),
            FormatBytes(bytesRate).c_str(), FormatDuration(left).c_str());
    }
    if (line.size() > width)
        line.resize(width);
    return line;
}

ProgressLine::ProgressLine(int fd, Clock::duration interval) : fd_(fd), interval_(interval) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Put(const std::string& text) {
    WriteAll(fd_, text);
}

void ProgressLine::Show(const ProgressSnapshot& snapshot, Clock::time_point now) {
    if (!snapshot.counting && !copying_) {
        copying_ = true;
        copyingSince_ = now;
    }
    const double seconds =
        copying_ ? std::chrono::duration<double>(now - copyingSince_).count() : 0.0;
    // One column is kept free: a line that fills the terminal would wrap on some of them.
    const std::size_t width = TerminalWidth(fd_);
    Put("\r" + FormatProgress(snapshot, seconds, width > 1 ? width - 1 : width) + kEraseToEnd);
    visible_ = true;
    ++draws_;
    next_ = now + interval_;
}

void ProgressLine::Clear() {
    if (!visible_)
        return;
    Put(std::string("\r") + kEraseToEnd);
    visible_ = false;
}

#pragma once
// The live progress line farcast-run keeps on a terminal, as rsync's --info=progress2 does:
// files and bytes done of the counted totals, the server(s) being processed, the rate and the
// time left. It is drawn over itself ("\r", then the line, then erase to its end) at most a
// few times a second, and erased before anything else is written to the terminal.
//
// It is fed snapshots: a run in one process gives one; passes running side by side give one
// each, and their sum (operator+=) is what is shown.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct ProgressSnapshot {
    bool counting = false;  // the source is still being counted: only the count so far is known
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::vector<std::string> servers;  // the server(s) being processed

    ProgressSnapshot& operator+=(const ProgressSnapshot& other);
};

// "SERVER  12/20 files  1.2 MiB/3.4 MiB  35%  1.0 MiB/s  0:02 left", cut to width characters;
// the rate from the bytes done in the seconds since the copying began.
std::string FormatProgress(const ProgressSnapshot& snapshot, double secondsCopying,
                           std::size_t width);
// A number of bytes as "1.2 MiB" (binary units; below 1 KiB in bytes).
std::string FormatBytes(double bytes);
// Seconds as "M:SS", or "H:MM:SS" from an hour on.
std::string FormatDuration(double seconds);

class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    // Draws on fd (a terminal), at most once per interval.
    explicit ProgressLine(int fd, Clock::duration interval = std::chrono::milliseconds(200));
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // True when the line is due to be drawn again: cheap, to be asked at every pump.
    bool Due(Clock::time_point now) const { return now >= next_; }
    // Draws the snapshot (whether due or not) and sets the next time it is due.
    void Show(const ProgressSnapshot& snapshot, Clock::time_point now);
    // Erases the line when it is drawn; it is drawn again when next due.
    void Clear();
    bool Visible() const { return visible_; }
    int DrawCount() const { return draws_; }

  private:
    void Put(const std::string& text);

    int fd_;
    Clock::duration interval_;
    Clock::time_point next_{};
    Clock::time_point copyingSince_{};
    bool copying_ = false;
    bool visible_ = false;
    int draws_ = 0;
};

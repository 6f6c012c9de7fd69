#pragma once
// What a terminal adds to farcast-run: the progress line on standard error, kept clear of
// every other line written to either stream, and the questions asked there when standard
// input is a terminal. Made once the run is about to start, gone when it has ended.

#include <optional>

#include "tools/line_clearing_buffer.h"
#include "tools/progress_line.h"
#include "tools/run_progress.h"
#include "tools/run_window_system.h"
#include "tools/terminal_questions.h"

class TerminalSession {
  public:
    // showProgress: standard error is a terminal and the line is wanted (not with -q).
    TerminalSession(RunWindowSystem& ui, bool showProgress);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // A question waiting for its answer ends when a stop signal makes fd readable.
    void WatchStopSignals(int fd) { questions_.WatchStopSignals(fd); }
    // At every pump: the progress line, when it is due.
    void Pump();
    // Whether the progress line is shown at all.
    bool ShowsProgress() const { return progress_.has_value(); }
    // Where a pass run in a process of its own stands (see RunProgress::TakePass).
    ProgressSnapshot PassProgress(std::uint64_t processedBefore) {
        return feed_.TakePass(processedBefore);
    }
    // The line of a run whose passes run elsewhere: the sum they sent, when due.
    void ShowRun(const ProgressSnapshot& run);
    // Erases the progress line for the lines that follow the run.
    void EndProgress();

  private:
    RunWindowSystem& ui_;
    TerminalQuestions questions_;
    RunProgress feed_;
    std::optional<ProgressLine> progress_;
    std::optional<LineClearingStream> out_;
    std::optional<LineClearingStream> err_;
};

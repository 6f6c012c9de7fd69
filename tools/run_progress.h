#pragma once
// Where farcast-run's progress line gets its figures: the run of this process, read from the
// engine's totals and from what the engine writes into its counting and copy dialogs.

#include <cstdint>
#include <optional>
#include <string>

#include "scripted/scripted_window_system.h"
#include "tools/progress_line.h"

class RunProgress {
  public:
    explicit RunProgress(win::ScriptedWindowSystem& ui) : ui_(ui) {}

    // The run as it stands: while counting, the count so far; while copying, the files taken
    // up (each file the copy dialog shows, and the whole share of a server given up or
    // passed) and the bytes processed (less what of the file being copied has not arrived),
    // of the source's totals times the servers selected.
    ProgressSnapshot Take();
    // The share of one pass run in a process of its own: its server's files taken up and the
    // bytes processed since processedBefore, of one server's share of the source.
    ProgressSnapshot TakePass(std::uint64_t processedBefore);

  private:
    // What the copy dialog shows: its server, the files shown since it named it, and what of
    // the file being copied has not arrived yet.
    struct CopyView {
        std::string server;
        std::uint64_t filesShown = 0;
        std::uint64_t notArrived = 0;
    };
    std::optional<CopyView> ViewCopy() const;

    win::ScriptedWindowSystem& ui_;
    std::string server_;            // the server the copy dialog names
    std::uint64_t serverBase_ = 0;  // files the copy dialog had shown when it named it
};

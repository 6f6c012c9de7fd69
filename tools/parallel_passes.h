#pragma once
// farcast-run --parallel N: the selected servers' passes run up to N at a time, each in a
// process forked after the run's common start (selection, source check, options, log,
// counting), so that each keeps the engine's single thread and its process-wide state. Each
// pass does exactly what the serial turn does, and sends back what it printed and logged and
// its totals; the run prints and logs every pass's block whole, in server list order, and adds
// up the totals, so that the output and the log read as those of a serial run.
//
// A pass that dies is given up with the reason (an error message of the run); the journal's
// recovery puts right what it left when the network is next opened. A stop signal stops every
// pass as the copy dialog's Cancel does; the passes not yet started are not reached.
//
// In the children:
// - the metadata store: SQLite connections must not cross a fork, so the run closes its own
//   before forking and each pass opens one; the run opens its own again at the end;
// - the journal: each pass records its work under way in a file of its own;
// - the log file: the inherited handle is never written; a pass's records go to the run;
// - stop signals: each pass catches them itself (they are blocked across the fork, so none
//   is lost in between), and the run passes its own on to every pass;
// - a run killed without a chance to stop its passes (kill -9) stops them all the same: each
//   gets SIGTERM when the run is gone, and cancels;
// - the progress line is the run's alone: a pass sends where it stands, the run draws the sum;
// - each pass's process is named after its server (ps, /proc/PID/comm), at most 15 bytes.

#include <functional>

#include "netware/sim/sim_network.h"
#include "scripted/scripted_window_system.h"
#include "tools/progress_line.h"

struct ParallelPassesSetup {
    unsigned width = 1;  // passes at the same time
    sim::SimNetwork* network = nullptr;
    win::ScriptedWindowSystem* ui = nullptr;
    int stopFd = -1;                          // readable when a stop signal came to the run
    std::function<bool()> stopRequested;      // true when one came (asked after stopFd woke)
    std::function<void()> cancelLikeTheUser;  // a pass's answer to a stop signal
    // Only when the run shows a progress line: where a pass stands (in its process, from the
    // bytes processed when it began), and the whole run's line, given the sum of the passes
    // whenever the run wakes (it draws it when due).
    std::function<ProgressSnapshot(std::uint64_t processedBefore)> passProgress;
    std::function<void(const ProgressSnapshot&)> showProgress;
};

// Takes the run's server turns as described above; made to be given to SetServerTurns.
void RunParallelPasses(const ParallelPassesSetup& setup);

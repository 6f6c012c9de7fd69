#pragma once
// The copy run: one drop of files and directories onto the main window, from the selection
// check to the summary.

#include <cstdint>
#include <string>
#include <vector>

// Runs the whole copy for the dropped names (network paths, as the main window hands them
// over); returns when the run is over. All outcomes are reported by the run itself.
void RunCopy(const std::vector<std::string>& drop);

// True from the start of RunCopy until it returns. A drop that arrives meanwhile (the run is
// still winding down after a Cancel) is refused with a message and starts nothing.
bool RunInProgress();

// True when the latest RunCopy reached its summary; false when it ended before copying (or
// was refused).
bool LastRunReachedSummary();

std::uint32_t GetSelectedServers();
bool CollectSources();
// Adds one updated or created file of bytes bytes to the run's totals.
void AddToTotals(std::uint64_t bytes);
void ReleaseRunLists();

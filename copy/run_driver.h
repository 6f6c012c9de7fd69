#pragma once
// The copy run: one drop of files and directories onto the main window, from the selection
// check to the summary.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "copy/copy_run.h"

// Runs the whole copy for the dropped names (network paths, as the main window hands them
// over); returns when the run is over. All outcomes are reported by the run itself.
void RunCopy(const std::vector<std::string>& drop);
// The same for a drop of which the front end already left some names out: they head the
// run's SkippedNames.
void RunCopyLeavingOut(const std::vector<std::string>& drop,
                       const std::vector<SkippedName>& leftOut);

// True from the start of RunCopy until it returns. A drop that arrives meanwhile (the run is
// still winding down after a Cancel) is refused with a message and starts nothing.
bool RunInProgress();

// True when the latest RunCopy reached its summary; false when it ended before copying (or
// was refused).
bool LastRunReachedSummary();

// True when the latest run that reached its summary did not do all it was asked to: an error
// message was reported, a server was given up, stopped or not reached, or a name was left out.
// Warnings alone do not count. Every such condition is decided here, in one place.
bool LastRunWentWrong();

// One selected server's turn (index into the selection, from 0): its pass, its
// synchronisation and the release of the login the run made there, with its ServerResult
// filled in. False when the run stops on it.
bool RunServerTurn(std::uint32_t index);
// Who takes the selected servers' turns. Unset (the default), the run takes them one after
// another with RunServerTurn, stopping at the first that stops the run; a program may run
// them otherwise (farcast-run's passes at the same time), as long as it leaves ServerResults,
// the run totals and ErrorMessages as the turns would.
void SetServerTurns(std::function<void()> turns);

std::uint32_t GetSelectedServers();
bool CollectSources();
// Adds one updated or created file of bytes bytes to the run's totals.
void AddToTotals(std::uint64_t bytes);
void ReleaseRunLists();

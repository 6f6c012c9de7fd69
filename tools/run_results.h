#pragma once
// What farcast-run tells a script after the run: one [server] line per selected server, one
// [skipped] line per name left out, and the exit status.

#include <ostream>

// Exit statuses of farcast-run.
constexpr int kExitDone = 0;        // reached the summary and nothing went wrong
constexpr int kExitEndedEarly = 1;  // ended before copying
constexpr int kExitUsage = 2;       // usage error, unusable network or settings store
constexpr int kExitWentWrong = 3;   // reached the summary, but something went wrong
constexpr int kExitSignal = 4;      // a signal stopped it

// "[server] NAME | status=... | files=N bytes=N errors=N deleted_files=N deleted_dirs=N" for
// each server of the latest run that got to its copying, in list order.
void PrintServerLines(std::ostream& out);
// "[skipped] PATH | reason" for each name the latest run left out.
void PrintSkippedLines(std::ostream& out);

// The exit status of the latest run; stoppedBySignal when a signal cancelled it.
int RunExitStatus(bool stoppedBySignal);

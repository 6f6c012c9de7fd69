#pragma once
// The run's log file: opening, records, timestamps and the run summary.

#include <string>

#include "platform/file_services.h"

// Opens (creating when missing) the log file for exclusive appending; on failure shows
// "ERROR - Unable to open log file %s." and returns INVALID_HANDLE_VALUE.
win::HANDLE OpenLogFile(const std::string& path);
// Closes CopyRun.LogFile if it is open.
void CloseLogFile();
bool LogFileOpen();

// The current local date in the user's long format and the time in 24 hours, "%s %s".
std::string FormatTimestamp();

// A general record "\r\n<timestamp>\r\n<text>\r\n", written only while the log is open.
void WriteLogRecord(const std::string& text);
// A verbose record from a format with a timestamp and a path (strings 428, 442, 443).
void WriteVerboseRecord(unsigned formatString, const std::string& path);

// Records written by a part of the run that works in another process, appended whole, while
// the log is open; a write that fails is said as any record's.
void AppendLogRecords(const std::string& records);

// True when a record of the current run's log could not be written (said once, in a box that
// shows also in unattended mode); cleared when a log is opened.
bool LogWriteFailed();

// Logs and shows the run's totals (shown also in unattended mode).
void ShowRunSummary();

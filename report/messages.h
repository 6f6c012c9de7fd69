#pragma once
// The one facility through which a copy run reports and asks: logged while the run's log file
// is open, shown unless the program runs unattended (then answered with OK).

#include "platform/window_system.h"

// Logs the text (when CreateLogfile is on and the log is open) and shows it in a box unless
// show is false or UnattendedMode is on. Returns the box's answer, else IDOK.
int LogAndShow(win::WindowId owner, const char* text, const char* caption, unsigned style,
               bool show);

// Formats into the shared message buffer; logs and shows with the stop icon and OK.
int ErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats, appends "\r\n\r\nContinue copying files?" unless unattended, logs and shows with
// Yes and No; No sets CancelRequested, and no answer clears a cancel already pending. Returns
// the answer.
int ErrorAskContinue(const char* format, ...) __attribute__((format(printf, 1, 2)));

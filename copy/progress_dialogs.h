#pragma once
// The progress dialogs of a run as the engine drives them.

#include <string>

#include "platform/window_system.h"
#include "util/byte_count.h"

// Sets the server bar (205) and the overall bar (224) of the copy dialog from the run totals.
void UpdateProgressBars();

// The user cancelled a progress or synchronisation dialog (already destroyed by the window
// system): sets CancelRequested and forgets the dialog.
void ProgressDialogCancelled(win::WindowId dialog);

// Field and bar updates that do nothing once the dialog is gone.
void SetDialogField(win::WindowId dialog, int control, const std::string& text);
void SetDialogCount(win::WindowId dialog, int control, const ByteCount& count);  // "1,234"
void SetDialogBar(win::WindowId dialog, int control, int percent);

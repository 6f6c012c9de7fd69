// The progress dialogs as the engine drives them: the server and overall bars, the user's
// Cancel, and field writes that have no target once a dialog is gone.
#include "copy/progress_dialogs.h"

#include "copy/copy_run.h"

namespace {

constexpr int kServerBar = 205;
constexpr int kOverallBar = 224;

// done / total as a percentage with exact 64-bit products; 100 once done reaches total.
int Percent(const ByteCount& done, const ByteCount& total) {
    if (!(done < total))
        return 100;
    const ByteCount quotient = (done * 100u) / total;
    // Only a total near 2^64 could leave the range; a bar never shows more than 100.
    if (quotient.IsError() || quotient.high != 0 || quotient.low > 100)
        return 100;
    return static_cast<int>(quotient.low);
}

bool DialogPresent(win::WindowId dialog) {
    return dialog != win::kNoWindow && win::Ui().IsWindow(dialog);
}

}  // namespace

void UpdateProgressBars() {
    const ByteCount runTotal = CopyRun.SourceBytes * CopyRun.SelectedServerCount;
    SetDialogBar(ProgressDialog, kServerBar,
                 Percent(CopyRun.ServerBytesProcessed, CopyRun.SourceBytes));
    SetDialogBar(ProgressDialog, kOverallBar, Percent(CopyRun.RunBytesProcessed, runTotal));
}

void ProgressDialogCancelled(win::WindowId dialog) {
    CancelRequested = true;
    if (dialog == ProgressDialog)
        ProgressDialog = win::kNoWindow;
    if (dialog == SyncDialog)
        SyncDialog = win::kNoWindow;
}

void SetDialogField(win::WindowId dialog, int control, const std::string& text) {
    if (DialogPresent(dialog))
        win::Ui().SetDlgItemText(dialog, control, text);
}

void SetDialogCount(win::WindowId dialog, int control, const ByteCount& count) {
    if (DialogPresent(dialog))
        win::Ui().SetDlgItemText(dialog, control, FormatCount(count));
}

void SetDialogBar(win::WindowId dialog, int control, int percent) {
    if (DialogPresent(dialog))
        win::Ui().SetProgressPos(dialog, control, percent);
}

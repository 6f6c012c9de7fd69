#pragma once
// The synchronisation dialog (SYNCDIRDLG): modeless, placed a quarter of the screen height
// above the centre; its owner (the copy dialog) is disabled while it is open.

#include "app/progress_dialog.h"

class SyncDialogView : public RunDialog {
    Q_OBJECT
  public:
    SyncDialogView();

    // Title "Synchronizing Directories On <name>...".
    void SetServerName(const std::string& serverName) override;
    int VerticalOffset(int screenHeight) const override { return -(screenHeight / 4); }
};

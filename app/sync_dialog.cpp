#include "app/sync_dialog.h"

#include "app/resource_text.h"
#include "resources/string_ids.h"

SyncDialogView::SyncDialogView() : RunDialog(ResText(IDS_SYNC_CAPTION), 300, 51) {
    AddGroupBox(ResText(IDS_SYNC_CHECKING_FILE), 4, 4, 292, 20);
    AddStatic(216, QString(), 8, 12, 284, 8);
    AddGroupBox(ResText(IDS_SYNC_FILES_DELETED), 4, 28, 64, 20);
    AddStatic(226, QString(), 8, 36, 56, 8, Qt::AlignRight);
    AddGroupBox(ResText(IDS_SYNC_DIRS_DELETED), 76, 28, 60, 20);
    AddStatic(221, QString(), 80, 36, 52, 8, Qt::AlignRight);
    AddGroupBox(ResText(IDS_SYNC_BYTES_DELETED), 144, 28, 84, 20);
    AddStatic(223, QString(), 148, 36, 76, 8, Qt::AlignRight);
    AddCancel(ResText(IDS_SYNC_CANCEL), 246, 34, 50, 14);
}

void SyncDialogView::SetServerName(const std::string& serverName) {
    setWindowTitle(ResText(IDS_SYNC_CAPTION_SERVER) + FromEngine(serverName) +
                   ResText(IDS_ELLIPSIS));
}

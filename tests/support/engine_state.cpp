#include "tests/support/engine_state.h"

#include "copy/copy_run.h"
#include "netware/attach_login.h"
#include "netware/login_dialog.h"
#include "netware/target_server.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"

void ResetEngineState() {
    CopyOptions = CopyOptionsRecord{};
    AlreadyRun = 0;
    TargetPathHistory.clear();
    CopyRun = CopyRunState{};
    CancelRequested = false;
    ProgressDialog = win::kNoWindow;
    SyncDialog = win::kNoWindow;
    TargetServer = TargetServerRecord{};
    PrimaryConnection = 0;
    PrimaryLoginName.clear();
    LoginName.clear();
    LoginPassword.clear();
    LoginDialogForServer = false;
    AttachSkippedAsBindery = false;
    LastNetWareError = 0;
}

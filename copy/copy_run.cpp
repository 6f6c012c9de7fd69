#include "copy/copy_run.h"

CopyRunState CopyRun;
bool CancelRequested = false;
win::WindowId ProgressDialog = win::kNoWindow;
win::WindowId SyncDialog = win::kNoWindow;

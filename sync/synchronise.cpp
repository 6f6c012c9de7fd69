#include "sync/synchronise.h"

#include "copy/copy_run.h"

bool SynchroniseServer(const std::string&) { return !CancelRequested; }

#include "netware/target_server.h"

TargetServerRecord TargetServer;
NWCONN_HANDLE PrimaryConnection = 0;
std::string PrimaryLoginName;

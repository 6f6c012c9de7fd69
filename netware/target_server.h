#pragma once
// The selected server a copy run is working on, and the workstation's primary connection.

#include <string>

#include "netware/netware_client.h"

struct TargetServerRecord {
    std::string name;  // the list entry's text, at most 48 characters
    NWCONN_HANDLE connection = 0;
    bool isDirectoryServicesServer = false;
    bool wasLoggedIn = false;
    bool statusRead = false;  // AttachAndLogin read the connection's status in this pass
};

extern TargetServerRecord TargetServer;

// Set once at start-up (StartNetWareClient).
extern NWCONN_HANDLE PrimaryConnection;
extern std::string PrimaryLoginName;

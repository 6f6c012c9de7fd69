#pragma once
// What the folder browser shows of the network: the file servers of the primary server's
// bindery, the volumes of a server the workstation is logged in to, and the directories of a
// volume. Everything is read through the NetWare client and the file services, as the copy
// run reads it, never from the disk behind them.

#include <string>
#include <vector>

// One level of the browser. When it cannot be listed, available is false and reason says why
// in a sentence for the user; names then holds nothing.
struct PlaceListing {
    bool available = true;
    std::string reason;
    std::vector<std::string> names;
};

// The file servers of the primary connection's bindery, in the server list's order (sorted
// ignoring case). Unavailable when the bindery cannot be scanned.
PlaceListing ListNetworkServers();

// The server's volumes in the order of their numbers. Unavailable when the workstation has no
// connection to the server that is logged in (a server only attached refuses its file
// services), or when the volumes cannot be read.
PlaceListing ListServerVolumes(const std::string& server);

// The subdirectories of a volume or directory (\\SERVER\VOLUME or \\SERVER\VOLUME\path),
// sorted ignoring case. Unavailable when it cannot be listed.
PlaceListing ListSubdirectories(const std::string& directory);

// \\SERVER, \\SERVER\VOLUME and \\SERVER\VOLUME\path: the path of a place below another.
std::string ServerPath(const std::string& server);
std::string PlaceBelow(const std::string& parent, const std::string& name);

#pragma once
// Checks made before writing to a server: volume, path, long names, compression, room.

#include <string>

#include "netware/netware_client.h"

bool CheckDestinationVolume(NWCONN_HANDLE conn, const std::string& serverName,
                            const std::string& targetPath, std::string* volumeName);
bool CheckDestinationPath(NWCONN_HANDLE conn, NWDIR_HANDLE* dirHandle,
                          const std::string& serverName, const std::string& targetPath,
                          std::string* relativePath);
// rootPath is "\\SERVER\VOLUME\".
bool SupportsLongNames(const std::string& rootPath);
bool VolumeSupportsCompression(NWCONN_HANDLE conn, const std::string& serverName,
                               const std::string& volumeName);
// destinationDir in UNC form; free space in 64 bits from the volume's full free-block count.
// *noRoom (when given) tells a volume too full for the file from a query that failed.
bool HasRoomForFile(NWCONN_HANDLE conn, const std::string& destinationDir, const EntryInfo& source,
                    bool* noRoom = nullptr);

#pragma once
// A NetWare client that hands every call on to another one unchanged: the base of layers that
// change only a few calls.

#include "netware/netware_client.h"

namespace dryrun {

class ForwardingClient : public NetWareClient {
  public:
    explicit ForwardingClient(NetWareClient& inner) : inner_(inner) {}

    NWCCODE NWCallsInit(void* in, void* out) override { return inner_.NWCallsInit(in, out); }
    NWCCODE NWGetPrimaryConnectionID(NWCONN_HANDLE* conn) override {
        return inner_.NWGetPrimaryConnectionID(conn);
    }
    NWCCODE NWGetConnectionNumber(NWCONN_HANDLE conn, std::uint16_t* connNumber) override {
        return inner_.NWGetConnectionNumber(conn, connNumber);
    }
    NWCCODE NWGetConnectionInformation(NWCONN_HANDLE conn, std::uint16_t connNumber,
                                       char* objectName, std::uint16_t* objectType,
                                       std::uint32_t* objectID, std::uint8_t* loginTime) override {
        return inner_.NWGetConnectionInformation(conn, connNumber, objectName, objectType, objectID,
                                                 loginTime);
    }
    NWCCODE NWGetConnectionStatus(NWCONN_HANDLE conn, NWCCConnStatus* status,
                                  std::uint32_t statusLength) override {
        return inner_.NWGetConnectionStatus(conn, status, statusLength);
    }
    NWCCODE NWScanObject(NWCONN_HANDLE conn, const char* searchName, std::uint16_t searchType,
                         std::uint32_t* objectID, char* objectName, std::uint16_t* objectType,
                         std::uint8_t* hasProperties, std::uint8_t* objectFlags,
                         std::uint8_t* objectSecurity) override {
        return inner_.NWScanObject(conn, searchName, searchType, objectID, objectName, objectType,
                                   hasProperties, objectFlags, objectSecurity);
    }
    NWCCODE NWGetConnectionHandle(const char* serverName, std::uint16_t reserved,
                                  NWCONN_HANDLE* conn, std::uint16_t* connScope) override {
        return inner_.NWGetConnectionHandle(serverName, reserved, conn, connScope);
    }
    NWCCODE NWAttachToFileServer(const char* serverName, std::uint16_t scopeFlag,
                                 NWCONN_HANDLE* conn) override {
        return inner_.NWAttachToFileServer(serverName, scopeFlag, conn);
    }
    NWCCODE NWGetFileServerName(NWCONN_HANDLE conn, char* serverName) override {
        return inner_.NWGetFileServerName(conn, serverName);
    }
    NWCCODE NWLoginToFileServer(NWCONN_HANDLE conn, const char* objectName,
                                std::uint16_t objectType, const char* password) override {
        return inner_.NWLoginToFileServer(conn, objectName, objectType, password);
    }
    NWCCODE NWLogoutFromFileServer(NWCONN_HANDLE conn) override {
        return inner_.NWLogoutFromFileServer(conn);
    }
    NWCCODE NWDetachFromFileServer(NWCONN_HANDLE conn) override {
        return inner_.NWDetachFromFileServer(conn);
    }
    bool NWIsDSServer(NWCONN_HANDLE conn, char* treeName) override {
        return inner_.NWIsDSServer(conn, treeName);
    }
    bool NWIsDSAuthenticated() override { return inner_.NWIsDSAuthenticated(); }
    NWCCODE NWDSAuthenticate(NWCONN_HANDLE conn, std::uint32_t options, void* sessionKey) override {
        return inner_.NWDSAuthenticate(conn, options, sessionKey);
    }
    NWCCODE NWDSLockConnection(NWCONN_HANDLE conn) override {
        return inner_.NWDSLockConnection(conn);
    }
    NWCCODE NWDSUnlockConnection(NWCONN_HANDLE conn) override {
        return inner_.NWDSUnlockConnection(conn);
    }
    NWCCODE NWFreeConnectionSlot(NWCONN_HANDLE conn, std::uint8_t disconnectType) override {
        return inner_.NWFreeConnectionSlot(conn, disconnectType);
    }
    NWDSContextHandle NWDSCreateContext() override { return inner_.NWDSCreateContext(); }
    NWCCODE NWDSFreeContext(NWDSContextHandle context) override {
        return inner_.NWDSFreeContext(context);
    }
    NWCCODE NWDSMapIDToName(NWDSContextHandle context, NWCONN_HANDLE conn, std::uint32_t objectID,
                            char* objectName) override {
        return inner_.NWDSMapIDToName(context, conn, objectID, objectName);
    }
    NWCCODE NWDSMapNameToID(NWDSContextHandle context, NWCONN_HANDLE conn, const char* objectName,
                            std::uint32_t* objectID) override {
        return inner_.NWDSMapNameToID(context, conn, objectName, objectID);
    }
    NWCCODE NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint32_t* sequence, std::uint16_t* numberOfEntries,
                                 NWET_INFO* info, std::uint16_t augmentFlag) override {
        return inner_.NWIntScanForTrustees(conn, dirHandle, path, sequence, numberOfEntries, info,
                                           augmentFlag);
    }
    NWCCODE NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                         std::uint32_t objectID, std::uint16_t rightsMask) override {
        return inner_.NWAddTrustee(conn, dirHandle, path, objectID, rightsMask);
    }
    LCONV* NWLlocaleconv(LCONV* lconv) override { return inner_.NWLlocaleconv(lconv); }
    NWCCODE NWInitUnicodeTables(int countryCode, int codePage) override {
        return inner_.NWInitUnicodeTables(countryCode, codePage);
    }
    NWCCODE NWFreeUnicodeTables() override { return inner_.NWFreeUnicodeTables(); }
    NWCCODE NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn, char* volumeName,
                        char* dirPath) override {
        return inner_.NWParsePath(path, serverName, conn, volumeName, dirPath);
    }
    NWCCODE NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn, NWDIR_HANDLE* dirHandle,
                               char* newPath) override {
        return inner_.NWParseNetWarePath(path, conn, dirHandle, newPath);
    }
    NWCCODE NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                              std::uint16_t* volumeNumber) override {
        return inner_.NWGetVolumeNumber(conn, volumeName, volumeNumber);
    }
    NWCCODE NWGetVolumeInfoWithNumber(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                      char* volumeName, std::uint32_t* totalBlocks,
                                      std::uint16_t* sectorsPerBlock,
                                      std::uint32_t* availableBlocks,
                                      std::uint32_t* totalDirEntries,
                                      std::uint32_t* availableDirEntries,
                                      std::uint16_t* volumeIsRemovable) override {
        return inner_.NWGetVolumeInfoWithNumber(conn, volumeNumber, volumeName, totalBlocks,
                                                sectorsPerBlock, availableBlocks, totalDirEntries,
                                                availableDirEntries, volumeIsRemovable);
    }
    NWCCODE NWGetFileServerInformation(NWCONN_HANDLE conn, char* serverName,
                                       std::uint8_t* majorVersion, std::uint8_t* minorVersion,
                                       std::uint8_t* revision) override {
        return inner_.NWGetFileServerInformation(conn, serverName, majorVersion, minorVersion,
                                                 revision);
    }
    NWCCODE NWGetExtendedVolumeInfo(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                    NWVolExtendedInfo* info) override {
        return inner_.NWGetExtendedVolumeInfo(conn, volumeNumber, info);
    }
    NWCCODE NWAllocTemporaryDirectoryHandle(NWCONN_HANDLE conn, NWDIR_HANDLE base, const char* path,
                                            NWDIR_HANDLE* newHandle,
                                            std::uint8_t* rightsMask) override {
        return inner_.NWAllocTemporaryDirectoryHandle(conn, base, path, newHandle, rightsMask);
    }
    NWCCODE NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint8_t* nameSpace) override {
        return inner_.NWGetOwningNameSpace(conn, dirHandle, path, nameSpace);
    }
    NWCCODE NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                             std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                             std::uint16_t searchAttributes, std::uint32_t returnInfoMask,
                             EntryInfo* info) override {
        return inner_.NWGetNSEntryInfo(conn, dirHandle, path, srcNameSpace, dstNameSpace,
                                       searchAttributes, returnInfoMask, info);
    }
    NWCCODE NWIntScanDirectoryInformation2(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                           const char* searchPath, std::uint32_t* sequence,
                                           char* dirName, std::uint32_t* dirDateTime,
                                           std::uint32_t* ownerID, std::uint8_t* rightsMask,
                                           std::uint16_t augmentFlag) override {
        return inner_.NWIntScanDirectoryInformation2(conn, dirHandle, searchPath, sequence, dirName,
                                                     dirDateTime, ownerID, rightsMask, augmentFlag);
    }
    NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                              std::uint8_t accessMask) override {
        return inner_.NWCreateDirectory(conn, dirHandle, path, accessMask);
    }
    NWCCODE NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                std::uint8_t nameSpace, std::uint16_t searchAttributes,
                                std::uint32_t modifyDOSMask,
                                const NWEntryDOSInfo* dosInfo) override {
        return inner_.NWSetNSEntryDOSInfo(conn, dirHandle, path, nameSpace, searchAttributes,
                                          modifyDOSMask, dosInfo);
    }
    NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t nameSpace,
                          std::uint8_t dataStream, const char* path, NW_NS_OPENCREATE* request,
                          win::HANDLE* fileHandle) override {
        return inner_.NWOpenNSEntry(conn, dirHandle, nameSpace, dataStream, path, request,
                                    fileHandle);
    }
    NWCCODE NWSetCompressedFileSize(NWCONN_HANDLE conn, win::HANDLE fileHandle,
                                    std::uint64_t requestedSize,
                                    std::uint64_t* resultSize) override {
        return inner_.NWSetCompressedFileSize(conn, fileHandle, requestedSize, resultSize);
    }
    NWCCODE NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                          std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                          char* longName) override {
        return inner_.NWGetLongName(conn, dirHandle, path, srcNameSpace, dstNameSpace, longName);
    }
    NWCCODE NWUnpackDateTime(std::uint32_t dateTime, NW_DATE* date, NW_TIME* time) override {
        return inner_.NWUnpackDateTime(dateTime, date, time);
    }
    NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const char* path) override {
        return inner_.NWDeleteDirectory(conn, dirHandle, path);
    }
    bool LocalPathToNetWarePath(const std::string& localPath, std::string* netPath) override {
        return inner_.LocalPathToNetWarePath(localPath, netPath);
    }

  protected:
    NetWareClient& inner_;
};

}  // namespace dryrun

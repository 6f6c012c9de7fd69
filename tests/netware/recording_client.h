#pragma once
// A NetWare client that forwards every call to another (the simulated network) and records
// which calls were made, in order. A test can also make the Nth call of an operation fail
// with a given code, for failures that depend on how far a loop got.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "netware/netware_client.h"

class RecordingClient : public NetWareClient {
  public:
    explicit RecordingClient(NetWareClient& inner) : inner_(&inner) {}

    // Every call made, in order.
    std::vector<std::string> calls;
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls)
            n += c == call;
        return n;
    }
    // The Nth call (1-based) of an operation returns code instead of reaching the network.
    void FailCall(const std::string& call, int nth, NWCCODE code) { failures_[call] = {nth, code}; }
    void ClearFailures() { failures_.clear(); }

    NWCCODE NWCallsInit(void* in, void* out) override {
        if (auto c = Note("NWCallsInit"))
            return LastNetWareError = *c;
        return inner_->NWCallsInit(in, out);
    }
    NWCCODE NWGetPrimaryConnectionID(NWCONN_HANDLE* conn) override {
        if (auto c = Note("NWGetPrimaryConnectionID"))
            return LastNetWareError = *c;
        return inner_->NWGetPrimaryConnectionID(conn);
    }
    NWCCODE NWGetConnectionNumber(NWCONN_HANDLE conn, std::uint16_t* connNumber) override {
        if (auto c = Note("NWGetConnectionNumber"))
            return LastNetWareError = *c;
        return inner_->NWGetConnectionNumber(conn, connNumber);
    }
    NWCCODE NWGetConnectionInformation(NWCONN_HANDLE conn, std::uint16_t connNumber,
                                       char* objectName, std::uint16_t* objectType,
                                       std::uint32_t* objectID, std::uint8_t* loginTime) override {
        if (auto c = Note("NWGetConnectionInformation"))
            return LastNetWareError = *c;
        return inner_->NWGetConnectionInformation(conn, connNumber, objectName, objectType,
                                                  objectID, loginTime);
    }
    NWCCODE NWGetConnectionStatus(NWCONN_HANDLE conn, NWCCConnStatus* status,
                                  std::uint32_t statusLength) override {
        if (auto c = Note("NWGetConnectionStatus"))
            return LastNetWareError = *c;
        return inner_->NWGetConnectionStatus(conn, status, statusLength);
    }
    NWCCODE NWScanObject(NWCONN_HANDLE conn, const char* searchName, std::uint16_t searchType,
                         std::uint32_t* objectID, char* objectName, std::uint16_t* objectType,
                         std::uint8_t* hasProperties, std::uint8_t* objectFlags,
                         std::uint8_t* objectSecurity) override {
        if (auto c = Note("NWScanObject"))
            return LastNetWareError = *c;
        return inner_->NWScanObject(conn, searchName, searchType, objectID, objectName, objectType,
                                    hasProperties, objectFlags, objectSecurity);
    }
    NWCCODE NWGetConnectionHandle(const char* serverName, std::uint16_t reserved,
                                  NWCONN_HANDLE* conn, std::uint16_t* connScope) override {
        if (auto c = Note("NWGetConnectionHandle"))
            return LastNetWareError = *c;
        return inner_->NWGetConnectionHandle(serverName, reserved, conn, connScope);
    }
    NWCCODE NWAttachToFileServer(const char* serverName, std::uint16_t scopeFlag,
                                 NWCONN_HANDLE* conn) override {
        if (auto c = Note("NWAttachToFileServer"))
            return LastNetWareError = *c;
        return inner_->NWAttachToFileServer(serverName, scopeFlag, conn);
    }
    NWCCODE NWGetFileServerName(NWCONN_HANDLE conn, char* serverName) override {
        if (auto c = Note("NWGetFileServerName"))
            return LastNetWareError = *c;
        return inner_->NWGetFileServerName(conn, serverName);
    }
    NWCCODE NWLoginToFileServer(NWCONN_HANDLE conn, const char* objectName,
                                std::uint16_t objectType, const char* password) override {
        if (auto c = Note("NWLoginToFileServer"))
            return LastNetWareError = *c;
        return inner_->NWLoginToFileServer(conn, objectName, objectType, password);
    }
    NWCCODE NWLogoutFromFileServer(NWCONN_HANDLE conn) override {
        if (auto c = Note("NWLogoutFromFileServer"))
            return LastNetWareError = *c;
        return inner_->NWLogoutFromFileServer(conn);
    }
    NWCCODE NWDetachFromFileServer(NWCONN_HANDLE conn) override {
        if (auto c = Note("NWDetachFromFileServer"))
            return LastNetWareError = *c;
        return inner_->NWDetachFromFileServer(conn);
    }
    bool NWIsDSServer(NWCONN_HANDLE conn, char* treeName) override {
        Note("NWIsDSServer");
        return inner_->NWIsDSServer(conn, treeName);
    }
    bool NWIsDSAuthenticated() override {
        Note("NWIsDSAuthenticated");
        return inner_->NWIsDSAuthenticated();
    }
    NWCCODE NWDSAuthenticate(NWCONN_HANDLE conn, std::uint32_t options, void* sessionKey) override {
        if (auto c = Note("NWDSAuthenticate"))
            return LastNetWareError = *c;
        return inner_->NWDSAuthenticate(conn, options, sessionKey);
    }
    NWCCODE NWDSLockConnection(NWCONN_HANDLE conn) override {
        if (auto c = Note("NWDSLockConnection"))
            return LastNetWareError = *c;
        return inner_->NWDSLockConnection(conn);
    }
    NWCCODE NWDSUnlockConnection(NWCONN_HANDLE conn) override {
        if (auto c = Note("NWDSUnlockConnection"))
            return LastNetWareError = *c;
        return inner_->NWDSUnlockConnection(conn);
    }
    NWCCODE NWFreeConnectionSlot(NWCONN_HANDLE conn, std::uint8_t disconnectType) override {
        if (auto c = Note("NWFreeConnectionSlot"))
            return LastNetWareError = *c;
        return inner_->NWFreeConnectionSlot(conn, disconnectType);
    }
    // A failure made with FailCall gives the context-creation error.
    NWDSContextHandle NWDSCreateContext() override {
        if (Note("NWDSCreateContext"))
            return nw::ERR_CONTEXT_CREATION;
        return inner_->NWDSCreateContext();
    }
    NWCCODE NWDSFreeContext(NWDSContextHandle context) override {
        if (auto c = Note("NWDSFreeContext"))
            return LastNetWareError = *c;
        return inner_->NWDSFreeContext(context);
    }
    NWCCODE NWDSMapIDToName(NWDSContextHandle context, NWCONN_HANDLE conn, std::uint32_t objectID,
                            char* objectName) override {
        if (auto c = Note("NWDSMapIDToName"))
            return LastNetWareError = *c;
        return inner_->NWDSMapIDToName(context, conn, objectID, objectName);
    }
    NWCCODE NWDSMapNameToID(NWDSContextHandle context, NWCONN_HANDLE conn, const char* objectName,
                            std::uint32_t* objectID) override {
        if (auto c = Note("NWDSMapNameToID"))
            return LastNetWareError = *c;
        return inner_->NWDSMapNameToID(context, conn, objectName, objectID);
    }
    NWCCODE NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint32_t* sequence, std::uint16_t* numberOfEntries,
                                 NWET_INFO* info, std::uint16_t augmentFlag) override {
        if (auto c = Note("NWIntScanForTrustees"))
            return LastNetWareError = *c;
        return inner_->NWIntScanForTrustees(conn, dirHandle, path, sequence, numberOfEntries, info,
                                            augmentFlag);
    }
    NWCCODE NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                         std::uint32_t objectID, std::uint16_t rightsMask) override {
        if (auto c = Note("NWAddTrustee"))
            return LastNetWareError = *c;
        return inner_->NWAddTrustee(conn, dirHandle, path, objectID, rightsMask);
    }
    LCONV* NWLlocaleconv(LCONV* lconv) override {
        Note("NWLlocaleconv");
        return inner_->NWLlocaleconv(lconv);
    }
    NWCCODE NWInitUnicodeTables(int countryCode, int codePage) override {
        if (auto c = Note("NWInitUnicodeTables"))
            return LastNetWareError = *c;
        return inner_->NWInitUnicodeTables(countryCode, codePage);
    }
    NWCCODE NWFreeUnicodeTables() override {
        if (auto c = Note("NWFreeUnicodeTables"))
            return LastNetWareError = *c;
        return inner_->NWFreeUnicodeTables();
    }
    NWCCODE NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn, char* volumeName,
                        char* dirPath) override {
        if (auto c = Note("NWParsePath"))
            return LastNetWareError = *c;
        return inner_->NWParsePath(path, serverName, conn, volumeName, dirPath);
    }
    NWCCODE NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn, NWDIR_HANDLE* dirHandle,
                               char* newPath) override {
        if (auto c = Note("NWParseNetWarePath"))
            return LastNetWareError = *c;
        return inner_->NWParseNetWarePath(path, conn, dirHandle, newPath);
    }
    NWCCODE NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                              std::uint16_t* volumeNumber) override {
        if (auto c = Note("NWGetVolumeNumber"))
            return LastNetWareError = *c;
        return inner_->NWGetVolumeNumber(conn, volumeName, volumeNumber);
    }
    NWCCODE NWGetVolumeInfoWithNumber(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                      char* volumeName, std::uint32_t* totalBlocks,
                                      std::uint16_t* sectorsPerBlock,
                                      std::uint32_t* availableBlocks,
                                      std::uint32_t* totalDirEntries,
                                      std::uint32_t* availableDirEntries,
                                      std::uint16_t* volumeIsRemovable) override {
        if (auto c = Note("NWGetVolumeInfoWithNumber"))
            return LastNetWareError = *c;
        return inner_->NWGetVolumeInfoWithNumber(conn, volumeNumber, volumeName, totalBlocks,
                                                 sectorsPerBlock, availableBlocks, totalDirEntries,
                                                 availableDirEntries, volumeIsRemovable);
    }
    NWCCODE NWGetFileServerInformation(NWCONN_HANDLE conn, char* serverName,
                                       std::uint8_t* majorVersion, std::uint8_t* minorVersion,
                                       std::uint8_t* revision) override {
        if (auto c = Note("NWGetFileServerInformation"))
            return LastNetWareError = *c;
        return inner_->NWGetFileServerInformation(conn, serverName, majorVersion, minorVersion,
                                                  revision);
    }
    NWCCODE NWGetExtendedVolumeInfo(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                    NWVolExtendedInfo* info) override {
        if (auto c = Note("NWGetExtendedVolumeInfo"))
            return LastNetWareError = *c;
        return inner_->NWGetExtendedVolumeInfo(conn, volumeNumber, info);
    }
    NWCCODE NWAllocTemporaryDirectoryHandle(NWCONN_HANDLE conn, NWDIR_HANDLE base, const char* path,
                                            NWDIR_HANDLE* newHandle,
                                            std::uint8_t* rightsMask) override {
        if (auto c = Note("NWAllocTemporaryDirectoryHandle"))
            return LastNetWareError = *c;
        return inner_->NWAllocTemporaryDirectoryHandle(conn, base, path, newHandle, rightsMask);
    }
    NWCCODE NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint8_t* nameSpace) override {
        if (auto c = Note("NWGetOwningNameSpace"))
            return LastNetWareError = *c;
        return inner_->NWGetOwningNameSpace(conn, dirHandle, path, nameSpace);
    }
    NWCCODE NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                             std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                             std::uint16_t searchAttributes, std::uint32_t returnInfoMask,
                             EntryInfo* info) override {
        if (auto c = Note("NWGetNSEntryInfo"))
            return LastNetWareError = *c;
        return inner_->NWGetNSEntryInfo(conn, dirHandle, path, srcNameSpace, dstNameSpace,
                                        searchAttributes, returnInfoMask, info);
    }
    NWCCODE NWIntScanDirectoryInformation2(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                           const char* searchPath, std::uint32_t* sequence,
                                           char* dirName, std::uint32_t* dirDateTime,
                                           std::uint32_t* ownerID, std::uint8_t* rightsMask,
                                           std::uint16_t augmentFlag) override {
        if (auto c = Note("NWIntScanDirectoryInformation2"))
            return LastNetWareError = *c;
        return inner_->NWIntScanDirectoryInformation2(conn, dirHandle, searchPath, sequence,
                                                      dirName, dirDateTime, ownerID, rightsMask,
                                                      augmentFlag);
    }
    NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                              std::uint8_t accessMask) override {
        if (auto c = Note("NWCreateDirectory"))
            return LastNetWareError = *c;
        return inner_->NWCreateDirectory(conn, dirHandle, path, accessMask);
    }
    NWCCODE NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                std::uint8_t nameSpace, std::uint16_t searchAttributes,
                                std::uint32_t modifyDOSMask,
                                const NWEntryDOSInfo* dosInfo) override {
        if (auto c = Note("NWSetNSEntryDOSInfo"))
            return LastNetWareError = *c;
        return inner_->NWSetNSEntryDOSInfo(conn, dirHandle, path, nameSpace, searchAttributes,
                                           modifyDOSMask, dosInfo);
    }
    NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t nameSpace,
                          std::uint8_t dataStream, const char* path, NW_NS_OPENCREATE* request,
                          win::HANDLE* fileHandle) override {
        if (auto c = Note("NWOpenNSEntry"))
            return LastNetWareError = *c;
        return inner_->NWOpenNSEntry(conn, dirHandle, nameSpace, dataStream, path, request,
                                     fileHandle);
    }
    NWCCODE NWSetCompressedFileSize(NWCONN_HANDLE conn, win::HANDLE fileHandle,
                                    std::uint64_t requestedSize,
                                    std::uint64_t* resultSize) override {
        if (auto c = Note("NWSetCompressedFileSize"))
            return LastNetWareError = *c;
        return inner_->NWSetCompressedFileSize(conn, fileHandle, requestedSize, resultSize);
    }
    NWCCODE NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                          std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                          char* longName) override {
        if (auto c = Note("NWGetLongName"))
            return LastNetWareError = *c;
        return inner_->NWGetLongName(conn, dirHandle, path, srcNameSpace, dstNameSpace, longName);
    }
    NWCCODE NWUnpackDateTime(std::uint32_t dateTime, NW_DATE* date, NW_TIME* time) override {
        if (auto c = Note("NWUnpackDateTime"))
            return LastNetWareError = *c;
        return inner_->NWUnpackDateTime(dateTime, date, time);
    }
    NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const char* path) override {
        if (auto c = Note("NWDeleteDirectory"))
            return LastNetWareError = *c;
        return inner_->NWDeleteDirectory(conn, dirHandle, path);
    }
    bool LocalPathToNetWarePath(const std::string& localPath, std::string* netPath) override {
        Note("LocalPathToNetWarePath");
        return inner_->LocalPathToNetWarePath(localPath, netPath);
    }

  private:
    struct Failure {
        int nth;
        NWCCODE code;
    };

    std::optional<NWCCODE> Note(const char* call) {
        calls.emplace_back(call);
        const auto it = failures_.find(call);
        if (it != failures_.end() && Count(call) == it->second.nth)
            return it->second.code;
        return std::nullopt;
    }

    NetWareClient* inner_;
    std::map<std::string, Failure> failures_;
};

#pragma once
// The classes behind sim::SimNetwork: the NetWare client and the file services of one opened
// network, both working on the same Core.

#include <optional>
#include <set>
#include <string>

#include "netware/sim/sim_core.h"
#include "netware/sim/sim_network.h"

namespace sim {

class SimClient : public NetWareClient {
  public:
    explicit SimClient(Core& core) : core_(core) {}

    NWCCODE NWCallsInit(void* in, void* out) override;
    NWCCODE NWGetPrimaryConnectionID(NWCONN_HANDLE* conn) override;
    NWCCODE NWGetConnectionNumber(NWCONN_HANDLE conn, std::uint16_t* connNumber) override;
    NWCCODE NWGetConnectionInformation(NWCONN_HANDLE conn, std::uint16_t connNumber,
                                       char* objectName, std::uint16_t* objectType,
                                       std::uint32_t* objectID, std::uint8_t* loginTime) override;
    NWCCODE NWGetConnectionStatus(NWCONN_HANDLE conn, NWCCConnStatus* status,
                                  std::uint32_t statusLength) override;
    NWCCODE NWScanObject(NWCONN_HANDLE conn, const char* searchName, std::uint16_t searchType,
                         std::uint32_t* objectID, char* objectName, std::uint16_t* objectType,
                         std::uint8_t* hasProperties, std::uint8_t* objectFlags,
                         std::uint8_t* objectSecurity) override;
    NWCCODE NWGetConnectionHandle(const char* serverName, std::uint16_t reserved,
                                  NWCONN_HANDLE* conn, std::uint16_t* connScope) override;
    NWCCODE NWAttachToFileServer(const char* serverName, std::uint16_t scopeFlag,
                                 NWCONN_HANDLE* conn) override;
    NWCCODE NWGetFileServerName(NWCONN_HANDLE conn, char* serverName) override;
    NWCCODE NWLoginToFileServer(NWCONN_HANDLE conn, const char* objectName,
                                std::uint16_t objectType, const char* password) override;
    NWCCODE NWLogoutFromFileServer(NWCONN_HANDLE conn) override;
    NWCCODE NWDetachFromFileServer(NWCONN_HANDLE conn) override;
    bool NWIsDSServer(NWCONN_HANDLE conn, char* treeName) override;
    bool NWIsDSAuthenticated() override;
    NWCCODE NWDSAuthenticate(NWCONN_HANDLE conn, std::uint32_t options, void* sessionKey) override;
    NWCCODE NWDSLockConnection(NWCONN_HANDLE conn) override;
    NWCCODE NWDSUnlockConnection(NWCONN_HANDLE conn) override;
    NWCCODE NWFreeConnectionSlot(NWCONN_HANDLE conn, std::uint8_t disconnectType) override;
    NWDSContextHandle NWDSCreateContext() override;
    NWCCODE NWDSFreeContext(NWDSContextHandle context) override;
    NWCCODE NWDSMapIDToName(NWDSContextHandle context, NWCONN_HANDLE conn, std::uint32_t objectID,
                            char* objectName) override;
    NWCCODE NWDSMapNameToID(NWDSContextHandle context, NWCONN_HANDLE conn, const char* objectName,
                            std::uint32_t* objectID) override;
    NWCCODE NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint32_t* sequence, std::uint16_t* numberOfEntries,
                                 NWET_INFO* info, std::uint16_t augmentFlag) override;
    NWCCODE NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                         std::uint32_t objectID, std::uint16_t rightsMask) override;
    LCONV* NWLlocaleconv(LCONV* lconv) override;
    NWCCODE NWInitUnicodeTables(int countryCode, int codePage) override;
    NWCCODE NWFreeUnicodeTables() override;
    NWCCODE NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn, char* volumeName,
                        char* dirPath) override;
    NWCCODE NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn, NWDIR_HANDLE* dirHandle,
                               char* newPath) override;
    NWCCODE NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                              std::uint16_t* volumeNumber) override;
    NWCCODE NWGetVolumeInfoWithNumber(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                      char* volumeName, std::uint32_t* totalBlocks,
                                      std::uint16_t* sectorsPerBlock,
                                      std::uint32_t* availableBlocks,
                                      std::uint32_t* totalDirEntries,
                                      std::uint32_t* availableDirEntries,
                                      std::uint16_t* volumeIsRemovable) override;
    NWCCODE NWGetFileServerInformation(NWCONN_HANDLE conn, char* serverName,
                                       std::uint8_t* majorVersion, std::uint8_t* minorVersion,
                                       std::uint8_t* revision) override;
    NWCCODE NWGetExtendedVolumeInfo(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                    NWVolExtendedInfo* info) override;
    NWCCODE NWAllocTemporaryDirectoryHandle(NWCONN_HANDLE conn, NWDIR_HANDLE base, const char* path,
                                            NWDIR_HANDLE* newHandle,
                                            std::uint8_t* rightsMask) override;
    NWCCODE NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint8_t* nameSpace) override;
    NWCCODE NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                             std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                             std::uint16_t searchAttributes, std::uint32_t returnInfoMask,
                             EntryInfo* info) override;
    NWCCODE NWIntScanDirectoryInformation2(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                           const char* searchPath, std::uint32_t* sequence,
                                           char* dirName, std::uint32_t* dirDateTime,
                                           std::uint32_t* ownerID, std::uint8_t* rightsMask,
                                           std::uint16_t augmentFlag) override;
    NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                              std::uint8_t accessMask) override;
    NWCCODE NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                std::uint8_t nameSpace, std::uint16_t searchAttributes,
                                std::uint32_t modifyDOSMask,
                                const NWEntryDOSInfo* dosInfo) override;
    NWCCODE RestoreAttributesIfUnchanged(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                         const char* path, std::uint8_t nameSpace,
                                         std::uint64_t fileId, std::uint64_t volumeSerial,
                                         std::uint32_t wordNow, std::uint32_t attributes,
                                         bool* putBack) override;
    NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t nameSpace,
                          std::uint8_t dataStream, const char* path, NW_NS_OPENCREATE* request,
                          win::HANDLE* fileHandle) override;
    NWCCODE NWSetCompressedFileSize(NWCONN_HANDLE conn, win::HANDLE fileHandle,
                                    std::uint64_t requestedSize,
                                    std::uint64_t* resultSize) override;
    NWCCODE NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                          std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                          char* longName) override;
    NWCCODE NWUnpackDateTime(std::uint32_t dateTime, NW_DATE* date, NW_TIME* time) override;
    NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const char* path) override;
    bool LocalPathToNetWarePath(const std::string& localPath, std::string* netPath) override;

  private:
    // Stores and returns the code (every operation ends here).
    NWCCODE Done(NWCCODE code) {
        LastNetWareError = code;
        return code;
    }
    // Ends the call's store transaction: a call that went well fails after all, with a
    // completion code for the store's error, when the store could not read or keep it.
    NWCCODE Settle(MetadataStore::Scope& scope, NWCCODE code);
    // The code of the call's fault, when one matches the call.
    std::optional<NWCCODE> Fault(const char* call, const Server* server = nullptr,
                                 const std::string& path = "");
    // The code a call on a connection ends with before doing anything: its fault, or
    // INVALID_CONNECTION when the connection is unknown. None when the call goes on.
    std::optional<NWCCODE> Refused(const char* call, const Server* server,
                                   const std::string& path = "");
    // The network place of a full path, after the call's fault; the code when the path is
    // not on the network.
    std::optional<NWCCODE> NetPathOf(const char* call, const char* path, NetLoc* loc);
    // As Refused, for the Directory Services calls: the context must be one of ours and the
    // server must run Directory Services.
    std::optional<NWCCODE> DirectoryRefused(const char* call, NWDSContextHandle context,
                                            const Server* server);
    // The entry a (connection, directory handle, path) names; the code when it cannot be.
    NWCCODE EntryOf(const char* call, NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                    bool needLogin, Entry* entry, Server** server, Core::Act act = Core::Act::Read);

    Core& core_;
    std::set<NWDSContextHandle> contexts_;
    NWDSContextHandle nextContext_ = 1;
    int unicodeTables_ = 0;
};

class SimFiles : public win::FileServices {
  public:
    explicit SimFiles(Core& core) : core_(core) {}

    win::HANDLE FindFirstFile(const char* pattern, win::FindData* data) override;
    bool FindNextFile(win::HANDLE find, win::FindData* data) override;
    bool FindClose(win::HANDLE find) override;
    std::uint32_t GetFileAttributes(const char* path) override;
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override;
    std::uint32_t GetShortPathName(const char* longPath, char* shortPath,
                                   std::uint32_t length) override;
    std::uint32_t GetTempFileName(const char* directory, const char* prefix, std::uint32_t unique,
                                  char* tempFile) override;
    bool MoveFile(const char* from, const char* to) override;
    bool MoveFileEx(const char* from, const char* to, std::uint32_t flags) override;
    bool DeleteFile(const char* path) override;
    bool CreateDirectory(const char* path) override;
    bool RemoveDirectory(const char* path) override;
    win::HANDLE CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t creation, std::uint32_t flags) override;
    bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* read) override;
    bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* written) override;
    bool CopyFileChunk(win::HANDLE source, win::HANDLE target, void* buffer, std::uint32_t toCopy,
                       std::uint32_t* read, std::uint32_t* written, ChunkStep* failed) override;
    bool SetFilePointer(win::HANDLE file, std::int64_t distance, std::uint32_t method,
                        std::uint64_t* newPosition) override;
    bool SetEndOfFile(win::HANDLE file) override;
    bool CloseHandle(win::HANDLE handle) override;
    bool GetFileInformationByHandle(win::HANDLE file, win::FileStatInformation* info) override;
    bool GetFileInformationByName(const char* path, win::FileStatInformation* info) override;
    bool GetVolumeInformation(const char* rootPath, char* volumeName, std::uint32_t volumeNameSize,
                              std::uint32_t* serialNumber, std::uint32_t* maxComponentLength,
                              std::uint32_t* fileSystemFlags, char* fileSystemName,
                              std::uint32_t fileSystemNameSize) override;
    std::uint32_t GetLastError() override { return lastError_; }
    void SetLastError(std::uint32_t code) override { lastError_ = code; }

  private:
    // A call's path: where it lies, its entry when on the network, and the fault check.
    struct Target {
        Where where = Where::Nowhere;
        NetLoc loc;
        std::string local;
        Entry entry;
        std::string faultPath;
        Server* server = nullptr;
    };
    Target Locate(const char* path, Core::Act act = Core::Act::Read);
    // Locate for a path that is probably in the same directory as other (already located).
    Target LocateBeside(const char* path, const Target& other, Core::Act act = Core::Act::Read);
    bool Faulted(const char* call, const Target& t);
    // True, with the error set, when a network target cannot be used: its server has no
    // logged-in connection, or its place cannot be read.
    bool Unusable(const Target& t);
    // Ends the call's store transaction: a call that went well fails after all, with the
    // store's error, when the store could not read or keep what it needed.
    bool Settle(MetadataStore::Scope& scope, bool ok);
    // Locates a call's path; false, with the error set, when a fault refuses the call or the
    // path lies nowhere.
    bool Reach(const char* call, const char* path, Target* t, Core::Act act = Core::Act::Read);
    // The open file or enumeration behind a handle, after the call's fault; null, with the
    // error set, when the handle is unknown or a fault refuses the call.
    template <class Item>
    Item* Held(const char* call, Item* item) {
        std::uint32_t code = 0;
        if (!item)
            Fail(win::ERROR_INVALID_HANDLE);
        else if (core_.Faulted(call, item->server, item->faultPath, &code))
            Fail(code);
        else
            return item;
        return nullptr;
    }
    bool Fail(std::uint32_t code) {
        lastError_ = code;
        return false;
    }
    bool Succeed() {
        lastError_ = 0;
        return true;
    }
    // Succeeds on 0, fails with any other Windows error.
    bool Finish(std::uint32_t err) { return err ? Fail(err) : Succeed(); }
    // dirStat: the stat of the entry's directory taken in this call, if there is one.
    win::FindData NetFindData(Entry& e, const DiskStat* dirStat = nullptr);
    bool LocalFind(const std::string& dir, const std::string& pattern, FindState* state);
    std::uint32_t LocalMove(const std::string& from, const std::string& to, bool replace);
    bool Move(const char* call, const char* from, const char* to, bool replace);
    void TakeGivenName(Target& b);

    Core& core_;
    std::uint32_t lastError_ = 0;
    std::uint32_t tempCounter_ = 0;
};

class NetworkImpl : public SimNetwork {
  public:
    NetworkImpl() : client_(core_), files_(core_) {}
    bool Load(const std::string& root, std::string* error, bool finishStoppedWork) {
        return core_.Load(root, error, finishStoppedWork);
    }

    NetWareClient& Client() override { return client_; }
    win::FileServices& FileServices() override { return files_; }
    bool Stat(const std::string& path, std::string* out, std::string* error) override;
    bool SetAttributes(const std::string& path, std::uint32_t attributes,
                       std::string* error) override;
    bool SetInheritedRightsMask(const std::string& path, std::uint16_t mask,
                                std::string* error) override;
    bool SetTrustee(const std::string& path, const std::string& objectName, std::uint16_t rights,
                    std::string* error) override;
    bool Compress(const std::string& path, std::string* error) override;
    std::vector<std::string> Check() override;
    bool GetEntryMeta(const std::string& path, EntryMeta* meta, std::string* error) override;
    std::string Root() const override { return core_.Root(); }
    void LetGoOfStore() override { core_.Store().Close(); }
    bool TakeStore(bool child, std::string* error) override;
    void EndProcess() override;
    void SetInterleave(Interleave hook) override { core_.SetInterleave(std::move(hook)); }

  private:
    bool Locate(const std::string& path, Entry* entry, std::string* error);
    // As Locate, for the changes a volume root cannot take.
    bool LocateBelowRoot(const std::string& path, Entry* entry, std::string* error);
    void CheckDirectory(Volume& v, const std::string& dirRel, std::vector<std::string>* out);
    void CheckVolume(Volume& v, std::vector<std::string>* out);

    Core core_;
    SimClient client_;
    SimFiles files_;
};

}  // namespace sim

#pragma once
// The NetWare client: every operation the program needs from the workstation's NetWare client
// libraries, behind one abstract interface so that the rest runs without NetWare. The
// simulated network (netware/sim) implements it.
//
// Conventions every implementation keeps:
// - Each operation returns its 32-bit completion code (0 = success) and also stores it in
//   LastNetWareError. NWIsDSServer and NWIsDSAuthenticated return a truth value (and store 0).
// - Names (servers, volumes, objects, passwords) are at most 48 characters; out buffers for
//   them are at least kNameSize bytes. Paths are at most 259 characters, in out buffers of
//   win::kPathBufferSize bytes; long names at most 255, in buffers of kLongNameSize.
// - Optional out parameters may be null.
// - File handles returned by NWOpenNSEntry are handles of the file services (platform/
//   file_services.h): reads, writes, seeks and closing go through Files().

#include <cstdint>
#include <string>

#include "platform/file_services.h"

using NWCCODE = std::uint32_t;
using NWCONN_HANDLE = std::uint32_t;
using NWDIR_HANDLE = std::uint8_t;
using NWDSContextHandle = std::int32_t;

// The completion code of the latest NetWare call.
extern NWCCODE LastNetWareError;

namespace nw {

constexpr std::size_t kNameSize = 49;  // 48 characters and a terminator
// A long name of up to 255 characters in UTF-8, and its terminator.
constexpr std::size_t kLongNameSize = 4 * 255 + 1;

// Completion codes the program tests by value.
constexpr NWCCODE SUCCESSFUL = 0;
constexpr NWCCODE PASSWORD_EXPIRED = 0x89DF;  // logged in, but the password has expired
constexpr NWCCODE VOLUME_DOES_NOT_EXIST = 0x8998;
constexpr NWCCODE NO_SUCH_OBJECT = 0x89FC;    // also: no more objects in a bindery scan
constexpr NWCCODE NO_MORE_TRUSTEES = 0x899C;  // also: invalid path
constexpr NWCCODE NO_SUCH_OBJECT_OR_BAD_PASSWORD = 0x89FF;  // failure (login, generic)
constexpr NWCCODE INVALID_CONNECTION = 0x8801;
constexpr NWCCODE INVALID_PATH = 0x899C;
constexpr NWCCODE NO_FILES_FOUND = 0x89FF;
constexpr NWCCODE ACCESS_DENIED = 0x8994;  // no rights / read-only
constexpr NWCCODE DIRECTORY_NOT_EMPTY = 0x89A0;
constexpr NWCCODE FILE_EXISTS = 0x8992;
constexpr NWCCODE NOT_SAME_TREE_OR_NOT_DS = 0x8996;
constexpr NWDSContextHandle ERR_CONTEXT_CREATION = -328;

// Object types.
constexpr std::uint16_t OT_USER = 0x0100;
constexpr std::uint16_t OT_FILE_SERVER = 0x0400;

// Connection status flags.
constexpr std::uint16_t CONN_LOGGED_IN = 0x0004;
constexpr std::uint16_t CONN_DS = 0x0100;

// Name spaces.
constexpr std::uint8_t NS_DOS = 0;
constexpr std::uint8_t NS_LONG = 4;

// NetWare attribute bits (the low byte matches the DOS attributes).
constexpr std::uint32_t A_READ_ONLY = 0x00000001;
constexpr std::uint32_t A_HIDDEN = 0x00000002;
constexpr std::uint32_t A_SYSTEM = 0x00000004;
constexpr std::uint32_t A_DIRECTORY = 0x00000010;
constexpr std::uint32_t A_NEEDS_ARCHIVING = 0x00000020;
constexpr std::uint32_t A_SHAREABLE = 0x00000080;
constexpr std::uint32_t A_FILE_COMPRESSED = 0x04000000;

// Access rights for NWOpenNSEntry.
constexpr std::uint16_t AR_READ = 0x0001;
constexpr std::uint16_t AR_WRITE = 0x0002;
constexpr std::uint16_t AR_DENY_READ = 0x0004;
constexpr std::uint16_t AR_DENY_WRITE = 0x0008;
constexpr std::uint16_t AR_OPEN_COMPRESSED = 0x0100;

// Open/create modes for NWOpenNSEntry.
constexpr std::uint8_t OC_MODE_OPEN = 0x01;
constexpr std::uint8_t OC_MODE_REPLACE = 0x02;
constexpr std::uint8_t OC_MODE_CREATE = 0x08;

// Search attributes: every entry, hidden and system ones included; files hidden or system.
constexpr std::uint16_t SA_ALL = 0xFB;
constexpr std::uint16_t SA_HIDDEN_SYSTEM = 0x06;
// The information a copy asks of NWGetNSEntryInfo, the attribute word among it.
constexpr std::uint32_t RETURN_INFO_FOR_COPY = 0x098E;

// Modify-DOS-information mask bits for NWSetNSEntryDOSInfo.
constexpr std::uint32_t DM_ATTRIBUTES = 0x0002;
constexpr std::uint32_t DM_CREATE_DATE = 0x0004;
constexpr std::uint32_t DM_CREATE_TIME = 0x0008;
constexpr std::uint32_t DM_MODIFY_DATE = 0x0100;
constexpr std::uint32_t DM_MODIFY_TIME = 0x0200;
constexpr std::uint32_t DM_INHERITED_RIGHTS_MASK = 0x1000;

// Extended volume information status flag.
constexpr std::uint32_t VOL_COMPRESSION_ENABLED = 0x02;

}  // namespace nw

// Connection status record (the 124-byte record of the client; only flags is relied on).
struct NWCCConnStatus {
    std::uint16_t flags = 0;  // nw::CONN_LOGGED_IN, nw::CONN_DS
    char serverName[nw::kNameSize] = {};
    char userName[nw::kNameSize] = {};
    std::uint8_t reserved[124 - 2 - 2 * nw::kNameSize] = {};
};

// Directory-entry information (NWGetNSEntryInfo). Sizes are 64-bit so that no file is ever cut
// to 32 bits; Low32() gives the 32-bit view where a 32-bit number is printed.
struct EntryInfo {
    std::uint64_t spaceAllocated = 0;  // bytes the entry occupies (compressed size if compressed)
    std::uint32_t attributes = 0;      // NetWare attribute word
    std::uint16_t flags = 0;
    std::uint64_t dataStreamSize = 0;                  // uncompressed size in bytes
    std::uint16_t creationTime = 0, creationDate = 0;  // DOS packed
    std::uint32_t creatorID = 0;
    std::uint16_t modifyTime = 0, modifyDate = 0;  // DOS packed
    std::uint32_t modifierID = 0;
    std::uint16_t lastAccessDate = 0;
    std::uint16_t archiveTime = 0, archiveDate = 0;
    std::uint32_t archiverID = 0;
    std::uint16_t inheritedRightsMask = 0;
    std::uint8_t nameSpaceCreator = 0;
    char entryName[nw::kLongNameSize] = {};
};

inline std::uint32_t Low32(std::uint64_t v) {
    return static_cast<std::uint32_t>(v);
}

// DOS-information record of NWSetNSEntryDOSInfo, fields in the client's order.
struct NWEntryDOSInfo {
    std::uint32_t attributes = 0;
    std::uint16_t createDate = 0;
    std::uint16_t createTime = 0;
    std::uint32_t creatorID = 0;
    std::uint16_t modifyDate = 0;
    std::uint16_t modifyTime = 0;
    std::uint32_t modifierID = 0;
    std::uint16_t archiveDate = 0;
    std::uint16_t archiveTime = 0;
    std::uint32_t archiverID = 0;
    std::uint16_t lastAccessDate = 0;
    std::uint16_t inheritanceGrantMask = 0;
    std::uint16_t inheritanceRevokeMask = 0;
    std::uint32_t maximumSpace = 0;
};

// Request of NWOpenNSEntry.
struct NW_NS_OPENCREATE {
    std::uint8_t openCreateMode = 0;     // nw::OC_MODE_*
    std::uint16_t searchAttributes = 0;  // 0x8006 etc.
    std::uint32_t reserved = 0;
    std::uint32_t createAttributes = 0;
    std::uint16_t accessRights = 0;  // nw::AR_*
    std::uint32_t NetWareHandle = 0;
    std::uint8_t openCreateAction = 0;  // in: preset; out: action taken
};

// Extended volume information (NWGetExtendedVolumeInfo).
struct NWVolExtendedInfo {
    std::uint32_t volType = 0;
    std::uint32_t statusFlag = 0;  // nw::VOL_COMPRESSION_ENABLED
    std::uint32_t sectorSize = 512;
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t volSizeInClusters = 0;
    std::uint32_t freedClusters = 0;
    std::uint32_t compressedFiles = 0;
    std::uint32_t compressedBlocks = 0;
};

struct TRUSTEE_INFO {
    std::uint32_t objectID = 0;  // 0 marks an empty entry
    std::uint16_t objectRights = 0;
};

// Result record of NWIntScanForTrustees: up to 20 entries a call.
struct NWET_INFO {
    char entryName[16] = {};
    std::uint32_t creationDateAndTime = 0;
    std::uint32_t creatorID = 0;
    TRUSTEE_INFO trusteeList[20] = {};
};

struct NW_DATE {
    std::uint8_t day = 0;
    std::uint8_t month = 0;
    std::uint16_t year = 0;
};

struct NW_TIME {
    std::uint8_t seconds = 0;
    std::uint8_t minutes = 0;
    std::uint16_t hours = 0;
};

// Locale record of NWLlocaleconv (only the two fields the program uses).
struct LCONV {
    int country_id = 1;
    int code_page = 437;
};

class NetWareClient {
  public:
    virtual ~NetWareClient() = default;

    // Start-up and connections.
    virtual NWCCODE NWCallsInit(void* in, void* out) = 0;
    virtual NWCCODE NWGetPrimaryConnectionID(NWCONN_HANDLE* conn) = 0;
    virtual NWCCODE NWGetConnectionNumber(NWCONN_HANDLE conn, std::uint16_t* connNumber) = 0;
    virtual NWCCODE NWGetConnectionInformation(NWCONN_HANDLE conn, std::uint16_t connNumber,
                                               char* objectName, std::uint16_t* objectType,
                                               std::uint32_t* objectID,
                                               std::uint8_t* loginTime /* 7 bytes */) = 0;
    virtual NWCCODE NWGetConnectionStatus(NWCONN_HANDLE conn, NWCCConnStatus* status,
                                          std::uint32_t statusLength) = 0;

    // Bindery scan: one object per call, 0x89FC when no more. objectID starts at 0xFFFFFFFF.
    virtual NWCCODE NWScanObject(NWCONN_HANDLE conn, const char* searchName,
                                 std::uint16_t searchType, std::uint32_t* objectID,
                                 char* objectName, std::uint16_t* objectType,
                                 std::uint8_t* hasProperties, std::uint8_t* objectFlags,
                                 std::uint8_t* objectSecurity) = 0;

    // Connection by server name; bindery login and its undoing.
    virtual NWCCODE NWGetConnectionHandle(const char* serverName, std::uint16_t reserved,
                                          NWCONN_HANDLE* conn, std::uint16_t* connScope) = 0;
    virtual NWCCODE NWAttachToFileServer(const char* serverName, std::uint16_t scopeFlag,
                                         NWCONN_HANDLE* conn) = 0;
    virtual NWCCODE NWGetFileServerName(NWCONN_HANDLE conn, char* serverName) = 0;
    virtual NWCCODE NWLoginToFileServer(NWCONN_HANDLE conn, const char* objectName,
                                        std::uint16_t objectType, const char* password) = 0;
    virtual NWCCODE NWLogoutFromFileServer(NWCONN_HANDLE conn) = 0;
    virtual NWCCODE NWDetachFromFileServer(NWCONN_HANDLE conn) = 0;

    // Directory Services authentication and its undoing.
    virtual bool NWIsDSServer(NWCONN_HANDLE conn, char* treeName) = 0;
    virtual bool NWIsDSAuthenticated() = 0;
    virtual NWCCODE NWDSAuthenticate(NWCONN_HANDLE conn, std::uint32_t options,
                                     void* sessionKey) = 0;
    virtual NWCCODE NWDSLockConnection(NWCONN_HANDLE conn) = 0;
    virtual NWCCODE NWDSUnlockConnection(NWCONN_HANDLE conn) = 0;
    virtual NWCCODE NWFreeConnectionSlot(NWCONN_HANDLE conn, std::uint8_t disconnectType) = 0;

    // Trustee transfer.
    virtual NWDSContextHandle NWDSCreateContext() = 0;  // a context, or ERR_CONTEXT_CREATION
    virtual NWCCODE NWDSFreeContext(NWDSContextHandle context) = 0;
    virtual NWCCODE NWDSMapIDToName(NWDSContextHandle context, NWCONN_HANDLE conn,
                                    std::uint32_t objectID, char* objectName /* 260 */) = 0;
    virtual NWCCODE NWDSMapNameToID(NWDSContextHandle context, NWCONN_HANDLE conn,
                                    const char* objectName, std::uint32_t* objectID) = 0;
    // path is "VOLUME:dir\name". sequence starts at 0 and carries the scan; 0x899C when done.
    virtual NWCCODE NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                         const char* path, std::uint32_t* sequence,
                                         std::uint16_t* numberOfEntries, NWET_INFO* info,
                                         std::uint16_t augmentFlag) = 0;
    virtual NWCCODE NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint32_t objectID, std::uint16_t rightsMask) = 0;

    // Locale and Unicode tables around each Directory Services use.
    virtual LCONV* NWLlocaleconv(LCONV* lconv) = 0;
    virtual NWCCODE NWInitUnicodeTables(int countryCode, int codePage) = 0;
    virtual NWCCODE NWFreeUnicodeTables() = 0;

    // Paths. Accepted forms: \\SERVER\VOLUME\path, X:\path through the workstation's drive
    // mappings, and local paths under the network root. Any other path fails.
    // NWParsePath: dirPath receives the directory path on the volume with a leading
    // backslash ("" for the volume root); a path not on the network fails.
    virtual NWCCODE NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn,
                                char* volumeName, char* dirPath) = 0;
    // NWParseNetWarePath: the connection, a directory handle and the path relative to it
    // ("VOLUME:dir\name" with handle 0). Needs a connection to the server.
    virtual NWCCODE NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn,
                                       NWDIR_HANDLE* dirHandle, char* newPath) = 0;

    // Volumes and servers. Block counts are 32-bit here (a volume may hold more than 65,535).
    virtual NWCCODE NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                                      std::uint16_t* volumeNumber) = 0;
    virtual NWCCODE NWGetVolumeInfoWithNumber(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                              char* volumeName, std::uint32_t* totalBlocks,
                                              std::uint16_t* sectorsPerBlock,
                                              std::uint32_t* availableBlocks,
                                              std::uint32_t* totalDirEntries,
                                              std::uint32_t* availableDirEntries,
                                              std::uint16_t* volumeIsRemovable) = 0;
    virtual NWCCODE NWGetFileServerInformation(NWCONN_HANDLE conn, char* serverName,
                                               std::uint8_t* majorVersion,
                                               std::uint8_t* minorVersion,
                                               std::uint8_t* revision) = 0;
    virtual NWCCODE NWGetExtendedVolumeInfo(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                            NWVolExtendedInfo* info) = 0;
    virtual NWCCODE NWAllocTemporaryDirectoryHandle(NWCONN_HANDLE conn, NWDIR_HANDLE base,
                                                    const char* path, NWDIR_HANDLE* newHandle,
                                                    std::uint8_t* rightsMask) = 0;

    // Entries.
    virtual NWCCODE NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                         const char* path, std::uint8_t* nameSpace) = 0;
    virtual NWCCODE NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                     std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                                     std::uint16_t searchAttributes, std::uint32_t returnInfoMask,
                                     EntryInfo* info) = 0;
    // Existence test of a directory; sequence 0xFFFFFFFF asks for the entry itself.
    virtual NWCCODE NWIntScanDirectoryInformation2(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                                   const char* searchPath, std::uint32_t* sequence,
                                                   char* dirName, std::uint32_t* dirDateTime,
                                                   std::uint32_t* ownerID, std::uint8_t* rightsMask,
                                                   std::uint16_t augmentFlag) = 0;
    virtual NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                      std::uint8_t accessMask) = 0;
    virtual NWCCODE NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                        const char* path, std::uint8_t nameSpace,
                                        std::uint16_t searchAttributes, std::uint32_t modifyDOSMask,
                                        const NWEntryDOSInfo* dosInfo) = 0;
    // Puts an attribute word back on an entry only while it is still the file fileId of
    // volumeSerial (as GetFileInformationByName tells them) and has the word wordNow (as
    // NWGetNSEntryInfo tells it); *putBack says whether it was put back. This default looks at
    // the word and then sets it, two calls, and its caller checks the identity just before; a
    // client that can look and set at once, so that no other program's replacement or change
    // comes between them, does so.
    virtual NWCCODE RestoreAttributesIfUnchanged(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                                 const char* path, std::uint8_t nameSpace,
                                                 std::uint64_t fileId, std::uint64_t volumeSerial,
                                                 std::uint32_t wordNow, std::uint32_t attributes,
                                                 bool* putBack) {
        (void)fileId;
        (void)volumeSerial;
        *putBack = false;
        EntryInfo info{};
        if (const NWCCODE code = NWGetNSEntryInfo(conn, dirHandle, path, nameSpace, nameSpace,
                                                  nw::SA_ALL, nw::RETURN_INFO_FOR_COPY, &info))
            return code;
        if (info.attributes != wordNow)
            return 0;
        NWEntryDOSInfo dos{};
        dos.attributes = attributes;
        if (const NWCCODE code = NWSetNSEntryDOSInfo(conn, dirHandle, path, nameSpace,
                                                     nw::SA_HIDDEN_SYSTEM, nw::DM_ATTRIBUTES, &dos))
            return code;
        *putBack = true;
        return 0;
    }
    virtual NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                  std::uint8_t nameSpace, std::uint8_t dataStream, const char* path,
                                  NW_NS_OPENCREATE* request, win::HANDLE* fileHandle) = 0;
    // Declares the compressed size of a file written through the open-compressed right.
    virtual NWCCODE NWSetCompressedFileSize(NWCONN_HANDLE conn, win::HANDLE fileHandle,
                                            std::uint64_t requestedSize,
                                            std::uint64_t* resultSize) = 0;
    virtual NWCCODE NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                  std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                                  char* longName /* kLongNameSize */) = 0;
    // dateTime is (DOS date << 16) | DOS time.
    virtual NWCCODE NWUnpackDateTime(std::uint32_t dateTime, NW_DATE* date, NW_TIME* time) = 0;
    virtual NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                      const char* path) = 0;

    // Not a client call: a local path under the network root (as a Linux file manager drops
    // it) turned into \\SERVER\VOLUME\path. False when the path is not on the network.
    virtual bool LocalPathToNetWarePath(const std::string& localPath, std::string* netPath) = 0;
};

// The NetWare client the engine uses. Programs and tests install theirs with SetNetWare.
NetWareClient& NetWare();
void SetNetWare(NetWareClient* client);

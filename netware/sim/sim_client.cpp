// The NetWare client of the simulated network. Every operation stores its completion code in
// LastNetWareError. A [[fault]] of the operation's name is looked at first, with the server
// the call concerns and its path in the \\SERVER\VOLUME\path form.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "netware/sim/held_directories.h"
#include "netware/sim/sim_names.h"
#include "netware/sim/sim_network_impl.h"
#include "util/characters.h"

namespace sim {

namespace {

constexpr NWCCODE kNoConnectionToServer = 0x880F;
constexpr NWCCODE kFileInUse = 0x8980;
constexpr NWCCODE kInsufficientSpace = 0x8901;
constexpr NWCCODE kInvalidFileHandle = 0x8988;
constexpr NWCCODE kNoMoreDirHandles = 0x899D;
constexpr std::uint32_t kFirstUserId = 0x02000001;

// The NetWare completion code for a Windows error of the shared operations.
NWCCODE NetWareCode(std::uint32_t winError) {
    switch (winError) {
        case 0:
            return nw::SUCCESSFUL;
        case win::ERROR_FILE_NOT_FOUND:
            return nw::NO_FILES_FOUND;
        case win::ERROR_PATH_NOT_FOUND:
        case win::ERROR_INVALID_NAME:
        case kErrorDirectory:
            return nw::INVALID_PATH;
        case win::ERROR_ACCESS_DENIED:
            return nw::ACCESS_DENIED;
        case win::ERROR_SHARING_VIOLATION:
            return kFileInUse;
        case win::ERROR_FILE_EXISTS:
        case win::ERROR_ALREADY_EXISTS:
            return nw::FILE_EXISTS;
        case win::ERROR_DIR_NOT_EMPTY:
            return nw::DIRECTORY_NOT_EMPTY;
        case win::ERROR_DISK_FULL:
        case win::ERROR_HANDLE_DISK_FULL:
            return kInsufficientSpace;
        default:
            return nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD;
    }
}

std::string ServerPath(const Server* s) {
    return s ? "\\\\" + s->cfg.name : "";
}

std::string VolumePath(const Volume* v) {
    return v ? "\\\\" + v->server->cfg.name + "\\" + v->cfg.name : "";
}

const UserConfig* FindUser(const Server& s, const std::string& name, std::uint32_t* id) {
    for (std::size_t i = 0; i < s.cfg.users.size(); ++i) {
        if (SameName(s.cfg.users[i].name, name)) {
            if (id)
                *id = kFirstUserId + static_cast<std::uint32_t>(i);
            return &s.cfg.users[i];
        }
    }
    return nullptr;
}

// Logs a user in on a server, through the tree (ds) or its bindery.
void StartLogin(Server& s, bool ds, const std::string& user) {
    s.loggedIn = true;
    s.ds = ds;
    s.user = Upper(user);
    s.loginTime = std::time(nullptr);
}

// Ends the login on a server; the connection itself stays as it is.
void EndLogin(Server& s) {
    s.loggedIn = false;
    s.ds = false;
    s.locked = false;
    s.user.clear();
    s.dirHandles.clear();
}

// A 64-bit count in a 32-bit field: the largest value when it does not fit.
std::uint32_t Clamp32(std::uint64_t n) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(n, 0xFFFFFFFFu));
}

Volume* NumberedVolume(Server* s, std::uint16_t number) {
    return s && number < s->volumes.size() ? &s->volumes[number] : nullptr;
}

void PackTimes(std::int64_t t, std::uint16_t* date, std::uint16_t* time) {
    PackDosTime(static_cast<std::time_t>(t), date, time);
}

}  // namespace

NWCCODE SimClient::Settle(MetadataStore::Scope& scope, NWCCODE code) {
    const std::uint32_t failure = scope.End();
    return code == 0 && failure != 0 ? NetWareCode(failure) : code;
}

std::optional<NWCCODE> SimClient::Fault(const char* call, const Server* server,
                                        const std::string& path) {
    NWCCODE code = 0;
    if (core_.Faulted(call, server, path, &code))
        return code;
    return std::nullopt;
}

std::optional<NWCCODE> SimClient::Refused(const char* call, const Server* server,
                                          const std::string& path) {
    if (auto code = Fault(call, server, path))
        return code;
    if (!server)
        return nw::INVALID_CONNECTION;
    return std::nullopt;
}

std::optional<NWCCODE> SimClient::DirectoryRefused(const char* call, NWDSContextHandle context,
                                                   const Server* server) {
    if (auto code = Fault(call, server))
        return code;
    if (!contexts_.count(context))
        return nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD;
    if (!server)
        return nw::INVALID_CONNECTION;
    if (!server->cfg.directoryServices)
        return nw::NOT_SAME_TREE_OR_NOT_DS;
    return std::nullopt;
}

std::optional<NWCCODE> SimClient::NetPathOf(const char* call, const char* path, NetLoc* loc) {
    std::string local;
    std::string p = path ? path : "";
    Where where = core_.Classify(p, loc, &local);
    if (auto code = Fault(call, loc->server, where == Where::Network ? core_.FaultForm(*loc) : p))
        return code;
    if (where != Where::Network)
        return nw::INVALID_PATH;
    return std::nullopt;
}

NWCCODE SimClient::EntryOf(const char* call, NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                           const char* path, bool needLogin, Entry* entry, Server** server,
                           Core::Act act) {
    Server* s = core_.ServerOfConnection(conn);
    NetLoc loc;
    bool parsed = s && core_.ParseNetWareArg(s, dirHandle, path, &loc);
    if (auto code = Refused(call, s, parsed ? core_.FaultForm(loc) : (path ? path : "")))
        return *code;
    if (!parsed)
        return nw::INVALID_PATH;
    if (needLogin && !s->loggedIn)
        return nw::ACCESS_DENIED;
    core_.Enter(loc, act);
    *entry = core_.Resolve(loc);
    if (entry->error)
        return NetWareCode(entry->error);  // unreadable is neither found nor missing
    if (server)
        *server = s;
    return 0;
}

NWCCODE SimClient::NWCallsInit(void*, void*) {
    return Done(Fault("NWCallsInit").value_or(0));
}

NWCCODE SimClient::NWGetPrimaryConnectionID(NWCONN_HANDLE* conn) {
    Server* primary = core_.FindServer(core_.Config().primaryServer);
    if (auto code = Fault("NWGetPrimaryConnectionID", primary))
        return Done(*code);
    if (!primary || primary->conn == 0)
        return Done(nw::INVALID_CONNECTION);
    if (conn)
        *conn = primary->conn;
    return Done(0);
}

NWCCODE SimClient::NWGetConnectionNumber(NWCONN_HANDLE conn, std::uint16_t* connNumber) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWGetConnectionNumber", s))
        return Done(*code);
    if (connNumber)
        *connNumber = s->connNumber;
    return Done(0);
}

NWCCODE SimClient::NWGetConnectionInformation(NWCONN_HANDLE conn, std::uint16_t, char* objectName,
                                              std::uint16_t* objectType, std::uint32_t* objectID,
                                              std::uint8_t* loginTime) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWGetConnectionInformation", s))
        return Done(*code);
    std::string user = s->loggedIn ? s->user : "";
    CopyOut(objectName, nw::kNameSize, user);
    if (objectType)
        *objectType = user.empty() ? 0 : nw::OT_USER;
    if (objectID) {
        std::uint32_t id = 0;
        FindUser(*s, user, &id);
        *objectID = id;
    }
    if (loginTime) {
        std::tm tm{};
        localtime_r(&s->loginTime, &tm);
        loginTime[0] = static_cast<std::uint8_t>(tm.tm_year % 100);
        loginTime[1] = static_cast<std::uint8_t>(tm.tm_mon + 1);
        loginTime[2] = static_cast<std::uint8_t>(tm.tm_mday);
        loginTime[3] = static_cast<std::uint8_t>(tm.tm_hour);
        loginTime[4] = static_cast<std::uint8_t>(tm.tm_min);
        loginTime[5] = static_cast<std::uint8_t>(tm.tm_sec);
        loginTime[6] = static_cast<std::uint8_t>(tm.tm_wday);
    }
    return Done(0);
}

NWCCODE SimClient::NWGetConnectionStatus(NWCONN_HANDLE conn, NWCCConnStatus* status,
                                         std::uint32_t) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWGetConnectionStatus", s))
        return Done(*code);
    if (status) {
        *status = NWCCConnStatus();
        status->flags = static_cast<std::uint16_t>((s->loggedIn ? nw::CONN_LOGGED_IN : 0) |
                                                   (s->ds ? nw::CONN_DS : 0));
        CopyOut(status->serverName, nw::kNameSize, s->cfg.name);
        CopyOut(status->userName, nw::kNameSize, s->loggedIn ? s->user : "");
    }
    return Done(0);
}

NWCCODE SimClient::NWScanObject(NWCONN_HANDLE conn, const char* searchName,
                                std::uint16_t searchType, std::uint32_t* objectID, char* objectName,
                                std::uint16_t* objectType, std::uint8_t* hasProperties,
                                std::uint8_t* objectFlags, std::uint8_t* objectSecurity) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWScanObject", s))
        return Done(*code);
    std::string pattern = searchName && *searchName ? searchName : "*";
    std::uint32_t after = objectID ? *objectID : 0xFFFFFFFF;
    // Objects in ascending ID order; the scan returns the first one after the given ID.
    std::vector<std::pair<std::uint32_t, std::string>> objects;
    if (searchType == nw::OT_FILE_SERVER) {
        for (auto& other : core_.Servers()) {
            if (other->cfg.listed)
                objects.emplace_back(other->objectId, other->cfg.name);
        }
    } else if (searchType == nw::OT_USER) {
        for (std::size_t i = 0; i < s->cfg.users.size(); ++i)
            objects.emplace_back(kFirstUserId + static_cast<std::uint32_t>(i),
                                 Upper(s->cfg.users[i].name));
    }
    for (const auto& [id, name] : objects) {
        if (after != 0xFFFFFFFF && id <= after)
            continue;
        if (!WildcardMatch(pattern, name))
            continue;
        if (objectID)
            *objectID = id;
        CopyOut(objectName, nw::kNameSize, name);
        if (objectType)
            *objectType = searchType;
        if (hasProperties)
            *hasProperties = 1;
        if (objectFlags)
            *objectFlags = 0;
        if (objectSecurity)
            *objectSecurity = 0x31;
        return Done(0);
    }
    return Done(nw::NO_SUCH_OBJECT);
}

NWCCODE SimClient::NWGetConnectionHandle(const char* serverName, std::uint16_t, NWCONN_HANDLE* conn,
                                         std::uint16_t* connScope) {
    Server* s = core_.FindServer(serverName ? serverName : "");
    if (auto code = Fault("NWGetConnectionHandle", s))
        return Done(*code);
    if (!s || s->conn == 0)
        return Done(kNoConnectionToServer);
    if (conn)
        *conn = s->conn;
    if (connScope)
        *connScope = 0;
    return Done(0);
}

NWCCODE SimClient::NWAttachToFileServer(const char* serverName, std::uint16_t,
                                        NWCONN_HANDLE* conn) {
    Server* s = core_.FindServer(serverName ? serverName : "");
    if (auto code = Fault("NWAttachToFileServer", s))
        return Done(*code);
    if (!s)
        return Done(nw::NO_SUCH_OBJECT);
    if (s->conn == 0) {
        s->conn = core_.NewConnection();
        s->connNumber = static_cast<std::uint16_t>(s->conn);
        s->loggedIn = false;
        s->ds = false;
    }
    if (conn)
        *conn = s->conn;
    return Done(0);
}

NWCCODE SimClient::NWGetFileServerName(NWCONN_HANDLE conn, char* serverName) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWGetFileServerName", s))
        return Done(*code);
    CopyOut(serverName, nw::kNameSize, s->cfg.name);
    return Done(0);
}

NWCCODE SimClient::NWLoginToFileServer(NWCONN_HANDLE conn, const char* objectName,
                                       std::uint16_t objectType, const char* password) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWLoginToFileServer", s))
        return Done(*code);
    const UserConfig* user = FindUser(*s, objectName ? objectName : "", nullptr);
    // The client upper-cases passwords, so they compare upper-cased.
    if (!user || objectType != nw::OT_USER || !objectName || !*objectName ||
        Upper(user->password) != Upper(password ? password : ""))
        return Done(nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD);
    StartLogin(*s, false, user->name);
    return Done(user->expired ? nw::PASSWORD_EXPIRED : 0);
}

NWCCODE SimClient::NWLogoutFromFileServer(NWCONN_HANDLE conn) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWLogoutFromFileServer", s))
        return Done(*code);
    EndLogin(*s);
    return Done(0);
}

NWCCODE SimClient::NWDetachFromFileServer(NWCONN_HANDLE conn) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWDetachFromFileServer", s))
        return Done(*code);
    s->conn = 0;
    EndLogin(*s);
    return Done(0);
}

bool SimClient::NWIsDSServer(NWCONN_HANDLE conn, char* treeName) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWIsDSServer", s)) {
        Done(*code);
        return false;
    }
    Done(0);
    if (!s->cfg.directoryServices)
        return false;
    CopyOut(treeName, nw::kNameSize, core_.Config().tree);
    return true;
}

bool SimClient::NWIsDSAuthenticated() {
    if (auto code = Fault("NWIsDSAuthenticated")) {
        Done(*code);
        return false;
    }
    Done(0);
    return core_.Config().dsAuthenticated && !core_.Config().tree.empty();
}

NWCCODE SimClient::NWDSAuthenticate(NWCONN_HANDLE conn, std::uint32_t, void*) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWDSAuthenticate", s))
        return Done(*code);
    const NetworkConfig& c = core_.Config();
    if (!s->cfg.directoryServices || c.tree.empty() || !c.dsAuthenticated)
        return Done(nw::NOT_SAME_TREE_OR_NOT_DS);
    StartLogin(*s, true, c.loginName);
    return Done(0);
}

NWCCODE SimClient::NWDSLockConnection(NWCONN_HANDLE conn) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWDSLockConnection", s))
        return Done(*code);
    s->locked = true;
    return Done(0);
}

NWCCODE SimClient::NWDSUnlockConnection(NWCONN_HANDLE conn) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWDSUnlockConnection", s))
        return Done(*code);
    s->locked = false;
    return Done(0);
}

NWCCODE SimClient::NWFreeConnectionSlot(NWCONN_HANDLE conn, std::uint8_t) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWFreeConnectionSlot", s))
        return Done(*code);
    s->conn = 0;
    EndLogin(*s);
    return Done(0);
}

NWDSContextHandle SimClient::NWDSCreateContext() {
    if (auto code = Fault("NWDSCreateContext")) {
        Done(*code);
        return nw::ERR_CONTEXT_CREATION;
    }
    NWDSContextHandle context = nextContext_++;
    contexts_.insert(context);
    Done(0);
    return context;
}

NWCCODE SimClient::NWDSFreeContext(NWDSContextHandle context) {
    if (auto code = Fault("NWDSFreeContext"))
        return Done(*code);
    return Done(contexts_.erase(context) ? 0 : nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD);
}

NWCCODE SimClient::NWDSMapIDToName(NWDSContextHandle context, NWCONN_HANDLE conn,
                                   std::uint32_t objectID, char* objectName) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = DirectoryRefused("NWDSMapIDToName", context, s))
        return Done(*code);
    for (const ObjectConfig& o : core_.Config().objects) {
        auto it = o.ids.find(s->cfg.name);
        if (it != o.ids.end() && it->second == objectID) {
            CopyOut(objectName, 260, o.name);
            return Done(0);
        }
    }
    return Done(nw::NO_SUCH_OBJECT);
}

NWCCODE SimClient::NWDSMapNameToID(NWDSContextHandle context, NWCONN_HANDLE conn,
                                   const char* objectName, std::uint32_t* objectID) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = DirectoryRefused("NWDSMapNameToID", context, s))
        return Done(*code);
    for (const ObjectConfig& o : core_.Config().objects) {
        if (!SameName(o.name, objectName ? objectName : ""))
            continue;
        auto it = o.ids.find(s->cfg.name);
        if (it == o.ids.end())
            break;
        if (objectID)
            *objectID = it->second;
        return Done(0);
    }
    return Done(nw::NO_SUCH_OBJECT);
}

NWCCODE SimClient::NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                        const char* path, std::uint32_t* sequence,
                                        std::uint16_t* numberOfEntries, NWET_INFO* info,
                                        std::uint16_t) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code = EntryOf("NWIntScanForTrustees", conn, dirHandle, path, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    if (numberOfEntries)
        *numberOfEntries = 0;
    if (!e.exists)
        return Done(Settle(scope, nw::INVALID_PATH));
    MetaRow row = core_.Meta(e);
    auto trustees = core_.Store().Trustees(row.id);
    std::uint32_t start = sequence ? *sequence : 0;
    if (start >= trustees.size())
        return Done(Settle(scope, nw::NO_MORE_TRUSTEES));
    std::size_t n = std::min<std::size_t>(20, trustees.size() - start);
    if (info) {
        *info = NWET_INFO();
        CopyOut(info->entryName, sizeof info->entryName, core_.Alias(e, &row));
        for (std::size_t i = 0; i < n; ++i) {
            info->trusteeList[i].objectID = trustees[start + i].first;
            info->trusteeList[i].objectRights = trustees[start + i].second;
        }
    }
    if (sequence)
        *sequence = static_cast<std::uint32_t>(start + n);
    if (numberOfEntries)
        *numberOfEntries = static_cast<std::uint16_t>(n);
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                std::uint32_t objectID, std::uint16_t rightsMask) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    Server* s = nullptr;
    NWCCODE code = EntryOf("NWAddTrustee", conn, dirHandle, path, true, &e, &s);
    if (code)
        return Done(Settle(scope, code));
    if (!e.exists)
        return Done(Settle(scope, nw::INVALID_PATH));
    // Only objects the server knows can be trustees.
    bool known = objectID >= kFirstUserId && objectID < kFirstUserId + s->cfg.users.size();
    for (const ObjectConfig& o : core_.Config().objects) {
        auto it = o.ids.find(s->cfg.name);
        known = known || (it != o.ids.end() && it->second == objectID);
    }
    if (objectID == 0 || !known)
        return Done(Settle(scope, nw::NO_SUCH_OBJECT));
    core_.BeforeChange(e);
    MetaRow row = core_.Meta(e);
    if (row.id == 0)
        core_.Store().InsertNew(core_.KeyOf(e), IdentityOf(e.st), &row);
    if (row.id == 0 || !core_.Store().SetTrustee(row.id, core_.KeyOf(e), objectID, rightsMask))
        return Done(Settle(scope, nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD));
    return Done(Settle(scope, 0));
}

LCONV* SimClient::NWLlocaleconv(LCONV* lconv) {
    if (auto code = Fault("NWLlocaleconv")) {
        Done(*code);
        return nullptr;
    }
    Done(0);
    if (lconv)
        *lconv = LCONV();
    return lconv;
}

NWCCODE SimClient::NWInitUnicodeTables(int, int) {
    if (auto code = Fault("NWInitUnicodeTables"))
        return Done(*code);
    ++unicodeTables_;
    return Done(0);
}

NWCCODE SimClient::NWFreeUnicodeTables() {
    if (auto code = Fault("NWFreeUnicodeTables"))
        return Done(*code);
    if (unicodeTables_ > 0)
        --unicodeTables_;
    return Done(0);
}

NWCCODE SimClient::NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn,
                               char* volumeName, char* dirPath) {
    NetLoc loc;
    if (auto code = NetPathOf("NWParsePath", path, &loc))
        return Done(*code);
    CopyOut(serverName, nw::kNameSize, loc.server->cfg.name);
    if (conn)
        *conn = loc.server->conn;
    CopyOut(volumeName, nw::kNameSize, loc.volume->cfg.name);
    std::string dir = loc.parts.empty() ? "" : "\\" + JoinPath(loc.parts, '\\');
    if (HasAtLeastCharacters(dir, win::MAX_PATH))
        return Done(nw::INVALID_PATH);
    CopyOut(dirPath, win::kPathBufferSize, dir);
    return Done(0);
}

NWCCODE SimClient::NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn,
                                      NWDIR_HANDLE* dirHandle, char* newPath) {
    NetLoc loc;
    if (auto code = NetPathOf("NWParseNetWarePath", path, &loc))
        return Done(*code);
    if (loc.server->conn == 0)
        return Done(kNoConnectionToServer);
    std::string relative = loc.volume->cfg.name + ":" + JoinPath(loc.parts, '\\');
    if (HasAtLeastCharacters(relative, win::MAX_PATH))
        return Done(nw::INVALID_PATH);
    if (conn)
        *conn = loc.server->conn;
    if (dirHandle)
        *dirHandle = 0;
    CopyOut(newPath, win::kPathBufferSize, relative);
    return Done(0);
}

NWCCODE SimClient::NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                                     std::uint16_t* volumeNumber) {
    Server* s = core_.ServerOfConnection(conn);
    Volume* v = core_.FindVolume(s, volumeName ? volumeName : "");
    if (auto code =
            Refused("NWGetVolumeNumber", s,
                    v ? VolumePath(v) : ServerPath(s) + "\\" + (volumeName ? volumeName : "")))
        return Done(*code);
    if (!v)
        return Done(nw::VOLUME_DOES_NOT_EXIST);
    if (!core_.VolumeUsable(*v))
        return Done(nw::ACCESS_DENIED);
    if (volumeNumber)
        *volumeNumber = v->number;
    return Done(0);
}

NWCCODE SimClient::NWGetVolumeInfoWithNumber(
    NWCONN_HANDLE conn, std::uint16_t volumeNumber, char* volumeName, std::uint32_t* totalBlocks,
    std::uint16_t* sectorsPerBlock, std::uint32_t* availableBlocks, std::uint32_t* totalDirEntries,
    std::uint32_t* availableDirEntries, std::uint16_t* volumeIsRemovable) {
    Server* s = core_.ServerOfConnection(conn);
    Volume* v = NumberedVolume(s, volumeNumber);
    if (auto code = Refused("NWGetVolumeInfoWithNumber", s, VolumePath(v)))
        return Done(*code);
    if (!v)
        return Done(nw::VOLUME_DOES_NOT_EXIST);
    if (!core_.VolumeUsable(*v))
        return Done(nw::ACCESS_DENIED);
    CopyOut(volumeName, nw::kNameSize, v->cfg.name);
    if (totalBlocks)
        *totalBlocks = Clamp32(v->cfg.totalBlocks);
    // network.toml accepts only block sizes whose sector count fits the 16-bit field.
    static_assert(kMaxBlockSize / 512 <= 0xFFFF);
    if (sectorsPerBlock)
        *sectorsPerBlock = static_cast<std::uint16_t>(v->cfg.blockSize / 512);
    if (availableBlocks)
        *availableBlocks = Clamp32(core_.FreeBlocks(*v));
    if (totalDirEntries)
        *totalDirEntries = 0x00FFFFFF;
    if (availableDirEntries)
        *availableDirEntries = 0x00FFFFFF;
    if (volumeIsRemovable)
        *volumeIsRemovable = 0;
    return Done(0);
}

NWCCODE SimClient::NWGetFileServerInformation(NWCONN_HANDLE conn, char* serverName,
                                              std::uint8_t* majorVersion,
                                              std::uint8_t* minorVersion, std::uint8_t* revision) {
    Server* s = core_.ServerOfConnection(conn);
    if (auto code = Refused("NWGetFileServerInformation", s))
        return Done(*code);
    CopyOut(serverName, nw::kNameSize, s->cfg.name);
    if (majorVersion)
        *majorVersion = s->cfg.majorVersion;
    if (minorVersion)
        *minorVersion = s->cfg.minorVersion;
    if (revision)
        *revision = 0;
    return Done(0);
}

NWCCODE SimClient::NWGetExtendedVolumeInfo(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                           NWVolExtendedInfo* info) {
    Server* s = core_.ServerOfConnection(conn);
    Volume* v = NumberedVolume(s, volumeNumber);
    if (auto code = Refused("NWGetExtendedVolumeInfo", s, VolumePath(v)))
        return Done(*code);
    if (!v)
        return Done(nw::VOLUME_DOES_NOT_EXIST);
    if (!core_.VolumeUsable(*v))
        return Done(nw::ACCESS_DENIED);
    if (info) {
        *info = NWVolExtendedInfo();
        // Servers before NetWare 4 have no compression to report.
        if (v->cfg.compression && s->cfg.majorVersion >= 4)
            info->statusFlag = nw::VOL_COMPRESSION_ENABLED;
        info->sectorSize = 512;
        info->sectorsPerCluster = v->cfg.blockSize / 512;
        info->volSizeInClusters = Clamp32(v->cfg.totalBlocks);
        // Counting a volume's content walks all of it, so this call, asked for the compression
        // flag (of the source volume too), never counts: the free clusters are said once the
        // space has been asked for (NWGetVolumeInfoWithNumber) or a write counted it, and read
        // as none free until then, which lets nothing in on their account.
        info->freedClusters = Clamp32(core_.CountedFreeBlocks(*v));
    }
    return Done(0);
}

NWCCODE SimClient::NWAllocTemporaryDirectoryHandle(NWCONN_HANDLE conn, NWDIR_HANDLE base,
                                                   const char* path, NWDIR_HANDLE* newHandle,
                                                   std::uint8_t* rightsMask) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    Server* s = nullptr;
    NWCCODE code = EntryOf("NWAllocTemporaryDirectoryHandle", conn, base, path, true, &e, &s);
    if (code)
        return Done(Settle(scope, code));
    if (!e.exists || !e.st.isDir)
        return Done(Settle(scope, nw::INVALID_PATH));
    std::string rel = e.isRoot ? "" : e.Rel();
    // A directory already held keeps its handle, so that repeated checks of one path never
    // run the connection out of its 255 handles.
    NWDIR_HANDLE handle = 0;
    for (const auto& [h, place] : s->dirHandles) {
        if (place.first == e.volume && place.second == rel)
            handle = h;
    }
    for (unsigned h = 1; handle == 0 && h <= 255; ++h) {
        if (!s->dirHandles.count(static_cast<NWDIR_HANDLE>(h)))
            handle = static_cast<NWDIR_HANDLE>(h);
    }
    if (handle == 0)
        return Done(Settle(scope, kNoMoreDirHandles));
    s->dirHandles[handle] = {e.volume, rel};
    if (newHandle)
        *newHandle = handle;
    if (rightsMask)
        *rightsMask = 0xFF;
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                        const char* path, std::uint8_t* nameSpace) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code = EntryOf("NWGetOwningNameSpace", conn, dirHandle, path, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    if (!e.exists)
        return Done(Settle(scope, e.parentExists ? nw::NO_FILES_FOUND : nw::INVALID_PATH));
    std::uint8_t ns = e.volume->cfg.longNames ? nw::NS_LONG : nw::NS_DOS;
    if (!e.isRoot)
        ns = core_.Meta(e).nameSpace;
    if (nameSpace)
        *nameSpace = ns;
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                    std::uint8_t, std::uint8_t dstNameSpace, std::uint16_t,
                                    std::uint32_t, EntryInfo* info) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code = EntryOf("NWGetNSEntryInfo", conn, dirHandle, path, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    if (!e.exists)
        return Done(Settle(scope, e.parentExists ? nw::NO_FILES_FOUND : nw::INVALID_PATH));
    if (!info)
        return Done(Settle(scope, 0));
    *info = EntryInfo();
    MetaRow row = core_.Meta(e);
    info->attributes = core_.Attributes(e, row);
    info->dataStreamSize = core_.DataSize(e, row);
    info->spaceAllocated = e.st.isDir ? 0 : e.st.size;
    std::int64_t created = e.st.birth ? e.st.birth / 1000000000LL : e.st.mtime;
    PackTimes(created, &info->creationDate, &info->creationTime);
    PackTimes(e.st.mtime, &info->modifyDate, &info->modifyTime);
    std::uint16_t accessTime = 0;
    PackTimes(e.st.mtime, &info->lastAccessDate, &accessTime);
    info->inheritedRightsMask = row.irm;
    info->nameSpaceCreator = row.nameSpace;
    std::string name = e.isRoot ? e.volume->cfg.name
                                : (dstNameSpace == nw::NS_DOS ? core_.Alias(e, &row) : e.name);
    CopyOut(info->entryName, sizeof info->entryName, name);
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWIntScanDirectoryInformation2(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                                  const char* searchPath, std::uint32_t* sequence,
                                                  char* dirName, std::uint32_t* dirDateTime,
                                                  std::uint32_t* ownerID, std::uint8_t* rightsMask,
                                                  std::uint16_t) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code =
        EntryOf("NWIntScanDirectoryInformation2", conn, dirHandle, searchPath, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    // Only the entry itself is reported (sequence 0xFFFFFFFF); a scan of subdirectories ends
    // at once.
    if ((sequence && *sequence != 0xFFFFFFFF) || !e.exists || !e.st.isDir)
        return Done(Settle(scope, nw::NO_FILES_FOUND));
    MetaRow row;
    std::string name = e.volume->cfg.name;
    if (!e.isRoot) {
        row = core_.Meta(e);
        name = core_.Alias(e, &row);
    }
    CopyOut(dirName, 16, name);
    if (dirDateTime) {
        std::uint16_t date = 0, time = 0;
        PackTimes(e.st.mtime, &date, &time);
        *dirDateTime = (static_cast<std::uint32_t>(date) << 16) | time;
    }
    if (ownerID)
        *ownerID = 0;
    if (rightsMask)
        *rightsMask = 0xFF;
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                     std::uint8_t) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code = EntryOf("NWCreateDirectory", conn, dirHandle, path, true, &e, nullptr,
                           Core::Act::MakeDirectory);
    if (code)
        return Done(Settle(scope, code));
    if (e.isRoot)
        return Done(Settle(scope, nw::FILE_EXISTS));
    return Done(Settle(scope, NetWareCode(core_.MakeDirectory(e))));
}

NWCCODE SimClient::NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                       std::uint8_t, std::uint16_t, std::uint32_t modifyDOSMask,
                                       const NWEntryDOSInfo* dosInfo) {
    MetadataStore::Scope scope(core_.Store(), true);
    Entry e;
    NWCCODE code = EntryOf("NWSetNSEntryDOSInfo", conn, dirHandle, path, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    if (!e.exists)
        return Done(Settle(scope, e.parentExists ? nw::NO_FILES_FOUND : nw::INVALID_PATH));
    if (!dosInfo)
        return Done(Settle(scope, nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD));
    // The new modification time is checked before anything changes, so that a bad date
    // leaves the entry as it was.
    std::time_t newTime = -1;
    if (modifyDOSMask & (nw::DM_MODIFY_DATE | nw::DM_MODIFY_TIME)) {
        std::uint16_t date = 0, time = 0;
        PackDosTime(static_cast<std::time_t>(e.st.mtime), &date, &time);
        if (modifyDOSMask & nw::DM_MODIFY_DATE)
            date = dosInfo->modifyDate;
        if (modifyDOSMask & nw::DM_MODIFY_TIME)
            time = dosInfo->modifyTime;
        newTime = UnpackDosTime(date, time);
        if (newTime == -1)
            return Done(Settle(scope, nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD));
    }
    if (!e.isRoot) {
        // An entry without a row gets it with the new values in one insert; a row is written
        // only when a value changes.
        MetaRow row;
        core_.BeforeChange(e);
        core_.StoredMeta(e, &row);
        const MetaRow before = row;
        if (modifyDOSMask & nw::DM_ATTRIBUTES)
            row.attributes = dosInfo->attributes & ~(nw::A_DIRECTORY | nw::A_FILE_COMPRESSED);
        if (modifyDOSMask & nw::DM_INHERITED_RIGHTS_MASK)
            row.irm = static_cast<std::uint16_t>((row.irm | dosInfo->inheritanceGrantMask) &
                                                 ~dosInfo->inheritanceRevokeMask);
        // Written only when a value changes: an entry given the defaults it has needs no row.
        if (row.attributes != before.attributes || row.irm != before.irm)
            core_.SaveMeta(e, row);
        // The store takes the new values before the time changes: a store that refuses them
        // leaves the entry as it was, and the call fails with its code.
        if (const std::uint32_t failure = scope.End())
            return Done(NetWareCode(failure));
        if (modifyDOSMask & nw::DM_ATTRIBUTES)
            core_.SettleAttributes(core_.KeyOf(e));
    }
    if (newTime != -1) {
        struct timespec times[2];
        times[0].tv_nsec = UTIME_OMIT;
        times[0].tv_sec = 0;
        times[1].tv_sec = newTime;
        times[1].tv_nsec = 0;
        if (SetTimesAt(e.local, times) != 0)
            return Done(Settle(scope, nw::ACCESS_DENIED));
    }
    return Done(Settle(scope, 0));
}

// The look and the set happen under the store's write lock, which a replacement's swap and
// every row change of another program also take: nothing can come between them.
NWCCODE SimClient::RestoreAttributesIfUnchanged(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                                const char* path, std::uint8_t,
                                                std::uint64_t fileId, std::uint64_t volumeSerial,
                                                std::uint32_t wordNow, std::uint32_t attributes,
                                                bool* putBack) {
    *putBack = false;
    MetadataStore::Scope scope(core_.Store(), true);
    core_.Store().HoldWriteLock();
    Entry e;
    if (const NWCCODE code =
            EntryOf("NWSetNSEntryDOSInfo", conn, dirHandle, path, true, &e, nullptr))
        return Done(Settle(scope, code));
    if (!e.exists || e.isRoot)
        return Done(Settle(scope, e.parentExists ? nw::NO_FILES_FOUND : nw::INVALID_PATH));
    MetaRow row;
    core_.BeforeChange(e);
    core_.StoredMeta(e, &row);
    if (FileIdOf(e.st) != fileId || static_cast<std::uint64_t>(e.st.device) != volumeSerial ||
        core_.Attributes(e, row) != wordNow)
        return Done(Settle(scope, 0));
    const std::uint32_t word = attributes & ~(nw::A_DIRECTORY | nw::A_FILE_COMPRESSED);
    if (word != row.attributes) {
        row.attributes = word;
        core_.SaveMeta(e, row);
    }
    if (const std::uint32_t failure = scope.End())
        return Done(NetWareCode(failure));
    core_.SettleAttributes(core_.KeyOf(e));
    *putBack = true;
    return Done(0);
}

NWCCODE SimClient::NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t,
                                 std::uint8_t dataStream, const char* path,
                                 NW_NS_OPENCREATE* request, win::HANDLE* fileHandle) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    const bool creating = request && (request->openCreateMode & nw::OC_MODE_CREATE);
    NWCCODE code = EntryOf("NWOpenNSEntry", conn, dirHandle, path, true, &e, nullptr,
                           creating ? Core::Act::CreateIn : Core::Act::Read);
    if (code)
        return Done(Settle(scope, code));
    if (!request || dataStream != 0)
        return Done(Settle(scope, nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD));
    std::uint8_t mode = request->openCreateMode;
    std::uint16_t rights = request->accessRights;
    Core::OpenRequest r;
    r.read = rights & nw::AR_READ;
    r.write = rights & nw::AR_WRITE;
    r.share = (rights & nw::AR_DENY_READ ? 0 : win::FILE_SHARE_READ) |
              (rights & nw::AR_DENY_WRITE ? 0 : win::FILE_SHARE_WRITE);
    r.compressedMode = rights & nw::AR_OPEN_COMPRESSED;
    r.create = mode & nw::OC_MODE_CREATE;
    r.truncate = e.exists && (mode & nw::OC_MODE_REPLACE);
    if (e.exists && !(mode & (nw::OC_MODE_OPEN | nw::OC_MODE_REPLACE)))
        return Done(Settle(scope, nw::FILE_EXISTS));
    win::HANDLE h = win::INVALID_HANDLE_VALUE;
    bool created = false;
    std::uint32_t err = core_.OpenNetworkFile(e, r, &h, &created);
    if (err)
        return Done(Settle(scope, NetWareCode(err)));
    request->NetWareHandle = static_cast<std::uint32_t>(h);
    request->openCreateAction = created ? 0x02 : (r.truncate ? 0x04 : 0x01);
    if (fileHandle)
        *fileHandle = h;
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWSetCompressedFileSize(NWCONN_HANDLE conn, win::HANDLE fileHandle,
                                           std::uint64_t requestedSize, std::uint64_t* resultSize) {
    Server* s = core_.ServerOfConnection(conn);
    OpenFile* f = core_.File(fileHandle);
    if (auto code = Refused("NWSetCompressedFileSize", s, f ? f->faultPath : ""))
        return Done(*code);
    if (!f || f->server != s)
        return Done(kInvalidFileHandle);
    return Done(core_.DeclareCompressed(*f, requestedSize, resultSize));
}

NWCCODE SimClient::NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint8_t, std::uint8_t dstNameSpace, char* longName) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code = EntryOf("NWGetLongName", conn, dirHandle, path, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    if (!e.exists)
        return Done(Settle(scope, e.parentExists ? nw::NO_FILES_FOUND : nw::INVALID_PATH));
    std::string name = e.volume->cfg.name;
    if (!e.isRoot) {
        MetaRow row = core_.Meta(e);
        name = dstNameSpace == nw::NS_DOS ? core_.Alias(e, &row) : e.name;
    }
    CopyOut(longName, nw::kLongNameSize, name);
    return Done(Settle(scope, 0));
}

NWCCODE SimClient::NWUnpackDateTime(std::uint32_t dateTime, NW_DATE* date, NW_TIME* time) {
    if (auto code = Fault("NWUnpackDateTime"))
        return Done(*code);
    auto d = static_cast<std::uint16_t>(dateTime >> 16);
    auto t = static_cast<std::uint16_t>(dateTime & 0xFFFF);
    if (date) {
        date->day = static_cast<std::uint8_t>(d & 0x1F);
        date->month = static_cast<std::uint8_t>((d >> 5) & 0x0F);
        date->year = static_cast<std::uint16_t>((d >> 9) + 1980);
    }
    if (time) {
        time->seconds = static_cast<std::uint8_t>((t & 0x1F) * 2);
        time->minutes = static_cast<std::uint8_t>((t >> 5) & 0x3F);
        time->hours = static_cast<std::uint16_t>(t >> 11);
    }
    return Done(0);
}

NWCCODE SimClient::NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path) {
    MetadataStore::Scope scope(core_.Store());
    Entry e;
    NWCCODE code = EntryOf("NWDeleteDirectory", conn, dirHandle, path, true, &e, nullptr);
    if (code)
        return Done(Settle(scope, code));
    std::uint32_t err = core_.RemoveDirectoryEntry(e);
    if (err == win::ERROR_FILE_NOT_FOUND)
        return Done(Settle(scope, nw::INVALID_PATH));
    return Done(Settle(scope, NetWareCode(err)));
}

bool SimClient::LocalPathToNetWarePath(const std::string& localPath, std::string* netPath) {
    if (localPath.empty() || localPath[0] != '/')
        return false;
    // Each name of the local path must be a NetWare name; a backslash inside a Linux name is
    // part of that name, never a separator.
    {
        std::string name;
        for (char c : localPath + "/") {
            if (c == '/') {
                if (!name.empty() && !IsNetWareName(name))
                    return false;
                name.clear();
            } else {
                name += c;
            }
        }
    }
    NetLoc loc;
    std::string local;
    if (core_.Classify(localPath, &loc, &local) != Where::Network)
        return false;
    for (const std::string& part : loc.parts) {
        if (!IsNetWareName(part))
            return false;  // never turned into a path: the name cannot be a NetWare name
    }
    std::string net = core_.NetForm(loc);
    if (HasAtLeastCharacters(net, win::MAX_PATH))
        return false;
    if (netPath)
        *netPath = net;
    return true;
}

}  // namespace sim

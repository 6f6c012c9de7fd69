#include "netware/attach_login.h"

#include "netware/login_dialog.h"
#include "netware/target_server.h"
#include "platform/window_system.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/string_table.h"

bool AttachSkippedAsBindery = false;

namespace {

constexpr std::uint32_t kStatusRecordSize = 124;

// Directory Services calls need the Unicode tables of the locale's country and code page.
NWCCODE InitUnicodeTablesForLocale() {
    LCONV locale;
    NetWare().NWLlocaleconv(&locale);
    return NetWare().NWInitUnicodeTables(locale.country_id, locale.code_page);
}

// Authenticates the connection to the tree the workstation is authenticated to. Failures are
// silent: a server outside the tree (a bindery server) is then logged in to its bindery.
bool AuthenticateThroughDirectoryServices(NWCONN_HANDLE conn) {
    NetWareClient& nw = NetWare();
    bool authenticated = false;
    if (InitUnicodeTablesForLocale() == nw::SUCCESSFUL &&
        nw.NWDSAuthenticate(conn, 0, nullptr) == nw::SUCCESSFUL) {
        nw.NWDSLockConnection(conn);  // its result does not matter
        authenticated = true;
    }
    nw.NWFreeUnicodeTables();
    return authenticated;
}

// Logs in to the server's bindery with the remembered credentials (empty the first time);
// when they are refused in an attended run, the per-server login dialog takes over.
bool BinderyLogin(NWCONN_HANDLE conn, const std::string& serverName) {
    const NWCCODE code =
        NetWare().NWLoginToFileServer(conn, LoginName.c_str(), nw::OT_USER, LoginPassword.c_str());
    if (code == nw::PASSWORD_EXPIRED) {
        ErrorBox(LoadResString(IDS_WARN_PASSWORD_EXPIRED), LoginName.c_str(), serverName.c_str());
        return true;
    }
    if (code == nw::SUCCESSFUL)
        return true;
    if (CopyOptions.UnattendedMode) {
        ErrorBox(LoadResString(IDS_ERR_LOGIN), serverName.c_str(), LoginName.c_str(), code);
        return false;
    }
    LoginDialogForServer = true;
    win::Ui().ShowLoginDialog(win::kMainWindow);
    // The dialog logged in itself; Cancel leaves the user name empty.
    return !LoginName.empty();
}

}  // namespace

bool AttachAndLogin(const std::string& serverName) {
    NetWareClient& nw = NetWare();
    AttachSkippedAsBindery = false;
    // The per-server login dialog names the server in its messages.
    TargetServer.name = serverName;
    TargetServer.wasLoggedIn = false;
    TargetServer.statusRead = false;
    TargetServer.isDirectoryServicesServer = false;

    NWCONN_HANDLE conn = 0;
    if (nw.NWGetConnectionHandle(serverName.c_str(), 0, &conn, nullptr) != nw::SUCCESSFUL) {
        const NWCCODE code = nw.NWAttachToFileServer(serverName.c_str(), 0, &conn);
        if (code != nw::SUCCESSFUL) {
            ErrorBox(LoadResString(IDS_ERR_ATTACH), serverName.c_str(), code);
            return false;
        }
    }
    TargetServer.connection = conn;

    char treeName[nw::kNameSize] = {};
    TargetServer.isDirectoryServicesServer = nw.NWIsDSServer(conn, treeName);

    // Only NetWare 4.x (Directory Services) servers wanted: the others are passed over.
    if (CopyOptions.Netware4xServers && !TargetServer.isDirectoryServicesServer) {
        AttachSkippedAsBindery = true;
        return false;
    }

    if (conn == PrimaryConnection)
        return true;  // the primary connection is always logged in

    NWCCConnStatus status;
    const NWCCODE code = nw.NWGetConnectionStatus(conn, &status, kStatusRecordSize);
    if (code != nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_SERVER_STATUS), serverName.c_str(), code);
        return false;
    }
    TargetServer.statusRead = true;
    TargetServer.wasLoggedIn = (status.flags & nw::CONN_LOGGED_IN) != 0;

    const bool treeAuthenticated = nw.NWIsDSAuthenticated();
    if (TargetServer.wasLoggedIn)
        return true;
    if (treeAuthenticated && AuthenticateThroughDirectoryServices(conn))
        return true;
    return BinderyLogin(conn, serverName);
}

void ReleaseServer(NWCONN_HANDLE conn) {
    NetWareClient& nw = NetWare();
    NWCCConnStatus status;
    if (nw.NWGetConnectionStatus(conn, &status, kStatusRecordSize) != nw::SUCCESSFUL)
        return;
    if ((status.flags & nw::CONN_LOGGED_IN) == 0)
        return;
    if (status.flags & nw::CONN_DS) {
        if (InitUnicodeTablesForLocale() != nw::SUCCESSFUL)
            return;
        nw.NWDSUnlockConnection(conn);
        nw.NWFreeConnectionSlot(conn, 0);
        nw.NWFreeUnicodeTables();
        return;
    }
    nw.NWLogoutFromFileServer(conn);
    nw.NWDetachFromFileServer(conn);
}

#include "netware/client_startup.h"

#include "netware/target_server.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::uint32_t kStatusRecordSize = 124;
static_assert(sizeof(NWCCConnStatus) == kStatusRecordSize);

// Start-up failures are shown directly to the user (never logged, shown in unattended mode
// too): the program cannot run without a working primary connection.
bool StartupFailed(unsigned messageId, NWCCODE code) {
    win::Ui().MessageBox(win::kMainWindow, FormatText(LoadResString(messageId), code),
                         LoadResString(IDS_CAPTION_FARCAST),
                         win::MB_OK | win::MB_ICONSTOP | win::MB_SETFOREGROUND);
    return false;
}

}  // namespace

bool StartNetWareClient() {
    NetWareClient& nw = NetWare();

    NWCCODE code = nw.NWCallsInit(nullptr, nullptr);
    if (code != nw::SUCCESSFUL)
        return StartupFailed(IDS_ERR_CALLS_INIT, code);

    NWCONN_HANDLE primary = 0;
    code = nw.NWGetPrimaryConnectionID(&primary);
    if (code != nw::SUCCESSFUL)
        return StartupFailed(IDS_ERR_PRIMARY_CONNECTION, code);
    PrimaryConnection = primary;

    std::uint16_t connectionNumber = 0;
    code = nw.NWGetConnectionNumber(PrimaryConnection, &connectionNumber);
    if (code != nw::SUCCESSFUL)
        return StartupFailed(IDS_ERR_CONNECTION_NUMBER, code);

    // Only the login object's name is used; type, ID and login time are asked for and dropped.
    char loginName[nw::kNameSize] = {};
    std::uint16_t objectType = 0;
    std::uint32_t objectId = 0;
    std::uint8_t loginTime[7] = {};
    code = nw.NWGetConnectionInformation(PrimaryConnection, connectionNumber, loginName,
                                         &objectType, &objectId, loginTime);
    if (code != nw::SUCCESSFUL)
        return StartupFailed(IDS_ERR_PRIMARY_LOGIN_NAME, code);
    loginName[nw::kNameSize - 1] = '\0';
    PrimaryLoginName = loginName;

    NWCCConnStatus status;
    code = nw.NWGetConnectionStatus(PrimaryConnection, &status, kStatusRecordSize);
    if (code != nw::SUCCESSFUL)
        return StartupFailed(IDS_ERR_PRIMARY_STATUS, code);

    return true;
}

bool IsDirectoryServicesConnection(NWCONN_HANDLE conn) {
    NWCCConnStatus status;
    // A failed status query counts as a bindery connection.
    if (NetWare().NWGetConnectionStatus(conn, &status, kStatusRecordSize) != nw::SUCCESSFUL)
        return false;
    return (status.flags & nw::CONN_DS) != 0;
}

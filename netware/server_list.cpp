#include "netware/server_list.h"

#include "copy/copy_run.h"
#include "netware/target_server.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

bool FillServerList() {
    // The wait cursor only when no progress dialog has a cursor of its own.
    const bool waitCursor = ProgressDialog == win::kNoWindow;
    if (waitCursor)
        win::Ui().SetWaitCursor(true);

    win::Ui().ServerListReset();
    const NWCCODE code =
        ScanFileServers([](const std::string& name) { win::Ui().ServerListAdd(name); });
    if (code != nw::SUCCESSFUL) {
        // The names found so far stay in the list; the program ends anyway.
        if (waitCursor)
            win::Ui().SetWaitCursor(false);
        win::Ui().MessageBox(win::kMainWindow,
                             FormatText(LoadResString(IDS_ERR_SCAN_SERVERS), code),
                             LoadResString(IDS_CAPTION_FARCAST),
                             win::MB_OK | win::MB_ICONSTOP | win::MB_SETFOREGROUND);
        return false;
    }

    if (waitCursor)
        win::Ui().SetWaitCursor(false);
    return true;
}

NWCCODE ScanFileServers(const std::function<void(const std::string&)>& found) {
    std::uint32_t objectId = 0xFFFFFFFF;  // start of the scan
    for (;;) {
        char name[nw::kNameSize] = {};
        std::uint16_t objectType = 0;
        std::uint8_t hasProperties = 0, objectFlags = 0, objectSecurity = 0;
        const NWCCODE code = NetWare().NWScanObject(
            PrimaryConnection, LoadResString(IDS_SCAN_ALL_NAMES), nw::OT_FILE_SERVER, &objectId,
            name, &objectType, &hasProperties, &objectFlags, &objectSecurity);
        if (code == nw::NO_SUCH_OBJECT)
            return nw::SUCCESSFUL;  // the scan is complete
        if (code != nw::SUCCESSFUL)
            return code;
        name[nw::kNameSize - 1] = '\0';
        found(name);
    }
}

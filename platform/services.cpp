// The stand-ins the program has installed: file services, NetWare client, window system.
#include "netware/netware_client.h"
#include "platform/file_services.h"
#include "platform/window_system.h"

NWCCODE LastNetWareError = 0;

namespace {
win::FileServices* g_files = nullptr;
NetWareClient* g_netware = nullptr;
win::WindowSystem* g_ui = nullptr;
win::DialogCancelHandler g_cancelHandler = nullptr;
}  // namespace

namespace win {

FileServices& Files() {
    return *g_files;
}
void SetFiles(FileServices* files) {
    g_files = files;
}

WindowSystem& Ui() {
    return *g_ui;
}
void SetUi(WindowSystem* ui) {
    g_ui = ui;
}

void SetDialogCancelHandler(DialogCancelHandler handler) {
    g_cancelHandler = handler;
}
void NotifyDialogCancelled(WindowId dialog) {
    if (g_cancelHandler)
        g_cancelHandler(dialog);
}

bool PumpMessages() {
    if (g_ui)
        g_ui->PumpMessages();
    return true;
}

}  // namespace win

NetWareClient& NetWare() {
    return *g_netware;
}
void SetNetWare(NetWareClient* client) {
    g_netware = client;
}

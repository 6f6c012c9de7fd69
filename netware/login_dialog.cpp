#include "netware/login_dialog.h"

#include <cctype>

#include "netware/netware_client.h"
#include "netware/target_server.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

std::string LoginName;
std::string LoginPassword;
bool LoginDialogForServer = false;

namespace {

constexpr std::size_t kMaxCredentialLength = 47;
constexpr int kUserNameControl = 218;
constexpr int kPasswordControl = 219;
constexpr int kUserNameHelpTopic = 3070;
constexpr int kPasswordHelpTopic = 3080;

// What an edit field of 48 characters gives: at most 47, never half a multi-byte character.
std::string FieldText(const std::string& text) {
    if (text.size() <= kMaxCredentialLength)
        return text;
    std::size_t cut = kMaxCredentialLength;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

std::string UpperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The name of the current server as its connection reports it; the list entry's text when
// the connection cannot tell.
std::string CurrentServerName() {
    char name[nw::kNameSize] = {};
    if (NetWare().NWGetFileServerName(TargetServer.connection, name) != nw::SUCCESSFUL)
        return TargetServer.name;
    name[nw::kNameSize - 1] = '\0';
    return name;
}

}  // namespace

LoginDialogStart LoginDialogInit() {
    LoginDialogStart start;
    if (LoginDialogForServer)
        start.prompt =
            FormatText(LoadResString(IDS_LOGIN_PROMPT_SERVER), CurrentServerName().c_str());
    else
        start.prompt = LoadResString(IDS_LOGIN_PROMPT_3X);
    start.userName = LoginName.empty() ? PrimaryLoginName : LoginName;
    return start;
}

LoginDialogOutcome LoginDialogOk(win::WindowId dialog, const std::string& userName,
                                 const std::string& password) {
    LoginName = FieldText(userName);
    if (LoginName.empty()) {
        win::Ui().MessageBox(dialog, LoadResString(IDS_LOGIN_USERID_REQUIRED),
                             LoadResString(IDS_CAPTION_FARCAST),
                             win::MB_OK | win::MB_ICONEXCLAMATION | win::MB_SETFOREGROUND);
        return LoginDialogOutcome::KeepOpen;
    }
    LoginName = UpperCase(LoginName);
    LoginPassword = UpperCase(FieldText(password));
    if (!LoginDialogForServer)
        return LoginDialogOutcome::Close;

    // Per-server mode: the dialog logs in to the current server itself and stays open for
    // another try when the credentials are refused.
    const std::string& server = TargetServer.name;
    const NWCCODE code = NetWare().NWLoginToFileServer(TargetServer.connection, LoginName.c_str(),
                                                       nw::OT_USER, LoginPassword.c_str());
    if (code == nw::SUCCESSFUL)
        return LoginDialogOutcome::Close;
    if (code == nw::PASSWORD_EXPIRED) {
        ErrorBox(LoadResString(IDS_WARN_PASSWORD_EXPIRED), LoginName.c_str(), server.c_str());
        return LoginDialogOutcome::Close;
    }
    ErrorBox(LoadResString(IDS_ERR_LOGIN), server.c_str(), LoginName.c_str(), code);
    return LoginDialogOutcome::KeepOpen;
}

void LoginDialogCancel() {
    LoginName.clear();
}

int LoginDialogHelpContext(int control) {
    switch (control) {
        case kUserNameControl:
            return kUserNameHelpTopic;
        case kPasswordControl:
            return kPasswordHelpTopic;
        default:
            return 0;
    }
}

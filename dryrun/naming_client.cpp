#include "dryrun/naming_client.h"

#include <algorithm>
#include <cstring>

namespace dryrun {

namespace {

// The server named at the start of a network path ("\\SERVER\..."), or "".
std::string ServerNamed(const char* path) {
    const std::string key = Overlay::Key(path ? path : "");
    return key.empty() ? std::string() : Overlay::ServerOf(key);
}

}  // namespace

void CopyOut(char* out, std::size_t size, const std::string& text) {
    if (!out || size == 0)
        return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

NWCCODE NamingClient::NWGetConnectionHandle(const char* serverName, std::uint16_t reserved,
                                            NWCONN_HANDLE* conn, std::uint16_t* connScope) {
    NWCONN_HANDLE got = 0;
    const NWCCODE code = inner_.NWGetConnectionHandle(serverName, reserved, &got, connScope);
    if (code == nw::SUCCESSFUL && serverName)
        state_.NoteServer(got, serverName);
    if (conn)
        *conn = got;
    return code;
}

NWCCODE NamingClient::NWAttachToFileServer(const char* serverName, std::uint16_t scopeFlag,
                                           NWCONN_HANDLE* conn) {
    NWCONN_HANDLE got = 0;
    const NWCCODE code = inner_.NWAttachToFileServer(serverName, scopeFlag, &got);
    if (code == nw::SUCCESSFUL && serverName)
        state_.NoteServer(got, serverName);
    if (conn)
        *conn = got;
    return code;
}

NWCCODE NamingClient::NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn,
                                  char* volumeName, char* dirPath) {
    char server[nw::kNameSize] = {};
    NWCONN_HANDLE got = 0;
    const NWCCODE code = inner_.NWParsePath(path, server, &got, volumeName, dirPath);
    if (code == nw::SUCCESSFUL)
        state_.NoteServer(got, server);
    if (serverName)
        CopyOut(serverName, nw::kNameSize, server);
    if (conn)
        *conn = got;
    return code;
}

NWCCODE NamingClient::NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn,
                                         NWDIR_HANDLE* dirHandle, char* newPath) {
    NWCONN_HANDLE got = 0;
    NWDIR_HANDLE handle = 0;
    char relative[win::MAX_PATH] = {};
    const NWCCODE code = inner_.NWParseNetWarePath(path, &got, &handle, relative);
    if (code == nw::SUCCESSFUL) {
        state_.NoteServer(got, ServerNamed(path));
        if (handle == 0)
            state_.NoteParsed(got, relative, path ? path : "");
    }
    if (conn)
        *conn = got;
    if (dirHandle)
        *dirHandle = handle;
    if (newPath)
        CopyOut(newPath, win::MAX_PATH, relative);
    return code;
}

}  // namespace dryrun

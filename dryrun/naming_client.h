#pragma once
// A NetWare client layer that learns how the engine names places as it makes its calls (which
// server each connection reaches, how each parsed path was spelled), so that a layer over it
// can print the engine's actions in the engine's own words. The calls go on unchanged.

#include <cstddef>
#include <string>

#include "dryrun/forwarding_client.h"
#include "dryrun/plan_state.h"

namespace dryrun {

class NamingClient : public ForwardingClient {
  public:
    NamingClient(NetWareClient& inner, PlanState& state) : ForwardingClient(inner), state_(state) {}

    NWCCODE NWGetConnectionHandle(const char* serverName, std::uint16_t reserved,
                                  NWCONN_HANDLE* conn, std::uint16_t* connScope) override;
    NWCCODE NWAttachToFileServer(const char* serverName, std::uint16_t scopeFlag,
                                 NWCONN_HANDLE* conn) override;
    NWCCODE NWParsePath(const char* path, char* serverName, NWCONN_HANDLE* conn, char* volumeName,
                        char* dirPath) override;
    NWCCODE NWParseNetWarePath(const char* path, NWCONN_HANDLE* conn, NWDIR_HANDLE* dirHandle,
                               char* newPath) override;

  protected:
    PlanState& state_;
};

// Copies text into a buffer of size bytes, cut to fit and always terminated.
void CopyOut(char* out, std::size_t size, const std::string& text);

}  // namespace dryrun

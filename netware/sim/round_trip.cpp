// The time a call to a server takes on the wire. Every call of the NetWare client and of the
// file services that concerns a server checks its faults first, so that check is where the
// call also waits for its answer; the metadata store's own write checks are no calls and
// never wait.

#include <chrono>
#include <cstring>
#include <thread>

#include "netware/sim/sim_core.h"

namespace sim {

void Core::RoundTrip(const char* call, const Server* server) const {
    if (!server || server->cfg.latencyMs <= 0 || std::strcmp(call, kStoreWriteCall) == 0)
        return;
    // sleep_for goes on sleeping after a signal handler has run: the answer still takes its
    // full time, as a reply on the wire would.
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(server->cfg.latencyMs));
}

}  // namespace sim

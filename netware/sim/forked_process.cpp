// A network used by processes forked from the one that opened it. SQLite forbids carrying a
// connection across fork, so the parent closes its connection before forking and every
// process opens its own; the journal's file names its process, so a child writes its records
// to a file of its own, which the recovery of a later process finds when the child dies.

#include "netware/sim/sim_network_impl.h"

namespace sim {

bool NetworkImpl::TakeStore(bool child, std::string* error) {
    if (child) {
        core_.Log().StartOwnFile();
        core_.DropParked();
    }
    return core_.Store().Open(core_.Root() + "/.netsim/metadata.db", error);
}

void NetworkImpl::EndProcess() {
    core_.Log().Close();
    core_.Store().Close();
}

}  // namespace sim

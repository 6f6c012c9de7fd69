#include "netware/sim/sim_network.h"
bool sim::CreateDemoNetwork(const std::string&, std::string* error) {
    if (error)
        *error = "not yet";
    return false;
}

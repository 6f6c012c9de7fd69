#pragma once
// Opening the simulated network for a command-line tool, with the message that tells a user
// what to do when there is none yet.

#include <memory>
#include <string>

#include "netware/sim/sim_network.h"
#include "util/shell_word.h"

// The network at root, or null with *error set: when root holds no network (no network.toml),
// noNetworkFormat with root and the command that creates the demo network there (both "%s");
// when it holds one that cannot be used, unusableFormat with the reason ("%s").
std::unique_ptr<sim::SimNetwork> OpenNetworkAt(const std::string& root, unsigned noNetworkFormat,
                                               unsigned unusableFormat, std::string* error,
                                               bool finishStoppedWork = true);

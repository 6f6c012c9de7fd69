#pragma once
// Another program working on a simulated network while a test runs: a child process that opens
// the network, makes a temporary file the way a copy does, and waits until it is killed, its
// journal live all the while.

#include <sys/types.h>

#include <cstdint>
#include <string>

struct LiveProgram {
    pid_t pid = -1;
    std::string temporaryFile;  // the network path of its temporary file; empty when none made
};

// Starts it; directory: where the temporary file is made (a network path). attributes, when
// not 0, are given to the file (as a copy gives the source's before its rename).
LiveProgram StartLiveProgram(const std::string& root, const std::string& directory,
                             std::uint32_t attributes = 0);
// Kills it and waits for its end.
void StopLiveProgram(LiveProgram& program);

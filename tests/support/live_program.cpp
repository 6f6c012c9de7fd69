#include "tests/support/live_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "netware/sim/sim_network.h"

LiveProgram StartLiveProgram(const std::string& root, const std::string& directory,
                             std::uint32_t attributes) {
    int ready[2];
    LiveProgram program;
    if (::pipe(ready) != 0)
        return program;
    std::fflush(nullptr);
    program.pid = ::fork();
    if (program.pid == 0) {
        ::close(ready[0]);
        std::string error;
        auto net = sim::SimNetwork::Open(root, &error);
        char name[win::kPathBufferSize] = {};
        bool made = net && net->FileServices().GetTempFileName(directory.c_str(), "FCT", 0, name);
        if (made && attributes != 0)
            made = net->FileServices().SetFileAttributes(name, attributes);
        const std::string answer = made ? std::string(name) + "\n" : "\n";
        (void)!::write(ready[1], answer.data(), answer.size());
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(ready[0], &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != 1 || c == '\n')
            break;
        program.temporaryFile += c;
    }
    ::close(ready[0]);
    return program;
}

void StopLiveProgram(LiveProgram& program) {
    if (program.pid <= 0)
        return;
    ::kill(program.pid, SIGKILL);
    ::waitpid(program.pid, nullptr, 0);
    program.pid = -1;
}

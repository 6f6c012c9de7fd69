#include "util/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

struct StopSignals::Previous {
    int signal = 0;
    struct sigaction action {};
};

namespace {

// The handler's whole state: async-signal-safe by construction.
volatile std::sig_atomic_t g_latest = 0;
volatile std::sig_atomic_t g_pending = 0;
int g_writeFd = -1;

void NoteSignal(int signal) {
    const int savedErrno = errno;
    g_latest = signal;
    g_pending = 1;
    const char byte = 1;
    // A full pipe already says that a signal came; the byte may then be dropped.
    [[maybe_unused]] const ssize_t written = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals(std::initializer_list<int> caught) {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readFd_ = fds[0];
    g_writeFd = fds[1];
    g_latest = 0;
    g_pending = 0;
    installed_ = true;
    for (const int signal : caught) {
        struct sigaction action {};
        action.sa_handler = &NoteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        Previous previous;
        previous.signal = signal;
        if (::sigaction(signal, nullptr, &previous.action) != 0) {
            installed_ = false;
            continue;
        }
        // A signal ignored from the start (nohup, a background job) stays ignored.
        if (previous.action.sa_handler == SIG_IGN)
            continue;
        if (::sigaction(signal, &action, nullptr) != 0) {
            installed_ = false;
            continue;
        }
        previous_.push_back(previous);
    }
}

StopSignals::~StopSignals() {
    for (const Previous& previous : previous_)
        ::sigaction(previous.signal, &previous.action, nullptr);
    if (readFd_ >= 0)
        ::close(readFd_);
    if (g_writeFd >= 0)
        ::close(g_writeFd);
    g_writeFd = -1;
}

bool StopSignals::Take() {
    if (!g_pending)
        return false;
    g_pending = 0;
    char bytes[64];
    while (::read(readFd_, bytes, sizeof bytes) > 0) {
    }
    return true;
}

int StopSignals::Latest() {
    return g_latest;
}

#pragma once
// The signals that ask a program to stop (SIGINT, SIGTERM, SIGHUP), caught without doing any
// work in the handler: the handler notes the signal and writes one byte to a pipe, nothing
// more. The program acts on it in its own loop, by asking Take() where it polls anyway (a
// pump) or by watching the pipe's read end (an event loop's socket notifier).
//
// One StopSignals exists at a time; it installs its handlers when made and puts the previous
// ones back when it goes. A signal that is ignored when it is made (nohup, a background job
// of a shell) stays ignored. Interrupted system calls are restarted (SA_RESTART).

#include <initializer_list>
#include <vector>

class StopSignals {
  public:
    explicit StopSignals(std::initializer_list<int> caught);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe or a handler could not be set up (the signals then act as before).
    bool Installed() const { return installed_; }
    // Readable once a signal has arrived; -1 when not installed.
    int ReadFd() const { return readFd_; }
    // True when a signal arrived since the last call; empties the pipe. Costs no system call
    // while no signal has come.
    bool Take();
    // The number of the latest signal caught, 0 while none has come.
    static int Latest();

  private:
    struct Previous;
    std::vector<Previous> previous_;
    int readFd_ = -1;
    bool installed_ = false;
};

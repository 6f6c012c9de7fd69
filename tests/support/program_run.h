#pragma once
// Runs one of the project's programs as a script runs it: arguments, extra environment,
// standard output and standard error kept, exit status. Started programs may be signalled
// while they run.
//
//   RunningProgram run(ProgramPath("farcast-run"), {"--select", "T1", ...},
//   {"FARCAST_NETWORK=..."}); kill(run.Pid(), SIGINT); ProgramResult result = run.Wait();

#include <sys/types.h>

#include <string>
#include <vector>

struct ProgramResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// build/bin/NAME of the build the tests belong to.
std::string ProgramPath(const std::string& name);

class RunningProgram {
  public:
    // env: NAME=VALUE entries added to (or replacing in) this process's environment.
    RunningProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t Pid() const { return pid_; }
    // The processes the program forked that still run (children only).
    std::vector<pid_t> Children() const;
    ProgramResult Wait();

  private:
    pid_t pid_ = -1;
    std::string outFile_;
    std::string errFile_;
};

// Runs the program to its end.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env);

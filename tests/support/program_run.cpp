#include "tests/support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempFile() {
    std::string pattern = "/tmp/farcast-program-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0)
        ::close(fd);
    return pattern;
}

}  // namespace

std::string ProgramPath(const std::string& name) {
    return std::string(FARCAST_BIN_DIR) + "/" + name;
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& env)
    : outFile_(TempFile()), errFile_(TempFile()) {
    pid_ = ::fork();
    if (pid_ != 0)
        return;
    // The child: its own process group, so that a test's signal reaches only what it means.
    ::setpgid(0, 0);
    for (const std::string& entry : env)
        ::putenv(const_cast<char*>(entry.c_str()));
    const int out = ::open(outFile_.c_str(), O_WRONLY | O_TRUNC);
    const int err = ::open(errFile_.c_str(), O_WRONLY | O_TRUNC);
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::dup2(in, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
    ::unlink(outFile_.c_str());
    ::unlink(errFile_.c_str());
}

std::vector<pid_t> RunningProgram::Children() const {
    std::vector<pid_t> children;
    std::ifstream in("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) +
                     "/children");
    for (pid_t child = 0; in >> child;)
        children.push_back(child);
    return children;
}

ProgramResult RunningProgram::Wait() {
    ProgramResult result;
    if (pid_ <= 0)
        return result;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = Contents(outFile_);
    result.err = Contents(errFile_);
    return result;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
    return RunningProgram(program, args, env).Wait();
}

#include "tools/parallel_passes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "copy/run_driver.h"
#include "dryrun/forwarding_files.h"
#include "report/log_file.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "tools/pass_report.h"
#include "util/format_text.h"
#include "util/stop_signals.h"
#include "util/string_table.h"

namespace {

constexpr int kPassCouldNotStart = 2;  // a pass's exit status when it could not open the store
constexpr int kWakeMs = 250;           // the longest the run waits without looking at signals
constexpr auto kProgressEvery = std::chrono::milliseconds(200);  // a pass's progress frames

std::uint64_t Count(const ByteCount& count) {
    return count.IsError() ? 0 : count.ToU64();
}

// A pass's log records go to the run, which appends them in server list order; the log file's
// handle, inherited from the run, is never written by a pass.
class LogToRun : public dryrun::ForwardingFiles {
  public:
    LogToRun(win::FileServices& inner, PassReportWriter& report)
        : ForwardingFiles(inner), report_(report) {}

    bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* written) override {
        if (file == win::INVALID_HANDLE_VALUE || file != CopyRun.LogFile)
            return ForwardingFiles::WriteFile(file, buffer, toWrite, written);
        report_.Send(PassFrame::Log, std::string(static_cast<const char*>(buffer), toWrite));
        if (written)
            *written = toWrite;
        return true;
    }

  private:
    PassReportWriter& report_;
};

// The run's totals that a pass adds to, and where a pass's totals carry them.
constexpr ByteCount CopyRunState::*kRunCounts[] = {
    &CopyRunState::RunFilesUpdated,       &CopyRunState::RunBytesUpdated,
    &CopyRunState::RunBytesProcessed,     &CopyRunState::RunFilesDeleted,
    &CopyRunState::RunDirectoriesDeleted, &CopyRunState::RunBytesDeleted};
constexpr ByteCount PassTotals::*kPassCounts[] = {
    &PassTotals::filesUpdated, &PassTotals::bytesUpdated,       &PassTotals::bytesProcessed,
    &PassTotals::filesDeleted, &PassTotals::directoriesDeleted, &PassTotals::bytesDeleted};

PassTotals RunTotalsNow() {
    PassTotals totals;
    for (std::size_t i = 0; i < std::size(kPassCounts); ++i)
        totals.*kPassCounts[i] = CopyRun.*kRunCounts[i];
    totals.errorMessages = CopyRun.ErrorMessages;
    return totals;
}

sigset_t StopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

struct Pass {
    pid_t pid = -1;
    int fd = -1;  // the report's reading end, -1 once read to its end
    bool started = false;
    bool ended = false;
    bool notReached = false;  // the run stopped before the pass's turn came
    int waitStatus = 0;
    int startErrno = 0;  // the pass could not be started
    PassReportReader report;
};

// The pass's whole life in its own process; never returns.
[[noreturn]] void RunPass(const ParallelPassesSetup& setup, std::uint32_t index, int fd,
                          const sigset_t& runMask, pid_t run) {
    const std::string& name = CopyRun.ServerResults[index].name;
    ::prctl(PR_SET_NAME, name.substr(0, 15).c_str(), 0, 0, 0);
    PassReportWriter report(fd);
    PassFrameBuffer output(report, PassFrame::Output);
    PassFrameBuffer errors(report, PassFrame::Errors);
    std::cout.rdbuf(&output);
    std::cerr.rdbuf(&errors);
    LogToRun files(win::Files(), report);
    win::SetFiles(&files);

    // The run's catcher writes to a pipe the run reads: the pass catches the signals itself,
    // and only then lets through one that came since the fork.
    StopSignals signals({SIGINT, SIGTERM, SIGHUP});
    // A run that ends without ending its passes (kill -9) stops them as Cancel does; a report
    // that can no longer be heard fails its writes instead of killing the pass mid-file.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM, 0, 0, 0);
    if (::getppid() != run)
        ::raise(SIGTERM);
    ::signal(SIGPIPE, SIG_IGN);
    ::sigprocmask(SIG_SETMASK, &runMask, nullptr);
    bool stopped = false;
    const std::uint64_t processedBefore = Count(CopyRun.RunBytesProcessed);
    auto nextProgress = std::chrono::steady_clock::time_point{};
    setup.ui->onPump = [&] {
        if (signals.Take())
            stopped = true;
        if (stopped)
            setup.cancelLikeTheUser();
        const auto now = std::chrono::steady_clock::now();
        if (setup.passProgress && now >= nextProgress) {
            report.SendProgress(setup.passProgress(processedBefore));
            nextProgress = now + kProgressEvery;
        }
    };

    std::string error;
    int status = 0;
    if (!setup.network->TakeStore(true, &error)) {
        std::cerr << FormatText(LoadResString(IDS_RUN_NETWORK_UNUSABLE), error.c_str()) << '\n';
        status = kPassCouldNotStart;
    } else {
        // The run's totals hold the passes that ended before this one started: the pass
        // sends what it added.
        const PassTotals before = RunTotalsNow();
        const bool goOn = RunServerTurn(index);
        PassTotals totals = RunTotalsNow();
        for (std::size_t i = 0; i < std::size(kPassCounts); ++i)
            totals.*kPassCounts[i] -= before.*kPassCounts[i];
        totals.errorMessages -= before.errorMessages;
        totals.result = CopyRun.ServerResults[index];
        totals.goOn = goOn;
        std::cout.flush();
        std::cerr.flush();
        report.SendTotals(totals);
        setup.network->EndProcess();
    }
    std::cout.flush();
    std::cerr.flush();
    ::_exit(status);
}

void StartPass(const ParallelPassesSetup& setup, std::vector<Pass>& passes, std::uint32_t index) {
    Pass& pass = passes[index];
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        pass.startErrno = errno;
        pass.ended = true;
        return;
    }
    const sigset_t stops = StopSignalSet();
    sigset_t runMask;
    ::sigprocmask(SIG_BLOCK, &stops, &runMask);
    const pid_t run = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        for (const Pass& other : passes)
            if (other.fd >= 0)
                ::close(other.fd);
        RunPass(setup, index, fds[1], runMask, run);
    }
    const int forkErrno = errno;
    ::sigprocmask(SIG_SETMASK, &runMask, nullptr);
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        pass.startErrno = forkErrno;
        pass.ended = true;
        return;
    }
    pass.pid = pid;
    pass.fd = fds[0];
    pass.started = true;
}

// Reads what the pass sent; at the end of its report, waits for its process.
void ReadReport(Pass& pass) {
    char buffer[65536];
    const ssize_t n = ::read(pass.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return;
    if (n > 0) {
        pass.report.Take(buffer, static_cast<std::size_t>(n));
        return;
    }
    ::close(pass.fd);
    pass.fd = -1;
    while (::waitpid(pass.pid, &pass.waitStatus, 0) < 0 && errno == EINTR) {
    }
    pass.ended = true;
}

// Waits until a report has something or a signal comes (or a while has passed).
void WaitForPasses(const ParallelPassesSetup& setup, std::vector<Pass>& passes) {
    std::vector<pollfd> fds;
    std::vector<Pass*> owners;
    for (Pass& pass : passes) {
        if (pass.fd >= 0) {
            fds.push_back({pass.fd, POLLIN, 0});
            owners.push_back(&pass);
        }
    }
    if (setup.stopFd >= 0)
        fds.push_back({setup.stopFd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), kWakeMs) <= 0)
        return;
    for (std::size_t i = 0; i < owners.size(); ++i)
        if (fds[i].revents != 0)
            ReadReport(*owners[i]);
}

// The whole run's progress: every pass's part of the source times the servers.
ProgressSnapshot RunProgressOf(const std::vector<Pass>& passes) {
    ProgressSnapshot run;
    const std::uint64_t files = Count(CopyRun.SourceFiles);
    const std::uint64_t bytes = Count(CopyRun.SourceBytes);
    for (std::size_t i = 0; i < passes.size(); ++i) {
        const Pass& pass = passes[i];
        const PassStage stage = pass.ended     ? PassStage::Ended
                                : pass.started ? PassStage::Running
                                               : PassStage::Waiting;
        run += PassPart(stage, pass.report.progress, CopyRun.ServerResults[i].name, files, bytes);
    }
    return run;
}

void StopRunningPasses(const std::vector<Pass>& passes) {
    for (const Pass& pass : passes)
        if (pass.started && !pass.ended)
            ::kill(pass.pid, SIGTERM);
}

std::string WhyPassEnded(const Pass& pass) {
    if (!pass.started)
        return FormatText(LoadResString(IDS_PASS_NOT_STARTED), std::strerror(pass.startErrno));
    if (WIFSIGNALED(pass.waitStatus)) {
        const int signal = WTERMSIG(pass.waitStatus);
        return FormatText(LoadResString(IDS_PASS_KILLED), signal, strsignal(signal));
    }
    return FormatText(LoadResString(IDS_PASS_EXITED),
                      WIFEXITED(pass.waitStatus) ? WEXITSTATUS(pass.waitStatus) : -1);
}

void AddPassTotals(const PassTotals& totals, ServerResult& result) {
    const std::string name = result.name;
    result = totals.result;
    result.name = name;
    for (std::size_t i = 0; i < std::size(kPassCounts); ++i)
        CopyRun.*kRunCounts[i] += totals.*kPassCounts[i];
    CopyRun.ErrorMessages += totals.errorMessages;
}

// A pass's block: what it printed and logged, then its totals, or why it ended without them.
void ShowPass(Pass& pass, ServerResult& result) {
    std::cout << pass.report.output << std::flush;
    std::cerr << pass.report.errors << std::flush;
    AppendLogRecords(pass.report.log);
    if (pass.notReached)
        return;
    if (pass.report.totals) {
        AddPassTotals(*pass.report.totals, result);
        return;
    }
    const std::uint64_t errorsBefore = CopyRun.ErrorMessages;
    const std::string text =
        FormatText(LoadResString(IDS_PASS_DIED), result.name.c_str(), WhyPassEnded(pass).c_str());
    ErrorBox("%s", text.c_str());
    result.status = ServerStatus::GivenUp;
    result.errors += CopyRun.ErrorMessages - errorsBefore;
}

}  // namespace

void RunParallelPasses(const ParallelPassesSetup& setup) {
    const std::uint32_t count = static_cast<std::uint32_t>(CopyRun.ServerResults.size());
    std::vector<Pass> passes(count);
    // Nothing buffered may be printed twice, once by a pass.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    setup.network->LetGoOfStore();

    std::uint32_t next = 0, shown = 0;
    bool stopping = false;
    while (shown < count) {
        const auto running = [&] {
            unsigned n = 0;
            for (const Pass& pass : passes)
                n += pass.started && !pass.ended;
            return n;
        };
        while (!stopping && next < count && running() < setup.width)
            StartPass(setup, passes, next++);
        if (running() > 0)
            WaitForPasses(setup, passes);
        // A stop signal, or a pass after which the run would not go on, stops every pass.
        bool stop = !stopping && setup.stopRequested && setup.stopRequested();
        for (const Pass& pass : passes)
            stop = stop ||
                   (!stopping && pass.ended && pass.report.totals && !pass.report.totals->goOn);
        if (stop) {
            stopping = true;
            CancelRequested = true;
            StopRunningPasses(passes);
            for (; next < count; ++next)
                passes[next].ended = passes[next].notReached = true;
        }
        for (; shown < count && passes[shown].ended; ++shown)
            ShowPass(passes[shown], CopyRun.ServerResults[shown]);
        if (setup.showProgress && shown < count)
            setup.showProgress(RunProgressOf(passes));
    }

    std::string error;
    if (!setup.network->TakeStore(false, &error))
        std::cerr << FormatText(LoadResString(IDS_RUN_NETWORK_UNUSABLE), error.c_str()) << '\n';
}

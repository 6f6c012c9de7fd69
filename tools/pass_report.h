#pragma once
// What a pass run in a process of its own sends back to the run that forked it, through a
// pipe: what it printed on standard output and standard error, the records it wrote to the
// log, each as it comes, and at its end its totals. A pass that dies sends no totals.
//
// While it runs, a pass whose run shows a progress line also sends, a few times a second, where
// it stands (its files and bytes of its share, its server); the run keeps the latest.
//
// On the pipe every piece is a frame: one byte saying what it is, four bytes of length (little
// endian), the bytes. One process writes to a pipe, so frames are never mixed.

#include <cstdint>
#include <optional>
#include <streambuf>
#include <string>

#include "copy/copy_run.h"
#include "tools/progress_line.h"
#include "util/byte_count.h"

// A pass's totals: its server's result, what it added to the run's totals, and whether the run
// would go on after it.
struct PassTotals {
    ServerResult result;
    ByteCount filesUpdated{};
    ByteCount bytesUpdated{};
    ByteCount bytesProcessed{};
    ByteCount filesDeleted{};
    ByteCount directoriesDeleted{};
    ByteCount bytesDeleted{};
    std::uint64_t errorMessages = 0;
    bool goOn = true;
};

enum class PassFrame : char { Output = 'O', Errors = 'E', Log = 'L', Totals = 'T', Progress = 'P' };

// Where a pass stands in the run; its part of the run's progress line, of its share of the
// source (files and bytes): all of it once the pass ended (a pass given up is over too), what it
// last sent while it runs (its server at least), nothing before it starts.
enum class PassStage { Waiting, Running, Ended };
ProgressSnapshot PassPart(PassStage stage, const std::optional<ProgressSnapshot>& latest,
                          const std::string& server, std::uint64_t files, std::uint64_t bytes);

// The writing end, in the pass's process. Writes block until the run has read enough.
class PassReportWriter {
  public:
    explicit PassReportWriter(int fd) : fd_(fd) {}
    // False when the pipe is gone (the run ended): the pass can no longer be heard.
    bool Send(PassFrame kind, const std::string& bytes);
    bool SendTotals(const PassTotals& totals);
    bool SendProgress(const ProgressSnapshot& progress);

  private:
    int fd_;
};

// A stream buffer that sends what is written to it as frames of one kind: when flushed, and
// whenever a few kilobytes have gathered.
class PassFrameBuffer : public std::streambuf {
  public:
    PassFrameBuffer(PassReportWriter& writer, PassFrame kind) : writer_(writer), kind_(kind) {}

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    PassReportWriter& writer_;
    PassFrame kind_;
    std::string pending_;
};

// The reading end, in the run: bytes as they arrive, sorted into what the pass reported.
class PassReportReader {
  public:
    // Takes bytes read from the pipe; false when they do not form frames (a damaged report).
    bool Take(const char* bytes, std::size_t size);

    std::string output;
    std::string errors;
    std::string log;
    std::optional<PassTotals> totals;
    std::optional<ProgressSnapshot> progress;  // the latest the pass sent

  private:
    bool Dispatch(PassFrame kind, const std::string& body);
    bool TakeTotals(const std::string& body);
    bool TakeProgress(const std::string& body);
    std::string inbox_;
};

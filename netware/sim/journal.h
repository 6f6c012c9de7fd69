#pragma once
// What a process has under way on the simulated volumes, kept where a process stopped at any
// instant (kill -9, a crash) cannot lose it: one append-only file per process in
// ROOT/.netsim/journal/, beside the metadata store. Three things are recorded, each before it
// happens:
//  - a temporary file being created (and, once made, its identity),
//  - a rename (the entry, its target and both identities), so that a rename done on disk but
//    not yet in the store is finished, and a replaced file left behind is removed,
//  - an attribute word cleared for a replacement or a deletion, with the word it had, so that
//    it is put back when the replacement never happened.
// A process that ends normally removes its file: nothing of it is pending. The next process
// that opens the network (or creates a temporary file) reads the files of processes that no
// longer run and finishes or undoes what they left, touching only the entries recorded, and
// only while they are still the files recorded.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "netware/sim/metadata_store.h"

namespace sim {

class Journal {
  public:
    struct Record {
        char kind = 0;  // see the constants below
        EntryKey key;
        FileIdentity identity;
        EntryKey target;
        FileIdentity targetIdentity;
        std::uint32_t attributes = 0;
        std::int64_t written = 0;  // when its file was last written (ns), for LeftBehind's
    };
    static constexpr char kTempCreating = 'c';  // key: about to be created
    static constexpr char kTempCreated = 'T';   // key, identity
    static constexpr char kRenaming = 'R';      // key, identity -> target, targetIdentity
    static constexpr char kReset = 'A';         // key, identity, attributes (the old word)
    static constexpr char kSettled = 'a';       // key: its attributes are final again

    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // dir: ROOT/.netsim/journal (made when missing).
    bool Open(const std::string& dir, std::string* error);
    // In a process forked from the one that opened the journal: the file open is the parent's,
    // and stays the parent's; this process's records go to a file of its own.
    void StartOwnFile();
    // What a normal end does: this process's file goes, nothing of it being pending.
    void Close();
    // Appends a record to this process's file (made on first use). 0, or the Windows error
    // code when it cannot be written: the caller then does not go on with what it was about
    // to do.
    std::uint32_t Write(const Record& record);

    // The records of every process that no longer runs, each file's in its order; their files
    // are listed in *files, for Forget once what they left has been put right.
    std::vector<Record> LeftBehind(std::vector<std::string>* files);
    void Forget(const std::vector<std::string>& files);
    // True when the journal directory changed since the last LeftBehind (another process
    // started, or ended).
    bool Changed();

  private:
    std::string dir_;
    std::string own_;  // this process's file
    int fd_ = -1;
    std::int64_t seenChange_ = -1;
};

// The start time of a process (from /proc), 0 when it does not run; with the pid it names a
// process once, whatever later process reuses the number.
std::uint64_t ProcessStartTime(pid_t pid);

}  // namespace sim

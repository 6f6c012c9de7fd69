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
// A process that ends normally removes its file, unless a temporary file of its own could not
// be removed: the file then stays for the next process to finish. The next process that opens
// the network (or creates a temporary file) reads the files of processes that no longer run and
// finishes or undoes what they left, touching only the entries recorded, and only while they
// are still the files recorded.
//
// A journal is live exactly while its owner holds an open file description lock on it (taken
// before the file gets its name, released by the kernel when the owner ends however it ends):
// no process id or start time is trusted, so a process in another PID namespace, or a journal
// renamed by hand, is told right. The process that puts a journal right holds its lock
// meanwhile, so two never do it at once. Anything in the folder that is not a regular file is
// passed over unopened, and check reports it.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
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
        std::string file;          // the journal it was read from
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

    // The records of every process that no longer runs, each file's in its order (each with
    // the name of its file); their files are listed in *files and held (locked) until Forget
    // removes those put right and releases the others.
    std::vector<Record> LeftBehind(std::vector<std::string>* files);
    void Forget(const std::vector<std::string>& files);
    // The records of journals whose owners no longer run, read without holding them (check).
    std::vector<Record> Peek();
    // True when a program that runs now (its journal is locked) has recorded the file of that
    // key and identity as a temporary file of its own (being written, or renamed into place,
    // or the file such a rename swapped out, which it deletes itself), or is making one under
    // that name: nobody else may change or delete it.
    bool LiveTemporary(const EntryKey& key, const FileIdentity& identity);
    // Names in the folder that are not regular files, as the last look found them.
    const std::vector<std::string>& NotFiles() const { return notFiles_; }
    const std::string& Dir() const { return dir_; }
    // This process's file stays when it ends: something it records is not put right yet.
    void Keep() { keep_ = true; }
    // A held journal that cannot be forgotten yet keeps only these records.
    void KeepOnly(const std::string& file, const std::vector<Record>& records);
    // True when the journal directory changed since the last LeftBehind (another process
    // started, or ended).
    bool Changed();

  private:
    static std::string Line(const Record& r);
    // Makes this process's file, locked before it has its name; false with errno set.
    bool Create();
    // The journal files of other processes, by name.
    std::vector<std::string> OthersFiles() const;
    // Reads the journals of processes that no longer run; hold: keep them locked (in held_).
    std::vector<Record> ReadDead(std::vector<std::string>* files, bool hold);
    void Release();

    std::string dir_;
    std::string own_;  // this process's file
    int fd_ = -1;
    bool keep_ = false;
    std::int64_t seenChange_ = -1;
    std::vector<std::pair<std::string, int>> held_;  // journals being put right, locked
    std::vector<std::string> notFiles_;
};

}  // namespace sim

#pragma once
// NetWare metadata of the entries of simulated volumes, kept in SQLite outside the data
// trees (ROOT/.netsim/metadata.db). A row is keyed by server, volume, the directory path and
// the name as the disk holds them, and carries the identity of the file it describes (inode
// and birth time). A row whose identity no longer matches the file at its path belongs to a
// file that was deleted or renamed behind the simulator's back: it is dropped, never applied
// to the file that now has the name. Every statement is prepared once; every lookup goes
// through an index.

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "netware/sim/directory_cache.h"

namespace sim {

struct EntryKey {
    std::string server;
    std::string volume;
    std::string dir;   // "" for the volume root's entries, else "a/b" as on disk
    std::string name;  // "" for the volume root itself
};

struct FileIdentity {
    std::uint64_t inode = 0;
    std::int64_t birth = 0;  // birth time in nanoseconds, 0 when the file system has none
    // The inode's generation number where the file system has no birth time but offers one
    // (ext4 with small inodes): a new file on a reused inode has another. -1 when unknown (a
    // row stored before generations were kept, a file system without them): then it decides
    // nothing.
    std::int64_t generation = -1;
    // The same file, as far as what both identities know tells.
    bool SameFile(const FileIdentity& other) const {
        return inode == other.inode && birth == other.birth &&
               (generation < 0 || other.generation < 0 || generation == other.generation);
    }
};

struct MetaRow {
    std::int64_t id = 0;
    std::uint32_t attributes = 0;  // NetWare attribute word, without directory/compressed bits
    std::uint16_t irm = 0x00FF;
    std::uint8_t nameSpace = 4;
    bool compressed = false;
    std::uint64_t size = 0;  // uncompressed size of a compressed file
    std::string alias;       // 8.3 alias, empty until first needed
};

class MetadataStore {
  public:
    MetadataStore() = default;
    ~MetadataStore();
    MetadataStore(const MetadataStore&) = delete;
    MetadataStore& operator=(const MetadataStore&) = delete;

    bool Open(const std::string& file, std::string* error);
    // Lets go of the connection (a process about to fork); Open makes a new one.
    void Close();

    // A write that fails (disk full, an I/O error, a store locked past its timeout) fails the
    // call it belongs to: the store remembers the first failure of the current pair, rolls the
    // pair back when it ends, and its caller reports the failure as a Windows error code. The
    // gate, when set, is asked before every write of an entry's row: a non-zero Windows code
    // makes that write fail as if the store had refused it (injected faults).
    using WriteGate = std::function<std::uint32_t(const EntryKey& key)>;
    void SetWriteGate(WriteGate gate) { gate_ = std::move(gate); }
    // The Windows error code of the first failure since the outermost Begin, or 0.
    std::uint32_t Failure() const { return failure_; }

    // The row of the entry when it describes the file with that identity; a stale row is
    // removed (with its trustees) and false returned.
    bool Find(const EntryKey& key, const FileIdentity& identity, MetaRow* row);
    // Inserts the row (replacing any row of that key, stale ones included) and sets row->id.
    bool InsertNew(const EntryKey& key, const FileIdentity& identity, MetaRow* row);
    bool Update(const MetaRow& row, const EntryKey& key);
    // Removes the row of that key; with an identity, only a row describing the file of that
    // identity (a row another program has moved to the name since is not touched).
    void Remove(const EntryKey& key, const FileIdentity* identity = nullptr);
    // Remove for tidying only (the row's entry is gone): a store that cannot take it fails
    // nothing, and the row is dropped when next met.
    void RemoveQuietly(const EntryKey& key, const FileIdentity* identity = nullptr);
    // The entry was renamed by the simulator: its row (and, for a directory, the rows below it)
    // follows. Any row at the new key is removed first: the caller has seen, holding the
    // write lock, that the entry of that identity is what the new name holds. A row under the
    // old name that describes another file is no row of the entry. The alias is cleared: the
    // new place gives the entry a new one.
    bool Move(const EntryKey& from, const EntryKey& to, const FileIdentity& identity,
              bool isDirectory);
    // The identity of the file the row of that key describes, if there is a row; stale rows
    // included (the caller compares it with the disk).
    std::optional<FileIdentity> RowIdentity(const EntryKey& key);

    // The name of the entry of dir that holds alias, or false.
    bool FindAlias(const EntryKey& dirKey, const std::string& alias, std::string* name);

    std::vector<std::pair<std::uint32_t, std::uint16_t>> Trustees(std::int64_t id);
    bool SetTrustee(std::int64_t id, const EntryKey& key, std::uint32_t object,
                    std::uint16_t rights);

    // What the cache holds is trusted until the next epoch (see Core::Enter), and is checked
    // against the store when it begins; a write always checks it under the write lock.
    void NewEpoch() { validated_ = false; }
    // Checks the cache against the store now (before a destructive act).
    void Recheck() {
        validated_ = false;
        Validate();
    }

    // Begin and Commit nest. The statements run between the outermost pair form one
    // transaction, begun by the first of them (a pair that runs none costs nothing) and ended
    // by the outermost Commit, so that no lock is held between calls.
    void Begin();
    void Commit();
    // Ends the open transaction early (before slow work inside a pair); a later statement of
    // the pair begins a new one.
    void CommitPending();
    // Takes the write lock now, inside a pair, so that the disk can be looked at while no other
    // program changes any row: rows read from here to the pair's end are the store's own.
    void HoldWriteLock() { Touch(true); }

    // Commit that says how the pair went: 0, or the Windows error code of its first failure
    // (the pair is then rolled back, when it is the outermost one).
    std::uint32_t CommitChecked();

    // One public call of the simulator: its statements commit together.
    class Scope {
      public:
        // writes: the call will almost surely write, so its reads already take the write
        // lock (one transaction instead of a read one and a write one).
        explicit Scope(MetadataStore& store, bool writes = false) : store_(store) {
            store_.Begin();
            if (writes && store_.depth_ == 1)
                store_.writeIntent_ = true;
        }
        ~Scope() {
            if (!ended_)
                store_.Commit();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        // Ends the call's statements now: 0 when they all went through, else the store's
        // Windows error code (nothing of them is kept).
        std::uint32_t End() {
            ended_ = true;
            return store_.CommitChecked();
        }

      private:
        MetadataStore& store_;
        bool ended_ = false;
    };

  private:
    // The rows of recently used directories, as the store holds them, so that a call finds an
    // entry's row (or that it has none, the common case) without a query. The cache is checked
    // once an epoch against the store's write-ahead log: a commit of any other process changes
    // the log, and what it held is read afresh. A log changed within the clock's resolution of the
    // last look is not trusted on its time alone (the store's data version decides).
    struct CachedRow {
        MetaRow row;
        FileIdentity identity;
    };
    struct CachedDirectory {
        std::unordered_map<std::string, CachedRow> rows;       // by name
        std::unordered_map<std::string, std::string> aliases;  // alias -> name
        std::size_t Items() const { return rows.size(); }
    };
    struct LogState {
        bool exists = false;
        std::uint64_t size = 0, inode = 0;
        std::int64_t mtime = 0;
        bool operator==(const LogState&) const = default;
    };
    static std::string DirText(const EntryKey& key);
    LogState ReadLogState() const;
    // The cache is right for what the store holds now (checked once per epoch).
    void Validate();
    void Remember(bool racyCheck, const LogState* state = nullptr);
    // The directory's rows, read on first use; null when the store cannot be read.
    CachedDirectory* Rows(const EntryKey& key);
    void Cache(const EntryKey& key, const FileIdentity& identity, const MetaRow& row);
    void Uncache(const EntryKey& key);
    void Forget() { cache_.Clear(); }

    sqlite3_stmt* Prepare(const char* sql);
    bool AddGenerations();
    bool Exec(const char* sql);
    void RemoveById(std::int64_t id);
    // Called before every statement: opens the transaction of the current pair, one that
    // holds the write lock before a statement that writes.
    void Touch(bool write);

    sqlite3* db_ = nullptr;
    std::string logPath_;
    std::string file_;
    bool holderNamed_ = false;
    bool refusalNamed_ = false;
    static constexpr std::size_t kMaxCachedDirectories = 512;
    static constexpr std::size_t kMaxCachedRows = 16384;
    DirectoryCache<CachedDirectory> cache_{kMaxCachedDirectories, kMaxCachedRows};  // by DirText
    LogState seen_;
    bool racy_ = true;
    bool validated_ = false;  // in the current epoch
    std::int64_t dataVersion_ = -1;
    std::int64_t lockedVersion_ = -1;  // the data version when the write lock was last taken
    sqlite3_stmt* dirRows_ = nullptr;
    sqlite3_stmt* dataVersionStatement_ = nullptr;
    sqlite3_stmt* find_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
    sqlite3_stmt* removeKey_ = nullptr;
    sqlite3_stmt* removeId_ = nullptr;
    sqlite3_stmt* removeTrustees_ = nullptr;
    sqlite3_stmt* move_ = nullptr;
    sqlite3_stmt* moveChildren_ = nullptr;
    sqlite3_stmt* identity_ = nullptr;
    sqlite3_stmt* alias_ = nullptr;
    sqlite3_stmt* trustees_ = nullptr;
    sqlite3_stmt* setTrustee_ = nullptr;
    // Transaction control, prepared once like every other statement.
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* beginWrite_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    sqlite3_stmt* rollback_ = nullptr;
    bool Run(sqlite3_stmt* s);
    // Records the first failure of the pair: a SQLite result code, or a Windows one.
    void Fail(int sqliteCode);
    void FailWith(std::uint32_t windowsCode);
    // A write of key's row may go on (the gate lets it); false after recording the failure.
    bool MayWrite(const EntryKey& key);
    // Steps a statement to its end and resets it; false (after recording the failure) when it
    // did not complete.
    bool Step(sqlite3_stmt* s);
    int depth_ = 0;
    bool writeIntent_ = false;
    std::uint32_t failure_ = 0;
    WriteGate gate_;
};

}  // namespace sim

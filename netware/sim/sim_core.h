#pragma once
// The state of one opened simulated network and the operations that the NetWare client and
// the file services share: path forms, name resolution on the disk, listings, metadata with
// aliases, space accounting, open files with share modes, and faults.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "netware/netware_client.h"
#include "netware/sim/directory_cache.h"
#include "netware/sim/held_directories.h"
#include "netware/sim/journal.h"
#include "netware/sim/metadata_store.h"
#include "netware/sim/network_config.h"
#include "platform/file_services.h"

namespace sim {

struct Server;

struct Volume {
    VolumeConfig cfg;
    std::uint16_t number = 0;
    std::string local;  // absolute directory of the volume's tree
    // Why the volume cannot be used (its directory, or its server's, is a link or not a
    // directory); empty when it can. Such a volume is reported by check and never entered.
    std::string unusable;
    // The identity of the server's and the volume's directories when the network was opened:
    // a directory replaced afterwards (by a link, say) is never entered.
    std::uint64_t serverInode = 0, volumeInode = 0;
    // The epoch in which the two directories were last found to be those (see Core::Enter).
    mutable std::uint64_t checkedEpoch = 0;
    Server* server = nullptr;
    bool usageKnown = false;
    std::uint64_t usedBlocks = 0;
};

struct Server {
    ServerConfig cfg;
    std::string local;
    std::vector<Volume> volumes;
    std::uint32_t objectId = 0;  // the server's bindery object
    // The workstation's connection to this server; conn 0 means none.
    NWCONN_HANDLE conn = 0;
    std::uint16_t connNumber = 0;
    bool loggedIn = false;
    bool ds = false;  // a Directory Services connection
    bool locked = false;
    std::string user;
    std::time_t loginTime = 0;
    // Directory handles of the connection: handle -> (volume, on-disk directory path).
    std::map<NWDIR_HANDLE, std::pair<Volume*, std::string>> dirHandles;
};

// A place on a volume, by the names the caller gave (any case, long names or aliases).
struct NetLoc {
    Server* server = nullptr;
    Volume* volume = nullptr;
    std::vector<std::string> parts;
};

// What the disk holds for a stat: only regular files and directories are NetWare entries.
struct DiskStat {
    bool ok = false;
    int err = 0;  // errno when !ok
    bool isDir = false;
    bool isFile = false;
    bool special = false;  // a symbolic link, device, pipe or socket
    std::uint64_t inode = 0;
    std::int64_t birth = 0;
    std::uint64_t size = 0;
    std::int64_t mtime = 0;
    long mtimeNs = 0;
    std::int64_t ctime = 0;  // nanoseconds
    dev_t device = 0;
    // Where there is no birth time: the inode's generation number, -1 when unknown.
    std::int64_t generation = -1;
};
// The file's identity as the file services tell it (GetFileInformationByName/ByHandle): the
// inode with its birth time or generation mixed in, so that a new file on a deleted file's
// reused inode is another file, as a file reference number with its sequence number is.
std::uint64_t FileIdOf(const DiskStat& st);
DiskStat StatPath(const std::string& local);
// What identifies the file of a stat in the metadata store.
inline FileIdentity IdentityOf(const DiskStat& st) {
    return {st.inode, st.birth, st.generation};
}
// The stat of an open file (no path to walk).
DiskStat StatOpen(int fd);

// A NetLoc resolved against the disk.
struct Entry {
    Volume* volume = nullptr;
    bool exists = false;        // the entry itself is a file or directory
    bool parentExists = false;  // its directory exists (always true for the root)
    bool isRoot = false;
    std::string parentRel;  // on-disk path of the parent directory below the volume ("" root)
    std::string name;       // on-disk name when it exists, else the last name as given
    std::string local;      // absolute local path (of the name as given when missing)
    DiskStat st;
    // The stat of the parent directory when the lookup took one (ok is false otherwise): a
    // second name of the same directory in the same call is looked up without another.
    DiskStat parentSt;
    // A Windows error code when the lookup could not be decided: a directory on the way, or
    // the entry itself, cannot be read. The entry is then neither found nor missing.
    std::uint32_t error = 0;
    // The name as given when it reached the entry only as the entry's alias (empty when the
    // entry bears the name): a name being created there is free, not that entry.
    std::string byAlias;
    std::string Rel() const { return parentRel.empty() ? name : parentRel + "/" + name; }
};

enum class Where { Network, Local, Nowhere };

// Windows error codes the simulator uses beyond platform/file_services.h.
constexpr std::uint32_t kErrorNotSameDevice = 17;
constexpr std::uint32_t kErrorDirectory = 267;
constexpr std::uint32_t kErrorWriteFault = win::ERROR_WRITE_FAULT;
// How far apart two changes of a file must be for its time to tell them apart, at least: the
// coarse clock of the file systems (a few milliseconds), with room to spare.
constexpr std::int64_t kClockResolutionNs = 20'000'000;

struct OpenFile {
    int fd = -1;
    bool read = false;
    bool write = false;
    std::uint32_t share = 0;  // FILE_SHARE_* granted to other openers
    dev_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t birth = 0;
    std::int64_t generation = -1;
    Volume* volume = nullptr;  // null for a local file off the network
    Server* server = nullptr;
    std::string faultPath;  // the path in the form faults match
    EntryKey key;
    // Open-compressed right: reads and writes go to the stored (compressed) stream.
    bool compressedMode = false;
    bool eofDeclared = false;
    std::uint64_t declaredSize = 0;  // uncompressed size given by seek + end of file
    bool compressedDeclared = false;
    // A plain open of a compressed file works on its uncompressed data in memory.
    bool memory = false;
    bool dirty = false;
    std::string data;
    std::uint64_t position = 0;
    std::uint64_t diskSize = 0;  // bytes on disk, for the volume's space accounting
};

struct FindState {
    std::vector<win::FindData> items;
    std::size_t next = 0;
    Server* server = nullptr;
    std::string faultPath;
};

class Core {
  public:
    Core() = default;
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;
    // rebuildingStore: the store is missing and about to be rebuilt (an existing one is
    // refused); otherwise a store missing or empty on a network that has had one is refused.
    bool Load(const std::string& root, std::string* error, bool finishStoppedWork = true,
              bool rebuildingStore = false);

    const std::string& Root() const { return root_; }
    NetworkConfig& Config() { return config_; }
    std::vector<std::unique_ptr<Server>>& Servers() { return servers_; }
    Server* FindServer(std::string_view name);
    Server* ServerOfConnection(NWCONN_HANDLE conn);
    Volume* FindVolume(Server* server, std::string_view name);
    MetadataStore& Store() { return store_; }
    Journal& Log() { return journal_; }
    NWCONN_HANDLE NewConnection() { return nextConnection_++; }

    // Path forms.
    Where Classify(const std::string& path, NetLoc* loc, std::string* localPath);
    // "VOLUME:dir\name" (or "SERVER/VOLUME:...") on the connection's server, or a path
    // relative to one of its directory handles.
    bool ParseNetWareArg(Server* server, NWDIR_HANDLE dirHandle, const char* path, NetLoc* loc);
    std::string NetForm(const NetLoc& loc) const;  // \\SERVER\VOLUME\dir\name
    std::string EntryNetForm(const Entry& e) const;
    // The form [[fault]] paths are matched against; empty, and not built, when the network has
    // no [[fault]] (every call asks for it).
    std::string FaultForm(const NetLoc& loc) const { return HasFaults() ? NetForm(loc) : ""; }
    std::string EntryFaultForm(const Entry& e) const { return HasFaults() ? EntryNetForm(e) : ""; }
    bool HasFaults() const { return !config_.faults.empty(); }

    // What a call does with the entry it names, for the trust placed in what was looked at
    // before. What the run has resolved, indexed and read from the store is trusted from the
    // time it enters a directory until it enters another (an epoch): it enters one when it
    // starts listing it, makes it, or turns to it from another directory to create or rename
    // in it. The entry a call names is always looked at in the call itself.
    enum class Act {
        Read,
        List,           // the entry is a directory about to be listed
        MakeDirectory,  // the entry is a directory about to be made
        TurnTo,         // the entry is a directory something is about to be created in
        CreateIn,       // the entry is about to be created or renamed to
    };
    // Called before the entry is resolved.
    void Enter(const NetLoc& loc, Act act);
    // Before a destructive act on the entry (replace, delete, rename over it, a write, an
    // attribute or rights change): its metadata is read afresh from the store, unless it is a
    // temporary file of this process, which nobody else changes.
    void BeforeChange(const Entry& e);
    // Starts a new epoch: everything trusted so far is looked at again when next used.
    void NewEpoch();
    // True once an epoch: time to look whether another process's journal came or went.
    bool JournalCheckDue() {
        const bool due = journalEpoch_ != epoch_;
        journalEpoch_ = epoch_;
        return due;
    }
    // The entry is a temporary file this process made (and still the same file).
    bool OwnTemporary(const Entry& e) const;

    Entry Resolve(const NetLoc& loc);
    // The directory loc names as this epoch already found it on the way to one of its entries,
    // without looking at its name again (only its identity is known, not its times); false
    // when this epoch has not been through it.
    bool KnownDirectory(const NetLoc& loc, Entry* e) const;
    // True when the volume's directory is still the real directory found when the network was
    // opened, inside the network root, reached through no link.
    bool VolumeUsable(const Volume& v) const;
    // The entry name of the existing directory dirRel (as Resolve found it): what Resolve
    // gives for the directory's path and name, without resolving the directory again.
    Entry ResolveChild(Volume& v, const std::string& dirRel, const std::string& name,
                       const DiskStat* dirStat = nullptr);
    // An entry of the directory dirRel found by long name (exact case first) or alias.
    // Returns 0 when found, ERROR_FILE_NOT_FOUND when the directory holds no such entry, and
    // another Windows error code when that cannot be known (the directory or the entry cannot
    // be read): what cannot be read is never taken for missing.
    // dirStat: the directory's stat when this call has just taken it (resolving the path), so
    // that a name not on the disk does not stat the directory again.
    std::uint32_t FindChild(Volume& v, const std::string& dirRel, const std::string& name,
                            std::string* onDisk, DiskStat* st, const DiskStat* dirStat = nullptr);
    // Checks and adapts a name for a new entry: false when it cannot be a name on that
    // volume. DOS-only volumes take upper-case 8.3 names: a lower-case one is upper-cased.
    bool NewEntryName(const Volume& v, const std::string& given, std::string* onDisk) const;
    // An entry that a name being created reached only by its alias stands for that name,
    // missing: a name is never taken for another entry's alias when it is made.
    void NameNotAlias(Entry& e) const;
    // A name just made in dirRel that another entry held as its alias: that entry's alias
    // moves on (it gets a new one when next asked), so that no alias equals another's name.
    void MoveAliasOn(Volume& v, const std::string& dirRel, const std::string& name);

    // Entries of a directory in a stable order, NetWare entries only. *error (when given) is
    // 0, or the Windows error code of a directory that cannot be listed whole (then the list
    // is empty): a listing is never cut short in silence.
    struct Listed {
        std::string name;
        DiskStat st;
    };
    std::vector<Listed> List(Volume& v, const std::string& dirRel, std::uint32_t* error = nullptr);

    // Metadata, with defaults for entries found by hand.
    EntryKey KeyOf(const Entry& e) const;
    MetaRow Meta(const Entry& e);
    // The entry's row when it has one (true), else the defaults that Meta would store for it,
    // without storing them: for reads that never write the row back. Storing the defaults
    // later gives the same row, so an entry that is only read (a new temporary file on its
    // way to its final name) costs no insert.
    bool StoredMeta(const Entry& e, MetaRow* row);
    MetaRow DefaultMeta(const Volume& v, bool isDir) const;
    // Stores the entry's row: made when the entry has none yet (row.id 0), updated otherwise.
    bool SaveMeta(const Entry& e, MetaRow& row);
    // dirStat, when given, is the stat of the entry's directory taken in this call.
    std::string Alias(const Entry& e, MetaRow* row, const DiskStat* dirStat = nullptr);
    std::uint32_t Attributes(const Entry& e, const MetaRow& row) const;
    std::uint64_t DataSize(const Entry& e, const MetaRow& row) const;
    Entry ChildEntry(Volume& v, const std::string& dirRel, const std::string& name,
                     const DiskStat& st) const;

    // Keeping the dir indexes in line after the simulator's own changes.
    void NoteAdded(Volume& v, const std::string& dirRel, const std::string& name);
    // refreshTime false: a NoteAdded of the same directory follows at once and takes the
    // directory's new time.
    void NoteRemoved(Volume& v, const std::string& dirRel, const std::string& name,
                     bool refreshTime = true);

    // Space.
    std::uint64_t UsedBlocks(Volume& v);
    std::uint64_t FreeBlocks(Volume& v);
    // The free blocks without counting: 0 while the volume's content has not been counted.
    std::uint64_t CountedFreeBlocks(Volume& v) { return v.usageKnown ? FreeBlocks(v) : 0; }
    std::uint64_t Blocks(const Volume& v, std::uint64_t bytes) const;
    void AdjustUsage(Volume* v, std::uint64_t oldBytes, std::uint64_t newBytes);
    bool HasRoom(Volume* v, std::uint64_t oldBytes, std::uint64_t newBytes);

    // Faults: the code of the first [[fault]] that matches (and counts the match).
    bool Faulted(const char* call, const Server* server, const std::string& path,
                 std::uint32_t* code);
    // Whether Faulted would refuse the call, without counting it (and without its round trip).
    bool WouldFault(const char* call, const Server* server, const std::string& path) const {
        return MatchingFault(call, server, path) >= 0;
    }
    // The name under which [[fault]] refuses the metadata store's writes.
    static constexpr const char* kStoreWriteCall = "MetadataStore";
    // Waits the server's latency_ms, as a call's round trip to it would take.
    void RoundTrip(const char* call, const Server* server) const;

    // Open files and enumerations (one handle table for both file services and NetWare).
    struct OpenRequest {
        bool read = false;
        bool write = false;
        std::uint32_t share = 0;
        bool compressedMode = false;
        bool create = false;     // create when missing
        bool mustBeNew = false;  // fail when it exists
        bool truncate = false;   // empty an existing file
        bool mustExist = false;
    };
    // Opens a network entry; returns a Windows error code (0 on success). *created tells
    // whether the file was made.
    std::uint32_t OpenNetworkFile(Entry& e, const OpenRequest& r, win::HANDLE* handle,
                                  bool* created);
    std::uint32_t OpenLocalFile(const std::string& path, const OpenRequest& r, win::HANDLE* handle,
                                bool* created);
    OpenFile* File(win::HANDLE h);
    std::uint32_t Read(OpenFile& f, void* buffer, std::uint32_t n, std::uint32_t* done);
    std::uint32_t Write(OpenFile& f, const void* buffer, std::uint32_t n, std::uint32_t* done);
    // Moves up to n bytes from one open file to another inside the kernel, as Read and Write
    // would through a buffer; false, with nothing changed, where it cannot (then they must).
    bool CopyInKernel(OpenFile& from, OpenFile& to, std::uint32_t n, std::uint32_t* done);
    std::uint32_t Seek(OpenFile& f, std::int64_t distance, std::uint32_t method,
                       std::uint64_t* position);
    std::uint32_t SetEnd(OpenFile& f);
    std::uint32_t Close(win::HANDLE h);
    // NWSetCompressedFileSize: a NetWare completion code.
    NWCCODE DeclareCompressed(OpenFile& f, std::uint64_t requested, std::uint64_t* result);
    // True when another open of that file forbids deleting or renaming it.
    bool IsOpen(const DiskStat& st) const;
    bool ShareConflict(const DiskStat& st, bool read, bool write, std::uint32_t share) const;

    win::HANDLE AddFind(FindState state);
    FindState* Find(win::HANDLE h);
    bool CloseFind(win::HANDLE h);

    // A temporary file that another program, running now, is writing (its journal says so):
    // nobody else changes or deletes it. Only names of the temporary-file form (*.TMP) are
    // looked up.
    bool AnotherProgramsTemporary(const Entry& e);
    // Entry changes shared by both interfaces; each returns a Windows error code.
    std::uint32_t DeleteFileEntry(Entry& e);
    std::uint32_t MakeDirectory(Entry& e);
    std::uint32_t RemoveDirectoryEntry(Entry& e);
    std::uint32_t Rename(Entry& from, Entry& to, bool replace);
    void SetAttributeWord(const Entry& e, MetaRow* row, std::uint32_t word);

    // A change of an entry's attribute word through the file services (the reset before a
    // replacement or a deletion): the first one of the entry is journaled with the word it
    // had, so that a process stopped before the replacement is undone. 0, or the Windows error
    // code of a journal that cannot be written (the change must then not be made).
    std::uint32_t NoteAttributeChange(const Entry& e, std::uint32_t before, std::uint32_t after);
    // The entry's attributes are final again (restored, set deliberately, or the entry is gone
    // or replaced): nothing of it is pending.
    void SettleAttributes(const EntryKey& key);
    // Finishes or undoes what stopped processes left (their journals); at open, and before a
    // new temporary file, when another process's journal has come or gone.
    void Recover();
    // A temporary file this process made: should it still be there when the process ends, its
    // record stays for the next one.
    void NoteTemporary(const EntryKey& key, const FileIdentity& identity);
    // This process renamed or deleted that file: if it was a temporary file of its own, it is
    // one no longer (so that the list never needs looking over on the disk).
    void ForgetTemporary(const FileIdentity& identity);
    // A temporary file just made is not closed: its descriptor waits for the next open of that
    // very file in this process, which then needs no second open by name. A handle that is
    // not a fresh network file is closed as Close closes it.
    void ParkTemporary(win::HANDLE h);
    // The waiting descriptor, when st (the entry looked at by name in this call) is that file
    // (device, inode, birth time); -1 otherwise, the descriptor still waiting.
    int TakeParked(const DiskStat& st);
    // A process forked from this one makes its own temporary files.
    void DropParked() { parked_ = {}; }
    // Temporary files that stopped or failed copies left (as network paths), without touching
    // them.
    std::vector<std::string> LeftTemporaries();

    // Another program's changes at the exposed instants of this one's (tests).
    void SetInterleave(std::function<void(const char*, const std::string&)> hook) {
        interleave_ = std::move(hook);
    }

    // Compressed files (zstd): the uncompressed data of a stored stream.
    static bool Decompress(const std::string& stream, std::string* data);
    static bool Compress(const std::string& data, std::string* stream);

  private:
    struct DirIndex {
        std::uint64_t epoch = 0;  // the epoch in which the directory's time was last compared
        std::int64_t mtime = 0;
        long mtimeNs = 0;
        std::unordered_map<std::string, std::vector<std::string>> names;  // upper -> on disk
        bool aliasesComplete = false;  // every entry has its alias in the store
        std::size_t Items() const { return names.size(); }
        // The simulator changed the directory: its new time is not known, so the next epoch
        // reads it again (others may have changed it too since it was read).
        void Changed() { mtime = -1; }
    };
    // The directory's index; null when it is not a directory or cannot be read (*error, when
    // given, then tells which: 0 for not a directory).
    DirIndex* Index(const std::string& localDir, const DiskStat* dirStat = nullptr,
                    std::uint32_t* error = nullptr);
    // A directory path resolved before, as the caller spelled it: where it led, the identity
    // of the directory found, and the directories whose listing a spelling other than the
    // exact name was looked up in (their times). One look at the directory, and at those,
    // tells whether the same path still leads there: a directory renamed, replaced or swapped
    // for a link, or a name differing only in case added beside an inexact spelling, is seen.
    struct ResolvedDirectory {
        std::uint64_t epoch = 0;  // the epoch in which it was last found to lead there
        std::string rel;
        dev_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t birth = 0;
        std::vector<std::pair<std::string, std::pair<std::int64_t, long>>> inexact;
    };
    bool StillResolves(const Volume& v, const ResolvedDirectory& d, DiskStat* st) const;
    // Gives every entry of the directory its alias; the listing's error when it cannot.
    std::uint32_t CompleteAliases(Volume& v, const std::string& dirRel);
    bool AliasFree(Volume& v, const std::string& dirRel, const std::string& alias,
                   const std::string& owner);
    win::HANDLE NewHandle() { return nextHandle_++; }
    static bool StoreThere(const std::string& storeDir, bool rebuilding, std::string* error);
    static void MarkStoreMade(const std::string& storeDir);

    // Deletes the file at local (the entry of key) only when it is the file of that identity:
    // it is first renamed aside in its directory, so that what is deleted is what was looked
    // at, whatever another program renames meanwhile. 0, or a Windows error code (a file that
    // is not that one is put back, and the deletion refused with a sharing violation).
    std::uint32_t UnlinkChecked(const EntryKey& key, const std::string& local,
                                const FileIdentity& identity);
    // The disk's part of a replacement: the file at from swaps places with the one at target,
    // which must be the replaced file looked at. 0, or a Windows error code (a file another
    // program put at target since the look is swapped back, and the replacement refused with
    // a sharing violation). swapped: the two names were swapped (false where the file system
    // cannot, and the replaced file was overwritten).
    std::uint32_t SwapIn(const std::string& from, const std::string& target,
                         const FileIdentity& moved, const FileIdentity& replaced, bool* swapped);
    // The rows' part of a rename that reached the disk: 0, or the store's Windows error code.
    // replaced: the file a replacement swapped out (null when the rename made the name, which
    // may then be another's alias).
    std::uint32_t FollowRename(const Entry& from, const EntryKey& fromKey, const EntryKey& toKey,
                               const std::string& targetLocal, const FileIdentity* replaced);
    // Whether the row under the name describes a file another program brought there after
    // this rename: neither the renamed file nor the one it replaced.
    bool RowOfALaterFile(const EntryKey& key, const FileIdentity& renamed,
                         const FileIdentity* replaced);
    // Recovery of one stopped process's records.
    void FinishRename(const Journal::Record& r);
    // True when the temporary file is gone (or the file there is not it).
    bool RemoveLeftTemporary(const Journal::Record& r, bool identityKnown);
    void RestoreAttributes(const Journal::Record& r);
    // The volume and local path of a row's key; null when its volume is not usable.
    Volume* LocalOf(const EntryKey& key, std::string* local);

    std::string root_;
    NetworkConfig config_;
    std::vector<std::unique_ptr<Server>> servers_;
    MetadataStore store_;
    Journal journal_;
    std::map<std::string, std::uint32_t> pendingResets_;  // key text -> the word before
    std::vector<std::pair<EntryKey, FileIdentity>> ownTemporaries_;
    static constexpr std::size_t kMaxOwnTemporaries = 256;
    struct ParkedTemporary {
        FileDescriptor fd;
        dev_t device = 0;
        FileIdentity identity;
    };
    ParkedTemporary parked_;
    std::unordered_map<std::string, unsigned> aliasHints_;  // directory, base, ext -> next
    static constexpr std::size_t kMaxAliasHints = 16384;
    bool recovering_ = true;  // what stopped processes left is put right
    static constexpr std::size_t kMaxCachedDirectories = 256;
    static constexpr std::size_t kMaxCachedNames = 16384;
    DirectoryCache<DirIndex> indexes_{kMaxCachedDirectories, kMaxCachedNames};
    std::unordered_map<std::string, ResolvedDirectory> resolved_;  // volume + parts as given
    std::uint64_t epoch_ = 1;
    std::uint64_t journalEpoch_ = 0;
    std::string entered_;  // the directory of the current epoch, as a key of resolved_
    static constexpr std::size_t kMaxResolvedDirectories = 4096;
    std::vector<std::int64_t> faultUses_;
    // The index of the first [[fault]] that would refuse the call now; -1 when none.
    std::ptrdiff_t MatchingFault(const char* call, const Server* server,
                                 const std::string& path) const;
    std::map<win::HANDLE, OpenFile> files_;
    std::map<win::HANDLE, FindState> finds_;
    std::function<void(const char*, const std::string&)> interleave_;
    std::uint32_t asideCounter_ = 0;  // names for files renamed aside to be deleted
    void Interleave(const char* point, const std::string& local) {
        if (interleave_)
            interleave_(point, local);
    }
    win::HANDLE nextHandle_ = 0x100;
    NWCONN_HANDLE nextConnection_ = 1;
};

// Win32 error code of an errno value.
std::uint32_t WinError(int err);

}  // namespace sim

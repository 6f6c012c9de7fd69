#include "netware/sim/metadata_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <optional>

#include "platform/locale.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace sim {

namespace {

const char* kSchema =
    // The store survives a crash of the program (write-ahead log); it does not sync to the
    // disk on every change, which a simulator does not need and which would slow every test.
    "PRAGMA synchronous=OFF;"
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE IF NOT EXISTS entry("
    "  id INTEGER PRIMARY KEY,"
    "  server TEXT NOT NULL, volume TEXT NOT NULL, dir TEXT NOT NULL, name TEXT NOT NULL,"
    "  inode INTEGER NOT NULL, birth INTEGER NOT NULL,"
    "  attributes INTEGER NOT NULL, irm INTEGER NOT NULL, namespace INTEGER NOT NULL,"
    "  compressed INTEGER NOT NULL, size INTEGER NOT NULL, alias TEXT NOT NULL DEFAULT '',"
    "  generation INTEGER NOT NULL DEFAULT -1,"
    "  UNIQUE(server, volume, dir, name));"
    "CREATE INDEX IF NOT EXISTS entry_alias ON entry(server, volume, dir, alias);"
    "CREATE TABLE IF NOT EXISTS trustee("
    "  entry INTEGER NOT NULL, object INTEGER NOT NULL, rights INTEGER NOT NULL,"
    "  PRIMARY KEY(entry, object));"
    // A row that goes takes its trustees with it, also when an insert replaces it: a later
    // row given the same id must never find them.
    "PRAGMA recursive_triggers=ON;"
    "CREATE TRIGGER IF NOT EXISTS entry_gone AFTER DELETE ON entry BEGIN"
    "  DELETE FROM trustee WHERE entry = old.id; END;";

void BindKey(sqlite3_stmt* s, const EntryKey& k, int first) {
    sqlite3_bind_text(s, first, k.server.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, first + 1, k.volume.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, first + 2, k.dir.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, first + 3, k.name.c_str(), -1, SQLITE_TRANSIENT);
}

void Done(sqlite3_stmt* s) {
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
}

// The Windows error code a caller reports for a store that failed with a SQLite code.
std::uint32_t WindowsCodeOf(int sqliteCode) {
    constexpr std::uint32_t kErrorWriteFault = 29;
    constexpr std::uint32_t kErrorLockViolation = 33;
    switch (sqliteCode & 0xFF) {
        case SQLITE_FULL:
            return 112;  // ERROR_DISK_FULL
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return kErrorLockViolation;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return 5;  // ERROR_ACCESS_DENIED
        default:
            return kErrorWriteFault;
    }
}

}  // namespace

MetadataStore::~MetadataStore() {
    Close();
}

void MetadataStore::Close() {
    for (sqlite3_stmt** s :
         {&find_, &insert_, &update_, &removeKey_, &removeId_, &removeTrustees_, &move_,
          &moveChildren_, &identity_, &alias_, &trustees_, &setTrustee_, &begin_, &beginWrite_,
          &commit_, &rollback_, &dirRows_, &dataVersionStatement_}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (db_)
        sqlite3_close(db_);
    db_ = nullptr;
    // What was cached is checked afresh by the next connection.
    cache_.Clear();
    seen_ = LogState{};
    racy_ = true;
    validated_ = false;
    dataVersion_ = -1;
    lockedVersion_ = -1;
}

sqlite3_stmt* MetadataStore::Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        return nullptr;
    return s;
}

bool MetadataStore::Run(sqlite3_stmt* s) {
    int rc = sqlite3_step(s);
    sqlite3_reset(s);
    return rc == SQLITE_DONE;
}

namespace {

// The process that holds the store's write lock: SQLite keeps it as a POSIX lock on byte 120
// of the shared-memory file beside the store. 0 when nobody does, or it cannot be told (a
// process of another PID namespace).
long WriteLockHolder(const std::string& sharedMemory) {
    const int fd = ::open(sharedMemory.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 120;
    lock.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held ? static_cast<long>(lock.l_pid) : 0;
}

}  // namespace

void MetadataStore::Fail(int sqliteCode) {
    // Gave up waiting for the write lock: the process that keeps it is named, once, so that a
    // run stopped with Ctrl-Z inside a change can be found and let go on.
    if ((sqliteCode & 0xFF) == SQLITE_BUSY && !holderNamed_) {
        if (const long holder = WriteLockHolder(file_ + "-shm")) {
            holderNamed_ = true;
            std::fprintf(
                stderr, "%s\n",
                FormatText(LoadResString(IDS_SIM_STORE_HELD), file_.c_str(), holder, holder)
                    .c_str());
        }
    }
    // The disk under the store is full or failing: a call that fails for it is reported by its
    // caller for the place it concerns (a source directory that "cannot be read"), so the store
    // is named here, once, as the cause.
    const int primary = sqliteCode & 0xFF;
    if ((primary == SQLITE_FULL || primary == SQLITE_IOERR) && !refusalNamed_) {
        refusalNamed_ = true;
        std::fprintf(stderr, "%s\n",
                     FormatText(LoadResString(IDS_SIM_STORE_REFUSED), file_.c_str(),
                                SystemErrorText(WindowsCodeOf(sqliteCode)).c_str())
                         .c_str());
    }
    FailWith(WindowsCodeOf(sqliteCode));
}

void MetadataStore::FailWith(std::uint32_t windowsCode) {
    if (failure_ == 0)
        failure_ = windowsCode;
}

bool MetadataStore::MayWrite(const EntryKey& key) {
    if (failure_ != 0)
        return false;  // the pair is lost already: nothing more of it is written
    if (gate_) {
        if (std::uint32_t code = gate_(key)) {
            FailWith(code);
            return false;
        }
    }
    return true;
}

bool MetadataStore::Step(sqlite3_stmt* s) {
    int rc = sqlite3_step(s);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(s);
    Done(s);
    if (rc == SQLITE_DONE)
        return true;
    Fail(rc);
    return false;
}

bool MetadataStore::Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool MetadataStore::Open(const std::string& file, std::string* error) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        *error = db_ ? sqlite3_errmsg(db_) : "out of memory";
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    if (!Exec(kSchema) || !AddGenerations()) {
        *error = sqlite3_errmsg(db_);
        return false;
    }
    find_ = Prepare(
        "SELECT id, inode, birth, attributes, irm, namespace, compressed, size, alias FROM entry "
        "WHERE server=?1 AND volume=?2 AND dir=?3 AND name=?4");
    insert_ = Prepare(
        "INSERT OR REPLACE INTO entry(server, volume, dir, name, inode, birth, attributes, irm, "
        "namespace, compressed, size, alias, generation) "
        "VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13)");
    // A row is written only while it still describes the file it was read for (the row deleted
    // and its id given to another file's row changes nothing), and only the fields this process
    // changed are written: a field another process changed since the row was read (an
    // administrator's rights mask, say) is not put back to what was read.
    update_ = Prepare(
        "UPDATE entry SET attributes=CASE WHEN ?2 IS ?15 THEN attributes ELSE ?2 END, "
        "irm=CASE WHEN ?3 IS ?16 THEN irm ELSE ?3 END, "
        "namespace=CASE WHEN ?4 IS ?17 THEN namespace ELSE ?4 END, "
        "compressed=CASE WHEN ?5 IS ?18 THEN compressed ELSE ?5 END, "
        "size=CASE WHEN ?6 IS ?19 THEN size ELSE ?6 END, "
        "alias=CASE WHEN ?7 IS ?20 THEN alias ELSE ?7 END "
        "WHERE id=?1 AND server=?8 AND volume=?9 AND dir=?10 AND name=?11 AND "
        "(?12 = 0 OR (inode=?13 AND birth=?14))");
    removeKey_ =
        Prepare("SELECT id FROM entry WHERE server=?1 AND volume=?2 AND dir=?3 AND name=?4");
    removeId_ = Prepare("DELETE FROM entry WHERE id=?1");
    removeTrustees_ = Prepare("DELETE FROM trustee WHERE entry=?1");
    move_ = Prepare(
        "UPDATE entry SET dir=?5, name=?6, inode=?7, birth=?8, generation=?9, alias='' "
        "WHERE server=?1 AND volume=?2 AND dir=?3 AND name=?4");
    moveChildren_ = Prepare(
        "UPDATE entry SET dir=?4 || substr(dir, length(?3) + 1) "
        "WHERE server=?1 AND volume=?2 AND (dir=?3 OR substr(dir, 1, length(?3) + 1)=?3 || '/')");
    identity_ = Prepare("UPDATE entry SET inode=?2, birth=?3 WHERE id=?1");
    alias_ =
        Prepare("SELECT name FROM entry WHERE server=?1 AND volume=?2 AND dir=?3 AND alias=?4");
    trustees_ = Prepare("SELECT object, rights FROM trustee WHERE entry=?1 ORDER BY object");
    setTrustee_ = Prepare("INSERT OR REPLACE INTO trustee(entry, object, rights) VALUES(?1,?2,?3)");
    begin_ = Prepare("BEGIN");
    beginWrite_ = Prepare("BEGIN IMMEDIATE");
    commit_ = Prepare("COMMIT");
    rollback_ = Prepare("ROLLBACK");
    dirRows_ = Prepare(
        "SELECT id, name, inode, birth, attributes, irm, namespace, compressed, size, alias, "
        "generation FROM entry WHERE server=?1 AND volume=?2 AND dir=?3");
    dataVersionStatement_ = Prepare("PRAGMA data_version");
    logPath_ = file + "-wal";
    file_ = file;
    for (sqlite3_stmt* s : {find_, insert_, update_, removeKey_, removeId_, removeTrustees_, move_,
                            moveChildren_, identity_, alias_, trustees_, setTrustee_, begin_,
                            beginWrite_, commit_, rollback_, dirRows_, dataVersionStatement_}) {
        if (!s) {
            *error = sqlite3_errmsg(db_);
            return false;
        }
    }
    return true;
}

// A store made before generations were kept gets their column; its rows' are unknown (-1).
bool MetadataStore::AddGenerations() {
    auto present = [this] {
        sqlite3_stmt* columns =
            Prepare("SELECT 1 FROM pragma_table_info('entry') WHERE name='generation'");
        const bool found = columns && sqlite3_step(columns) == SQLITE_ROW;
        sqlite3_finalize(columns);
        return found;
    };
    // Another program opening the same store may add it first.
    return present() ||
           Exec("ALTER TABLE entry ADD COLUMN generation INTEGER NOT NULL DEFAULT -1") || present();
}

void MetadataStore::RemoveById(std::int64_t id) {
    Touch(true);
    sqlite3_bind_int64(removeTrustees_, 1, id);
    if (Step(removeTrustees_)) {
        sqlite3_bind_int64(removeId_, 1, id);
        Step(removeId_);
    }
}

std::string MetadataStore::DirText(const EntryKey& key) {
    return key.server + '\t' + key.volume + '\t' + key.dir;
}

MetadataStore::LogState MetadataStore::ReadLogState() const {
    LogState state;
    struct stat sb {};
    if (::stat(logPath_.c_str(), &sb) == 0) {
        state.exists = true;
        state.size = static_cast<std::uint64_t>(sb.st_size);
        state.inode = sb.st_ino;
        state.mtime = sb.st_mtim.tv_sec * 1000000000LL + sb.st_mtim.tv_nsec;
    }
    return state;
}

// The log's state as now seen, and whether its time lies too close to the present to tell a
// later change within the same tick of the file system's clock.
void MetadataStore::Remember(bool racyCheck, const LogState* state) {
    constexpr std::int64_t kClockResolution = 20'000'000;  // ns: a coarse file system clock
    seen_ = state ? *state : ReadLogState();
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t present = now.tv_sec * 1000000000LL + now.tv_nsec;
    racy_ = racyCheck && (!seen_.exists || present - seen_.mtime < kClockResolution);
}

void MetadataStore::Validate() {
    if (validated_)
        return;
    validated_ = true;
    const LogState now = ReadLogState();
    if (!(now == seen_)) {
        Forget();  // another process committed: what the cache holds may be gone
    } else if (racy_) {
        // The log looks the same but may have changed within its time's resolution: the
        // store's data version tells.
        std::int64_t version = -1;
        if (sqlite3_step(dataVersionStatement_) == SQLITE_ROW)
            version = sqlite3_column_int64(dataVersionStatement_, 0);
        sqlite3_reset(dataVersionStatement_);
        if (version != dataVersion_)
            Forget();
        dataVersion_ = version;
    }
    Remember(true, &now);
}

MetadataStore::CachedDirectory* MetadataStore::Rows(const EntryKey& key) {
    Validate();
    const std::string text = DirText(key);
    if (CachedDirectory* known = cache_.Find(text))
        return known;
    Touch(false);
    sqlite3_bind_text(dirRows_, 1, key.server.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(dirRows_, 2, key.volume.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(dirRows_, 3, key.dir.c_str(), -1, SQLITE_TRANSIENT);
    CachedDirectory dir;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(dirRows_)) == SQLITE_ROW) {
        CachedRow c;
        c.row.id = sqlite3_column_int64(dirRows_, 0);
        const unsigned char* name = sqlite3_column_text(dirRows_, 1);
        c.identity.inode = static_cast<std::uint64_t>(sqlite3_column_int64(dirRows_, 2));
        c.identity.birth = sqlite3_column_int64(dirRows_, 3);
        c.row.attributes = static_cast<std::uint32_t>(sqlite3_column_int64(dirRows_, 4));
        c.row.irm = static_cast<std::uint16_t>(sqlite3_column_int(dirRows_, 5));
        c.row.nameSpace = static_cast<std::uint8_t>(sqlite3_column_int(dirRows_, 6));
        c.row.compressed = sqlite3_column_int(dirRows_, 7) != 0;
        c.row.size = static_cast<std::uint64_t>(sqlite3_column_int64(dirRows_, 8));
        const unsigned char* alias = sqlite3_column_text(dirRows_, 9);
        c.row.alias = alias ? reinterpret_cast<const char*>(alias) : "";
        c.identity.generation = sqlite3_column_int64(dirRows_, 10);
        const std::string n = name ? reinterpret_cast<const char*>(name) : "";
        if (!c.row.alias.empty())
            dir.aliases[c.row.alias] = n;
        dir.rows.emplace(n, std::move(c));
    }
    Done(dirRows_);
    if (rc != SQLITE_DONE) {
        Fail(rc);  // rows that cannot be read are not absent rows
        return nullptr;
    }
    return &cache_.Put(text, std::move(dir));
}

void MetadataStore::Cache(const EntryKey& key, const FileIdentity& identity, const MetaRow& row) {
    CachedDirectory* known = cache_.Find(DirText(key));
    if (!known)
        return;  // read afresh when next needed
    CachedDirectory& dir = *known;
    auto old = dir.rows.find(key.name);
    if (old != dir.rows.end() && !old->second.row.alias.empty())
        dir.aliases.erase(old->second.row.alias);
    dir.rows[key.name] = CachedRow{row, identity};
    if (!row.alias.empty())
        dir.aliases[row.alias] = key.name;
}

void MetadataStore::Uncache(const EntryKey& key) {
    CachedDirectory* dir = cache_.Find(DirText(key));
    if (!dir)
        return;
    auto old = dir->rows.find(key.name);
    if (old == dir->rows.end())
        return;
    if (!old->second.row.alias.empty())
        dir->aliases.erase(old->second.row.alias);
    dir->rows.erase(old);
}

bool MetadataStore::Find(const EntryKey& key, const FileIdentity& identity, MetaRow* row) {
    CachedDirectory* dir = Rows(key);
    if (!dir)
        return false;
    auto it = dir->rows.find(key.name);
    // A row of another identity describes a file deleted or replaced by hand: it is never
    // applied to this one, and is replaced when this one gets a row of its own.
    if (it == dir->rows.end() || !it->second.identity.SameFile(identity))
        return false;
    *row = it->second.row;
    return true;
}

bool MetadataStore::InsertNew(const EntryKey& key, const FileIdentity& identity, MetaRow* row) {
    row->id = 0;
    if (!MayWrite(key))
        return false;
    Touch(true);
    BindKey(insert_, key, 1);
    sqlite3_bind_int64(insert_, 5, static_cast<std::int64_t>(identity.inode));
    sqlite3_bind_int64(insert_, 6, identity.birth);
    sqlite3_bind_int64(insert_, 7, row->attributes);
    sqlite3_bind_int(insert_, 8, row->irm);
    sqlite3_bind_int(insert_, 9, row->nameSpace);
    sqlite3_bind_int(insert_, 10, row->compressed ? 1 : 0);
    sqlite3_bind_int64(insert_, 11, static_cast<std::int64_t>(row->size));
    sqlite3_bind_text(insert_, 12, row->alias.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert_, 13, identity.generation);
    if (!Step(insert_))
        return false;
    row->id = sqlite3_last_insert_rowid(db_);
    Cache(key, identity, *row);
    return true;
}

bool MetadataStore::Update(const MetaRow& row, const EntryKey& key) {
    if (!MayWrite(key))
        return false;
    // The row as this process read it, before the write lock may show others' commits.
    std::optional<CachedRow> asRead;
    if (CachedDirectory* dir = cache_.Find(DirText(key))) {
        auto it = dir->rows.find(key.name);
        if (it != dir->rows.end() && it->second.row.id == row.id)
            asRead = it->second;
    }
    Touch(true);
    sqlite3_bind_int64(update_, 1, row.id);
    sqlite3_bind_int64(update_, 2, row.attributes);
    sqlite3_bind_int(update_, 3, row.irm);
    sqlite3_bind_int(update_, 4, row.nameSpace);
    sqlite3_bind_int(update_, 5, row.compressed ? 1 : 0);
    sqlite3_bind_int64(update_, 6, static_cast<std::int64_t>(row.size));
    sqlite3_bind_text(update_, 7, row.alias.c_str(), -1, SQLITE_TRANSIENT);
    BindKey(update_, key, 8);
    sqlite3_bind_int(update_, 12, asRead ? 1 : 0);
    if (asRead) {
        const MetaRow& was = asRead->row;
        sqlite3_bind_int64(update_, 13, static_cast<std::int64_t>(asRead->identity.inode));
        sqlite3_bind_int64(update_, 14, asRead->identity.birth);
        sqlite3_bind_int64(update_, 15, was.attributes);
        sqlite3_bind_int(update_, 16, was.irm);
        sqlite3_bind_int(update_, 17, was.nameSpace);
        sqlite3_bind_int(update_, 18, was.compressed ? 1 : 0);
        sqlite3_bind_int64(update_, 19, static_cast<std::int64_t>(was.size));
        sqlite3_bind_text(update_, 20, was.alias.c_str(), -1, SQLITE_TRANSIENT);
    }
    if (!Step(update_))
        return false;
    if (sqlite3_changes(db_) == 0) {
        // The row no longer describes the file it was read for: nothing of this call is
        // written, and the call fails as one whose file another program is using.
        constexpr std::uint32_t kErrorSharingViolation = 32;
        cache_.Erase(DirText(key));
        FailWith(kErrorSharingViolation);
        return false;
    }
    const std::string text = DirText(key);
    if (CachedDirectory* dir = cache_.Find(text)) {
        auto it = dir->rows.find(key.name);
        if (it != dir->rows.end() && it->second.row.id == row.id)
            Cache(key, it->second.identity, row);
        else
            cache_.Erase(text);  // read afresh
    }
    return true;
}

void MetadataStore::Remove(const EntryKey& key, const FileIdentity* identity) {
    CachedDirectory* dir = Rows(key);
    if (!dir)
        return;
    auto it = dir->rows.find(key.name);
    if (it == dir->rows.end())
        return;  // no row: nothing to write
    if (identity && !it->second.identity.SameFile(*identity))
        return;  // the row of another file now bearing the name
    const std::int64_t id = it->second.row.id;
    if (!MayWrite(key))
        return;
    RemoveById(id);
    if (failure_ == 0)
        Uncache(key);
}

void MetadataStore::RemoveQuietly(const EntryKey& key, const FileIdentity* identity) {
    if (failure_ != 0)
        return;
    const WriteGate gate = std::move(gate_);
    gate_ = nullptr;
    Remove(key, identity);
    gate_ = gate;
    if (failure_ != 0)
        Forget();  // what the cache says of the row may no longer be so
    failure_ = 0;
}

bool MetadataStore::Move(const EntryKey& from, const EntryKey& to, const FileIdentity& identity,
                         bool isDirectory) {
    Begin();
    Touch(true);  // what is read next is what the store holds until the write
    Remove(to);
    MetaRow moved;
    bool hadRow = false;
    if (CachedDirectory* dir = Rows(from)) {
        auto it = dir->rows.find(from.name);
        if (it != dir->rows.end()) {
            if (it->second.identity.SameFile(identity)) {
                moved = it->second.row;
                hadRow = true;
            } else {
                Remove(from);  // a stale row must not follow the entry
            }
        }
    }
    if (failure_ == 0 && (hadRow || isDirectory) && MayWrite(to)) {
        Touch(true);
        BindKey(move_, from, 1);
        sqlite3_bind_text(move_, 5, to.dir.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(move_, 6, to.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(move_, 7, static_cast<std::int64_t>(identity.inode));
        sqlite3_bind_int64(move_, 8, identity.birth);
        sqlite3_bind_int64(move_, 9, identity.generation);
        // Rows below a renamed directory move with it. Only a directory can have any: the
        // statement scans the volume's rows, so a file's rename (every copied file's) skips it.
        if (Step(move_) && isDirectory) {
            std::string oldDir = from.dir.empty() ? from.name : from.dir + "/" + from.name;
            std::string newDir = to.dir.empty() ? to.name : to.dir + "/" + to.name;
            sqlite3_bind_text(moveChildren_, 1, from.server.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(moveChildren_, 2, from.volume.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(moveChildren_, 3, oldDir.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(moveChildren_, 4, newDir.c_str(), -1, SQLITE_TRANSIENT);
            Step(moveChildren_);
        }
        if (failure_ == 0) {
            if (isDirectory) {
                Forget();  // rows of a whole subtree moved
            } else {
                Uncache(from);
                moved.alias.clear();  // the new place gives it a new one
                Cache(to, identity, moved);
            }
        }
    }
    const bool ok = failure_ == 0;
    Commit();
    return ok;
}

std::optional<FileIdentity> MetadataStore::RowIdentity(const EntryKey& key) {
    CachedDirectory* dir = Rows(key);
    if (!dir)
        return std::nullopt;
    auto it = dir->rows.find(key.name);
    if (it == dir->rows.end())
        return std::nullopt;
    return it->second.identity;
}

bool MetadataStore::FindAlias(const EntryKey& dirKey, const std::string& alias, std::string* name) {
    CachedDirectory* dir = Rows(dirKey);
    if (!dir)
        return false;
    auto it = dir->aliases.find(alias);
    if (it == dir->aliases.end())
        return false;
    *name = it->second;
    return true;
}

std::vector<std::pair<std::uint32_t, std::uint16_t>> MetadataStore::Trustees(std::int64_t id) {
    Touch(false);
    std::vector<std::pair<std::uint32_t, std::uint16_t>> out;
    sqlite3_bind_int64(trustees_, 1, id);
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(trustees_)) == SQLITE_ROW)
        out.emplace_back(static_cast<std::uint32_t>(sqlite3_column_int64(trustees_, 0)),
                         static_cast<std::uint16_t>(sqlite3_column_int(trustees_, 1)));
    if (rc != SQLITE_DONE)
        Fail(rc);
    Done(trustees_);
    return out;
}

bool MetadataStore::SetTrustee(std::int64_t id, const EntryKey& key, std::uint32_t object,
                               std::uint16_t rights) {
    if (!MayWrite(key))
        return false;
    Touch(true);
    sqlite3_bind_int64(setTrustee_, 1, id);
    sqlite3_bind_int64(setTrustee_, 2, object);
    sqlite3_bind_int(setTrustee_, 3, rights);
    return Step(setTrustee_);
}

void MetadataStore::Touch(bool write) {
    if (!db_ || depth_ == 0 || failure_ != 0)
        return;
    if (!write && !writeIntent_) {
        if (sqlite3_get_autocommit(db_)) {
            const int rc = sqlite3_step(begin_);
            sqlite3_reset(begin_);
            if (rc != SQLITE_DONE)
                Fail(rc);
        }
        return;
    }
    if (!sqlite3_get_autocommit(db_) && sqlite3_txn_state(db_, "main") == SQLITE_TXN_WRITE)
        return;
    // A write starts a transaction that holds the write lock from its start (IMMEDIATE). A
    // read-only one open before it ends first: were it to go on as a write, another
    // process's change made since its reads would fail the write at once instead of being
    // waited for, as a single statement's is.
    CommitPending();
    const int rc = sqlite3_step(beginWrite_);
    sqlite3_reset(beginWrite_);
    if (rc != SQLITE_DONE) {
        Fail(rc);  // locked past the busy timeout, or the disk refused the journal
        return;
    }
    // Holding the write lock, the log and the data version say whether anyone committed since
    // the last look (the log's size and time may not change for a commit within one tick).
    std::int64_t version = -1;
    if (sqlite3_step(dataVersionStatement_) == SQLITE_ROW)
        version = sqlite3_column_int64(dataVersionStatement_, 0);
    sqlite3_reset(dataVersionStatement_);
    if (!(ReadLogState() == seen_) || version != lockedVersion_)
        Forget();
    lockedVersion_ = version;
}

void MetadataStore::CommitPending() {
    if (!db_ || sqlite3_get_autocommit(db_))
        return;
    const bool wrote = sqlite3_txn_state(db_, "main") == SQLITE_TXN_WRITE;
    if (failure_ != 0) {
        Run(rollback_);
        Forget();  // the cache took changes that are not kept
        return;
    }
    // A transaction that cannot commit is rolled back rather than left holding the store.
    const int rc = sqlite3_step(commit_);
    sqlite3_reset(commit_);
    if (rc != SQLITE_DONE) {
        Fail(rc);
        if (!sqlite3_get_autocommit(db_))
            Run(rollback_);
        Forget();
        return;
    }
    // Our own commit changed the log: that is no change by another process. While this
    // process held the write lock, nobody else could commit.
    if (wrote)
        Remember(true);
}

void MetadataStore::Begin() {
    ++depth_;
}

void MetadataStore::Commit() {
    CommitChecked();
}

std::uint32_t MetadataStore::CommitChecked() {
    if (depth_ == 0) {
        const std::uint32_t failure = failure_;
        failure_ = 0;
        return failure;
    }
    if (--depth_ > 0)
        return failure_;
    writeIntent_ = false;
    CommitPending();
    const std::uint32_t failure = failure_;
    failure_ = 0;
    return failure;
}

}  // namespace sim

#include "netware/sim/metadata_store.h"

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
    for (sqlite3_stmt* s :
         {find_, insert_, update_, removeKey_, removeId_, removeTrustees_, move_, moveChildren_,
          identity_, alias_, trustees_, setTrustee_, begin_, beginWrite_, commit_, rollback_})
        sqlite3_finalize(s);
    if (db_)
        sqlite3_close(db_);
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

void MetadataStore::Fail(int sqliteCode) {
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
    if (!Exec(kSchema)) {
        *error = sqlite3_errmsg(db_);
        return false;
    }
    find_ = Prepare(
        "SELECT id, inode, birth, attributes, irm, namespace, compressed, size, alias FROM entry "
        "WHERE server=?1 AND volume=?2 AND dir=?3 AND name=?4");
    insert_ = Prepare(
        "INSERT OR REPLACE INTO entry(server, volume, dir, name, inode, birth, attributes, irm, "
        "namespace, compressed, size, alias) VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12)");
    update_ = Prepare(
        "UPDATE entry SET attributes=?2, irm=?3, namespace=?4, compressed=?5, size=?6, alias=?7 "
        "WHERE id=?1");
    removeKey_ =
        Prepare("SELECT id FROM entry WHERE server=?1 AND volume=?2 AND dir=?3 AND name=?4");
    removeId_ = Prepare("DELETE FROM entry WHERE id=?1");
    removeTrustees_ = Prepare("DELETE FROM trustee WHERE entry=?1");
    move_ = Prepare(
        "UPDATE entry SET dir=?5, name=?6, inode=?7, birth=?8, alias='' "
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
    for (sqlite3_stmt* s :
         {find_, insert_, update_, removeKey_, removeId_, removeTrustees_, move_, moveChildren_,
          identity_, alias_, trustees_, setTrustee_, begin_, beginWrite_, commit_, rollback_}) {
        if (!s) {
            *error = sqlite3_errmsg(db_);
            return false;
        }
    }
    return true;
}

void MetadataStore::RemoveById(std::int64_t id) {
    Touch(true);
    sqlite3_bind_int64(removeTrustees_, 1, id);
    if (Step(removeTrustees_)) {
        sqlite3_bind_int64(removeId_, 1, id);
        Step(removeId_);
    }
}

bool MetadataStore::Find(const EntryKey& key, const FileIdentity& identity, MetaRow* row) {
    Touch(false);
    BindKey(find_, key, 1);
    const int rc = sqlite3_step(find_);
    if (rc != SQLITE_ROW) {
        Done(find_);
        if (rc != SQLITE_DONE)
            Fail(rc);  // a row that cannot be read is not an absent row
        return false;
    }
    std::int64_t id = sqlite3_column_int64(find_, 0);
    auto inode = static_cast<std::uint64_t>(sqlite3_column_int64(find_, 1));
    std::int64_t birth = sqlite3_column_int64(find_, 2);
    if (inode != identity.inode || birth != identity.birth) {
        Done(find_);
        // The row describes a file that was deleted or replaced by hand: it goes. Its removal
        // is tidying only, so a store that cannot write it fails nothing.
        if (failure_ == 0) {
            RemoveById(id);
            failure_ = 0;
        }
        return false;
    }
    row->id = id;
    row->attributes = static_cast<std::uint32_t>(sqlite3_column_int64(find_, 3));
    row->irm = static_cast<std::uint16_t>(sqlite3_column_int(find_, 4));
    row->nameSpace = static_cast<std::uint8_t>(sqlite3_column_int(find_, 5));
    row->compressed = sqlite3_column_int(find_, 6) != 0;
    row->size = static_cast<std::uint64_t>(sqlite3_column_int64(find_, 7));
    const unsigned char* alias = sqlite3_column_text(find_, 8);
    row->alias = alias ? reinterpret_cast<const char*>(alias) : "";
    Done(find_);
    return true;
}

bool MetadataStore::Insert(const EntryKey& key, const FileIdentity& identity, MetaRow* row) {
    // A replaced row's trustees must not pass to the new entry.
    Begin();
    Remove(key);
    bool ok = InsertNew(key, identity, row);
    Commit();
    return ok;
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
    if (!Step(insert_))
        return false;
    row->id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool MetadataStore::Update(const MetaRow& row, const EntryKey& key) {
    if (!MayWrite(key))
        return false;
    Touch(true);
    sqlite3_bind_int64(update_, 1, row.id);
    sqlite3_bind_int64(update_, 2, row.attributes);
    sqlite3_bind_int(update_, 3, row.irm);
    sqlite3_bind_int(update_, 4, row.nameSpace);
    sqlite3_bind_int(update_, 5, row.compressed ? 1 : 0);
    sqlite3_bind_int64(update_, 6, static_cast<std::int64_t>(row.size));
    sqlite3_bind_text(update_, 7, row.alias.c_str(), -1, SQLITE_TRANSIENT);
    return Step(update_);
}

void MetadataStore::Remove(const EntryKey& key) {
    Touch(false);
    BindKey(removeKey_, key, 1);
    const int rc = sqlite3_step(removeKey_);
    if (rc == SQLITE_ROW) {
        std::int64_t id = sqlite3_column_int64(removeKey_, 0);
        Done(removeKey_);
        if (MayWrite(key))
            RemoveById(id);
        return;
    }
    Done(removeKey_);
    if (rc != SQLITE_DONE)
        Fail(rc);
}

void MetadataStore::RemoveQuietly(const EntryKey& key) {
    if (failure_ != 0)
        return;
    const WriteGate gate = std::move(gate_);
    gate_ = nullptr;
    Remove(key);
    gate_ = gate;
    failure_ = 0;
}

bool MetadataStore::Move(const EntryKey& from, const EntryKey& to, const FileIdentity& identity,
                         bool isDirectory) {
    Begin();
    Remove(to);
    if (MayWrite(to)) {
        Touch(true);
        BindKey(move_, from, 1);
        sqlite3_bind_text(move_, 5, to.dir.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(move_, 6, to.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(move_, 7, static_cast<std::int64_t>(identity.inode));
        sqlite3_bind_int64(move_, 8, identity.birth);
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
    }
    const bool ok = failure_ == 0;
    Commit();
    return ok;
}

void MetadataStore::UpdateIdentity(std::int64_t id, const FileIdentity& identity) {
    Touch(true);
    sqlite3_bind_int64(identity_, 1, id);
    sqlite3_bind_int64(identity_, 2, static_cast<std::int64_t>(identity.inode));
    sqlite3_bind_int64(identity_, 3, identity.birth);
    Step(identity_);
}

bool MetadataStore::FindAlias(const EntryKey& dirKey, const std::string& alias, std::string* name) {
    Touch(false);
    sqlite3_bind_text(alias_, 1, dirKey.server.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(alias_, 2, dirKey.volume.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(alias_, 3, dirKey.dir.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(alias_, 4, alias.c_str(), -1, SQLITE_TRANSIENT);
    bool found = false;
    const int rc = sqlite3_step(alias_);
    if (rc == SQLITE_ROW) {
        const unsigned char* n = sqlite3_column_text(alias_, 0);
        *name = n ? reinterpret_cast<const char*>(n) : "";
        found = true;
    } else if (rc != SQLITE_DONE) {
        Fail(rc);
    }
    Done(alias_);
    return found;
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
    if (rc != SQLITE_DONE)
        Fail(rc);  // locked past the busy timeout, or the disk refused the journal
}

void MetadataStore::CommitPending() {
    if (!db_ || sqlite3_get_autocommit(db_))
        return;
    if (failure_ != 0) {
        Run(rollback_);
        return;
    }
    // A transaction that cannot commit is rolled back rather than left holding the store.
    const int rc = sqlite3_step(commit_);
    sqlite3_reset(commit_);
    if (rc != SQLITE_DONE) {
        Fail(rc);
        if (!sqlite3_get_autocommit(db_))
            Run(rollback_);
    }
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

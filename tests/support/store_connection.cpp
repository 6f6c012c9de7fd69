#include "tests/support/store_connection.h"

StoreConnection::StoreConnection(const std::string& root) {
    sqlite3_open_v2((root + "/.netsim/metadata.db").c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 0);
}

StoreConnection::~StoreConnection() {
    sqlite3_close(db_);
}

bool StoreConnection::CanWrite() {
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return true;
}

bool StoreConnection::Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

long long StoreConnection::Attributes(const std::string& name) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, "SELECT attributes FROM entry WHERE name=?1", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    const long long out = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    return out;
}

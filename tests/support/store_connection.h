#pragma once
// Another process's connection to a simulated network's metadata store, which never waits for
// a lock: what a test sees of the store from outside the programs under test.

#include <sqlite3.h>

#include <string>

class StoreConnection {
  public:
    explicit StoreConnection(const std::string& root);
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    // True when this connection can take the write lock at once: nobody holds it.
    bool CanWrite();
    bool Exec(const std::string& sql);
    // The attribute word stored for a name, or -1 when it has no row.
    long long Attributes(const std::string& name);

  private:
    sqlite3* db_ = nullptr;
};

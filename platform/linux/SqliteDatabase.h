// Owner of one SQLite connection, closed when the owner dies.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/NonCopyable.h"
#include "platform/linux/SqliteStatement.h"

class SqliteDatabase : platform::NonCopyable {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(SqliteDatabase&& other) noexcept;
    SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;

    // Opens an existing database file (flags as sqlite3_open_v2). On failure the
    // owner stays empty and the SQLite status is returned.
    static int Open(const std::string& path, int flags, SqliteDatabase& out);

    explicit operator bool() const { return connection_ != nullptr; }
    sqlite3* get() const { return connection_; }

    // Runs SQL without results worth keeping (pragmas, transaction control).
    int Exec(const char* sql);
    int Prepare(const char* sql, SqliteStatement& out);
    int64_t LastInsertRowId() const;
    int Changes() const;

private:
    sqlite3* connection_ = nullptr;
};

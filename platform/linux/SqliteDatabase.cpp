#include "platform/linux/SqliteDatabase.h"

#include <utility>

SqliteDatabase::~SqliteDatabase() {
    // close_v2 defers the close until any statement still alive is finalized.
    sqlite3_close_v2(connection_);
}

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)) {}

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(connection_);
        connection_ = std::exchange(other.connection_, nullptr);
    }
    return *this;
}

int SqliteDatabase::Open(const std::string& path, int flags, SqliteDatabase& out) {
    sqlite3* connection = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &connection, flags, nullptr);
    if (rc != SQLITE_OK) {
        // sqlite3_open_v2 may hand back a connection even when it fails.
        sqlite3_close_v2(connection);
        return rc;
    }
    out = SqliteDatabase();
    out.connection_ = connection;
    return SQLITE_OK;
}

int SqliteDatabase::Exec(const char* sql) {
    if (!connection_) return SQLITE_MISUSE;
    return sqlite3_exec(connection_, sql, nullptr, nullptr, nullptr);
}

int SqliteDatabase::Prepare(const char* sql, SqliteStatement& out) {
    if (!connection_) return SQLITE_MISUSE;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(connection_, sql, -1, &statement, nullptr);
    out = SqliteStatement(statement);
    return statement ? rc : (rc == SQLITE_OK ? SQLITE_ERROR : rc);
}

int64_t SqliteDatabase::LastInsertRowId() const { return sqlite3_last_insert_rowid(connection_); }

int SqliteDatabase::Changes() const { return sqlite3_changes(connection_); }

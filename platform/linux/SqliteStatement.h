// Owner of one prepared SQLite statement, finalized when the owner dies.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>

class SqliteStatement {
public:
    SqliteStatement() = default;
    explicit SqliteStatement(sqlite3_stmt* statement) : statement_(statement) {}
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters are numbered from 1. A failed bind is remembered and returned by
    // the next Step, so a statement never runs with a parameter silently left NULL.
    void Bind(int index, int64_t value);
    // Zero-length data is bound as an empty blob, never as NULL.
    void BindBlob(int index, const void* data, size_t size);
    void BindBlob(int index, const std::string& bytes) { BindBlob(index, bytes.data(), bytes.size()); }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();

    int64_t Int64(int column) const;
    std::string Blob(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
    int bindError_ = SQLITE_OK;
};

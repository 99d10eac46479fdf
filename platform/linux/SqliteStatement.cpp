#include "platform/linux/SqliteStatement.h"

#include <utility>

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)),
      bindError_(std::exchange(other.bindError_, SQLITE_OK)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
        bindError_ = std::exchange(other.bindError_, SQLITE_OK);
    }
    return *this;
}

void SqliteStatement::Bind(int index, int64_t value) {
    int rc = statement_ ? sqlite3_bind_int64(statement_, index, value) : SQLITE_MISUSE;
    if (rc != SQLITE_OK && bindError_ == SQLITE_OK) bindError_ = rc;
}

void SqliteStatement::BindBlob(int index, const void* data, size_t size) {
    // A null pointer would bind NULL; an empty value must stay an (empty) blob.
    static const char empty = 0;
    int rc = statement_ ? sqlite3_bind_blob64(statement_, index, size ? data : &empty, size,
                                              SQLITE_TRANSIENT)
                        : SQLITE_MISUSE;
    if (rc != SQLITE_OK && bindError_ == SQLITE_OK) bindError_ = rc;
}

int SqliteStatement::Step() {
    if (!statement_) return SQLITE_MISUSE;
    if (bindError_ != SQLITE_OK) return bindError_;
    return sqlite3_step(statement_);
}

int64_t SqliteStatement::Int64(int column) const { return sqlite3_column_int64(statement_, column); }

std::string SqliteStatement::Blob(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    int size = sqlite3_column_bytes(statement_, column);
    if (!data || size <= 0) return std::string();
    return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

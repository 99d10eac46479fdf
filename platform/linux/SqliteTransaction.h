// One SQLite transaction: begun on construction, rolled back on destruction unless
// committed.
#pragma once

#include "platform/linux/SqliteDatabase.h"

class SqliteTransaction {
public:
    // A write transaction takes the write lock at once (BEGIN IMMEDIATE), so two
    // processes wait for each other in the busy handler instead of failing when a
    // reader turns into a writer.
    enum class Mode { Read, Write };

    SqliteTransaction(SqliteDatabase& database, Mode mode);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // SQLITE_OK when the transaction began.
    int BeginStatus() const { return beginStatus_; }
    int Commit();

private:
    SqliteDatabase& database_;
    int beginStatus_;
    bool open_ = false;
};

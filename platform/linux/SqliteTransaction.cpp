#include "platform/linux/SqliteTransaction.h"

SqliteTransaction::SqliteTransaction(SqliteDatabase& database, Mode mode)
    : database_(database),
      beginStatus_(database.Exec(mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN")) {
    open_ = beginStatus_ == SQLITE_OK;
}

SqliteTransaction::~SqliteTransaction() {
    if (open_) database_.Exec("ROLLBACK");
}

int SqliteTransaction::Commit() {
    if (!open_) return SQLITE_MISUSE;
    int rc = database_.Exec("COMMIT");
    // A failed COMMIT may leave the transaction open; the destructor then rolls it
    // back so that nothing half-done is kept.
    if (rc == SQLITE_OK || sqlite3_get_autocommit(database_.get())) open_ = false;
    return rc;
}

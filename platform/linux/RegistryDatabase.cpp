#include "platform/linux/RegistryDatabase.h"

#include "platform/linux/RegistryPath.h"

namespace {

// Long enough for another process's burst of writes, short enough that a stuck
// peer shows up as an I/O failure rather than a hang.
constexpr int kBusyTimeoutMs = 15000;

// Names and data are blobs, so any byte survives. `fold` is the comparison form of
// the name: lookups and the subkey order use it, `name` keeps the spelling. Value ids
// only grow (AUTOINCREMENT), so ordering by id is the order of first creation; key
// ids are never reused, so an old handle never finds a new key in place of its own.
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER,"
    "  name BLOB NOT NULL,"
    "  fold BLOB NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_name ON keys(parent, fold);"
    "CREATE TABLE IF NOT EXISTS vals ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  key INTEGER NOT NULL,"
    "  name BLOB NOT NULL,"
    "  fold BLOB NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS vals_by_name ON vals(key, fold);"
    "CREATE INDEX IF NOT EXISTS vals_in_order ON vals(key, id);"
    "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES (1, NULL, x'', x'');";

// Steps a query that looks for one row: success when there is one, `absent` when
// there is none.
LONG StepToRow(SqliteStatement& s, LONG absent) {
    int rc = s.Step();
    if (rc == SQLITE_ROW) return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? absent : ERROR_REGISTRY_IO_FAILED;
}

}  // namespace

LONG RegistryDatabase::Open(const std::string& path, std::shared_ptr<RegistryDatabase>& out) {
    SqliteDatabase connection;
    if (SqliteDatabase::Open(path, SQLITE_OPEN_READWRITE, connection) != SQLITE_OK) {
        return ERROR_REGISTRY_IO_FAILED;
    }
    sqlite3_busy_timeout(connection.get(), kBusyTimeoutMs);
    // WAL lets readers go on while another process writes; FULL makes each commit
    // durable. If WAL cannot be had the rollback journal is just as safe, only slower.
    connection.Exec("PRAGMA journal_mode=WAL");
    if (connection.Exec("PRAGMA synchronous=FULL") != SQLITE_OK) return ERROR_REGISTRY_IO_FAILED;
    std::shared_ptr<RegistryDatabase> database(new RegistryDatabase(std::move(connection)));
    LONG status = database->CreateSchema();
    if (status != ERROR_SUCCESS) return status;
    out = std::move(database);
    return ERROR_SUCCESS;
}

template <class Body>
LONG RegistryDatabase::InTransaction(SqliteTransaction::Mode mode, Body body) {
    SqliteTransaction transaction(connection_, mode);
    if (transaction.BeginStatus() != SQLITE_OK) return ERROR_REGISTRY_IO_FAILED;
    LONG status = body();
    if (status != ERROR_SUCCESS) return status;
    return transaction.Commit() == SQLITE_OK ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

template <class Body>
LONG RegistryDatabase::OnLiveKey(SqliteTransaction::Mode mode, RegistryKeyId key, Body body) {
    return InTransaction(mode, [&] {
        LONG status = CheckAlive(key);
        return status == ERROR_SUCCESS ? body() : status;
    });
}

LONG RegistryDatabase::CreateSchema() {
    return InTransaction(SqliteTransaction::Mode::Write, [&] {
        return connection_.Exec(kSchema) == SQLITE_OK ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
    });
}

LONG RegistryDatabase::Prepare(const char* sql, SqliteStatement& out) {
    return connection_.Prepare(sql, out) == SQLITE_OK ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

LONG RegistryDatabase::PrepareFor(RegistryKeyId key, const char* sql, SqliteStatement& out) {
    if (Prepare(sql, out) != ERROR_SUCCESS) return ERROR_REGISTRY_IO_FAILED;
    out.Bind(1, key);
    return ERROR_SUCCESS;
}

LONG RegistryDatabase::CheckAlive(RegistryKeyId key) {
    SqliteStatement s;
    if (PrepareFor(key, "SELECT 1 FROM keys WHERE id = ?1", s) != ERROR_SUCCESS)
        return ERROR_REGISTRY_IO_FAILED;
    return StepToRow(s, ERROR_KEY_DELETED);
}

LONG RegistryDatabase::FindChild(RegistryKeyId parent, const std::string& name,
                                 RegistryKeyId& out) {
    SqliteStatement s;
    if (PrepareFor(parent, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2", s) != ERROR_SUCCESS)
        return ERROR_REGISTRY_IO_FAILED;
    s.BindBlob(2, FoldName(name));
    LONG status = StepToRow(s, ERROR_FILE_NOT_FOUND);
    if (status == ERROR_SUCCESS) out = s.Int64(0);
    return status;
}

LONG RegistryDatabase::Walk(RegistryKeyId from, const std::vector<std::string>& path,
                            RegistryKeyId& out, bool* created) {
    LONG status = CheckAlive(from);
    RegistryKeyId current = from;
    for (size_t i = 0; status == ERROR_SUCCESS && i < path.size(); ++i) {
        status = FindChild(current, path[i], current);
        if (status == ERROR_FILE_NOT_FOUND && created) {
            status = InsertKey(current, path[i], current);
            *created = true;
        }
    }
    if (status == ERROR_SUCCESS) out = current;
    return status;
}

LONG RegistryDatabase::InsertKey(RegistryKeyId parent, const std::string& name,
                                 RegistryKeyId& out) {
    SqliteStatement s;
    if (PrepareFor(parent, "INSERT INTO keys(parent, name, fold) VALUES (?1, ?2, ?3)", s) !=
        ERROR_SUCCESS)
        return ERROR_REGISTRY_IO_FAILED;
    s.BindBlob(2, name);
    s.BindBlob(3, FoldName(name));
    if (s.Step() != SQLITE_DONE) return ERROR_REGISTRY_IO_FAILED;
    out = connection_.LastInsertRowId();
    return ERROR_SUCCESS;
}

LONG RegistryDatabase::OpenKey(RegistryKeyId from, const std::vector<std::string>& path,
                               RegistryKeyId& out) {
    return InTransaction(SqliteTransaction::Mode::Read, [&] { return Walk(from, path, out); });
}

LONG RegistryDatabase::CreateKey(RegistryKeyId from, const std::vector<std::string>& path,
                                 RegistryKeyId& out, bool& created) {
    created = false;
    return InTransaction(SqliteTransaction::Mode::Write,
                         [&] { return Walk(from, path, out, &created); });
}

LONG RegistryDatabase::DeleteKey(RegistryKeyId from, const std::vector<std::string>& path) {
    return InTransaction(SqliteTransaction::Mode::Write, [&] {
        RegistryKeyId target = 0;
        LONG status = Walk(from, path, target);
        if (status != ERROR_SUCCESS) return status;
        if (target == kRootKey) return ERROR_ACCESS_DENIED;
        SqliteStatement child;
        if (Prepare("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1", child) != ERROR_SUCCESS)
            return ERROR_REGISTRY_IO_FAILED;
        child.Bind(1, target);
        int rc = child.Step();
        if (rc == SQLITE_ROW) return ERROR_ACCESS_DENIED;
        if (rc != SQLITE_DONE) return ERROR_REGISTRY_IO_FAILED;
        SqliteStatement values, key;
        if (Prepare("DELETE FROM vals WHERE key = ?1", values) != ERROR_SUCCESS ||
            Prepare("DELETE FROM keys WHERE id = ?1", key) != ERROR_SUCCESS) {
            return ERROR_REGISTRY_IO_FAILED;
        }
        values.Bind(1, target);
        key.Bind(1, target);
        return values.Step() == SQLITE_DONE && key.Step() == SQLITE_DONE ? ERROR_SUCCESS
                                                                         : ERROR_REGISTRY_IO_FAILED;
    });
}

LONG RegistryDatabase::SubKeyAt(RegistryKeyId key, DWORD index, std::string& name) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement s;
        if (Prepare("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2",
                    s) != ERROR_SUCCESS) {
            return ERROR_REGISTRY_IO_FAILED;
        }
        s.Bind(1, key);
        s.Bind(2, index);
        int rc = s.Step();
        if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
        if (rc != SQLITE_ROW) return ERROR_REGISTRY_IO_FAILED;
        name = s.Blob(0);
        return ERROR_SUCCESS;
    });
}

namespace {
LONG ReadValueRow(SqliteStatement& s, RegistryValue& out, LONG whenMissing) {
    int rc = s.Step();
    if (rc == SQLITE_DONE) return whenMissing;
    if (rc != SQLITE_ROW) return ERROR_REGISTRY_IO_FAILED;
    out.name = s.Blob(0);
    out.type = static_cast<DWORD>(s.Int64(1));
    out.data = s.Blob(2);
    return ERROR_SUCCESS;
}
}  // namespace

LONG RegistryDatabase::ValueAt(RegistryKeyId key, DWORD index, RegistryValue& out) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement s;
        if (Prepare("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id "
                    "LIMIT 1 OFFSET ?2",
                    s) != ERROR_SUCCESS) {
            return ERROR_REGISTRY_IO_FAILED;
        }
        s.Bind(1, key);
        s.Bind(2, index);
        return ReadValueRow(s, out, ERROR_NO_MORE_ITEMS);
    });
}

LONG RegistryDatabase::FindValue(RegistryKeyId key, const std::string& name, RegistryValue& out) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement s;
        if (Prepare("SELECT name, type, data FROM vals WHERE key = ?1 AND fold = ?2", s) !=
            ERROR_SUCCESS) {
            return ERROR_REGISTRY_IO_FAILED;
        }
        s.Bind(1, key);
        s.BindBlob(2, FoldName(name));
        return ReadValueRow(s, out, ERROR_FILE_NOT_FOUND);
    });
}

LONG RegistryDatabase::SetValue(RegistryKeyId key, const std::string& name, DWORD type,
                                const BYTE* data, DWORD size) {
    return OnLiveKey(SqliteTransaction::Mode::Write, key, [&] {
        SqliteStatement s;
        if (Prepare("INSERT INTO vals(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, "
                    "data = excluded.data",
                    s) != ERROR_SUCCESS) {
            return ERROR_REGISTRY_IO_FAILED;
        }
        s.Bind(1, key);
        s.BindBlob(2, name);
        s.BindBlob(3, FoldName(name));
        s.Bind(4, type);
        s.BindBlob(5, data, size);
        return s.Step() == SQLITE_DONE ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
    });
}

LONG RegistryDatabase::DeleteValue(RegistryKeyId key, const std::string& name) {
    return OnLiveKey(SqliteTransaction::Mode::Write, key, [&] {
        SqliteStatement s;
        if (Prepare("DELETE FROM vals WHERE key = ?1 AND fold = ?2", s) != ERROR_SUCCESS)
            return ERROR_REGISTRY_IO_FAILED;
        s.Bind(1, key);
        s.BindBlob(2, FoldName(name));
        if (s.Step() != SQLITE_DONE) return ERROR_REGISTRY_IO_FAILED;
        return connection_.Changes() > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegistryDatabase::QueryInfo(RegistryKeyId key, RegistryKeyInfo& out) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement keys, values;
        if (Prepare("SELECT COUNT(*), COALESCE(MAX(LENGTH(name)), 0) FROM keys "
                    "WHERE parent = ?1",
                    keys) != ERROR_SUCCESS ||
            Prepare("SELECT COUNT(*), COALESCE(MAX(LENGTH(name)), 0), "
                    "COALESCE(MAX(LENGTH(data)), 0) FROM vals WHERE key = ?1",
                    values) != ERROR_SUCCESS) {
            return ERROR_REGISTRY_IO_FAILED;
        }
        keys.Bind(1, key);
        values.Bind(1, key);
        if (keys.Step() != SQLITE_ROW || values.Step() != SQLITE_ROW) return ERROR_REGISTRY_IO_FAILED;
        out.subKeys = static_cast<DWORD>(keys.Int64(0));
        out.maxSubKeyLen = static_cast<DWORD>(keys.Int64(1));
        out.values = static_cast<DWORD>(values.Int64(0));
        out.maxValueNameLen = static_cast<DWORD>(values.Int64(1));
        out.maxValueLen = static_cast<DWORD>(values.Int64(2));
        return ERROR_SUCCESS;
    });
}

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
platform::RegStatus StepToRow(SqliteStatement& s, platform::RegStatus absent) {
    int rc = s.Step();
    if (rc == SQLITE_ROW) return platform::RegStatus::Success;
    return rc == SQLITE_DONE ? absent : platform::RegStatus::RegistryIoFailed;
}

}  // namespace

platform::RegStatus RegistryDatabase::Open(const std::string& path, std::shared_ptr<RegistryDatabase>& out) {
    SqliteDatabase connection;
    if (SqliteDatabase::Open(path, SQLITE_OPEN_READWRITE, connection) != SQLITE_OK) {
        return platform::RegStatus::RegistryIoFailed;
    }
    sqlite3_busy_timeout(connection.get(), kBusyTimeoutMs);
    // WAL lets readers go on while another process writes; FULL makes each commit
    // durable. If WAL cannot be had the rollback journal is just as safe, only slower.
    connection.Exec("PRAGMA journal_mode=WAL");
    if (connection.Exec("PRAGMA synchronous=FULL") != SQLITE_OK) return platform::RegStatus::RegistryIoFailed;
    std::shared_ptr<RegistryDatabase> database(new RegistryDatabase(std::move(connection)));
    platform::RegStatus status = database->CreateSchema();
    if (status != platform::RegStatus::Success) return status;
    out = std::move(database);
    return platform::RegStatus::Success;
}

template <class Body>
platform::RegStatus RegistryDatabase::InTransaction(SqliteTransaction::Mode mode, Body body) {
    SqliteTransaction transaction(connection_, mode);
    if (transaction.BeginStatus() != SQLITE_OK) return platform::RegStatus::RegistryIoFailed;
    platform::RegStatus status = body();
    if (status != platform::RegStatus::Success) return status;
    return transaction.Commit() == SQLITE_OK ? platform::RegStatus::Success : platform::RegStatus::RegistryIoFailed;
}

template <class Body>
platform::RegStatus RegistryDatabase::OnLiveKey(SqliteTransaction::Mode mode, RegistryKeyId key, Body body) {
    return InTransaction(mode, [&] {
        platform::RegStatus status = CheckAlive(key);
        return status == platform::RegStatus::Success ? body() : status;
    });
}

platform::RegStatus RegistryDatabase::CreateSchema() {
    return InTransaction(SqliteTransaction::Mode::Write, [&] {
        return connection_.Exec(kSchema) == SQLITE_OK ? platform::RegStatus::Success
                                                      : platform::RegStatus::RegistryIoFailed;
    });
}

platform::RegStatus RegistryDatabase::Prepare(const char* sql, SqliteStatement& out) {
    return connection_.Prepare(sql, out) == SQLITE_OK ? platform::RegStatus::Success
                                                      : platform::RegStatus::RegistryIoFailed;
}

platform::RegStatus RegistryDatabase::PrepareFor(RegistryKeyId key, const char* sql, SqliteStatement& out) {
    if (Prepare(sql, out) != platform::RegStatus::Success) return platform::RegStatus::RegistryIoFailed;
    out.Bind(1, key);
    return platform::RegStatus::Success;
}

platform::RegStatus RegistryDatabase::CheckAlive(RegistryKeyId key) {
    SqliteStatement s;
    if (PrepareFor(key, "SELECT 1 FROM keys WHERE id = ?1", s) != platform::RegStatus::Success)
        return platform::RegStatus::RegistryIoFailed;
    return StepToRow(s, platform::RegStatus::KeyDeleted);
}

platform::RegStatus RegistryDatabase::FindChild(RegistryKeyId parent, const std::string& name, RegistryKeyId& out) {
    SqliteStatement s;
    if (PrepareFor(parent, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2", s) != platform::RegStatus::Success)
        return platform::RegStatus::RegistryIoFailed;
    s.BindBlob(2, FoldName(name));
    platform::RegStatus status = StepToRow(s, platform::RegStatus::FileNotFound);
    if (status == platform::RegStatus::Success) out = s.Int64(0);
    return status;
}

platform::RegStatus RegistryDatabase::Walk(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out,
                                           bool* created) {
    platform::RegStatus status = CheckAlive(from);
    RegistryKeyId current = from;
    for (size_t i = 0; status == platform::RegStatus::Success && i < path.size(); ++i) {
        status = FindChild(current, path[i], current);
        if (status == platform::RegStatus::FileNotFound && created) {
            status = InsertKey(current, path[i], current);
            *created = true;
        }
    }
    if (status == platform::RegStatus::Success) out = current;
    return status;
}

platform::RegStatus RegistryDatabase::InsertKey(RegistryKeyId parent, const std::string& name, RegistryKeyId& out) {
    SqliteStatement s;
    if (PrepareFor(parent, "INSERT INTO keys(parent, name, fold) VALUES (?1, ?2, ?3)", s) !=
        platform::RegStatus::Success)
        return platform::RegStatus::RegistryIoFailed;
    s.BindBlob(2, name);
    s.BindBlob(3, FoldName(name));
    if (s.Step() != SQLITE_DONE) return platform::RegStatus::RegistryIoFailed;
    out = connection_.LastInsertRowId();
    return platform::RegStatus::Success;
}

platform::RegStatus RegistryDatabase::OpenKey(RegistryKeyId from, const std::vector<std::string>& path,
                                              RegistryKeyId& out) {
    return InTransaction(SqliteTransaction::Mode::Read, [&] { return Walk(from, path, out); });
}

platform::RegStatus RegistryDatabase::CreateKey(RegistryKeyId from, const std::vector<std::string>& path,
                                                RegistryKeyId& out, bool& created) {
    created = false;
    return InTransaction(SqliteTransaction::Mode::Write,
                         [&] { return Walk(from, path, out, &created); });
}

platform::RegStatus RegistryDatabase::DeleteKey(RegistryKeyId from, const std::vector<std::string>& path) {
    return InTransaction(SqliteTransaction::Mode::Write, [&] {
        RegistryKeyId target = 0;
        platform::RegStatus status = Walk(from, path, target);
        if (status != platform::RegStatus::Success) return status;
        if (target == kRootKey) return platform::RegStatus::AccessDenied;
        SqliteStatement child;
        if (Prepare("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1", child) != platform::RegStatus::Success)
            return platform::RegStatus::RegistryIoFailed;
        child.Bind(1, target);
        int rc = child.Step();
        if (rc == SQLITE_ROW) return platform::RegStatus::AccessDenied;
        if (rc != SQLITE_DONE) return platform::RegStatus::RegistryIoFailed;
        SqliteStatement values, key;
        if (Prepare("DELETE FROM vals WHERE key = ?1", values) != platform::RegStatus::Success ||
            Prepare("DELETE FROM keys WHERE id = ?1", key) != platform::RegStatus::Success) {
            return platform::RegStatus::RegistryIoFailed;
        }
        values.Bind(1, target);
        key.Bind(1, target);
        return values.Step() == SQLITE_DONE && key.Step() == SQLITE_DONE ? platform::RegStatus::Success
                                                                         : platform::RegStatus::RegistryIoFailed;
    });
}

platform::RegStatus RegistryDatabase::SubKeyAt(RegistryKeyId key, uint32_t index, std::string& name) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement s;
        if (Prepare("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2", s) !=
            platform::RegStatus::Success) {
            return platform::RegStatus::RegistryIoFailed;
        }
        s.Bind(1, key);
        s.Bind(2, index);
        int rc = s.Step();
        if (rc == SQLITE_DONE) return platform::RegStatus::NoMoreItems;
        if (rc != SQLITE_ROW) return platform::RegStatus::RegistryIoFailed;
        name = s.Blob(0);
        return platform::RegStatus::Success;
    });
}

namespace {
platform::RegStatus ReadValueRow(SqliteStatement& s, RegistryValue& out, platform::RegStatus whenMissing) {
    int rc = s.Step();
    if (rc == SQLITE_DONE) return whenMissing;
    if (rc != SQLITE_ROW) return platform::RegStatus::RegistryIoFailed;
    out.name = s.Blob(0);
    out.type = static_cast<uint32_t>(s.Int64(1));
    out.data = s.Blob(2);
    return platform::RegStatus::Success;
}
}  // namespace

platform::RegStatus RegistryDatabase::ValueAt(RegistryKeyId key, uint32_t index, RegistryValue& out) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement s;
        if (Prepare("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id "
                    "LIMIT 1 OFFSET ?2",
                    s) != platform::RegStatus::Success) {
            return platform::RegStatus::RegistryIoFailed;
        }
        s.Bind(1, key);
        s.Bind(2, index);
        return ReadValueRow(s, out, platform::RegStatus::NoMoreItems);
    });
}

platform::RegStatus RegistryDatabase::FindValue(RegistryKeyId key, const std::string& name, RegistryValue& out) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement s;
        if (Prepare("SELECT name, type, data FROM vals WHERE key = ?1 AND fold = ?2", s) !=
            platform::RegStatus::Success) {
            return platform::RegStatus::RegistryIoFailed;
        }
        s.Bind(1, key);
        s.BindBlob(2, FoldName(name));
        return ReadValueRow(s, out, platform::RegStatus::FileNotFound);
    });
}

platform::RegStatus RegistryDatabase::SetValue(RegistryKeyId key, const std::string& name, uint32_t type,
                                               const uint8_t* data, uint32_t size) {
    return OnLiveKey(SqliteTransaction::Mode::Write, key, [&] {
        SqliteStatement s;
        if (Prepare("INSERT INTO vals(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, "
                    "data = excluded.data",
                    s) != platform::RegStatus::Success) {
            return platform::RegStatus::RegistryIoFailed;
        }
        s.Bind(1, key);
        s.BindBlob(2, name);
        s.BindBlob(3, FoldName(name));
        s.Bind(4, type);
        s.BindBlob(5, data, size);
        return s.Step() == SQLITE_DONE ? platform::RegStatus::Success : platform::RegStatus::RegistryIoFailed;
    });
}

platform::RegStatus RegistryDatabase::DeleteValue(RegistryKeyId key, const std::string& name) {
    return OnLiveKey(SqliteTransaction::Mode::Write, key, [&] {
        SqliteStatement s;
        if (Prepare("DELETE FROM vals WHERE key = ?1 AND fold = ?2", s) != platform::RegStatus::Success)
            return platform::RegStatus::RegistryIoFailed;
        s.Bind(1, key);
        s.BindBlob(2, FoldName(name));
        if (s.Step() != SQLITE_DONE) return platform::RegStatus::RegistryIoFailed;
        return connection_.Changes() > 0 ? platform::RegStatus::Success : platform::RegStatus::FileNotFound;
    });
}

platform::RegStatus RegistryDatabase::QueryInfo(RegistryKeyId key, RegistryKeyInfo& out) {
    return OnLiveKey(SqliteTransaction::Mode::Read, key, [&] {
        SqliteStatement keys, values;
        if (Prepare("SELECT COUNT(*), COALESCE(MAX(LENGTH(name)), 0) FROM keys "
                    "WHERE parent = ?1",
                    keys) != platform::RegStatus::Success ||
            Prepare("SELECT COUNT(*), COALESCE(MAX(LENGTH(name)), 0), "
                    "COALESCE(MAX(LENGTH(data)), 0) FROM vals WHERE key = ?1",
                    values) != platform::RegStatus::Success) {
            return platform::RegStatus::RegistryIoFailed;
        }
        keys.Bind(1, key);
        values.Bind(1, key);
        if (keys.Step() != SQLITE_ROW || values.Step() != SQLITE_ROW) return platform::RegStatus::RegistryIoFailed;
        out.subKeys = static_cast<uint32_t>(keys.Int64(0));
        out.maxSubKeyLen = static_cast<uint32_t>(keys.Int64(1));
        out.values = static_cast<uint32_t>(values.Int64(0));
        out.maxValueNameLen = static_cast<uint32_t>(values.Int64(1));
        out.maxValueLen = static_cast<uint32_t>(values.Int64(2));
        return platform::RegStatus::Success;
    });
}

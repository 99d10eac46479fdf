// One registry database: the tree of keys and values that plays platform::RegKey::CurrentUser,
// kept in an SQLite file that several processes may use at once. Every operation is
// one transaction and answers with a Win32 status; keys are named by their row id,
// which is never reused, so a deleted key stays deleted for every old handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/linux/SqliteDatabase.h"
#include "platform/linux/SqliteTransaction.h"

using RegistryKeyId = int64_t;

struct RegistryValue {
    std::string name;
    uint32_t type = platform::RegType::None;
    std::string data;
};

struct RegistryKeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0;
    uint32_t maxValueLen = 0;
};

class RegistryDatabase {
public:
    static constexpr RegistryKeyId kRootKey = 1;

    // Opens the database file at path (which must exist), preparing it on first use.
    static platform::RegStatus Open(const std::string& path, std::shared_ptr<RegistryDatabase>& out);

    // Paths are lists of key names below `from` (empty: `from` itself).
    platform::RegStatus OpenKey(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out);
    platform::RegStatus CreateKey(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out,
                                  bool& created);
    // Only a key without subkeys can go; its values go with it. The root never goes.
    platform::RegStatus DeleteKey(RegistryKeyId from, const std::vector<std::string>& path);

    // platform::RegStatus::NoMoreItems past the end.
    platform::RegStatus SubKeyAt(RegistryKeyId key, uint32_t index, std::string& name);
    platform::RegStatus ValueAt(RegistryKeyId key, uint32_t index, RegistryValue& out);
    platform::RegStatus FindValue(RegistryKeyId key, const std::string& name, RegistryValue& out);
    // A value set again keeps its spelling and its place in the enumeration.
    platform::RegStatus SetValue(RegistryKeyId key, const std::string& name, uint32_t type, const uint8_t* data,
                                 uint32_t size);
    platform::RegStatus DeleteValue(RegistryKeyId key, const std::string& name);
    platform::RegStatus QueryInfo(RegistryKeyId key, RegistryKeyInfo& out);

private:
    explicit RegistryDatabase(SqliteDatabase connection) : connection_(std::move(connection)) {}

    // Runs body inside one transaction; commits when it returns platform::RegStatus::Success.
    template <class Body>
    platform::RegStatus InTransaction(SqliteTransaction::Mode mode, Body body);

    // As InTransaction, after checking that the key still exists (platform::RegStatus::KeyDeleted).
    template <class Body>
    platform::RegStatus OnLiveKey(SqliteTransaction::Mode mode, RegistryKeyId key, Body body);

    platform::RegStatus Prepare(const char* sql, SqliteStatement& out);
    // As Prepare, with ?1 bound to the key the statement is about.
    platform::RegStatus PrepareFor(RegistryKeyId key, const char* sql, SqliteStatement& out);
    platform::RegStatus CheckAlive(RegistryKeyId key);
    platform::RegStatus FindChild(RegistryKeyId parent, const std::string& name, RegistryKeyId& out);
    // Follows path from `from`; with `created` given, missing keys are made on the way
    // and *created is set when one was.
    platform::RegStatus Walk(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out,
                             bool* created = nullptr);
    platform::RegStatus InsertKey(RegistryKeyId parent, const std::string& name, RegistryKeyId& out);
    platform::RegStatus CreateSchema();

    SqliteDatabase connection_;
};

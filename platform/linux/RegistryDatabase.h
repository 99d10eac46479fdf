// One registry database: the tree of keys and values that plays HKEY_CURRENT_USER,
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
    DWORD type = REG_NONE;
    std::string data;
};

struct RegistryKeyInfo {
    DWORD subKeys = 0;
    DWORD maxSubKeyLen = 0;
    DWORD values = 0;
    DWORD maxValueNameLen = 0;
    DWORD maxValueLen = 0;
};

class RegistryDatabase {
public:
    static constexpr RegistryKeyId kRootKey = 1;

    // Opens the database file at path (which must exist), preparing it on first use.
    static LONG Open(const std::string& path, std::shared_ptr<RegistryDatabase>& out);

    // Paths are lists of key names below `from` (empty: `from` itself).
    LONG OpenKey(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out);
    LONG CreateKey(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out,
                   bool& created);
    // Only a key without subkeys can go; its values go with it. The root never goes.
    LONG DeleteKey(RegistryKeyId from, const std::vector<std::string>& path);

    // ERROR_NO_MORE_ITEMS past the end.
    LONG SubKeyAt(RegistryKeyId key, DWORD index, std::string& name);
    LONG ValueAt(RegistryKeyId key, DWORD index, RegistryValue& out);
    LONG FindValue(RegistryKeyId key, const std::string& name, RegistryValue& out);
    // A value set again keeps its spelling and its place in the enumeration.
    LONG SetValue(RegistryKeyId key, const std::string& name, DWORD type, const BYTE* data,
                  DWORD size);
    LONG DeleteValue(RegistryKeyId key, const std::string& name);
    LONG QueryInfo(RegistryKeyId key, RegistryKeyInfo& out);

private:
    explicit RegistryDatabase(SqliteDatabase connection) : connection_(std::move(connection)) {}

    // Runs body inside one transaction; commits when it returns ERROR_SUCCESS.
    template <class Body>
    LONG InTransaction(SqliteTransaction::Mode mode, Body body);

    // As InTransaction, after checking that the key still exists (ERROR_KEY_DELETED).
    template <class Body>
    LONG OnLiveKey(SqliteTransaction::Mode mode, RegistryKeyId key, Body body);

    LONG Prepare(const char* sql, SqliteStatement& out);
    // As Prepare, with ?1 bound to the key the statement is about.
    LONG PrepareFor(RegistryKeyId key, const char* sql, SqliteStatement& out);
    LONG CheckAlive(RegistryKeyId key);
    LONG FindChild(RegistryKeyId parent, const std::string& name, RegistryKeyId& out);
    // Follows path from `from`; with `created` given, missing keys are made on the way
    // and *created is set when one was.
    LONG Walk(RegistryKeyId from, const std::vector<std::string>& path, RegistryKeyId& out,
              bool* created = nullptr);
    LONG InsertKey(RegistryKeyId parent, const std::string& name, RegistryKeyId& out);
    LONG CreateSchema();

    SqliteDatabase connection_;
};

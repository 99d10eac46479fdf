// Whole key trees below platform::RegKey::CurrentUser, built and read back to compare registry states.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Registry.h"

struct TreeValue {
    std::string name;
    uint32_t type = 0;
    std::string bytes;
    bool operator==(const TreeValue& o) const { return name == o.name && type == o.type && bytes == o.bytes; }
};

struct TreeKey {
    std::vector<TreeValue> values;  // in enumeration order
    std::map<std::string, TreeKey> subkeys;
    bool operator==(const TreeKey& o) const { return values == o.values && subkeys == o.subkeys; }
};

void PrintTo(const TreeKey& key, std::ostream* out);

// False when the key does not exist.
bool ReadTree(const std::string& path, TreeKey& tree);
bool KeyExists(const std::string& path);
void CreateKeyPath(const std::string& path);
void SetValue(const std::string& path, const std::string& name, uint32_t type, const std::string& bytes);
// platform::RegType::Sz: text and its terminating zero.
void SetText(const std::string& path, const std::string& name, const std::string& text);
// A value as text, up to its first zero byte; nullopt when it is missing.
std::optional<std::string> GetText(const std::string& path, const std::string& name);
void WriteTree(const std::string& path, const TreeKey& tree);

// An identity as the mail client lays it out: "Username", "User ID", "Store Root" in a version key.
void AddIdentity(const std::string& keyName, const std::string& username, const std::string& userId, const std::string& storeRoot);
std::string IdentityPath(const std::string& keyName);

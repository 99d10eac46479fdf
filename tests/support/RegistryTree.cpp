#include "support/RegistryTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "identities/MailClient.h"
#include "identities/RegistryKey.h"

namespace {

void PrintKey(const TreeKey& key, const std::string& indent, std::ostream* out) {
    for (const auto& v : key.values)
        *out << indent << "\"" << v.name.substr(0, 40) << "\" type " << v.type << ", " << v.bytes.size() << " bytes\n";
    for (const auto& [name, sub] : key.subkeys) {
        *out << indent << "[" << name.substr(0, 40) << "]\n";
        PrintKey(sub, indent + "  ", out);
    }
}

}  // namespace

void PrintTo(const TreeKey& key, std::ostream* out) {
    *out << "\n";
    PrintKey(key, "  ", out);
}

bool ReadTree(const std::string& path, TreeKey& tree) {
    tree = TreeKey();
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, path, KEY_READ) != ERROR_SUCCESS) return false;
    DWORD maxName = 0, maxData = 0, maxSubkey = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key.Handle(), nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr,
                                              nullptr, &maxName, &maxData, nullptr, nullptr));
    std::vector<char> name(std::max(maxName, maxSubkey) + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = DWORD(name.size()), dataSize = DWORD(data.size()), type = 0;
        const LONG status = RegEnumValueA(key.Handle(), i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (status != ERROR_SUCCESS) {
            EXPECT_EQ(ERROR_NO_MORE_ITEMS, status);
            break;
        }
        tree.values.push_back({std::string(name.data(), nameSize), type,
                               std::string(reinterpret_cast<char*>(data.data()), dataSize)});
    }
    for (DWORD i = 0;; ++i) {
        DWORD size = DWORD(name.size());
        if (RegEnumKeyExA(key.Handle(), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string subName(name.data(), size);
        EXPECT_TRUE(ReadTree(path + "\\" + subName, tree.subkeys[subName]));
    }
    return true;
}

bool KeyExists(const std::string& path) {
    RegistryKey key;
    return key.Open(HKEY_CURRENT_USER, path, KEY_READ) == ERROR_SUCCESS;
}

void CreateKeyPath(const std::string& path) {
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS)) << path;
}

void SetValue(const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS)) << path;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.Handle(), name.c_str(), 0, type,
                                            reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size())));
}

void SetText(const std::string& path, const std::string& name, const std::string& text) {
    SetValue(path, name, REG_SZ, text + std::string(1, '\0'));
}

bool GetValue(const std::string& path, const std::string& name, DWORD& type, std::string& bytes) {
    RegistryKey key;
    DWORD size = 0;
    if (key.Open(HKEY_CURRENT_USER, path, KEY_READ) != ERROR_SUCCESS ||
        RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    bytes.assign(size, '\0');
    return RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
           ERROR_SUCCESS;
}

std::optional<std::string> GetText(const std::string& path, const std::string& name) {
    DWORD type = 0;
    std::string bytes;
    if (!GetValue(path, name, type, bytes)) return std::nullopt;
    return std::string(bytes.c_str());
}

void WriteTree(const std::string& path, const TreeKey& tree) {
    CreateKeyPath(path);
    for (const auto& v : tree.values) SetValue(path, v.name, v.type, v.bytes);
    for (const auto& [name, sub] : tree.subkeys) WriteTree(path + "\\" + name, sub);
}

std::string IdentityPath(const std::string& keyName) { return std::string(MailClient::kIdentitiesKey) + "\\" + keyName; }

void AddIdentity(const std::string& keyName, const std::string& username, const std::string& userId,
                 const std::string& storeRoot) {
    const std::string path = IdentityPath(keyName);
    SetText(path, MailClient::kUsernameValue, username);
    SetText(path, MailClient::kUserIdValue, userId);
    SetText(path + "\\" + MailClient::kClientSoftwareKey + "\\5.0", MailClient::kStoreRootValue, storeRoot);
}

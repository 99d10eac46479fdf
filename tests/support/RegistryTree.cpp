#include "support/RegistryTree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "identities/MailClient.h"
#include "identities/RegistryKey.h"

void PrintTo(const TreeKey& key, std::ostream* out) {
    for (const auto& v : key.values) *out << "\n  \"" << v.name.substr(0, 40) << "\" type " << v.type << ", " << v.bytes.size() << " bytes";
    for (const auto& [name, sub] : key.subkeys) *out << "\n  [" << name.substr(0, 40) << "]" << ::testing::PrintToString(sub);
}

namespace {

// Opens (or, with create, creates) the key at path one part at a time: Wine's ANSI
// registry calls refuse a path of more than about 255 characters in one piece, which
// Windows takes.
platform::RegStatus OpenPath(const std::string& path, platform::RegRights access, bool create, RegistryKey& out) {
    RegistryKey key;
    platform::RegKey parent = platform::RegKey::CurrentUser;
    size_t start = 0;
    do {
        const size_t end = std::min(path.find('\\', start), path.size());
        RegistryKey next;
        const std::string part = path.substr(start, end - start);
        const platform::RegStatus status =
            create ? next.Create(parent, part, access) : next.Open(parent, part, access);
        if (status != platform::RegStatus::Success) return status;
        key = std::move(next);
        parent = key.Handle();
        start = end + 1;
    } while (start <= path.size());
    out = std::move(key);
    return platform::RegStatus::Success;
}

}  // namespace

bool ReadTree(const std::string& path, TreeKey& tree) {
    tree = TreeKey();
    RegistryKey key;
    if (OpenPath(path, platform::KeyAccess::Read, false, key) != platform::RegStatus::Success) return false;
    uint32_t maxName = 0, maxData = 0, maxSubkey = 0, size = 0, dataSize = 0, type = 0;
    platform::RegStatus status = platform::RegStatus::Success;
    EXPECT_EQ(platform::RegStatus::Success,
              RegQueryInfoKeyA(key.Handle(), nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxName,
                               &maxData, nullptr, nullptr));
    std::vector<char> name(std::max(maxName, maxSubkey) + 1);
    std::vector<uint8_t> data(maxData + 1);
    for (uint32_t i = 0; size = uint32_t(name.size()), dataSize = uint32_t(data.size()),
                  (status = RegEnumValueA(key.Handle(), i, name.data(), &size, nullptr, &type, data.data(),
                                          &dataSize)) == platform::RegStatus::Success;
         ++i)
        tree.values.push_back({std::string(name.data(), size), type, std::string(reinterpret_cast<char*>(data.data()), dataSize)});
    EXPECT_EQ(platform::RegStatus::NoMoreItems, status) << "a value read in part";
    for (uint32_t i = 0;
         size = uint32_t(name.size()), RegEnumKeyExA(key.Handle(), i, name.data(), &size, nullptr, nullptr, nullptr,
                                                     nullptr) == platform::RegStatus::Success;
         ++i)
        EXPECT_TRUE(ReadTree(path + "\\" + std::string(name.data(), size), tree.subkeys[std::string(name.data(), size)]));
    return true;
}

bool KeyExists(const std::string& path) {
    RegistryKey key;
    return OpenPath(path, platform::KeyAccess::Read, false, key) == platform::RegStatus::Success;
}

void CreateKeyPath(const std::string& path) {
    RegistryKey key;
    ASSERT_EQ(platform::RegStatus::Success, OpenPath(path, platform::KeyAccess::AllAccess, true, key)) << path;
}

void SetValue(const std::string& path, const std::string& name, uint32_t type, const std::string& bytes) {
    RegistryKey key;
    ASSERT_EQ(platform::RegStatus::Success, OpenPath(path, platform::KeyAccess::AllAccess, true, key)) << path;
    ASSERT_EQ(platform::RegStatus::Success,
              RegSetValueExA(key.Handle(), name.c_str(), 0, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                             uint32_t(bytes.size())));
}

void SetText(const std::string& path, const std::string& name, const std::string& text) {
    SetValue(path, name, platform::RegType::Sz, text + '\0');
}

std::optional<std::string> GetText(const std::string& path, const std::string& name) {
    RegistryKey key;
    uint32_t type = 0, size = 0;
    if (OpenPath(path, platform::KeyAccess::Read, false, key) != platform::RegStatus::Success ||
        RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type, nullptr, &size) != platform::RegStatus::Success)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type, reinterpret_cast<uint8_t*>(&bytes[0]), &size) !=
        platform::RegStatus::Success)
        return std::nullopt;
    return std::string(bytes.c_str());
}

void WriteTree(const std::string& path, const TreeKey& tree) {
    CreateKeyPath(path);
    for (const auto& v : tree.values) SetValue(path, v.name, v.type, v.bytes);
    for (const auto& [name, sub] : tree.subkeys) WriteTree(path + "\\" + name, sub);
}

std::string IdentityPath(const std::string& keyName) { return std::string(MailClient::kIdentitiesKey) + "\\" + keyName; }

void AddIdentity(const std::string& keyName, const std::string& username, const std::string& userId, const std::string& storeRoot) {
    SetText(IdentityPath(keyName), MailClient::kUsernameValue, username);
    SetText(IdentityPath(keyName), MailClient::kUserIdValue, userId);
    SetText(IdentityPath(keyName) + "\\" + MailClient::kClientSoftwareKey + "\\5.0", MailClient::kStoreRootValue, storeRoot);
}

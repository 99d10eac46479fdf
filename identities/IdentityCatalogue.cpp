#include "identities/IdentityCatalogue.h"

#include "identities/MailClient.h"
#include "identities/RegistryKey.h"

namespace {

// Key names of the identities and of the client's version keys fit this buffer.
constexpr uint32_t kKeyNameBuffer = 512;

// The name of the subkey at index; false past the last one (or on any failure).
bool EnumKeyName(platform::RegKey key, uint32_t index, std::string& name) {
    char buffer[kKeyNameBuffer] = {};
    if (RegEnumKeyA(key, index, buffer, kKeyNameBuffer) != platform::RegStatus::Success) return false;
    name = buffer;
    return true;
}

// The visible text of a text value; `present` tells a value stored as an empty string
// (one zero byte) from a missing one.
std::string ReadText(const RegistryKey& key, const char* valueName, bool& present) {
    uint32_t byteCount = 0;
    std::string text = key.QueryString(valueName, std::string(), byteCount);
    present = byteCount > 0;
    return text;
}

// ReadStoreRoot with the presence of the value.
std::string ReadStoreRootValue(platform::RegKey identityKey, bool& present) {
    present = false;
    RegistryKey software;
    if (software.Open(identityKey, MailClient::kClientSoftwareKey, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        return std::string();
    // The client keeps one key per version; only the first is consulted.
    std::string versionName;
    if (!EnumKeyName(software.Handle(), 0, versionName)) return std::string();
    RegistryKey version;
    if (version.Open(software.Handle(), versionName, platform::KeyAccess::AllAccess) != platform::RegStatus::Success)
        return std::string();
    return ReadText(version, MailClient::kStoreRootValue, present);
}

}  // namespace

IdentityCatalogue IdentityCatalogue::Read() {
    std::vector<IdentityRecord> records;
    RegistryKey identities;
    if (identities.Open(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        return IdentityCatalogue();
    std::string keyName;
    for (uint32_t index = 0; EnumKeyName(identities.Handle(), index, keyName); ++index) {
        RegistryKey identity;
        if (identity.Open(identities.Handle(), keyName, platform::KeyAccess::AllAccess) != platform::RegStatus::Success)
            continue;
        IdentityRecord record;
        bool hasUsername = false, hasUserId = false, hasStoreRoot = false;
        record.KeyName = keyName;
        record.Username = ReadText(identity, MailClient::kUsernameValue, hasUsername);
        record.UserId = ReadText(identity, MailClient::kUserIdValue, hasUserId);
        record.StoreRoot = ReadStoreRootValue(identity.Handle(), hasStoreRoot);
        if (hasUsername && hasUserId && hasStoreRoot) records.push_back(std::move(record));
    }
    return IdentityCatalogue(std::move(records));
}

int IdentityCatalogue::Find(const std::string& keyName) const {
    for (size_t i = records_.size(); i-- > 0;) {
        if (records_[i].KeyName == keyName) return static_cast<int>(i);
    }
    return -1;
}

std::string IdentityCatalogue::FirstOtherThan(const std::string& keyName) const {
    for (const auto& record : records_) {
        if (record.KeyName != keyName) return record.KeyName;
    }
    return keyName;
}

std::string IdentityCatalogue::UserIdOf(const std::string& keyName) const {
    const int position = Find(keyName);
    return position < 0 ? keyName : records_[static_cast<size_t>(position)].UserId;
}

std::string IdentityCatalogue::UsernameOf(const std::string& keyName) const {
    const int position = Find(keyName);
    return position < 0 ? std::string() : records_[static_cast<size_t>(position)].Username;
}

std::string ReadStoreRoot(platform::RegKey identityKey) {
    bool present = false;
    return ReadStoreRootValue(identityKey, present);
}

#include "identities/RegistryBackup.h"

#include <vector>

#include "identities/IdentityCatalogue.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"

bool AppendValueRecord(CBlob& dataStream, uint32_t type, const uint8_t* data, uint32_t size) {
    const uint32_t n = size + 1;
    const uint8_t header[kRecordHeaderBytes] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24),
                                                uint8_t(type)};
    return dataStream.Append(header, sizeof header) && dataStream.Append(data, size);
}

namespace {

bool AppendByte(CBlob& blob, uint8_t byte) { return blob.Append(&byte, 1); }

bool AppendName(CBlob& blob, const char* name, size_t length) {
    static const uint8_t zero = 0;
    return blob.Append(name, length) && blob.Append(&zero, 1);
}

bool AppendValue(RegistryBackup& backup, const char* name, uint32_t nameLength, uint32_t type, const uint8_t* data,
                 uint32_t size) {
    static const uint8_t reserved[kValueReservedBytes] = {};
    return AppendByte(backup.StructureStream, BackupTag::kValue) &&
           AppendName(backup.StructureStream, name, nameLength) &&
           backup.StructureStream.Append(reserved, sizeof reserved) &&
           AppendValueRecord(backup.DataStream, type, data, size);
}

// The key's longest value name, value data and subkey name, so that one buffer of
// each serves every entry of the key.
struct KeySizes {
    uint32_t maxValueName = 0;
    uint32_t maxValueData = 0;
    uint32_t maxSubkeyName = 0;
};

bool QueryKeySizes(platform::RegKey key, KeySizes& sizes) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &sizes.maxSubkeyName, nullptr, nullptr,
                            &sizes.maxValueName, &sizes.maxValueData, nullptr, nullptr) == platform::RegStatus::Success;
}

bool SerializeValues(RegistryBackup& backup, platform::RegKey key, const KeySizes& sizes) {
    // Name sizes exclude the terminating zero; a zero-length data buffer is avoided
    // so that the data pointer is never null.
    std::vector<char> name(size_t(sizes.maxValueName) + 1);
    std::vector<uint8_t> data(size_t(sizes.maxValueData) + 1);
    for (uint32_t index = 0;; ++index) {
        uint32_t nameSize = static_cast<uint32_t>(name.size());
        uint32_t dataSize = static_cast<uint32_t>(data.size());
        uint32_t type = 0;
        const platform::RegStatus status =
            RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (status == platform::RegStatus::NoMoreItems) return true;
        // Anything else, platform::RegStatus::MoreData after a change included, would lose the
        // value when the key is deleted: the backup fails instead.
        if (status != platform::RegStatus::Success) return false;
        if (!AppendValue(backup, name.data(), nameSize, type, data.data(), dataSize))
            return false;
    }
}

KeyWalk SerializeSubkeys(RegistryBackup& backup, platform::RegKey key, const KeySizes& sizes) {
    std::vector<char> name(size_t(sizes.maxSubkeyName) + 1);
    for (uint32_t index = 0;; ++index) {
        uint32_t nameSize = static_cast<uint32_t>(name.size());
        const platform::RegStatus status =
            RegEnumKeyExA(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == platform::RegStatus::NoMoreItems) return KeyWalk::Done;
        if (status != platform::RegStatus::Success) return KeyWalk::Failed;
        RegistryKey subkey;
        // Listed but not openable: the walk cannot go on, and nothing has changed yet.
        if (subkey.Open(key, name.data(), platform::KeyAccess::Read) != platform::RegStatus::Success)
            return KeyWalk::Broken;
        if (!AppendByte(backup.StructureStream, BackupTag::kKeyBegin) ||
            !AppendName(backup.StructureStream, name.data(), nameSize))
            return KeyWalk::Failed;
        if (const KeyWalk walk = SerializeKey(backup, subkey.Handle()); walk != KeyWalk::Done) return walk;
        if (!AppendByte(backup.StructureStream, BackupTag::kKeyEnd)) return KeyWalk::Failed;
    }
}

}  // namespace

bool IsPlainKeyName(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos;
}

platform::RegStatus WriteText(platform::RegKey key, const char* valueName, const std::string& text) {
    return RegSetValueExA(key, valueName, 0, platform::RegType::Sz, reinterpret_cast<const uint8_t*>(text.c_str()),
                          static_cast<uint32_t>(text.size() + 1));
}

std::string GetIdentityKeyPath(const std::string& keyName) {
    return std::string(MailClient::kIdentitiesKey) + "\\" + keyName;
}

KeyWalk SerializeKey(RegistryBackup& backup, platform::RegKey key) {
    KeySizes sizes;
    if (!QueryKeySizes(key, sizes) || !SerializeValues(backup, key, sizes)) return KeyWalk::Failed;
    return SerializeSubkeys(backup, key, sizes);
}

KeyWalk BackupIdentityKey(const std::string& keyName, RegistryBackup& backup) {
    backup.StructureStream.Free();
    backup.DataStream.Free();
    // An empty or composite guardid would address Identities itself or another key.
    if (!IsPlainKeyName(keyName)) return KeyWalk::Failed;
    RegistryKey identities;
    if (identities.Open(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        return KeyWalk::Failed;
    backup.DefaultUserId = identities.QueryString(MailClient::kDefaultUserIdValue);
    backup.LastUserId = identities.QueryString(MailClient::kLastUserIdValue);
    backup.LastUsername = identities.QueryString(MailClient::kLastUsernameValue);
    backup.StartAs = identities.QueryString(MailClient::kStartAsValue);
    RegistryKey identity;
    if (identity.Open(platform::RegKey::CurrentUser, GetIdentityKeyPath(keyName), platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        return KeyWalk::Failed;
    KeyWalk walk = SerializeKey(backup, identity.Handle());
    if (walk == KeyWalk::Done && !AppendByte(backup.StructureStream, BackupTag::kEnd)) walk = KeyWalk::Failed;
    if (walk != KeyWalk::Done) {
        // A partial backup must never be mistaken for a whole one.
        backup.StructureStream.Free();
        backup.DataStream.Free();
    }
    return walk;
}

bool RemoveIdentityKey(const std::string& guardId) {
    if (!IsPlainKeyName(guardId)) return false;
    RegistryKey identities;
    if (identities.Open(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        return false;
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    const std::string other = catalogue.FirstOtherThan(guardId);
    const std::string protectedUserId = catalogue.UserIdOf(guardId);
    const std::string otherUserId = catalogue.UserIdOf(other);
    // A missing value never points anywhere, even at an identity whose id is empty.
    auto pointsAtProtected = [&](const char* valueName) {
        uint32_t byteCount = 0;
        const std::string text = identities.QueryString(valueName, std::string(), byteCount);
        return byteCount > 0 && text == protectedUserId;
    };
    const platform::RegKey key = identities.Handle();
    // A pointer left at the identity would name one that is gone: the key stays until
    // every pointer has moved, and the caller puts back what did move.
    bool moved = true;
    if (pointsAtProtected(MailClient::kDefaultUserIdValue))
        moved = WriteText(key, MailClient::kDefaultUserIdValue, otherUserId) == platform::RegStatus::Success;
    if (moved && pointsAtProtected(MailClient::kLastUserIdValue)) {
        moved =
            WriteText(key, MailClient::kLastUserIdValue, otherUserId) == platform::RegStatus::Success &&
            WriteText(key, MailClient::kLastUsernameValue, catalogue.UsernameOf(other)) == platform::RegStatus::Success;
    }
    if (moved && pointsAtProtected(MailClient::kStartAsValue))
        moved = WriteText(key, MailClient::kStartAsValue, otherUserId) == platform::RegStatus::Success;
    return moved && identities.DeleteSubtree(guardId) == platform::RegStatus::Success;
}

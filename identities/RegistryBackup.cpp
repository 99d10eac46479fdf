#include "identities/RegistryBackup.h"

#include <vector>

#include "identities/IdentityCatalogue.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"

namespace {

bool AppendByte(CBlob& blob, uint8_t byte) { return blob.Append(&byte, 1); }

bool AppendName(CBlob& blob, const char* name, size_t length) {
    static const uint8_t zero = 0;
    return blob.Append(name, length) && blob.Append(&zero, 1);
}

bool AppendValue(RegistryBackup& backup, const char* name, DWORD nameLength, DWORD type,
                 const BYTE* data, DWORD size) {
    static const uint8_t reserved[kValueReservedBytes] = {};
    const uint32_t n = size + 1;
    const uint8_t header[kRecordHeaderBytes] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16),
                                                uint8_t(n >> 24), uint8_t(type)};
    return AppendByte(backup.StructureStream, BackupTag::kValue) &&
           AppendName(backup.StructureStream, name, nameLength) &&
           backup.StructureStream.Append(reserved, sizeof reserved) &&
           backup.DataStream.Append(header, sizeof header) &&
           backup.DataStream.Append(data, size);
}

// The key's longest value name, value data and subkey name, so that one buffer of
// each serves every entry of the key.
struct KeySizes {
    DWORD maxValueName = 0;
    DWORD maxValueData = 0;
    DWORD maxSubkeyName = 0;
};

bool QueryKeySizes(HKEY key, KeySizes& sizes) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &sizes.maxSubkeyName,
                            nullptr, nullptr, &sizes.maxValueName, &sizes.maxValueData, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

bool SerializeValues(RegistryBackup& backup, HKEY key, const KeySizes& sizes) {
    // Name sizes exclude the terminating zero; a zero-length data buffer is avoided
    // so that the data pointer is never null.
    std::vector<char> name(size_t(sizes.maxValueName) + 1);
    std::vector<BYTE> data(size_t(sizes.maxValueData) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG status = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type,
                                          data.data(), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) return true;
        // Anything else, ERROR_MORE_DATA after a change included, would lose the
        // value when the key is deleted: the backup fails instead.
        if (status != ERROR_SUCCESS) return false;
        if (!AppendValue(backup, name.data(), nameSize, type, data.data(), dataSize))
            return false;
    }
}

KeyWalk SerializeSubkeys(RegistryBackup& backup, HKEY key, const KeySizes& sizes) {
    std::vector<char> name(size_t(sizes.maxSubkeyName) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        const LONG status = RegEnumKeyExA(key, index, name.data(), &nameSize, nullptr, nullptr,
                                          nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return KeyWalk::Done;
        if (status != ERROR_SUCCESS) return KeyWalk::Failed;
        RegistryKey subkey;
        // Listed but not openable: the walk cannot go on, and nothing has changed yet.
        if (subkey.Open(key, name.data(), KEY_READ) != ERROR_SUCCESS) return KeyWalk::Broken;
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

LONG WriteText(HKEY key, const char* valueName, const std::string& text) {
    return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

std::string GetIdentityKeyPath(const std::string& keyName) {
    return std::string(MailClient::kIdentitiesKey) + "\\" + keyName;
}

KeyWalk SerializeKey(RegistryBackup& backup, HKEY key) {
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
    if (identities.Open(HKEY_CURRENT_USER, MailClient::kIdentitiesKey, KEY_ALL_ACCESS) !=
        ERROR_SUCCESS)
        return KeyWalk::Failed;
    backup.DefaultUserId = identities.QueryString(MailClient::kDefaultUserIdValue);
    backup.LastUserId = identities.QueryString(MailClient::kLastUserIdValue);
    backup.LastUsername = identities.QueryString(MailClient::kLastUsernameValue);
    backup.StartAs = identities.QueryString(MailClient::kStartAsValue);
    RegistryKey identity;
    if (identity.Open(HKEY_CURRENT_USER, GetIdentityKeyPath(keyName), KEY_ALL_ACCESS) != ERROR_SUCCESS)
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
    if (identities.Open(HKEY_CURRENT_USER, MailClient::kIdentitiesKey, KEY_ALL_ACCESS) !=
        ERROR_SUCCESS)
        return false;
    const IdentityCatalogue catalogue = IdentityCatalogue::Read();
    const std::string other = catalogue.FirstOtherThan(guardId);
    const std::string protectedUserId = catalogue.UserIdOf(guardId);
    const std::string otherUserId = catalogue.UserIdOf(other);
    // A missing value never points anywhere, even at an identity whose id is empty.
    auto pointsAtProtected = [&](const char* valueName) {
        DWORD byteCount = 0;
        const std::string text = identities.QueryString(valueName, std::string(), byteCount);
        return byteCount > 0 && text == protectedUserId;
    };
    const HKEY key = identities.Handle();
    // A pointer left at the identity would name one that is gone: the key stays until
    // every pointer has moved, and the caller puts back what did move.
    bool moved = true;
    if (pointsAtProtected(MailClient::kDefaultUserIdValue))
        moved = WriteText(key, MailClient::kDefaultUserIdValue, otherUserId) == ERROR_SUCCESS;
    if (moved && pointsAtProtected(MailClient::kLastUserIdValue)) {
        moved = WriteText(key, MailClient::kLastUserIdValue, otherUserId) == ERROR_SUCCESS &&
                WriteText(key, MailClient::kLastUsernameValue, catalogue.UsernameOf(other)) == ERROR_SUCCESS;
    }
    if (moved && pointsAtProtected(MailClient::kStartAsValue))
        moved = WriteText(key, MailClient::kStartAsValue, otherUserId) == ERROR_SUCCESS;
    return moved && identities.DeleteSubtree(guardId) == ERROR_SUCCESS;
}

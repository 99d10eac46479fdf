#include "identities/RegistryRestore.h"

#include <vector>

#include "identities/InternalFailure.h"
#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"

bool ValidateRegistryBackup(const RegistryBackup& backup, BackupDefect* defect) {
    RegistryBackupReader reader(backup);
    RegistryBackupItem item;
    while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
    }
    if (defect) *defect = reader.Defect();
    return reader.Defect() == BackupDefect::None;
}

bool RestoreIdentityKey(const RegistryBackup& backup) {
    if (!IsPlainKeyName(GetGuardId())) return false;
    if (!ValidateRegistryBackup(backup)) throw InternalFailure(kWalkFailure);

    // The identity's key sits at the bottom of the stack; the reader never lets a
    // key end reach it, so only subkeys are ever popped.
    std::vector<RegistryKey> stack(1);
    if (stack.front().Create(HKEY_CURRENT_USER, GetIdentityKeyPath(), KEY_ALL_ACCESS) !=
        ERROR_SUCCESS)
        return false;

    RegistryBackupReader reader(backup);
    RegistryBackupItem item;
    while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
        switch (item.kind) {
            case RegistryBackupItem::Value:
                // A value that cannot be set is left out, as a value write elsewhere
                // in the program is not checked either.
                RegSetValueExA(stack.back().Handle(), item.name, 0, item.type, item.data,
                               item.size);
                break;
            case RegistryBackupItem::KeyBegin: {
                RegistryKey subkey;
                if (subkey.Create(stack.back().Handle(), item.name, KEY_ALL_ACCESS) != ERROR_SUCCESS)
                    throw InternalFailure(kSubkeyCreateFailure);
                stack.push_back(std::move(subkey));
                break;
            }
            case RegistryBackupItem::KeyEnd:
                stack.pop_back();
                break;
            case RegistryBackupItem::End:
                break;
        }
    }

    RegistryKey identities;
    if (identities.Open(HKEY_CURRENT_USER, MailClient::kIdentitiesKey, KEY_ALL_ACCESS) !=
        ERROR_SUCCESS)
        return false;
    const HKEY key = identities.Handle();
    WriteText(key, MailClient::kDefaultUserIdValue, backup.DefaultUserId);
    WriteText(key, MailClient::kLastUserIdValue, backup.LastUserId);
    WriteText(key, MailClient::kLastUsernameValue, backup.LastUsername);
    WriteText(key, MailClient::kStartAsValue, backup.StartAs);
    return true;
}

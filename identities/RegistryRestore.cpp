#include "identities/RegistryRestore.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "identities/MailClient.h"
#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "platform/AsciiCase.h"

namespace {

// Registry names compare without regard to ASCII case.
std::string Fold(const char* text) { return platform::LowerAsciiText(text); }

// Every key path and value of a backup, keyed by folded path (and folded value name).
struct BackupContents {
    std::map<std::string, std::pair<uint32_t, std::string>> values;
    std::map<std::string, bool> keys;
};

// Walks a valid backup, calling visit(path of the current key, item) for every item.
template <typename Visit>
bool WalkBackup(const RegistryBackup& backup, Visit visit) {
    RegistryBackupReader reader(backup);
    RegistryBackupItem item;
    std::vector<std::string> path;
    while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
        if (item.kind == RegistryBackupItem::KeyEnd) {
            path.pop_back();
            continue;
        }
        visit(path, item);
        if (item.kind == RegistryBackupItem::KeyBegin) path.push_back(Fold(item.name));
    }
    return reader.Defect() == BackupDefect::None;
}

std::string Joined(const std::vector<std::string>& path) {
    std::string text;
    for (const std::string& part : path) text += part + "\\";
    return text;
}

bool ReadContents(const RegistryBackup& backup, BackupContents& contents) {
    return WalkBackup(backup, [&contents](const std::vector<std::string>& path, const RegistryBackupItem& item) {
        if (item.kind == RegistryBackupItem::KeyBegin) {
            contents.keys[Joined(path) + Fold(item.name)] = true;
        } else {
            contents.values[Joined(path) + '\0' + Fold(item.name)] = {
                item.type, std::string(reinterpret_cast<const char*>(item.data), item.size)};
        }
    });
}

// The pointer values of Identities as they are now, to be put back if a write fails.
struct SavedPointer {
    explicit SavedPointer(const char* valueName) : name(valueName) {}
    const char* name;
    bool present = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

void SavePointer(platform::RegKey key, SavedPointer& saved) {
    uint32_t size = 0;
    if (RegQueryValueExA(key, saved.name, nullptr, &saved.type, nullptr, &size) != platform::RegStatus::Success) return;
    saved.data.resize(size);
    saved.present = RegQueryValueExA(key, saved.name, nullptr, &saved.type, saved.data.data(), &size) ==
                    platform::RegStatus::Success;
    saved.data.resize(size);
}

void PutPointerBack(platform::RegKey key, const SavedPointer& saved) {
    if (saved.present) {
        (void)RegSetValueExA(key, saved.name, 0, saved.type, saved.data.data(),
                             static_cast<uint32_t>(saved.data.size()));
    } else {
        (void)RegDeleteValueA(key, saved.name);
    }
}

// Replays the items onto the key at the bottom of the stack; false at the first write
// the registry refuses.
bool ReplayItems(const RegistryBackup& backup, std::vector<RegistryKey>& stack) {
    RegistryBackupReader reader(backup);
    RegistryBackupItem item;
    while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
        switch (item.kind) {
            case RegistryBackupItem::Value:
                if (RegSetValueExA(stack.back().Handle(), item.name, 0, item.type, item.data, item.size) !=
                    platform::RegStatus::Success)
                    return false;
                break;
            case RegistryBackupItem::KeyBegin: {
                RegistryKey subkey;
                if (subkey.Create(stack.back().Handle(), item.name, platform::KeyAccess::AllAccess) !=
                    platform::RegStatus::Success)
                    return false;
                stack.push_back(std::move(subkey));
                break;
            }
            case RegistryBackupItem::KeyEnd:
                // The reader never lets a key end reach the identity's own key.
                stack.pop_back();
                break;
            case RegistryBackupItem::End:
                break;
        }
    }
    return true;
}

// Finds the "Store Root" value as the catalogue finds it in the registry: in the first
// version key below the client's software key, a path of three keys.
class StoreRootMatcher {
public:
    StoreRootMatcher() : valueName_(Fold(MailClient::kStoreRootValue)) {
        for (std::string rest = MailClient::kClientSoftwareKey; !rest.empty();) {
            const size_t slash = rest.find('\\');
            software_.push_back(Fold(rest.substr(0, slash).c_str()));
            rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
        }
    }
    // Called for every item in order; true for the one value (the first such) found.
    bool Matches(const std::vector<std::string>& path, const RegistryBackupItem& item) {
        if (item.kind == RegistryBackupItem::KeyBegin && path == software_ && versionKey_.empty()) {
            versionKey_ = Fold(item.name);
        } else if (item.kind == RegistryBackupItem::Value && !found_ && !versionKey_.empty() &&
                   path.size() == software_.size() + 1 && path.back() == versionKey_ &&
                   std::equal(software_.begin(), software_.end(), path.begin()) && Fold(item.name) == valueName_) {
            found_ = true;
            return true;
        }
        return false;
    }

private:
    std::vector<std::string> software_;
    std::string valueName_;
    std::string versionKey_;
    bool found_ = false;
};

}  // namespace

bool ValidateRegistryBackup(const RegistryBackup& backup, BackupDefect* defect) {
    RegistryBackupReader reader(backup);
    RegistryBackupItem item;
    while (reader.Next(item) && item.kind != RegistryBackupItem::End) {
    }
    if (defect) *defect = reader.Defect();
    return reader.Defect() == BackupDefect::None;
}

bool FindStoreRootInBackup(const RegistryBackup& backup, std::string& storeRoot) {
    StoreRootMatcher matcher;
    bool found = false;
    WalkBackup(backup, [&](const std::vector<std::string>& path, const RegistryBackupItem& item) {
        if (!matcher.Matches(path, item)) return;
        // As the registry reads a text: up to its first zero byte, bounded.
        const std::string data(reinterpret_cast<const char*>(item.data),
                               std::min<size_t>(item.size, RegistryKey::kMaxStringBytes));
        storeRoot = data.substr(0, data.find('\0'));
        found = true;
    });
    return found;
}

bool ReplaceStoreRootInBackup(RegistryBackup& backup, const std::string& storeRoot) {
    // The structure keeps every name, so only the data records are written anew.
    CBlob data;
    StoreRootMatcher matcher;
    bool found = false, fits = true;
    const bool valid = WalkBackup(backup, [&](const std::vector<std::string>& path, const RegistryBackupItem& item) {
        const bool replace = matcher.Matches(path, item);
        if (item.kind != RegistryBackupItem::Value) return;
        found = found || replace;
        const uint8_t* bytes = replace ? reinterpret_cast<const uint8_t*>(storeRoot.c_str()) : item.data;
        const uint32_t size = replace ? static_cast<uint32_t>(storeRoot.size() + 1) : item.size;
        fits = fits && AppendValueRecord(data, item.type, bytes, size);
    });
    if (!valid || !found || !fits) return false;
    backup.DataStream = std::move(data);
    return true;
}

KeyInPlace CompareIdentityKeyWithBackup(const std::string& keyName, const RegistryBackup& backup) {
    RegistryKey identity;
    if (identity.Open(platform::RegKey::CurrentUser, GetIdentityKeyPath(keyName), platform::KeyAccess::Read) !=
        platform::RegStatus::Success) {
        return KeyInPlace::Missing;
    }
    RegistryBackup inPlace;
    BackupContents saved, current;
    const KeyWalk walk = SerializeKey(inPlace, identity.Handle());
    if (walk == KeyWalk::Broken) return KeyInPlace::Broken;
    if (walk != KeyWalk::Done || !inPlace.StructureStream.Append(&BackupTag::kEnd, 1) ||
        !ReadContents(backup, saved) || !ReadContents(inPlace, current)) {
        return KeyInPlace::Unreadable;
    }
    for (const auto& key : current.keys) {
        if (!saved.keys.count(key.first)) return KeyInPlace::Differs;
    }
    for (const auto& value : current.values) {
        const auto it = saved.values.find(value.first);
        if (it == saved.values.end() || it->second != value.second) return KeyInPlace::Differs;
    }
    return KeyInPlace::PartOfBackup;
}

bool RestoreIdentityKey(const std::string& keyName, const RegistryBackup& backup) {
    if (!IsPlainKeyName(keyName)) return false;
    if (!ValidateRegistryBackup(backup)) return false;

    RegistryKey identities;
    if (identities.Create(platform::RegKey::CurrentUser, MailClient::kIdentitiesKey, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success) {
        return false;
    }
    RegistryKey existing;
    const bool existed =
        existing.Open(identities.Handle(), keyName, platform::KeyAccess::Read) == platform::RegStatus::Success;
    (void)existing.Close();

    std::vector<RegistryKey> stack(1);
    if (stack.front().Create(identities.Handle(), keyName, platform::KeyAccess::AllAccess) !=
        platform::RegStatus::Success)
        return false;
    SavedPointer pointers[] = {SavedPointer(MailClient::kDefaultUserIdValue),
                               SavedPointer(MailClient::kLastUserIdValue),
                               SavedPointer(MailClient::kLastUsernameValue),
                               SavedPointer(MailClient::kStartAsValue)};
    for (SavedPointer& pointer : pointers) SavePointer(identities.Handle(), pointer);

    const platform::RegKey key = identities.Handle();
    bool written =
        ReplayItems(backup, stack) &&
        WriteText(key, MailClient::kDefaultUserIdValue, backup.DefaultUserId) == platform::RegStatus::Success &&
        WriteText(key, MailClient::kLastUserIdValue, backup.LastUserId) == platform::RegStatus::Success &&
        WriteText(key, MailClient::kLastUsernameValue, backup.LastUsername) == platform::RegStatus::Success &&
        WriteText(key, MailClient::kStartAsValue, backup.StartAs) == platform::RegStatus::Success;
    stack.clear();
    if (written) return true;

    // A half-rebuilt identity would show up in the mail client without its settings:
    // take back what this call did. A key that was there before (an earlier restore
    // that was interrupted) holds only the backup's own values and stays.
    for (const SavedPointer& pointer : pointers) PutPointerBack(key, pointer);
    if (!existed) (void)identities.DeleteSubtree(keyName);  // nothing more can be done
    return false;
}

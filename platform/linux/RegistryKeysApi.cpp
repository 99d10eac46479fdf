// The key calls of the registry stand-in: open, create, close, delete, enumerate
// subkeys, key information.
#include <cstring>
#include <vector>

#include "platform/Registry.h"
#include "platform/linux/RegistryPath.h"
#include "platform/linux/RegistrySession.h"

namespace platform {

namespace {

constexpr platform::RegRights kGenericRead = 0x80000000;
constexpr platform::RegRights kGenericWrite = 0x40000000;
constexpr platform::RegRights kGenericExecute = 0x20000000;
constexpr platform::RegRights kGenericAll = 0x10000000;

// Generic and "maximum" requests become the key rights they stand for.
platform::RegRights SpecificRights(platform::RegRights rights) {
    platform::RegRights specific = rights & platform::KeyAccess::AllAccess;
    if (rights & (platform::KeyAccess::MaximumAllowed | kGenericAll)) specific |= platform::KeyAccess::AllAccess;
    if (rights & (kGenericRead | kGenericExecute)) specific |= platform::KeyAccess::Read;
    if (rights & kGenericWrite) specific |= platform::KeyAccess::Write;
    return specific;
}

// Finds the open key behind key and the key names of subKey below it. With result
// given, a handle is to be handed out there: once key is known to be valid, result
// shows none until one is.
platform::RegStatus ResolvePath(platform::RegKey key, const char* subKey, RegistryOpenKey& parent,
                                std::vector<std::string>& names, platform::RegKey* result = nullptr) {
    platform::RegStatus status = ResolveHandle(key, 0, parent);
    if (status != platform::RegStatus::Success) return status;
    if (result) *result = platform::RegKey::None;
    return SplitKeyPath(subKey, names);
}

// Opens (or, with create set, creates) subKey below key and hands out a new handle.
platform::RegStatus OpenBelow(platform::RegKey key, const char* subKey, platform::RegRights rights, bool create,
                              platform::RegKey* result, uint32_t* disposition) {
    RegistryOpenKey parent;
    std::vector<std::string> names;
    platform::RegStatus status = ResolvePath(key, subKey, parent, names, result);
    if (status != platform::RegStatus::Success) return status;
    RegistryKeyId id = 0;
    bool created = false;
    status = create ? parent.database->CreateKey(parent.id, names, id, created)
                    : parent.database->OpenKey(parent.id, names, id);
    if (status != platform::RegStatus::Success) return status;
    RegistrySession* session = RegistrySession::Instance();
    if (!session) return platform::RegStatus::InvalidHandle;
    *result = session->Add(RegistryOpenKey{parent.database, id, SpecificRights(rights)});
    if (disposition) *disposition = created ? platform::kRegCreatedNewKey : platform::kRegOpenedExistingKey;
    return platform::RegStatus::Success;
}

}  // namespace

platform::RegStatus RegOpenKeyExA(platform::RegKey key, const char* subKey, uint32_t options,
                                  platform::RegRights rights, platform::RegKey* result) {
    if (!result) return platform::RegStatus::InvalidParameter;
    if (key == platform::RegKey::CurrentUser && (!subKey || !*subKey)) {
        *result = platform::RegKey::CurrentUser;
        return platform::RegStatus::Success;
    }
    return OpenBelow(key, subKey, rights, false, result, nullptr);
}

platform::RegStatus RegOpenKeyA(platform::RegKey key, const char* subKey, platform::RegKey* result) {
    if (!result) return platform::RegStatus::InvalidParameter;
    if (!subKey || !*subKey) {
        *result = key;
        return platform::RegStatus::Success;
    }
    return RegOpenKeyExA(key, subKey, 0, platform::KeyAccess::MaximumAllowed, result);
}

platform::RegStatus RegCreateKeyExA(platform::RegKey key, const char* subKey, uint32_t reserved, char* keyClass,
                                    uint32_t options, platform::RegRights rights, void* security,
                                    platform::RegKey* result, uint32_t* disposition) {
    if (!result || !subKey) return platform::RegStatus::InvalidParameter;
    return OpenBelow(key, subKey, rights, true, result, disposition);
}

platform::RegStatus RegCreateKeyA(platform::RegKey key, const char* subKey, platform::RegKey* result) {
    return RegCreateKeyExA(key, subKey ? subKey : "", 0, nullptr, platform::kRegOptionNonVolatile,
                           platform::KeyAccess::MaximumAllowed, nullptr, result, nullptr);
}

platform::RegStatus RegCloseKey(platform::RegKey key) {
    RegistrySession* session = RegistrySession::Instance();
    return session ? session->Close(key) : platform::RegStatus::InvalidHandle;
}

platform::RegStatus RegDeleteKeyA(platform::RegKey key, const char* subKey) {
    if (!subKey) return platform::RegStatus::InvalidParameter;
    RegistryOpenKey parent;
    std::vector<std::string> names;
    platform::RegStatus status = ResolvePath(key, subKey, parent, names);
    if (status != platform::RegStatus::Success) return status;
    return parent.database->DeleteKey(parent.id, names);
}

platform::RegStatus RegEnumKeyExA(platform::RegKey key, uint32_t index, char* name, uint32_t* nameSize,
                                  uint32_t* reserved, char* keyClass, uint32_t* classSize, void* lastWriteTime) {
    if (!name || !nameSize || reserved || (keyClass && !classSize)) {
        return platform::RegStatus::InvalidParameter;
    }
    RegistryOpenKey open;
    platform::RegStatus status = ResolveHandle(key, platform::KeyAccess::EnumerateSubKeys, open);
    if (status != platform::RegStatus::Success) return status;
    std::string found;
    status = open.database->SubKeyAt(open.id, index, found);
    if (status != platform::RegStatus::Success) return status;
    if (found.size() >= *nameSize) return platform::RegStatus::MoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameSize = static_cast<uint32_t>(found.size());
    if (keyClass && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) std::memset(lastWriteTime, 0, 8);  // a FILETIME
    return platform::RegStatus::Success;
}

platform::RegStatus RegEnumKeyA(platform::RegKey key, uint32_t index, char* name, uint32_t nameSize) {
    return RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
}

platform::RegStatus RegQueryInfoKeyA(platform::RegKey key, char* keyClass, uint32_t* classSize, uint32_t* reserved,
                                     uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values,
                                     uint32_t* maxValueNameLen, uint32_t* maxValueLen, uint32_t* securityDescriptor,
                                     void* lastWriteTime) {
    RegistryOpenKey open;
    platform::RegStatus status = ResolveHandle(key, platform::KeyAccess::QueryValue, open);
    if (status != platform::RegStatus::Success) return status;
    if (reserved || (keyClass && !classSize)) return platform::RegStatus::InvalidParameter;
    RegistryKeyInfo info;
    status = open.database->QueryInfo(open.id, info);
    if (status != platform::RegStatus::Success) return status;
    if (keyClass && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (subKeys) *subKeys = info.subKeys;
    if (maxSubKeyLen) *maxSubKeyLen = info.maxSubKeyLen;
    if (maxClassLen) *maxClassLen = 0;
    if (values) *values = info.values;
    if (maxValueNameLen) *maxValueNameLen = info.maxValueNameLen;
    if (maxValueLen) *maxValueLen = info.maxValueLen;
    if (securityDescriptor) *securityDescriptor = 0;
    if (lastWriteTime) std::memset(lastWriteTime, 0, 8);
    return platform::RegStatus::Success;
}

}  // namespace platform

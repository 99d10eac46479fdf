// The key calls of the registry stand-in: open, create, close, delete, enumerate
// subkeys, key information.
#include <cstring>
#include <vector>

#include "platform/Registry.h"
#include "platform/linux/RegistryPath.h"
#include "platform/linux/RegistrySession.h"

namespace {

constexpr REGSAM kGenericRead = 0x80000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericExecute = 0x20000000;
constexpr REGSAM kGenericAll = 0x10000000;

// Generic and "maximum" requests become the key rights they stand for.
REGSAM SpecificRights(REGSAM rights) {
    REGSAM specific = rights & KEY_ALL_ACCESS;
    if (rights & (MAXIMUM_ALLOWED | kGenericAll)) specific |= KEY_ALL_ACCESS;
    if (rights & (kGenericRead | kGenericExecute)) specific |= KEY_READ;
    if (rights & kGenericWrite) specific |= KEY_WRITE;
    return specific;
}

// Finds the open key behind key and the key names of subKey below it. With result
// given, a handle is to be handed out there: once key is known to be valid, result
// shows none until one is.
LONG ResolvePath(HKEY key, const char* subKey, RegistryOpenKey& parent,
                 std::vector<std::string>& names, PHKEY result = nullptr) {
    LONG status = ResolveHandle(key, 0, parent);
    if (status != ERROR_SUCCESS) return status;
    if (result) *result = nullptr;
    return SplitKeyPath(subKey, names);
}

// Opens (or, with create set, creates) subKey below key and hands out a new handle.
LONG OpenBelow(HKEY key, const char* subKey, REGSAM rights, bool create, PHKEY result,
               LPDWORD disposition) {
    RegistryOpenKey parent;
    std::vector<std::string> names;
    LONG status = ResolvePath(key, subKey, parent, names, result);
    if (status != ERROR_SUCCESS) return status;
    RegistryKeyId id = 0;
    bool created = false;
    status = create ? parent.database->CreateKey(parent.id, names, id, created)
                    : parent.database->OpenKey(parent.id, names, id);
    if (status != ERROR_SUCCESS) return status;
    RegistrySession* session = RegistrySession::Instance();
    if (!session) return ERROR_INVALID_HANDLE;
    *result = session->Add(RegistryOpenKey{parent.database, id, SpecificRights(rights)});
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM rights, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    if (key == HKEY_CURRENT_USER && (!subKey || !*subKey)) {
        *result = HKEY_CURRENT_USER;
        return ERROR_SUCCESS;
    }
    return OpenBelow(key, subKey, rights, false, result, nullptr);
}

LONG RegOpenKeyA(HKEY key, const char* subKey, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    if (!subKey || !*subKey) {
        *result = key;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(key, subKey, 0, MAXIMUM_ALLOWED, result);
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM rights, void* security, PHKEY result, LPDWORD disposition) {
    if (!result || !subKey) return ERROR_INVALID_PARAMETER;
    return OpenBelow(key, subKey, rights, true, result, disposition);
}

LONG RegCreateKeyA(HKEY key, const char* subKey, PHKEY result) {
    return RegCreateKeyExA(key, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE,
                           MAXIMUM_ALLOWED, nullptr, result, nullptr);
}

LONG RegCloseKey(HKEY key) {
    RegistrySession* session = RegistrySession::Instance();
    return session ? session->Close(key) : ERROR_INVALID_HANDLE;
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    RegistryOpenKey parent;
    std::vector<std::string> names;
    LONG status = ResolvePath(key, subKey, parent, names);
    if (status != ERROR_SUCCESS) return status;
    return parent.database->DeleteKey(parent.id, names);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, LPDWORD nameSize, LPDWORD reserved,
                   char* keyClass, LPDWORD classSize, void* lastWriteTime) {
    if (!name || !nameSize || reserved || (keyClass && !classSize)) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryOpenKey open;
    LONG status = ResolveHandle(key, KEY_ENUMERATE_SUB_KEYS, open);
    if (status != ERROR_SUCCESS) return status;
    std::string found;
    status = open.database->SubKeyAt(open.id, index, found);
    if (status != ERROR_SUCCESS) return status;
    if (found.size() >= *nameSize) return ERROR_MORE_DATA;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameSize = static_cast<DWORD>(found.size());
    if (keyClass && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) std::memset(lastWriteTime, 0, 8);  // a FILETIME
    return ERROR_SUCCESS;
}

LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD nameSize) {
    return RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
}

LONG RegQueryInfoKeyA(HKEY key, char* keyClass, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                      LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD securityDescriptor,
                      void* lastWriteTime) {
    RegistryOpenKey open;
    LONG status = ResolveHandle(key, KEY_QUERY_VALUE, open);
    if (status != ERROR_SUCCESS) return status;
    if (reserved || (keyClass && !classSize)) return ERROR_INVALID_PARAMETER;
    RegistryKeyInfo info;
    status = open.database->QueryInfo(open.id, info);
    if (status != ERROR_SUCCESS) return status;
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
    return ERROR_SUCCESS;
}

// The value calls of the registry stand-in: query, enumerate, set, delete.
#include <cstring>

#include "platform/Registry.h"
#include "platform/linux/RegistrySession.h"

namespace {

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string ValueName(const char* name) { return name ? std::string(name) : std::string(); }

// Hands a value's type and data to the caller's optional outputs. With no data
// buffer only the size is reported; a buffer that is too small is left untouched.
LONG DeliverData(const RegistryValue& value, LPDWORD type, BYTE* data, LPDWORD dataSize) {
    const DWORD size = static_cast<DWORD>(value.data.size());
    if (type) *type = value.type;
    if (!data) {
        if (dataSize) *dataSize = size;
        return ERROR_SUCCESS;
    }
    const DWORD room = *dataSize;
    *dataSize = size;
    if (size > room) return ERROR_MORE_DATA;
    if (size) std::memcpy(data, value.data.data(), size);
    // Win32 terminates a text value that was stored without its zero when the caller's
    // buffer has room, which spares careless readers an unterminated string.
    if (IsTextType(value.type) && size > 0 && value.data.back() != '\0' && size < room) {
        data[size] = 0;
    }
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegQueryValueExA(HKEY key, const char* name, LPDWORD reserved, LPDWORD type, BYTE* data,
                      LPDWORD dataSize) {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    RegistryOpenKey open;
    LONG status = ResolveHandle(key, KEY_QUERY_VALUE, open);
    if (status != ERROR_SUCCESS) return status;
    RegistryValue value;
    status = open.database->FindValue(open.id, ValueName(name), value);
    if (status == ERROR_FILE_NOT_FOUND && !data && dataSize) *dataSize = 0;
    if (status != ERROR_SUCCESS) return status;
    return DeliverData(value, type, data, dataSize);
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, BYTE* data, LPDWORD dataSize) {
    if (!name || !nameSize || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    RegistryOpenKey open;
    LONG status = ResolveHandle(key, KEY_QUERY_VALUE, open);
    if (status != ERROR_SUCCESS) return status;
    RegistryValue value;
    status = open.database->ValueAt(open.id, index, value);
    if (status != ERROR_SUCCESS) return status;
    // Either buffer too small: nothing is copied, the type and the data size needed
    // are reported, the name size stays as the caller gave it.
    const bool nameFits = value.name.size() < *nameSize;
    if (!nameFits || (data && value.data.size() > *dataSize)) {
        if (type) *type = value.type;
        if (dataSize) *dataSize = static_cast<DWORD>(value.data.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameSize = static_cast<DWORD>(value.name.size());
    return DeliverData(value, type, data, dataSize);
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize) {
    if (!data && dataSize) return ERROR_NOACCESS;
    RegistryOpenKey open;
    LONG status = ResolveHandle(key, KEY_SET_VALUE, open);
    if (status != ERROR_SUCCESS) return status;
    return open.database->SetValue(open.id, ValueName(name), type, data, dataSize);
}

LONG RegDeleteValueA(HKEY key, const char* name) {
    RegistryOpenKey open;
    LONG status = ResolveHandle(key, KEY_SET_VALUE, open);
    if (status != ERROR_SUCCESS) return status;
    return open.database->DeleteValue(open.id, ValueName(name));
}

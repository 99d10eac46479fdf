// The value calls of the registry stand-in: query, enumerate, set, delete.
#include <cstring>

#include "platform/Registry.h"
#include "platform/linux/RegistrySession.h"

namespace platform {

namespace {

bool IsTextType(uint32_t type) {
    return type == platform::RegType::Sz || type == platform::RegType::ExpandSz || type == platform::RegType::MultiSz;
}

std::string ValueName(const char* name) { return name ? std::string(name) : std::string(); }

// Hands a value's type and data to the caller's optional outputs. With no data
// buffer only the size is reported; a buffer that is too small is left untouched.
platform::RegStatus DeliverData(const RegistryValue& value, uint32_t* type, uint8_t* data, uint32_t* dataSize) {
    const uint32_t size = static_cast<uint32_t>(value.data.size());
    if (type) *type = value.type;
    if (!data) {
        if (dataSize) *dataSize = size;
        return platform::RegStatus::Success;
    }
    const uint32_t room = *dataSize;
    *dataSize = size;
    if (size > room) return platform::RegStatus::MoreData;
    if (size) std::memcpy(data, value.data.data(), size);
    // Win32 terminates a text value that was stored without its zero when the caller's
    // buffer has room, which spares careless readers an unterminated string.
    if (IsTextType(value.type) && size > 0 && value.data.back() != '\0' && size < room) {
        data[size] = 0;
    }
    return platform::RegStatus::Success;
}

}  // namespace

platform::RegStatus RegQueryValueExA(platform::RegKey key, const char* name, uint32_t* reserved, uint32_t* type,
                                     uint8_t* data, uint32_t* dataSize) {
    if (reserved || (data && !dataSize)) return platform::RegStatus::InvalidParameter;
    RegistryOpenKey open;
    platform::RegStatus status = ResolveHandle(key, platform::KeyAccess::QueryValue, open);
    if (status != platform::RegStatus::Success) return status;
    RegistryValue value;
    status = open.database->FindValue(open.id, ValueName(name), value);
    if (status == platform::RegStatus::FileNotFound && !data && dataSize) *dataSize = 0;
    if (status != platform::RegStatus::Success) return status;
    return DeliverData(value, type, data, dataSize);
}

platform::RegStatus RegEnumValueA(platform::RegKey key, uint32_t index, char* name, uint32_t* nameSize,
                                  uint32_t* reserved, uint32_t* type, uint8_t* data, uint32_t* dataSize) {
    if (!name || !nameSize || reserved || (data && !dataSize)) return platform::RegStatus::InvalidParameter;
    RegistryOpenKey open;
    platform::RegStatus status = ResolveHandle(key, platform::KeyAccess::QueryValue, open);
    if (status != platform::RegStatus::Success) return status;
    RegistryValue value;
    status = open.database->ValueAt(open.id, index, value);
    if (status != platform::RegStatus::Success) return status;
    // Either buffer too small: nothing is copied, the type and the data size needed
    // are reported, the name size stays as the caller gave it.
    const bool nameFits = value.name.size() < *nameSize;
    if (!nameFits || (data && value.data.size() > *dataSize)) {
        if (type) *type = value.type;
        if (dataSize) *dataSize = static_cast<uint32_t>(value.data.size());
        return platform::RegStatus::MoreData;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameSize = static_cast<uint32_t>(value.name.size());
    return DeliverData(value, type, data, dataSize);
}

platform::RegStatus RegSetValueExA(platform::RegKey key, const char* name, uint32_t reserved, uint32_t type,
                                   const uint8_t* data, uint32_t dataSize) {
    if (!data && dataSize) return platform::RegStatus::NoAccess;
    RegistryOpenKey open;
    platform::RegStatus status = ResolveHandle(key, platform::KeyAccess::SetValue, open);
    if (status != platform::RegStatus::Success) return status;
    return open.database->SetValue(open.id, ValueName(name), type, data, dataSize);
}

platform::RegStatus RegDeleteValueA(platform::RegKey key, const char* name) {
    RegistryOpenKey open;
    platform::RegStatus status = ResolveHandle(key, platform::KeyAccess::SetValue, open);
    if (status != platform::RegStatus::Success) return status;
    return open.database->DeleteValue(open.id, ValueName(name));
}

}  // namespace platform

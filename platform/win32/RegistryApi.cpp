// The registry calls on the real Win32 registry (the A calls, on the key that plays
// HKEY_CURRENT_USER). Only the types are translated: the statuses are the system's own.
#include "platform/Registry.h"

#include "platform/win32/RegistryRoot.h"

namespace platform {

namespace {

// A DWORD the system reads and writes for the caller's uint32_t (absent when null).
class DwordArgument {
public:
    explicit DwordArgument(uint32_t* value) : value_(value), dword_(value ? *value : 0) {}
    ~DwordArgument() {
        if (value_) *value_ = static_cast<uint32_t>(dword_);
    }
    DwordArgument(const DwordArgument&) = delete;
    DwordArgument& operator=(const DwordArgument&) = delete;
    DWORD* Get() { return value_ ? &dword_ : nullptr; }

private:
    uint32_t* value_;
    DWORD dword_;
};

// A handle the system hands out, given to the caller as one of ours on success only.
class KeyResult {
public:
    explicit KeyResult(RegKey* result) : result_(result) {}
    HKEY* Get() { return result_ ? &key_ : nullptr; }
    RegStatus Deliver(LONG status) {
        if (status == ERROR_SUCCESS && result_) *result_ = OurKey(key_);
        return OurStatus(status);
    }

private:
    RegKey* result_;
    HKEY key_ = nullptr;
};

bool Empty(const char* subKey) { return !subKey || !*subKey; }

}  // namespace

RegStatus RegOpenKeyExA(RegKey key, const char* subKey, uint32_t options, RegRights rights, RegKey* result) {
    if (!result) return RegStatus::InvalidParameter;
    // The key that plays HKEY_CURRENT_USER may be a private one; opening "itself" must
    // give back the predefined name, which stays redirected, not the key below it.
    if (key == RegKey::CurrentUser && Empty(subKey)) {
        *result = RegKey::CurrentUser;
        return RegStatus::Success;
    }
    KeyResult opened(result);
    return opened.Deliver(::RegOpenKeyExA(NativeKey(key), subKey, options, rights, opened.Get()));
}

RegStatus RegOpenKeyA(RegKey key, const char* subKey, RegKey* result) {
    if (!result) return RegStatus::InvalidParameter;
    if (Empty(subKey)) {
        *result = key;
        return RegStatus::Success;
    }
    return RegOpenKeyExA(key, subKey, 0, KeyAccess::MaximumAllowed, result);
}

RegStatus RegCreateKeyExA(RegKey key, const char* subKey, uint32_t reserved, char* keyClass, uint32_t options,
                          RegRights rights, void* security, RegKey* result, uint32_t* disposition) {
    if (!result || !subKey) return RegStatus::InvalidParameter;
    KeyResult created(result);
    DwordArgument how(disposition);
    return created.Deliver(::RegCreateKeyExA(NativeKey(key), subKey, 0, keyClass, options, rights,
                                             static_cast<LPSECURITY_ATTRIBUTES>(security), created.Get(), how.Get()));
}

RegStatus RegCreateKeyA(RegKey key, const char* subKey, RegKey* result) {
    return RegCreateKeyExA(key, subKey ? subKey : "", 0, nullptr, kRegOptionNonVolatile, KeyAccess::MaximumAllowed,
                           nullptr, result, nullptr);
}

RegStatus RegCloseKey(RegKey key) {
    if (key == RegKey::CurrentUser) return RegStatus::Success;
    return OurStatus(::RegCloseKey(NativeKey(key)));
}

RegStatus RegDeleteKeyA(RegKey key, const char* subKey) {
    if (!subKey) return RegStatus::InvalidParameter;
    return OurStatus(::RegDeleteKeyA(NativeKey(key), subKey));
}

RegStatus RegEnumKeyExA(RegKey key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* reserved,
                        char* keyClass, uint32_t* classSize, void* lastWriteTime) {
    if (!name || !nameSize || reserved || (keyClass && !classSize)) return RegStatus::InvalidParameter;
    DwordArgument size(nameSize), classLength(classSize);
    return OurStatus(::RegEnumKeyExA(NativeKey(key), index, name, size.Get(), nullptr, keyClass, classLength.Get(),
                                     static_cast<FILETIME*>(lastWriteTime)));
}

RegStatus RegEnumKeyA(RegKey key, uint32_t index, char* name, uint32_t nameSize) {
    return OurStatus(::RegEnumKeyA(NativeKey(key), index, name, nameSize));
}

RegStatus RegEnumValueA(RegKey key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* reserved,
                        uint32_t* type, uint8_t* data, uint32_t* dataSize) {
    if (!name || !nameSize || reserved) return RegStatus::InvalidParameter;
    DwordArgument size(nameSize), kind(type), length(dataSize);
    return OurStatus(
        ::RegEnumValueA(NativeKey(key), index, name, size.Get(), nullptr, kind.Get(), data, length.Get()));
}

RegStatus RegQueryValueExA(RegKey key, const char* name, uint32_t* reserved, uint32_t* type, uint8_t* data,
                           uint32_t* dataSize) {
    if (reserved) return RegStatus::InvalidParameter;
    DwordArgument kind(type), length(dataSize);
    return OurStatus(::RegQueryValueExA(NativeKey(key), name, nullptr, kind.Get(), data, length.Get()));
}

RegStatus RegSetValueExA(RegKey key, const char* name, uint32_t reserved, uint32_t type, const uint8_t* data,
                         uint32_t dataSize) {
    return OurStatus(::RegSetValueExA(NativeKey(key), name, 0, type, data, dataSize));
}

RegStatus RegDeleteValueA(RegKey key, const char* name) { return OurStatus(::RegDeleteValueA(NativeKey(key), name)); }

RegStatus RegQueryInfoKeyA(RegKey key, char* keyClass, uint32_t* classSize, uint32_t* reserved, uint32_t* subKeys,
                           uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                           uint32_t* maxValueLen, uint32_t* securityDescriptor, void* lastWriteTime) {
    if (reserved) return RegStatus::InvalidParameter;
    DwordArgument classLength(classSize), keys(subKeys), keyLength(maxSubKeyLen), classMax(maxClassLen),
        valueCount(values), nameLength(maxValueNameLen), dataLength(maxValueLen), security(securityDescriptor);
    return OurStatus(::RegQueryInfoKeyA(NativeKey(key), keyClass, classLength.Get(), nullptr, keys.Get(),
                                        keyLength.Get(), classMax.Get(), valueCount.Get(), nameLength.Get(),
                                        dataLength.Get(), security.Get(), static_cast<FILETIME*>(lastWriteTime)));
}

}  // namespace platform

#include "identities/RegistryKey.h"

#include <vector>

namespace {
// Key names are at most 255 characters.
constexpr DWORD kKeyNameBuffer = 256;
}  // namespace

RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&& other) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept = default;

LONG RegistryKey::Take(HKEY opened) {
    LONG status = Close();
    key_ = platform::OwnedKey(opened);
    return status;
}

LONG RegistryKey::Open(HKEY parent, const std::string& path, REGSAM rights) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(parent, path.c_str(), 0, rights, &opened);
    return status == ERROR_SUCCESS ? Take(opened) : status;
}

LONG RegistryKey::Create(HKEY parent, const std::string& path, REGSAM rights) {
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  rights, nullptr, &opened, nullptr);
    return status == ERROR_SUCCESS ? Take(opened) : status;
}

LONG RegistryKey::Close() { return key_.Reset(); }

std::string RegistryKey::QueryString(const std::string& valueName,
                                     const std::string& defaultText) const {
    DWORD byteCount = 0;
    return QueryString(valueName, defaultText, byteCount);
}

std::string RegistryKey::QueryString(const std::string& valueName, const std::string& defaultText,
                                     DWORD& byteCount) const {
    byteCount = 0;
    if (!IsOpen()) return defaultText;
    // One byte more than may be asked for, all zero, so the text is always terminated
    // even when the stored bytes are not.
    std::vector<char> buffer(kMaxStringBytes + 1, '\0');
    DWORD size = kMaxStringBytes;
    if (RegQueryValueExA(key_.Get(), valueName.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
        return defaultText;
    }
    byteCount = size;
    return std::string(buffer.data());
}

LONG RegistryKey::DeleteSubtree(const std::string& name) {
    // An empty name would open the held key itself and wipe everything below it.
    if (name.empty()) return ERROR_INVALID_PARAMETER;
    RegistryKey child;
    LONG status = child.Open(key_.Get(), name, KEY_READ | KEY_WRITE);
    if (status != ERROR_SUCCESS) return status;
    // Each deletion moves the remaining subkeys down, so index 0 is asked every time.
    char subKey[kKeyNameBuffer];
    DWORD size = kKeyNameBuffer;
    while (RegEnumKeyExA(child.Handle(), 0, subKey, &size, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        status = child.DeleteSubtree(subKey);
        if (status != ERROR_SUCCESS) return status;
        size = kKeyNameBuffer;
    }
    child.Close();
    return RegDeleteKeyA(key_.Get(), name.c_str());
}

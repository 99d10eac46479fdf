#include "identities/RegistryKey.h"

#include <vector>

namespace {
// Key names are at most 255 characters.
constexpr uint32_t kKeyNameBuffer = 256;
}  // namespace

RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&& other) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept = default;

platform::RegStatus RegistryKey::Take(platform::RegKey opened) {
    platform::RegStatus status = Close();
    key_ = platform::OwnedKey(opened);
    return status;
}

platform::RegStatus RegistryKey::Open(platform::RegKey parent, const std::string& path, platform::RegRights rights) {
    platform::RegKey opened = platform::RegKey::None;
    platform::RegStatus status = RegOpenKeyExA(parent, path.c_str(), 0, rights, &opened);
    return status == platform::RegStatus::Success ? Take(opened) : status;
}

platform::RegStatus RegistryKey::Create(platform::RegKey parent, const std::string& path, platform::RegRights rights) {
    platform::RegKey opened = platform::RegKey::None;
    platform::RegStatus status = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, platform::kRegOptionNonVolatile,
                                                 rights, nullptr, &opened, nullptr);
    return status == platform::RegStatus::Success ? Take(opened) : status;
}

platform::RegStatus RegistryKey::Close() { return key_.Reset(); }

std::string RegistryKey::QueryString(const std::string& valueName,
                                     const std::string& defaultText) const {
    uint32_t byteCount = 0;
    return QueryString(valueName, defaultText, byteCount);
}

std::string RegistryKey::QueryString(const std::string& valueName, const std::string& defaultText,
                                     uint32_t& byteCount) const {
    byteCount = 0;
    if (!IsOpen()) return defaultText;
    // One byte more than may be asked for, all zero, so the text is always terminated
    // even when the stored bytes are not.
    std::vector<char> buffer(kMaxStringBytes + 1, '\0');
    uint32_t size = kMaxStringBytes;
    if (RegQueryValueExA(key_.Get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<uint8_t*>(buffer.data()),
                         &size) != platform::RegStatus::Success) {
        return defaultText;
    }
    byteCount = size;
    return std::string(buffer.data());
}

platform::RegStatus RegistryKey::DeleteSubtree(const std::string& name) {
    // An empty name would open the held key itself and wipe everything below it.
    if (name.empty()) return platform::RegStatus::InvalidParameter;
    RegistryKey child;
    platform::RegStatus status = child.Open(key_.Get(), name, platform::KeyAccess::Read | platform::KeyAccess::Write);
    if (status != platform::RegStatus::Success) return status;
    // Each deletion moves the remaining subkeys down, so index 0 is asked every time.
    char subKey[kKeyNameBuffer];
    uint32_t size = kKeyNameBuffer;
    while (RegEnumKeyExA(child.Handle(), 0, subKey, &size, nullptr, nullptr, nullptr, nullptr) ==
           platform::RegStatus::Success) {
        status = child.DeleteSubtree(subKey);
        if (status != platform::RegStatus::Success) return status;
        size = kKeyNameBuffer;
    }
    (void)child.Close();  // the delete below reports what matters
    return RegDeleteKeyA(key_.Get(), name.c_str());
}

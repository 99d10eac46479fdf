// Holder of at most one open registry key. It owns the handle: closing, or the holder
// going out of scope (also on an exception), releases it. Holders move, never copy.
#pragma once

#include <string>

#include "platform/NonCopyable.h"
#include "platform/OwnedKey.h"
#include "platform/Registry.h"

class RegistryKey : platform::NonCopyable {
public:
    // Texts longer than this many bytes are not read by QueryString.
    static constexpr uint32_t kMaxStringBytes = 16384;

    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;

    // Opens parent\path. On success the handle held before is closed and the new one
    // taken; the status is that of the open, or of that close if it failed. On failure
    // the holder is unchanged and the open's status is returned.
    [[nodiscard]] platform::RegStatus Open(platform::RegKey parent, const std::string& path,
                                           platform::RegRights rights);
    // As Open, but creates the key (and any missing keys above it) when it is absent.
    [[nodiscard]] platform::RegStatus Create(platform::RegKey parent, const std::string& path,
                                             platform::RegRights rights);
    // Releases the handle, if any; success when there was none.
    platform::RegStatus Close();

    platform::RegKey Handle() const { return key_.Get(); }
    bool IsOpen() const { return static_cast<bool>(key_); }

    // The named value's text (up to its first zero byte), or defaultText when it
    // cannot be read: no such value, more than kMaxStringBytes bytes, no handle.
    std::string QueryString(const std::string& valueName,
                            const std::string& defaultText = std::string()) const;
    // As above; byteCount receives the number of bytes the registry returned (0 when
    // the read failed). A text stored as an empty string counts its zero: 1 byte.
    std::string QueryString(const std::string& valueName, const std::string& defaultText, uint32_t& byteCount) const;

    // Deletes the subkey `name` with every key below it, depth first, stopping at the
    // first failure (what went before stays deleted). Success means it is all gone.
    // An empty name is refused (platform::RegStatus::InvalidParameter): it would name the held key.
    [[nodiscard]] platform::RegStatus DeleteSubtree(const std::string& name);

private:
    platform::RegStatus Take(platform::RegKey opened);

    platform::OwnedKey key_;
};

// One open registry key, owned: closed when the holder dies. Move-only.
// Writers throw ToolError, since the stand-in has nothing sensible to do with a
// half-written identity but to stop and say so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/OwnedKey.h"
#include "platform/Registry.h"

namespace msimn {

class RegKey {
public:
    RegKey() = default;

    // Opens parent\path, creating the keys that are missing. Throws ToolError.
    static RegKey Create(platform::RegKey parent, const std::string& path);
    // Opens an existing key; false (and out untouched) when it cannot.
    static bool TryOpen(platform::RegKey parent, const std::string& path, RegKey& out);

    platform::RegKey Get() const { return key_.Get(); }
    bool IsOpen() const { return static_cast<bool>(key_); }

    // Text values are stored with their terminating zero, as the client writes them.
    void SetString(const std::string& name, const std::string& text, uint32_t type = platform::RegType::Sz);
    void SetDword(const std::string& name, uint32_t value);
    void SetBinary(const std::string& name, const std::vector<uint8_t>& bytes);
    // A list of texts, each zero-terminated, with one more zero after the last.
    void SetMultiString(const std::string& name, const std::vector<std::string>& texts);

    // The visible text of a value (up to its first zero byte); false when the value
    // is missing or unreadable.
    bool QueryString(const std::string& name, std::string& out) const;
    // The name of the subkey at index; false past the last one.
    bool SubkeyName(uint32_t index, std::string& out) const;

private:
    explicit RegKey(platform::RegKey key) : key_(key) {}
    void SetRaw(const std::string& name, uint32_t type, const void* data, size_t size);

    platform::OwnedKey key_;
};

}  // namespace msimn

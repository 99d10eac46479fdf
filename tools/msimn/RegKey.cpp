#include "RegKey.h"

#include "ToolError.h"

namespace msimn {

RegKey RegKey::Create(platform::RegKey parent, const std::string& path) {
    platform::RegKey key = platform::RegKey::None;
    platform::RegStatus status = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, platform::kRegOptionNonVolatile,
                                                 platform::KeyAccess::AllAccess, nullptr, &key, nullptr);
    if (status != platform::RegStatus::Success) {
        throw ToolError("cannot create registry key " + path + " (status " + std::to_string(static_cast<int>(status)) +
                        ")");
    }
    return RegKey(key);
}

bool RegKey::TryOpen(platform::RegKey parent, const std::string& path, RegKey& out) {
    platform::RegKey key = platform::RegKey::None;
    if (RegOpenKeyExA(parent, path.c_str(), 0, platform::KeyAccess::AllAccess, &key) != platform::RegStatus::Success)
        return false;
    out = RegKey(key);
    return true;
}

void RegKey::SetRaw(const std::string& name, uint32_t type, const void* data, size_t size) {
    platform::RegStatus status = RegSetValueExA(key_.Get(), name.c_str(), 0, type, static_cast<const uint8_t*>(data),
                                                static_cast<uint32_t>(size));
    if (status != platform::RegStatus::Success) {
        throw ToolError("cannot write registry value \"" + name + "\" (status " +
                        std::to_string(static_cast<int>(status)) + ")");
    }
}

void RegKey::SetString(const std::string& name, const std::string& text, uint32_t type) {
    SetRaw(name, type, text.c_str(), text.size() + 1);
}

void RegKey::SetDword(const std::string& name, uint32_t value) {
    // Little-endian, as platform::RegType::Dword is on every machine the client ran on.
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    SetRaw(name, platform::RegType::Dword, bytes, sizeof bytes);
}

void RegKey::SetBinary(const std::string& name, const std::vector<uint8_t>& bytes) {
    SetRaw(name, platform::RegType::Binary, bytes.data(), bytes.size());
}

void RegKey::SetMultiString(const std::string& name, const std::vector<std::string>& texts) {
    std::string data;
    for (const auto& text : texts) {
        data += text;
        data.push_back('\0');
    }
    data.push_back('\0');
    SetRaw(name, platform::RegType::MultiSz, data.data(), data.size());
}

bool RegKey::QueryString(const std::string& name, std::string& out) const {
    uint32_t type = 0;
    uint32_t size = 0;
    if (RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != platform::RegStatus::Success)
        return false;
    std::vector<uint8_t> data(size + 1, 0);
    if (RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, data.data(), &size) != platform::RegStatus::Success)
        return false;
    out.assign(reinterpret_cast<const char*>(data.data()));
    return true;
}

bool RegKey::SubkeyName(uint32_t index, std::string& out) const {
    char name[512];
    uint32_t size = sizeof name;
    if (RegEnumKeyExA(key_.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        platform::RegStatus::Success) {
        return false;
    }
    out.assign(name, size);
    return true;
}

}  // namespace msimn

#include "RegKey.h"

#include "ToolError.h"

namespace msimn {

RegKey RegKey::Create(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        throw ToolError("cannot create registry key " + path + " (status " + std::to_string(status) + ")");
    }
    return RegKey(key);
}

bool RegKey::TryOpen(HKEY parent, const std::string& path, RegKey& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    out = RegKey(key);
    return true;
}

void RegKey::SetRaw(const std::string& name, DWORD type, const void* data, size_t size) {
    LONG status = RegSetValueExA(key_.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size));
    if (status != ERROR_SUCCESS) {
        throw ToolError("cannot write registry value \"" + name + "\" (status " + std::to_string(status) + ")");
    }
}

void RegKey::SetString(const std::string& name, const std::string& text, DWORD type) {
    SetRaw(name, type, text.c_str(), text.size() + 1);
}

void RegKey::SetDword(const std::string& name, DWORD value) {
    // Little-endian, as REG_DWORD is on every machine the client ran on.
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    SetRaw(name, REG_DWORD, bytes, sizeof bytes);
}

void RegKey::SetBinary(const std::string& name, const std::vector<uint8_t>& bytes) {
    SetRaw(name, REG_BINARY, bytes.data(), bytes.size());
}

void RegKey::SetMultiString(const std::string& name, const std::vector<std::string>& texts) {
    std::string data;
    for (const auto& text : texts) {
        data += text;
        data.push_back('\0');
    }
    data.push_back('\0');
    SetRaw(name, REG_MULTI_SZ, data.data(), data.size());
}

bool RegKey::QueryString(const std::string& name, std::string& out) const {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<BYTE> data(size + 1, 0);
    if (RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return false;
    out.assign(reinterpret_cast<const char*>(data.data()));
    return true;
}

bool RegKey::SubkeyName(DWORD index, std::string& out) const {
    char name[512];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key_.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    out.assign(name, size);
    return true;
}

}  // namespace msimn

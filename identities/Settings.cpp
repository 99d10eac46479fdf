#include "identities/Settings.h"

#include <cstdint>
#include <cstring>

#include "identities/RegistryKey.h"
#include "platform/Shell.h"

namespace {

const char* const kSecurityLevel = "secmode";
const char* const kGuardId = "guardid";
const char* const kFirstRun = "first";

// Base name without its last extension: "/opt/x/Veilbox.exe" gives "Veilbox".
std::string ProgramBaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    return base;
}

RegistryKey OpenSettings(platform::RegRights rights) {
    RegistryKey key;
    (void)key.Open(platform::RegKey::CurrentUser, GetSettingsKeyPath(), rights);  // IsOpen() tells
    return key;
}

// A platform::RegType::Dword of exactly four bytes, or the fallback.
int32_t ReadNumber(const char* name, int32_t fallback) {
    RegistryKey key = OpenSettings(platform::KeyAccess::QueryValue);
    uint32_t type = 0;
    uint8_t data[4];
    uint32_t size = sizeof data;
    if (!key.IsOpen() ||
        RegQueryValueExA(key.Handle(), name, nullptr, &type, data, &size) != platform::RegStatus::Success ||
        type != platform::RegType::Dword || size != sizeof data) {
        return fallback;
    }
    int32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

bool WriteValue(const char* name, uint32_t type, const void* data, uint32_t size) {
    RegistryKey key;
    return key.Create(platform::RegKey::CurrentUser, GetSettingsKeyPath(), platform::KeyAccess::SetValue) ==
               platform::RegStatus::Success &&
           RegSetValueExA(key.Handle(), name, 0, type, static_cast<const uint8_t*>(data), size) ==
               platform::RegStatus::Success;
}

bool WriteNumber(const char* name, int32_t value) {
    return WriteValue(name, platform::RegType::Dword, &value, sizeof value);
}

}  // namespace

std::string GetApplicationName() {
    const std::string name = platform::EnvironmentValue(kApplicationNameVariable);
    return name.empty() ? ProgramBaseName(platform::ProgramFilePath()) : name;
}

std::string GetSettingsKeyPath() {
    return "Software\\Keelfern\\" + GetApplicationName() + "\\main";
}

int GetSecurityLevel() { return ReadNumber(kSecurityLevel, SecurityHigh); }

bool SetSecurityLevel(int level) { return WriteNumber(kSecurityLevel, level); }

std::string GetGuardId() {
    // Identity key names are at most 255 characters, far below the read's bound.
    return OpenSettings(platform::KeyAccess::QueryValue).QueryString(kGuardId);
}

bool SetGuardId(const std::string& keyName) {
    return WriteValue(kGuardId, platform::RegType::Sz, keyName.c_str(), static_cast<uint32_t>(keyName.size() + 1));
}

bool IsFirstRun() { return ReadNumber(kFirstRun, 1) != 0; }

bool ClearFirstRun() { return WriteNumber(kFirstRun, 0); }

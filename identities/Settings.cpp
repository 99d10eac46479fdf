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

RegistryKey OpenSettings(REGSAM rights) {
    RegistryKey key;
    (void)key.Open(HKEY_CURRENT_USER, GetSettingsKeyPath(), rights);  // IsOpen() tells
    return key;
}

// A REG_DWORD of exactly four bytes, or the fallback.
int32_t ReadNumber(const char* name, int32_t fallback) {
    RegistryKey key = OpenSettings(KEY_QUERY_VALUE);
    DWORD type = 0;
    BYTE data[4];
    DWORD size = sizeof data;
    if (!key.IsOpen() ||
        RegQueryValueExA(key.Handle(), name, nullptr, &type, data, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return fallback;
    }
    int32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

bool WriteValue(const char* name, DWORD type, const void* data, DWORD size) {
    RegistryKey key;
    return key.Create(HKEY_CURRENT_USER, GetSettingsKeyPath(), KEY_SET_VALUE) == ERROR_SUCCESS &&
           RegSetValueExA(key.Handle(), name, 0, type, static_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
}

bool WriteNumber(const char* name, int32_t value) {
    return WriteValue(name, REG_DWORD, &value, sizeof value);
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
    return OpenSettings(KEY_QUERY_VALUE).QueryString(kGuardId);
}

bool SetGuardId(const std::string& keyName) {
    return WriteValue(kGuardId, REG_SZ, keyName.c_str(), static_cast<DWORD>(keyName.size() + 1));
}

bool IsFirstRun() { return ReadNumber(kFirstRun, 1) != 0; }

bool ClearFirstRun() { return WriteNumber(kFirstRun, 0); }

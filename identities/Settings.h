// The program's settings: section "main" below
// platform::RegKey::CurrentUser\Software\Keelfern\<application name>. Every call reads or writes
// the registry afresh; nothing is cached, so every read sees the last write.
#pragma once

#include <string>

enum SecurityLevel {
    SecurityLow = 0,     // hidden in the registry only
    SecurityMedium = 1,  // store also enciphered into the container, plain files deleted
    SecurityHigh = 2,    // as medium, plain files overwritten before deletion (default)
};

// The application name is the program file's base name without its extension, so
// renaming the program moves its settings. The environment variable
// VEILBOX_PROGRAM_NAME, when set, names it instead: the command-line tool and tests
// use it to share the program's settings.
constexpr char kApplicationNameVariable[] = "VEILBOX_PROGRAM_NAME";
std::string GetApplicationName();
// Software\Keelfern\<application name>\main
std::string GetSettingsKeyPath();

// "secmode", read as a signed 32-bit number and returned without a range check;
// SecurityHigh when it cannot be read.
int GetSecurityLevel();
// "guardid": the key name of the protected identity; empty when it cannot be read.
std::string GetGuardId();
// "first": true until the welcome page has been shown; true when it cannot be read.
bool IsFirstRun();

// Writers create missing keys. They return false when the write failed; the program
// carries on either way.
[[nodiscard]] bool SetSecurityLevel(int level);
[[nodiscard]] bool SetGuardId(const std::string& keyName);
[[nodiscard]] bool ClearFirstRun();

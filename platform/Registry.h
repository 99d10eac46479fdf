// The registry of the current user, with the calls, status codes and numbers of the
// Win32 registry the core relies on, under names of our own: <windows.h> defines the
// system's names (HKEY_CURRENT_USER, ERROR_SUCCESS, REG_SZ...) as macros, and no OS
// header may reach the core. On Windows the calls are the real API (win32/Registry*.cpp);
// on Linux a stand-in kept in one SQLite database that plays HKEY_CURRENT_USER
// (linux/Registry*.cpp). Statuses, types and rights keep the Win32 numbers, because
// saved registry backups and callers rely on them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// An open key: a number the system handed out (HKEY's value on Windows), or the
// predefined key of the current user. None is no key.
enum class RegKey : uintptr_t { None = 0, CurrentUser = 0x80000001u };

enum class [[nodiscard]] RegStatus : int32_t{
    Success = 0,       FileNotFound = 2,      AccessDenied = 5,        InvalidHandle = 6,
    OutOfMemory = 14,  InvalidParameter = 87, BadPathname = 161,       MoreData = 234,
    NoMoreItems = 259, NoAccess = 998,        RegistryIoFailed = 1016, KeyDeleted = 1018,
};

// Value types.
namespace RegType {
constexpr uint32_t None = 0;
constexpr uint32_t Sz = 1;
constexpr uint32_t ExpandSz = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t DwordBigEndian = 5;
constexpr uint32_t MultiSz = 7;
constexpr uint32_t Qword = 11;
}  // namespace RegType

// What a handle may do.
using RegRights = uint32_t;
namespace KeyAccess {
constexpr RegRights QueryValue = 0x0001;
constexpr RegRights SetValue = 0x0002;
constexpr RegRights CreateSubKey = 0x0004;
constexpr RegRights EnumerateSubKeys = 0x0008;
constexpr RegRights Notify = 0x0010;
constexpr RegRights Read = 0x20019;
constexpr RegRights Write = 0x20006;
constexpr RegRights AllAccess = 0xF003F;
constexpr RegRights MaximumAllowed = 0x02000000;
}  // namespace KeyAccess

constexpr uint32_t kRegOptionNonVolatile = 0;
// What RegCreateKeyExA did.
constexpr uint32_t kRegCreatedNewKey = 1;
constexpr uint32_t kRegOpenedExistingKey = 2;

// Every call below is one atomic step. Names are case-insensitive and keep the
// spelling they were created with; a subKey may hold several names separated by
// backslashes (a leading backslash is RegStatus::BadPathname). A handle whose key has
// been deleted, by this process or another, answers RegStatus::KeyDeleted to everything
// but RegCloseKey. Where a buffer is too small (RegStatus::MoreData) a data size reports
// the size needed and a name size is left as it was; what the buffers hold then is not
// to be relied on (the stand-in writes nothing, an enumeration on Windows may have).
// A handle refuses the value and enumeration calls its rights do not cover
// (RegStatus::AccessDenied); opening or creating below a handle ignores its rights.
// A key name holds at most 255 characters.

// An empty or null subKey opens the same key again (RegKey::CurrentUser itself for it).
RegStatus RegOpenKeyExA(RegKey key, const char* subKey, uint32_t options, RegRights rights, RegKey* result);
// An empty or null subKey gives back key itself, not a new handle.
RegStatus RegOpenKeyA(RegKey key, const char* subKey, RegKey* result);
// Opens the key if it exists, else creates it and any missing keys above it;
// disposition (optional) says which. keyClass, options and security are ignored.
RegStatus RegCreateKeyExA(RegKey key, const char* subKey, uint32_t reserved, char* keyClass, uint32_t options,
                          RegRights rights, void* security, RegKey* result, uint32_t* disposition);
RegStatus RegCreateKeyA(RegKey key, const char* subKey, RegKey* result);
RegStatus RegCloseKey(RegKey key);
// Subkeys come in case-insensitive name order.
// nameSize: in, the buffer's size in characters with room for the zero;
// out, the name's length without it.
RegStatus RegEnumKeyExA(RegKey key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* reserved, char* keyClass,
                        uint32_t* classSize, void* lastWriteTime);
RegStatus RegEnumKeyA(RegKey key, uint32_t index, char* name, uint32_t nameSize);
// Values come in the order they were first created (a value set again keeps its
// place). A null data with a dataSize asks for the size only.
RegStatus RegEnumValueA(RegKey key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* reserved, uint32_t* type,
                        uint8_t* data, uint32_t* dataSize);
// A null data with a dataSize asks for the size only (0 for a missing value). A text
// value stored without its terminating zero gets one after the data when the buffer
// has room; the size returned stays the stored one.
RegStatus RegQueryValueExA(RegKey key, const char* name, uint32_t* reserved, uint32_t* type, uint8_t* data,
                           uint32_t* dataSize);
// Stores the bytes exactly as given (zero-length data is allowed). Windows also counts
// a text's terminating zero that the size left out but that follows in memory; the
// stand-in does not read past the size.
RegStatus RegSetValueExA(RegKey key, const char* name, uint32_t reserved, uint32_t type, const uint8_t* data,
                         uint32_t dataSize);
RegStatus RegDeleteValueA(RegKey key, const char* name);
// Deletes a key that has no subkeys, with its values (RegStatus::AccessDenied otherwise).
// An empty subKey deletes the key itself.
RegStatus RegDeleteKeyA(RegKey key, const char* subKey);
// Lengths of names are in characters without the zero; maxValueLen is at least the
// longest data in bytes. Keys carry no class and no last-write time here.
RegStatus RegQueryInfoKeyA(RegKey key, char* keyClass, uint32_t* classSize, uint32_t* reserved, uint32_t* subKeys,
                           uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                           uint32_t* maxValueLen, uint32_t* securityDescriptor, void* lastWriteTime);
// Where this process's HKEY_CURRENT_USER lives. On Linux: the place given to
// RedirectRegistry, else the database file named by the environment variable
// VEILBOX_REGISTRY, else $XDG_DATA_HOME/veilbox/registry.db (XDG_DATA_HOME defaulting
// to ~/.local/share).
std::string RegistryLocation();

// Points this process's HKEY_CURRENT_USER somewhere else (a test's own database),
// creating the database if needed. An empty location returns to the default place,
// which is opened on first use. Handles opened before stay bound to the old place.
// Returns false (and changes nothing) if the new place cannot be opened.
bool RedirectRegistry(const std::string& location);

}  // namespace platform

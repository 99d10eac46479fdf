// The registry of the current user, with the Win32 calls and status codes the core
// relies on. On Windows this is the real API; on Linux it is a stand-in kept in one
// SQLite database that plays HKEY_CURRENT_USER (see linux/Registry*.cpp).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

typedef int32_t LONG;
typedef uint32_t DWORD;
typedef uint8_t BYTE;
typedef DWORD REGSAM;
typedef DWORD* LPDWORD;
struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_OUTOFMEMORY = 14;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM rights, PHKEY result);
LONG RegOpenKeyA(HKEY key, const char* subKey, PHKEY result);
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM rights, void* security, PHKEY result, LPDWORD disposition);
LONG RegCreateKeyA(HKEY key, const char* subKey, PHKEY result);
LONG RegCloseKey(HKEY key);
// nameSize: in, the buffer's size in characters with room for the zero;
// out, the name's length without it.
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, LPDWORD nameSize, LPDWORD reserved,
                   char* keyClass, LPDWORD classSize, void* lastWriteTime);
LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD nameSize);
LONG RegEnumValueA(HKEY key, DWORD index, char* name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, BYTE* data, LPDWORD dataSize);
LONG RegQueryValueExA(HKEY key, const char* name, LPDWORD reserved, LPDWORD type, BYTE* data,
                      LPDWORD dataSize);
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);
LONG RegDeleteValueA(HKEY key, const char* name);
// Deletes a key that has no subkeys, with its values (ERROR_ACCESS_DENIED otherwise).
LONG RegDeleteKeyA(HKEY key, const char* subKey);
LONG RegQueryInfoKeyA(HKEY key, char* keyClass, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                      LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD securityDescriptor,
                      void* lastWriteTime);
#endif

#include <string>

namespace platform {

// Where this process's HKEY_CURRENT_USER lives. On Linux: the database file named by
// the environment variable VEILBOX_REGISTRY, else $XDG_DATA_HOME/veilbox/registry.db
// (XDG_DATA_HOME defaulting to ~/.local/share).
std::string RegistryLocation();

// Points this process's HKEY_CURRENT_USER somewhere else (a test's own database).
// Handles opened before stay bound to the old place. Returns false if it cannot.
bool RedirectRegistry(const std::string& location);

}  // namespace platform

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
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;
constexpr LONG ERROR_NOACCESS = 998;

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
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Every call below is one atomic step. Names are case-insensitive and keep the
// spelling they were created with; a subKey may hold several names separated by
// backslashes (a leading backslash is ERROR_BAD_PATHNAME). A handle whose key has
// been deleted, by this process or another, answers ERROR_KEY_DELETED to everything
// but RegCloseKey. Where a buffer is too small (ERROR_MORE_DATA) no output buffer is
// written; a data size reports the size needed, a name size is left as it was.
// A handle refuses the value and enumeration calls its rights do not cover
// (ERROR_ACCESS_DENIED); opening or creating below a handle ignores its rights.
// A key name holds at most 255 characters.

// An empty or null subKey opens the same key again (HKEY_CURRENT_USER itself for it).
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM rights, PHKEY result);
// An empty or null subKey gives back key itself, not a new handle.
LONG RegOpenKeyA(HKEY key, const char* subKey, PHKEY result);
// Opens the key if it exists, else creates it and any missing keys above it;
// disposition (optional) says which. keyClass, options and security are ignored.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM rights, void* security, PHKEY result, LPDWORD disposition);
LONG RegCreateKeyA(HKEY key, const char* subKey, PHKEY result);
LONG RegCloseKey(HKEY key);
// Subkeys come in case-insensitive name order.
// nameSize: in, the buffer's size in characters with room for the zero;
// out, the name's length without it.
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, LPDWORD nameSize, LPDWORD reserved,
                   char* keyClass, LPDWORD classSize, void* lastWriteTime);
LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD nameSize);
// Values come in the order they were first created (a value set again keeps its
// place). A null data with a dataSize asks for the size only.
LONG RegEnumValueA(HKEY key, DWORD index, char* name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, BYTE* data, LPDWORD dataSize);
// A null data with a dataSize asks for the size only (0 for a missing value). A text
// value stored without its terminating zero gets one after the data when the buffer
// has room; the size returned stays the stored one.
LONG RegQueryValueExA(HKEY key, const char* name, LPDWORD reserved, LPDWORD type, BYTE* data,
                      LPDWORD dataSize);
// Stores the bytes exactly as given (zero-length data is allowed).
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);
LONG RegDeleteValueA(HKEY key, const char* name);
// Deletes a key that has no subkeys, with its values (ERROR_ACCESS_DENIED otherwise).
// An empty subKey deletes the key itself.
LONG RegDeleteKeyA(HKEY key, const char* subKey);
// Lengths of names are in characters without the zero; maxValueLen is at least the
// longest data in bytes. Keys carry no class and no last-write time here.
LONG RegQueryInfoKeyA(HKEY key, char* keyClass, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                      LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD securityDescriptor,
                      void* lastWriteTime);
#endif

#include <string>

namespace platform {

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

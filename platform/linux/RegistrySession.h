// This process's view of the registry: which database plays HKEY_CURRENT_USER and
// the table of open handles. A handle is a number, not a pointer, so a closed or
// made-up handle is recognised and refused instead of being followed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/Registry.h"
#include "platform/linux/RegistryDatabase.h"

struct RegistryOpenKey {
    std::shared_ptr<RegistryDatabase> database;
    RegistryKeyId id = 0;
    REGSAM rights = 0;
};

class RegistrySession {
public:
    // Null once the process has begun tearing down its static objects, so calls from
    // late destructors fail cleanly instead of touching a dead table.
    static RegistrySession* Instance();

    // The key behind a handle; HKEY_CURRENT_USER opens its database on first use.
    // ERROR_INVALID_HANDLE for anything not open.
    LONG Resolve(HKEY key, RegistryOpenKey& out);
    HKEY Add(RegistryOpenKey key);
    // ERROR_INVALID_HANDLE if the handle is not open; the predefined key always closes.
    LONG Close(HKEY key);

    std::string Location() const;
    bool Redirect(const std::string& location);

private:
    std::shared_ptr<RegistryDatabase> current_;
    std::string redirect_;
    std::unordered_map<uintptr_t, RegistryOpenKey> handles_;
    // Handle values are never reused, like Win32's they are multiples of 4.
    uintptr_t nextHandle_ = 0x1000;
};

// The key behind a handle for a call that needs the given rights (ERROR_ACCESS_DENIED
// when the handle was opened without them).
LONG ResolveHandle(HKEY key, REGSAM needed, RegistryOpenKey& out);

// This process's view of the registry: which database plays platform::RegKey::CurrentUser and
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
    platform::RegRights rights = 0;
};

class RegistrySession {
public:
    // Null once the process has begun tearing down its static objects, so calls from
    // late destructors fail cleanly instead of touching a dead table.
    static RegistrySession* Instance();

    // The key behind a handle; platform::RegKey::CurrentUser opens its database on first use.
    // platform::RegStatus::InvalidHandle for anything not open.
    platform::RegStatus Resolve(platform::RegKey key, RegistryOpenKey& out);
    platform::RegKey Add(RegistryOpenKey key);
    // platform::RegStatus::InvalidHandle if the handle is not open; the predefined key always closes.
    platform::RegStatus Close(platform::RegKey key);

    std::string Location() const;
    bool Redirect(const std::string& location);

private:
    std::shared_ptr<RegistryDatabase> current_;
    std::string redirect_;
    std::unordered_map<uintptr_t, RegistryOpenKey> handles_;
    // Handle values are never reused, like Win32's they are multiples of 4.
    uintptr_t nextHandle_ = 0x1000;
};

// The key behind a handle for a call that needs the given rights (platform::RegStatus::AccessDenied
// when the handle was opened without them).
platform::RegStatus ResolveHandle(platform::RegKey key, platform::RegRights needed, RegistryOpenKey& out);

// One open registry key handle, owned: closed when the owner dies or is given another
// handle. Reset closes it early and answers the close's status (success when none was
// held).
#pragma once

#include "platform/OwnedHandle.h"
#include "platform/Registry.h"

namespace platform {

struct RegistryKeyFree {
    static platform::RegStatus Free(platform::RegKey key) { return RegCloseKey(key); }
};
using OwnedKey = OwnedHandle<platform::RegKey, RegistryKeyFree>;

}  // namespace platform

// Which real key plays HKEY_CURRENT_USER for this process: HKEY_CURRENT_USER itself, or
// a key below it that a test or the environment variable VEILBOX_REGISTRY named, so
// that tests and the mail client's stand-in can share a private part of the registry
// without touching the user's own keys.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/win32/Win32.h"

namespace platform {

// The system's handle behind one of ours; the predefined key becomes the current root.
HKEY NativeKey(RegKey key);
inline RegKey OurKey(HKEY key) { return static_cast<RegKey>(reinterpret_cast<uintptr_t>(key)); }
inline RegStatus OurStatus(LONG status) { return static_cast<RegStatus>(status); }

}  // namespace platform

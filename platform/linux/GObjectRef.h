// One owned GObject reference: unreferenced when the holder dies. Move-only.
#pragma once

#include <glib-object.h>

#include "platform/OwnedHandle.h"

namespace platform {

struct GObjectFree {
    static void Free(gpointer object) { g_object_unref(object); }
};
// Constructed from a reference the caller owns (a "transfer full" result).
template <typename T>
using GObjectRef = OwnedHandle<T*, GObjectFree>;

}  // namespace platform

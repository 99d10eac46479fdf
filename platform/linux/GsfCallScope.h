// Put around every call into libgsf. libgsf reports a damaged file with glib
// warnings before it fails the call; we turn the failure into a status, so the
// warning must not end the process, not even when fatal warnings were asked for
// (G_DEBUG=fatal-warnings). For the length of the scope only errors are fatal; the
// previous setting comes back at its end. Everything runs on one thread.
#pragma once

#include <glib.h>

#include "platform/NonCopyable.h"

namespace platform {

class GsfCallScope : NonCopyable {
public:
    GsfCallScope();
    ~GsfCallScope();

private:
    GLogLevelFlags saved_;
};

}  // namespace platform

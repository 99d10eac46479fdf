#include "GsfCallScope.h"

#include "GsfSupport.h"

namespace platform {

GsfCallScope::GsfCallScope() {
    EnsureGsfReady();
    saved_ = g_log_set_always_fatal(G_LOG_LEVEL_ERROR);
}

GsfCallScope::~GsfCallScope() { g_log_set_always_fatal(saved_); }

}  // namespace platform

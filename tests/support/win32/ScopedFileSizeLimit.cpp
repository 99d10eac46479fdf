#include "support/ScopedFileSizeLimit.h"

bool ScopedFileSizeLimit::Available() { return false; }

ScopedFileSizeLimit::ScopedFileSizeLimit(uint64_t) {}

ScopedFileSizeLimit::~ScopedFileSizeLimit() = default;

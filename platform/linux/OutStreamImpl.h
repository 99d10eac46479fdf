// The state behind an OutStream: its session and its libgsf child.
#pragma once

#include <memory>

#include "GObjectRef.h"
#include "OutputSession.h"
#include "platform/CompoundFile.h"

namespace platform {

struct OutStream::Impl {
    std::shared_ptr<OutputSession> session;
    GObjectRef<GsfOutput> child;
};

}  // namespace platform

// The state behind an InStream: its libgsf child, which keeps what it needs of the
// file alive by itself, so a stream may outlive its storage.
#pragma once

#include <gsf/gsf-input.h>

#include "GObjectRef.h"
#include "platform/CompoundFile.h"

namespace platform {

struct InStream::Impl {
    GObjectRef<GsfInput> input;
};

}  // namespace platform
